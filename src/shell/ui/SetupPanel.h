#pragma once

#include "printing/SheetLayout.h"

#include <QWidget>

#include <array>
#include <functional>

class QButtonGroup;
class QFrame;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class Settings;
class UpDown;

// The set-up panel `panel_einrichten`: ticker text, introduction option, display scale, advert
// list with its mode and interval, the licence-or-pass-number choice and the date line of the
// licence data, and the score sheet's field layout with its preview. The controls show the settings and write
// each change back to them, and every change is saved as it is made.
class SetupPanel : public QWidget
{
    Q_OBJECT
public:
    explicit SetupPanel(Settings& settings, QWidget* parent = nullptr);

    // The audience window's advert timer. `applyInterval` takes over the seconds and throws the
    // conversion error, which stops the save; `switchForMode` turns the timer on exactly in
    // mode 1. Unset, leaving those controls only saves.
    void setAdvertTimer(std::function<void()> applyInterval, std::function<void()> switchForMode);

    // The date line of the licence data; empty while none has been read.
    void setDatumlizenzdatei(const QString& text);

    // Places the eight preview labels on the sheet `Shape31` from the stored layout, field by
    // field; a value that is no integer throws the conversion error there, and the labels
    // placed before it stay placed. Called whenever the panel is opened.
    void punktzettelvorschau();

signals:
    // The display scale moved from `from` to `to` per cent: the audience window scales back by
    // 100 / from, then out by to / 100. Not emitted when a limit kept the scale.
    void scaleStep(int from, int to);
    // "Neuste Lizenzen laden".
    void licenceDownloadRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void laufschriftExit();
    void kampfvorstellungClick(bool ticked);
    void scaleClick(bool up);
    void Button12Click();
    void werbungDblClick();
    void werbungKeyDown(int key);
    void RadioGroup1Click(int index);
    void RadioGroup1Exit();
    void Edit4Exit();
    void RadioGroup3Click(int index);
    void ListBox1Click();
    void UpDown1Click();
    void UpDown2Click();

    void showSettings();
    void relayout();
    int selectedAdvert() const;
    int chosenField() const;

    Settings& m_settings;
    std::function<void()> m_applyInterval;
    std::function<void()> m_switchForMode;

    QLabel* m_datumlizenzdatei = nullptr;
    QLineEdit* m_laufschrift = nullptr;
    QCheckBox* m_kampfvorstellung = nullptr;
    QLineEdit* m_edit1 = nullptr;
    QListWidget* m_werbung = nullptr;
    QGroupBox* m_radioGroup1 = nullptr;
    QButtonGroup* m_modus = nullptr;
    QLineEdit* m_edit4 = nullptr;
    QGroupBox* m_radioGroup3 = nullptr;
    QButtonGroup* m_protokoll = nullptr;
    // The score sheet's field layout: names, x and y in millimetres.
    QListWidget* m_listBox1 = nullptr;
    QListWidget* m_xwerte = nullptr;
    QListWidget* m_ywerte = nullptr;
    UpDown* m_upDown1 = nullptr;
    UpDown* m_upDown2 = nullptr;
    QFrame* m_shape31 = nullptr;
    std::array<QLabel*, SheetLayout::kFieldCount> m_preview{};
};
