#pragma once

#include <QWidget>

class ClickLabel;
class Console;
class QPlainTextEdit;
class QPushButton;

// The export panel `panel_export`: the Tarvo folder and the ZELMO export file.
class ExportPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ExportPanel(Console& console, QWidget* parent = nullptr);

private:
    void Button13Click();

    Console& m_console;
    ClickLabel* m_tarvomdb = nullptr;
    QPushButton* m_button13 = nullptr;
    QPlainTextEdit* m_zelmo = nullptr;
};
