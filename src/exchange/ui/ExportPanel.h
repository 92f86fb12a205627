#pragma once

#include <QStringList>
#include <QWidget>

class BoutNavigator;
class ClickLabel;
class DirectoryList;
class MatchRecord;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class Settings;
class TarvoExchange;

// The export panel `panel_export`: the Tarvo folder, the season's matches of the Tarvo database
// and the transfer into one of them, and the ZELMO export file.
class ExportPanel : public QWidget
{
    Q_OBJECT
public:
    ExportPanel(Settings& settings, const MatchRecord& record, const BoutNavigator& navigator,
                TarvoExchange& tarvo, QWidget* parent = nullptr);
    ~ExportPanel() override;

private:
    void tarvomdbDblClick();
    void Button14Click();
    void Label76Click();
    void readtarvo();
    void aktkampf();
    void Button4Click();
    void Button13Click();
    void setTarvomdbColour(const QColor& colour);
    // Disables the controls that reach the database while a transfer runs (it may wait for a
    // lock with the events handled), and gives them back afterwards.
    void setTransferring(bool on);

    Settings& m_settings;
    const MatchRecord& m_record;
    const BoutNavigator& m_navigator;
    TarvoExchange& m_tarvo;
    ClickLabel* m_tarvomdb = nullptr;
    QFrame* m_panel4 = nullptr;
    DirectoryList* m_directoryListBox2 = nullptr;
    QComboBox* m_saison = nullptr;
    QGroupBox* m_radioGroup2 = nullptr;
    QButtonGroup* m_items = nullptr;
    QListWidget* m_transform = nullptr;
    QStringList m_itemTexts;      // the season list's items as read, before escaping for display
    bool m_rereadPending = false; // the season changed while the database was busy
    QPushButton* m_button4 = nullptr;
    QProgressBar* m_progressBar1 = nullptr;
    QCheckBox* m_checkBoxwertungen = nullptr;
    QPushButton* m_button13 = nullptr;
    QPlainTextEdit* m_zelmo = nullptr;
};
