#include "ExportPanel.h"

#include "exchange/ZelmoExport.h"
#include "shell/Console.h"
#include "shell/ui/ClickLabel.h"
#include "shell/ui/FileDialogs.h"
#include "shell/ui/Guard.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QColor kGreen(2, 164, 22);

template <class T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* heading(QWidget* parent, const QString& text, const QPoint& at)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSize(14);
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    l->move(at);
    l->adjustSize();
    return l;
}

} // namespace

ExportPanel::ExportPanel(Console& console, QWidget* parent) : QWidget(parent), m_console(console)
{
    setObjectName(QStringLiteral("panel_export"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kGreen);
    setPalette(p);

    heading(this, QStringLiteral("Export an Tarvo"), {20, 12});
    m_tarvomdb = named(new ClickLabel(console.settings().tarvodir(), this), QStringLiteral("tarvomdb"));
    m_tarvomdb->setCursor(Qt::PointingHandCursor);
    m_tarvomdb->setAutoFillBackground(true);
    QPalette lp = m_tarvomdb->palette();
    lp.setColor(QPalette::WindowText, Qt::white);
    m_tarvomdb->setPalette(lp);
    QFont lf = m_tarvomdb->font();
    lf.setPointSize(10);
    m_tarvomdb->setFont(lf);
    m_tarvomdb->setGeometry(20, 48, 700, 24);
    connect(&console.settings(), &Settings::changed, m_tarvomdb,
            [this] { m_tarvomdb->setText(m_console.settings().tarvodir()); });

    heading(this, QStringLiteral("Export an ZELMO"), {760, 12});
    m_button13 = named(new QPushButton(QStringLiteral("ZELMO-Exportdatei erstellen ..."), this),
                       QStringLiteral("Button13"));
    m_button13->setGeometry(760, 48, 240, 32);
    connect(m_button13, &QPushButton::clicked, this, &ExportPanel::Button13Click);
    m_zelmo = named(new QPlainTextEdit(this), QStringLiteral("zelmo"));
    m_zelmo->hide();
}

void ExportPanel::Button13Click()
{
    guarded(this, [this] {
        const QString path = FileDialogs::saveFile(this, QStringLiteral("zelmo"), QStringLiteral("txt"));
        if (path.isEmpty())
            return;
        m_zelmo->clear();
        const BoutNavigator& nav = m_console.navigator();
        const QStringList lines = ZelmoExport::lines(m_console.record(), nav.punkteheim, nav.punktegast);
        m_zelmo->setPlainText(lines.join(QLatin1Char('\n')));
        XmlDocument::writeFile(path, ZelmoExport::encode(lines));
    });
}
