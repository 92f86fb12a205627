#pragma once

#include <QString>
#include <QStringList>

class MatchRecord;
class PrintCanvas;

// The official match record: one landscape page with the header, one band per bout, the
// team-point totals with the winner, the officials, the remarks and the signature lines. It
// reads the match as it stands and changes nothing. Every text keeps its place; one that would
// run past its box (or into the next text of its line) is drawn smaller, never over its
// neighbours.
class RecordPrintout
{
public:
    // What the record shows as the operator window shows it, beyond the match's own texts.
    struct Captions
    {
        QString altersklasse, punktfreund, vorrueck; // captions of the chosen radio items
        QString lizenzRot = QStringLiteral("Lizenz"), lizenzBlau = QStringLiteral("Lizenz");
    };
    struct Faces
    {
        QStringList text{QStringLiteral("Tahoma")};
        QStringList typewriter{QStringLiteral("Courier New")};
    };

    RecordPrintout(const MatchRecord& record, Captions captions, Faces faces);

    // "Protokoll_" + home + "-" + guest.
    QString jobTitle() const;
    // Band height in 0.1 mm: 90, or 70 when more than ten bout rows must fit on the page.
    static int bandHeight(int boutRows);

    struct Totals
    {
        int heim = 0, gast = 0;
    };
    // Sums the non-empty team-point cells; throws the conversion error for the first one that
    // is not a whole number.
    Totals totals() const;

    // One job on `canvas` with the whole record when `official`; otherwise nothing is drawn and
    // no job is sent. Every number is read before the job begins, so a bad team-point cell
    // sends no job at all.
    void print(PrintCanvas& canvas, bool official) const;

private:
    void draw(PrintCanvas& canvas, const Totals& totals) const;

    const MatchRecord& m_record;
    Captions m_captions;
    Faces m_faces;
};
