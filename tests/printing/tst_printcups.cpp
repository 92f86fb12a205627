#include "support/SampleMatch.h"
#include "match/MatchFile.h"
#include "printing/ui/PrintPanel.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"
#include "widgets/PrintDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/prctl.h>

// Printing as a club does it: a CUPS queue, the print panel's buttons, the system print dialog
// confirmed with Return, and the document the queue received read back. The scheduler is one
// of the test's own (its own folders and socket), so the machine's printing is neither used
// nor changed. Its queues are stopped: every job stays in the spool exactly as the program
// sent it, and no filter or backend runs.
class TestPrintCups : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void sheetsStartAtThePrintableCorner_data();
    void sheetsStartAtThePrintableCorner();
    void recordStartsAtThePrintableCorner();
    void nothingToDrawSendsNoJob_data();
    void nothingToDrawSendsNoJob();

private:
    bool lp(const QString& program, const QStringList& args);
    // Clicks `button` with the print dialog confirmed (Return) on `queue`; the job's document in
    // the spool, or an empty path when none arrived.
    QString printThroughDialog(const char* button, const QString& queue);
    QStringList spooled() const;
    template <typename T = QWidget> T* child(const char* name) const
    {
        return m_panel->findChild<T*>(QLatin1String(name));
    }

    QTemporaryDir m_cups;
    QProcess m_scheduler;
    QString m_lpadmin, m_cupsdisable;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MatchRecord> m_record;
    std::unique_ptr<MatchFile> m_file;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<PrintPanel> m_panel;
};

namespace {

const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
// The queue with margins declares A4 printable from 17 pt at the left and 34 pt at the top
// (and 15 pt right, 20 pt bottom), so left and top cannot be mistaken for each other.
const QByteArray kMarginArea = "*ImageableArea A4/A4: \"17 20 580 808\"";
constexpr double kPt = 25.4 / 72.0;

} // namespace

bool TestPrintCups::lp(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << program << args.join(QLatin1Char(' ')) << ':' << p.readAll();
        return false;
    }
    return true;
}

