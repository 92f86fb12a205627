#include "match/MatchFields.h"
#include "match/ui/EntryPanel.h"
#include "match/ui/ProtocolGrid.h"
#include "shell/Console.h"
#include "widgets/ClickLabel.h"
#include "widgets/Dialogs.h"
#include "shell/ui/OperatorWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include "support/TestSupport.h"

// The help document as the build makes it (hilfe.pdf, read back with pdftotext), held against
// the real operator window: every caption an operator is told to click is spelled as the
// window spells it, so a renamed button or a help page that lost a section fails here.
class TestHelpDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void namesEveryCaptionOfTheView_data();
    void namesEveryCaptionOfTheView();
    void namesEveryWinCode();
    void namesTheGridColumnsItExplains();

private:
    // Compatibility forms compared: the PDF draws "ffi" as one ligature glyph.
    static QString plain(const QString& text)
    {
        return text.normalized(QString::NormalizationForm_KC).simplified();
    }
    bool mentions(const QString& text) const { return m_help.contains(plain(text)); }

    QString m_help;
    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
    std::unique_ptr<OperatorWindow> m_window;
};

void TestHelpDocument::initTestCase()
{
    MessageBox::setTestMode(true);
    QProcess p;
    // Content-stream order keeps the text of a table cell together.
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-raw"), QStringLiteral(VANTOR_HELP_PDF), QStringLiteral("-")});
    QVERIFY2(p.waitForFinished(30000) && p.exitCode() == 0, VANTOR_HELP_PDF);
    // Page numbers stand on lines of their own and would break a sentence across a page.
    static const QRegularExpression pageNumber(QStringLiteral("^\\d+$"), QRegularExpression::MultilineOption);
    m_help = plain(QString::fromUtf8(p.readAllStandardOutput()).remove(pageNumber));
    QVERIFY2(m_help.size() > 1000, qPrintable(m_help));

    m_dir = std::make_unique<QTemporaryDir>();
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_window = std::make_unique<OperatorWindow>(*m_console);
}

void TestHelpDocument::cleanupTestCase()
{
    m_window.reset();
    m_console.reset();
}

void TestHelpDocument::namesEveryCaptionOfTheView_data()
{
    // A view, and whether its click labels count: on the bout panel and in the menu they are
    // what the operator clicks; elsewhere labels show values.
    QTest::addColumn<QString>("view");
    QTest::addColumn<bool>("clickLabels");
    QTest::addColumn<bool>("choices");
    QTest::newRow("Eingaben: line-up buttons") << QStringLiteral("panel_eingaben") << false << false;
    QTest::newRow("Kampf") << QStringLiteral("panel_kampf") << true << false;
    QTest::newRow("Drucken") << QStringLiteral("panel_drucken") << false << true;
    QTest::newRow("Export") << QStringLiteral("panel_export") << true << true;
    QTest::newRow("Einrichten") << QStringLiteral("panel_einrichten") << false << true;
}

void TestHelpDocument::namesEveryCaptionOfTheView()
{
    QFETCH(QString, view);
    QFETCH(bool, clickLabels);
    QFETCH(bool, choices);
    auto* panel = m_window->findChild<QWidget*>(view);
    QVERIFY2(panel, qPrintable(view));

    QStringList captions;
    for (const QPushButton* b : panel->findChildren<QPushButton*>())
        captions << b->text();
    if (choices) {
        for (const QRadioButton* b : panel->findChildren<QRadioButton*>())
            captions << b->text();
        for (const QCheckBox* b : panel->findChildren<QCheckBox*>())
            if (!b->isHidden())
                captions << b->text();
        for (const QGroupBox* g : panel->findChildren<QGroupBox*>())
            captions << g->title();
    }
    if (clickLabels)
        for (const ClickLabel* l : panel->findChildren<ClickLabel*>())
            if (l->cursor().shape() == Qt::PointingHandCursor && !l->text().trimmed().isEmpty())
                captions << l->text();

    QStringList missing;
    int checked = 0;
    for (QString caption : std::as_const(captions)) {
        // A caption written down letter by letter ("R", "E", "S", "E", "T") reads as one word.
        if (caption.contains(QLatin1Char('\n')) &&
            std::all_of(caption.begin(), caption.end(), [](QChar c) { return c.isLetter() || c == u'\n'; }))
            caption.remove(QLatin1Char('\n'));
        // A caption with a field in its blanks ("Kampf … bis") is told in its parts.
        static const QRegularExpression fieldGap(QStringLiteral("\\s{3,}"));
        for (const QString& part : caption.split(fieldGap, Qt::SkipEmptyParts)) {
            // One character ("+", "X") is found anywhere and proves nothing.
            if (part.trimmed().size() < 2)
                continue;
            ++checked;
            if (!mentions(part))
                missing << part;
        }
    }
    QVERIFY2(checked >= 3, qPrintable(QStringLiteral("%1 captions").arg(checked)));
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in hilfe.pdf: ") + missing.join(" | ")));
}

void TestHelpDocument::namesEveryWinCode()
{
    // Each code stands at the start of its own cell of the table of win codes, after its heading.
    const qsizetype table = m_help.indexOf(QStringLiteral("Siegarten Die Siegart"));
    QVERIFY2(table >= 0, "no section on win codes");
    const QString section = m_help.mid(table, m_help.indexOf(QStringLiteral("Drucken Beide"), table) - table);
    for (const char* code : {"PS", "TÜ", "PE", "SS", "AS", "DS", "ÜG", "UG", "DV", "DQ", "KL"}) {
        const QRegularExpression row(QStringLiteral("(^| )") + QString::fromUtf8(code) +
                                     QStringLiteral(" [A-ZÄÖÜ][a-zäöüß]"));
        QVERIFY2(row.match(section).hasMatch(), code);
    }
}

void TestHelpDocument::namesTheGridColumnsItExplains()
{
    // The order column and both captions of the licence columns, as the grid shows them for
    // licence numbers and for pass numbers, each quoted as a caption.
    auto* grid = m_window->findChild<ProtocolGrid*>();
    QVERIFY(grid);
    auto quoted = [grid](int column) {
        return QStringLiteral("„%1“").arg(grid->model()->headerData(column, Qt::Horizontal).toString());
    };
    QVERIFY2(mentions(quoted(MatchFields::ColReihenfolge)), qPrintable(quoted(MatchFields::ColReihenfolge)));
    QVERIFY2(mentions(quoted(MatchFields::ColLizenzRot)), qPrintable(quoted(MatchFields::ColLizenzRot)));
    grid->setPassNumberCaptions(true);
    QVERIFY2(mentions(quoted(MatchFields::ColLizenzBlau)), qPrintable(quoted(MatchFields::ColLizenzBlau)));
}

QTEST_MAIN(TestHelpDocument)
#include "tst_helpdocument.moc"
