#pragma once

#include "MatchFields.h"
#include "platform/XmlDocument.h"

#include <QObject>
#include <QString>

#include <array>

class MatchRecord;

// The `*.ptlx` match file of the open match: its XML document stays loaded while the match is
// open, and every save writes the whole record into it and the whole document to the file.
class MatchFile : public QObject
{
    Q_OBJECT
public:
    // More bouts than this are refused when opening: a team match has at most 14, and the
    // protocol grid and every save are built for a few dozen.
    static constexpr int kMaxBouts = 10'000;

    explicit MatchFile(MatchRecord& record, QObject* parent = nullptr);

    QString matchFileName() const { return m_matchFileName; }
    // True while a match document is loaded (saves write only then).
    bool isOpen() const { return m_doc.isActive(); }

    // Opens `path` (see loadfromfile).
    void open(const QString& path);

    // Reads the file named by matchFileName() into the record. Writes nothing. The whole file
    // is read and checked first: a file that cannot be read or parsed, is no match file, holds
    // more than kMaxBouts bouts or a radio value that is not an integer throws UserError (naming
    // the file, and the field) and changes nothing: the open match stays open as it was, and
    // with none open none is.
    void loadfromfile();

    // Writes header and every bout row into the document, drops stray bout elements and
    // saves the document. Throws UserError when the file cannot be written; the document keeps
    // the new content for the next save. While no match is open it writes nothing, and throws
    // UserError when the record was edited since (the edits would be lost without a word).
    void saveall();
    // Writes bout row `row` into its element; does not touch the file.
    void savematch(int row);
    // Writes the document as it stands to matchFileName(); throws UserError
    // ("Kein aktives Dokument") while no match is open.
    void saveDocument();

    // Makes `path` the open file with `xml` as its document content (used when a match file is
    // created); sets the open-file state like an open.
    void adoptDocument(const QString& path, const QString& xml);

    // Open-file state, for the labels that show it.
    QString pfaddateiname() const { return m_matchFileName; }
    QString dateiname() const;
    QString pfad() const;
    QString windowCaption() const;

    // Start-page summary, written only by a load.
    QString label42() const { return m_label42; }
    QString label51() const { return m_label51; }
    QString label52() const { return m_label52; }

    XmlDocument& document() { return m_doc; }
    // The record was changed since the last load or successful saveall.
    bool hasUnsavedEdits() const { return m_unsaved; }

signals:
    // The open-file state changed: a new file is now named (kampfnr goes back to "0").
    void openFileChanged();
    void summaryChanged();

private:
    using BoutCells = std::array<QDomElement, MatchFields::ColumnCount>;

    void loadFrom(const QString& path);
    // The column elements of a bout element (first of each name), missing ones appended.
    static BoutCells boutCells(QDomElement bout);
    void writeBout(QDomElement bout, int row);
    void setOpenFileState(const QString& path);
    QDomElement info();
    QDomElement kaempfe();

    MatchRecord& m_record;
    XmlDocument m_doc;
    QString m_matchFileName;
    QString m_label42, m_label51, m_label52;
    bool m_unsaved = false;
};