void TestPrintCups::initTestCase()
{
    const QStringList sbin = {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                              QStringLiteral("/sbin")};
    const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), sbin);
    m_lpadmin = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), sbin);
    m_cupsdisable = QStandardPaths::findExecutable(QStringLiteral("cupsdisable"), sbin);
    if (cupsd.isEmpty() || m_lpadmin.isEmpty() || m_cupsdisable.isEmpty() || !QFile::exists(kPpd))
        QSKIP("no CUPS scheduler or cups-pdf driver here (Debian: cups, printer-driver-cups-pdf)");
    QVERIFY(m_cups.isValid());

    const QString root = m_cups.path();
    for (const char* sub : {"etc", "spool/tmp", "cache", "state", "log", "home"})
        QVERIFY(QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub)));
    const QString socket = root + QStringLiteral("/cups.sock");
    const QByteArray conf = "Listen " + socket.toLocal8Bit() +
                            "\n"
                            "Browsing Off\nWebInterface No\nLogLevel warn\n"
                            "PreserveJobFiles Yes\nPreserveJobHistory Yes\nDefaultAuthType None\n"
                            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                            "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n"
                            "  </Limit>\n</Policy>\n";
    const QByteArray r = root.toLocal8Bit();
    const QByteArray files = "ServerRoot " + r + "/etc\nRequestRoot " + r + "/spool\nTempDir " + r +
                             "/spool/tmp\nCacheDir " + r + "/cache\nStateDir " + r + "/state\nErrorLog " + r +
                             "/log/error_log\nAccessLog " + r + "/log/access_log\nPageLog " + r +
                             "/log/page_log\nPrintcap " + r + "/state/printcap\nFileDevice Yes\n";
    QVERIFY(writeAll(root + QStringLiteral("/etc/cupsd.conf"), conf));
    QVERIFY(writeAll(root + QStringLiteral("/etc/cups-files.conf"), files));
    QFile ppd(kPpd);
    QVERIFY(ppd.open(QIODevice::ReadOnly));
    QByteArray margins = ppd.readAll();
    QVERIFY(margins.contains("*ImageableArea A4/A4: \"0 0 595 842\""));
    margins.replace("*ImageableArea A4/A4: \"0 0 595 842\"", kMarginArea);
    QVERIFY(writeAll(root + QStringLiteral("/rand.ppd"), margins));

    // Everything printing in this process, the dialog's printer list included, asks this
    // scheduler, and no default printer of the user's or the machine's gets in.
    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    qputenv("CUPS_SERVERROOT", root.toLocal8Bit() + "/etc");
    qputenv("HOME", root.toLocal8Bit() + "/home");
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");

    m_scheduler.setProgram(cupsd);
    m_scheduler.setArguments({QStringLiteral("-f"), QStringLiteral("-c"),
                              root + QStringLiteral("/etc/cupsd.conf"), QStringLiteral("-s"),
                              root + QStringLiteral("/etc/cups-files.conf")});
    m_scheduler.setProcessChannelMode(QProcess::MergedChannels);
    // The scheduler ends with the test, even one that crashes.
    m_scheduler.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_scheduler.start();
    const auto schedulerLog = [&] {
        QFile log(root + QStringLiteral("/log/error_log"));
        return m_scheduler.readAll() + (log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
    };
    if (!m_scheduler.waitForStarted(5000))
        QSKIP("cupsd cannot be started here");
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(socket) && m_scheduler.state() == QProcess::Running && waited.elapsed() < 10000)
        QTest::qWait(20);
    if (!QFile::exists(socket) || m_scheduler.state() != QProcess::Running)
        QSKIP(qPrintable(QStringLiteral("cupsd does not run here (not root?): ") +
                         QString::fromLocal8Bit(schedulerLog())));

    // The queues are cups-pdf's PDF printer; their device is never reached (they are stopped),
    // so it is one that any user may name, and the test runs without root as well.
    const QString device = QStringLiteral("file:///dev/null");
    QVERIFY2(lp(m_lpadmin, {QStringLiteral("-p"), QStringLiteral("PDF"), QStringLiteral("-v"), device,
                            QStringLiteral("-E"), QStringLiteral("-m"),
                            QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_opt.ppd")}),
             schedulerLog().constData());
    QVERIFY(lp(m_lpadmin, {QStringLiteral("-p"), QStringLiteral("Rand"), QStringLiteral("-v"), device,
                           QStringLiteral("-E"), QStringLiteral("-P"), root + QStringLiteral("/rand.ppd")}));
    QVERIFY(lp(m_lpadmin, {QStringLiteral("-d"), QStringLiteral("PDF")}));
    QVERIFY(lp(m_cupsdisable, {QStringLiteral("PDF"), QStringLiteral("Rand")}));
}

void TestPrintCups::cleanupTestCase()
{
    if (m_scheduler.state() != QProcess::NotRunning) {
        m_scheduler.terminate();
        if (!m_scheduler.waitForFinished(5000))
            m_scheduler.kill();
        m_scheduler.waitForFinished(5000);
    }
}

void TestPrintCups::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_record = std::make_unique<MatchRecord>();
    m_file = std::make_unique<MatchFile>(*m_record);
    m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("set.xml")));
    m_panel = std::make_unique<PrintPanel>(*m_record, *m_settings);
    fillSampleMatch(*m_record, 3);
    m_panel->show();
    PrintDialogs::takeShownCount();
}

void TestPrintCups::cleanup()
{
    m_panel.reset();
    m_settings.reset();
    m_file.reset();
    m_record.reset();
    m_dir.reset();
}

QStringList TestPrintCups::spooled() const
{
    return QDir(m_cups.filePath(QStringLiteral("spool")))
        .entryList({QStringLiteral("d*-001")}, QDir::Files, QDir::Name);
}

QString TestPrintCups::printThroughDialog(const char* button, const QString& queue)
{
    const QStringList before = spooled();
    bool confirmed = false;
    QString problem;
    // The dialog is modal: an operator's hands, on a timer, pick the queue and press Return.
    QElapsedTimer waited;
    waited.start();
    QTimer hands;
    hands.setInterval(20);
    connect(&hands, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) {
            if (modal) {
                problem = QStringLiteral("unexpected window: ") + modal->windowTitle();
                modal->close();
            } else if (waited.elapsed() > 15000) {
                problem = QStringLiteral("no print dialog");
                hands.stop();
            }
            return;
        }
        hands.stop();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        const int index = printers ? printers->findText(queue) : -1;
        if (index < 0) {
            problem = QStringLiteral("queue not offered: ") + queue;
            dialog->reject();
            return;
        }
        printers->setCurrentIndex(index);
        QTest::keyClick(dialog, Qt::Key_Return);
        confirmed = dialog->result() == QDialog::Accepted;
        if (dialog->isVisible()) {
            problem = QStringLiteral("Return did not confirm the dialog");
            dialog->reject();
        }
    });
    hands.start();
    QTest::mouseClick(child(button), Qt::LeftButton);
    hands.stop();
    if (!problem.isEmpty() || !confirmed) {
        qWarning().noquote() << problem;
        return QStringLiteral("(failed)");
    }
    const QStringList after = spooled();
    for (const QString& f : after)
        if (!before.contains(f))
            return m_cups.filePath(QStringLiteral("spool/") + f);
    return {};
}

