#pragma once

#include "printing/RecordPrintout.h"

#include <QWidget>

#include <memory>

class MatchRecord;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class Settings;

// The print panel `panel_drucken`: score sheets on the left, the official match record on the
// right. It gathers what the printouts show as the window shows it and hands them to them.
class PrintPanel : public QWidget
{
    Q_OBJECT
public:
    PrintPanel(MatchRecord& record, const Settings& settings, QWidget* parent = nullptr);
    ~PrintPanel() override;

    // Refills the bout list `ComboBox1` with nothing chosen; the print option stays.
    void setBoutChoices(const QStringList& items);

    // "Protokoll drucken" and "Punktzettel drucken": a print dialog, then one job. Throw the
    // conversion error, with no job sent, for a number the job cannot do without.
    void Button2Click();
    void Button11Click();

    int optionenprotokoll() const;
    int optionenpunktzettel() const;

    // What the record is drawn with at print time: the captions from the match and the
    // settings, the faces from the panel's hidden labels.
    RecordPrintout::Captions recordCaptions() const;
    RecordPrintout::Faces recordFaces() const;

private:
    QWidget* makeScoreSheetColumn();
    QWidget* makeRecordColumn();

    MatchRecord& m_record;
    const Settings& m_settings;
    QButtonGroup* m_sheetOptions = nullptr;
    QButtonGroup* m_recordOptions = nullptr;
    QLineEdit* m_von = nullptr;
    QLineEdit* m_bis = nullptr;
    QComboBox* m_boutChoice = nullptr;
    // Hidden: they carry the faces the record is printed in.
    QLabel* m_textFace = nullptr;
    QLabel* m_typewriterFace = nullptr;
    // One printer per dialog keeps the operator's choice for the next job of the session.
    std::unique_ptr<QPrinter> m_recordPrinter;
    std::unique_ptr<QPrinter> m_sheetPrinter;
};