void TestPrintCups::sheetsStartAtThePrintableCorner_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<QPointF>("corner"); // of the printable area, mm from the paper's
    QTest::newRow("whole page printable") << "PDF" << QPointF(0, 0);
    QTest::newRow("printer with margins") << "Rand" << QPointF(17 * kPt, 34 * kPt);
}

void TestPrintCups::sheetsStartAtThePrintableCorner()
{
    QFETCH(QString, queue);
    QFETCH(QPointF, corner);
    const QString job = printThroughDialog("Button11", queue);
    QVERIFY2(QFile::exists(job), qPrintable(job));
    QCOMPARE(pdfPageCount(job), 3);
    QCOMPARE(pdfInfoField(job, QStringLiteral("Title")), QStringLiteral("Punktzettel_"));
    QVERIFY(pdfInfoField(job, QStringLiteral("Page size")).startsWith(QLatin1String("595")));
    const auto words = pdfWords(job);
    // The layout of a first start: `pzDatum` 18 mm right of and 40 mm below the corner,
    // `pzNameBlau` at 110 / 59 mm, `pzKampfnr` at 152 / 40 mm.
    const struct
    {
        QString text;
        double x, y;
        int page;
    } expected[] = {{QStringLiteral("14.03.2026"), 18, 40, 1},
                    {QStringLiteral("Bvor1"), 110, 59, 1},
                    {QStringLiteral("3"), 152, 40, 3}};
    for (const auto& e : expected) {
        const PdfWord w = findWord(words, e.text, e.page);
        QCOMPARE(w.text, e.text);
        QVERIFY2(
            qAbs(w.box.left() - (corner.x() + e.x)) < 0.1 && qAbs(w.box.top() - (corner.y() + e.y)) < 0.1,
            qPrintable(QStringLiteral("%1 at %2 / %3 mm").arg(e.text).arg(w.box.left()).arg(w.box.top())));
    }
}

void TestPrintCups::recordStartsAtThePrintableCorner()
{
    const QString job = printThroughDialog("Button2", QStringLiteral("PDF"));
    QVERIFY2(QFile::exists(job), qPrintable(job));
    QCOMPARE(pdfPageCount(job), 1);
    QCOMPARE(pdfInfoField(job, QStringLiteral("Title")),
             QStringLiteral("Protokoll_KSV Rotenfels-TSV Weilimdorf"));
    QVERIFY(pdfInfoField(job, QStringLiteral("Page size")).startsWith(QLatin1String("842 x 595")));
    const auto words = pdfWords(job);
    // The title 12 mm from the left and 10 mm below the top, the first bout's red name at
    // X0 + 3W + 5 and 25 below the top of band 2.
    const PdfWord title = findWord(words, QStringLiteral("Protokoll"));
    QVERIFY2(qAbs(title.box.left() - 12) < 0.1 && qAbs(title.box.top() - 10) < 0.1,
             qPrintable(QStringLiteral("%1 / %2 mm").arg(title.box.left()).arg(title.box.top())));
    const PdfWord red = findWord(words, QStringLiteral("Rvor1"));
    QVERIFY2(qAbs(red.box.left() - 39.5) < 0.1 && qAbs(red.box.top() - 55.5) < 0.1,
             qPrintable(QStringLiteral("%1 / %2 mm").arg(red.box.left()).arg(red.box.top())));
}

void TestPrintCups::nothingToDrawSendsNoJob_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("option"); // radio item clicked before printing
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::addColumn<int>("bouts");
    QTest::newRow("line-up") << QByteArray("Button2") << QByteArray("optionenprotokoll1") << ""
                             << "" << 3;
    QTest::newRow("range without a bout")
        << QByteArray("Button11") << QByteArray("optionenpunktzettel1") << "5"
        << "3" << 3;
    QTest::newRow("all, no bouts") << QByteArray("Button11") << QByteArray("optionenpunktzettel0") << ""
                                   << "" << 0;
}

void TestPrintCups::nothingToDrawSendsNoJob()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, option);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(int, bouts);
    fillSampleMatch(*m_record, bouts);
    child<QLineEdit>("Edit2")->setText(von);
    child<QLineEdit>("Edit3")->setText(bis);
    child<QRadioButton>(option.constData())->click();
    QCOMPARE(printThroughDialog(button.constData(), QStringLiteral("PDF")), QString());
    QCOMPARE(PrintDialogs::takeShownCount(), 1);
}

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
