#include "platform/DocumentOpener.h"
#include "platform/FontInstaller.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString missing = QStringLiteral("<fehlt>");

} // namespace

class TestPlatformShell : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void iniValue_data();
    void iniValue();
    void iniMissingFileGivesFallback();
    void iniObjectKeepsTheTextItRead();
    void iniLargeLicenceFile();

    void unknownFamilyIsNotInstalled();
    void addRefusesWhatIsNoFont_data();
    void addRefusesWhatIsNoFont();
    void shippedFontAddsAndRemovesItsFamily();
    void wineTahomaStandsForTahoma();

    void openerIsNotAskedForMissingDocument();
    void openerGetsTheFileUrl_data();
    void openerGetsTheFileUrl();
    void relativePathBecomesAbsoluteUrl();
    void refusingDesktopGivesFalse();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<QUrl> m_opened;
};

void TestPlatformShell::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_opened.clear();
    setDocumentOpenerForTests([this](const QUrl& url) {
        m_opened.append(url);
        return true;
    });
}

void TestPlatformShell::cleanup()
{
    setDocumentOpenerForTests({});
    m_dir.reset();
}

void TestPlatformShell::iniValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString s = QStringLiteral("s");
    const QString k = QStringLiteral("k");

    QTest::newRow("licence date") << QByteArray("[allgemein]\r\ndatum=07.12.2026\r\n") << "allgemein"
                                  << "datum"
                                  << "07.12.2026";
    QTest::newRow("names ignore case") << QByteArray("[Allgemein]\r\nDatum=1\r\n") << "ALLGEMEIN"
                                       << "datum"
                                       << "1";
    QTest::newRow("umlaut names ignore case")
        << QByteArray("[\xc4rzte]\nN\xc4HE=x\n") << QString::fromUtf8("ärzte") << QString::fromUtf8("nähe")
        << "x";
    QTest::newRow("licence number section")
        << QByteArray("[1]\nvorname=A\n[0530718264]\nvorname=Hans\n") << "0530718264"
        << "vorname"
        << "Hans";
    QTest::newRow("blanks trimmed") << QByteArray("[s]\n  k \t=  wert mit innen  \t\n") << s << k
                                    << "wert mit innen";
    QTest::newRow("indented header and key") << QByteArray("  [s]\n\tk=1\n") << s << k << "1";
    QTest::newRow("comment after header") << QByteArray("[s] ; Kommentar\nk=1\n") << s << k << "1";
    QTest::newRow("double quotes keep inner blanks")
        << QByteArray("[s]\nk = \" a b \" \n") << s << k << " a b ";
    QTest::newRow("single quotes") << QByteArray("[s]\nk='x'\n") << s << k << "x";
    QTest::newRow("only one pair removed") << QByteArray("[s]\nk=\"\"x\"\"\n") << s << k << "\"x\"";
    QTest::newRow("unmatched quotes stay") << QByteArray("[s]\nk=\"x'\n") << s << k << "\"x'";
    QTest::newRow("lone quote stays") << QByteArray("[s]\nk=\"\n") << s << k << "\"";
    QTest::newRow("equals sign in value") << QByteArray("[s]\nk=a=b\n") << s << k << "a=b";
    QTest::newRow("LF") << QByteArray("[s]\nk=v\nx=w\n") << s << k << "v";
    QTest::newRow("CR LF") << QByteArray("[s]\r\nk=v\r\nx=w\r\n") << s << k << "v";
    QTest::newRow("bare CR") << QByteArray("[s]\rk=v\rx=w") << s << k << "v";
    QTest::newRow("CR inside a line ends it") << QByteArray("[s]\nk=a\rb=c\n") << s << k << "a";
    QTest::newRow("no line end at the end") << QByteArray("[s]\r\nk=v") << s << k << "v";
    QTest::newRow("Windows-1252 umlauts") << QByteArray("[s]\nk=M\xfcller \xc4\xd6\xdc\xe4\xf6\xdf\n") << s
                                          << k << QString::fromUtf8("Müller ÄÖÜäöß");
    QTest::newRow("Windows-1252 euro and quotes")
        << QByteArray("[s]\nk=5 \x80 \x84x\x93\n") << s << k << QString::fromUtf8("5 € „x“");
    QTest::newRow("empty value is no fallback") << QByteArray("[s]\nk=\n") << s << k << "";
    QTest::newRow("missing section") << QByteArray("[t]\nk=1\n") << s << k << missing;
    QTest::newRow("missing key") << QByteArray("[s]\nj=1\n") << s << k << missing;
    QTest::newRow("key of the next section") << QByteArray("[s]\n[t]\nk=1\n") << s << k << missing;
    QTest::newRow("empty file") << QByteArray() << s << k << missing;
    QTest::newRow("first duplicate key wins") << QByteArray("[s]\nk=1\nK=2\n") << s << k << "1";
    QTest::newRow("sections merge: first wins")
        << QByteArray("[s]\nk=1\n[t]\nk=2\n[S]\nk=3\n") << s << k << "1";
    QTest::newRow("sections merge: later adds")
        << QByteArray("[s]\nj=1\n[t]\nk=2\n[S]\nk=3\n") << s << k << "3";
    QTest::newRow("comment line") << QByteArray("[s]\n;k=1\nk=2\n") << s << k << "2";
    QTest::newRow("commented key only") << QByteArray("[s]\n  ;k=1\n") << s << k << missing;
    QTest::newRow("line without equals") << QByteArray("[s]\nk\nk=2\n") << s << k << "2";
    QTest::newRow("key before any section") << QByteArray("k=0\n[s]\nk=1\n") << s << k << "1";
    QTest::newRow("key before any section, none after") << QByteArray("k=0\n[s]\n") << s << k << missing;
    QTest::newRow("key before any section, empty name") << QByteArray("k=0\n[s]\n") << "" << k << missing;
    QTest::newRow("UTF-8 mark before the first section")
        << QByteArray("\xEF\xBB\xBF[allgemein]\r\ndatum=07.12.2026\r\n") << "allgemein"
        << "datum"
        << "07.12.2026";
    QTest::newRow("UTF-8 mark: names and values are UTF-8")
        << QByteArray("\xEF\xBB\xBF[\xC3\x84rzte]\nN\xC3\x84HE=M\xC3\xBCller \xE2\x82\xAC \xC5\x81\n")
        << QString::fromUtf8("ärzte") << QString::fromUtf8("nähe") << QString::fromUtf8("Müller € Ł");
    QTest::newRow("UTF-8 mark: ASCII names ignore case")
        << QByteArray("\xEF\xBB\xBF[Allgemein]\nDatum=1\n") << "ALLGEMEIN"
        << "datum"
        << "1";
    QTest::newRow("mark elsewhere is text")
        << QByteArray("[s]\nk=\xEF\xBB\xBFx\n") << s << k << QString::fromUtf8("ï»¿x");
    QTest::newRow("unclosed header changes nothing") << QByteArray("[s]\n[t\nk=1\n") << s << k << "1";
}

void TestPlatformShell::iniValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const QString path = m_dir->filePath(QStringLiteral("lizenzdaten.ini"));
    QVERIFY(writeAll(path, content));
    const IniFile ini(path);
    QVERIFY(ini.exists());
    QCOMPARE(ini.value(section, key, missing), expected);
    QCOMPARE(IniFile::read(path, section, key, missing), expected);
}

void TestPlatformShell::iniMissingFileGivesFallback()
{
    for (const QString& path :
         {m_dir->filePath(QStringLiteral("gibtesnicht.ini")), m_dir->path(), QString()}) {
        const IniFile ini(path);
        QVERIFY2(!ini.exists(), qPrintable(path));
        QCOMPARE(ini.value(QStringLiteral("allgemein"), QStringLiteral("datum"), QStringLiteral("Fehler")),
                 QStringLiteral("Fehler"));
        QCOMPARE(ini.value(QStringLiteral("allgemein"), QStringLiteral("datum")), QString());
    }
}

// A downloaded licence file must apply from the next lookup: the static read goes to the
// disk each time, an IniFile object answers from what it read.
void TestPlatformShell::iniObjectKeepsTheTextItRead()
{
    const QString path = m_dir->filePath(QStringLiteral("lizenzdaten.ini"));
    QVERIFY(writeAll(path, "[allgemein]\r\ndatum=01.09.2012\r\n"));
    const IniFile before(path);
    QVERIFY(writeAll(path, "[allgemein]\r\ndatum=07.12.2026\r\n"));
    QCOMPARE(before.value(QStringLiteral("allgemein"), QStringLiteral("datum")),
             QStringLiteral("01.09.2012"));
    QCOMPARE(IniFile::read(path, QStringLiteral("allgemein"), QStringLiteral("datum")),
             QStringLiteral("07.12.2026"));
}

// The size of a real licence file: lookups at its start, middle and end, and a key that only a
// repeated section at the very end supplies.
void TestPlatformShell::iniLargeLicenceFile()
{
    constexpr int count = 100000;
    QByteArray text = "[allgemein]\r\ndatum=07.12.2026\r\n";
    text.reserve(count * 80);
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(530000000 + i);
        text += "[" + n + "]\r\nvorname=V" + n +
                "\r\nnachname=M\xfcller\r\nstatus=A\r\njahrgang=" + QByteArray::number(1950 + i % 60) +
                "\r\n";
    }
    text += "[ALLGEMEIN]\r\nquelle=Verband\r\n";
    const QString path = m_dir->filePath(QStringLiteral("lizenzdaten.ini"));
    QVERIFY(writeAll(path, text));

    const IniFile ini(path);
    QCOMPARE(ini.value(QStringLiteral("allgemein"), QStringLiteral("datum")), QStringLiteral("07.12.2026"));
    QCOMPARE(ini.value(QStringLiteral("allgemein"), QStringLiteral("quelle")), QStringLiteral("Verband"));
    QCOMPARE(ini.value(QStringLiteral("530000000"), QStringLiteral("vorname")), QStringLiteral("V530000000"));
    QCOMPARE(ini.value(QStringLiteral("530050000"), QStringLiteral("jahrgang")), QStringLiteral("1970"));
    const QString last = QString::number(530000000 + count - 1);
    QCOMPARE(ini.value(last, QStringLiteral("vorname")), QLatin1Char('V') + last);
    QCOMPARE(ini.value(last, QStringLiteral("nachname")), QString::fromUtf8("Müller"));
    QCOMPARE(ini.value(QStringLiteral("1"), QStringLiteral("vorname"), missing), missing);
}

void TestPlatformShell::unknownFamilyIsNotInstalled()
{
    QVERIFY(!FontInstaller::isInstalled(QStringLiteral("VantorGibtEsNicht")));
    QVERIFY(!FontInstaller::isInstalled(QString()));
}

void TestPlatformShell::addRefusesWhatIsNoFont_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << QStringLiteral("fehlt.ttf") << QByteArray();
    QTest::newRow("text under a font name") << QStringLiteral("kaputt.ttf") << QByteArray("keine Schrift\n");
    QTest::newRow("empty file") << QStringLiteral("leer.ttf") << QByteArray("");
}

void TestPlatformShell::addRefusesWhatIsNoFont()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString path = m_dir->filePath(name);
    if (!content.isNull())
        QVERIFY(writeAll(path, content));
    QCOMPARE(FontInstaller::add(path), -1);
}

void TestPlatformShell::shippedFontAddsAndRemovesItsFamily()
{
    const QString family = QStringLiteral("MonospaceTypewriter");
    const QString path = QFINDTESTDATA("../../resources/fonts/MonospaceTypewriter.ttf");
    QVERIFY(!path.isEmpty());
    if (FontInstaller::isInstalled(family))
        QSKIP("MonospaceTypewriter is installed on this system; adding it would prove nothing");

    const int id = FontInstaller::add(path);
    QVERIFY(id >= 0);
    // The renamed copy must not present the original's reserved name.
    QCOMPARE(QFontDatabase::applicationFontFamilies(id), QStringList{family});
    for (const QString& spelling : {family, family.toLower(), family.toUpper()})
        QVERIFY2(FontInstaller::isInstalled(spelling), qPrintable(spelling));

    // The scoring strings line up column by column only when every character they hold has
    // the same advance (the face does not set the fixed-pitch flag, so it is measured).
    const QFont font(family, 20);
    QCOMPARE(QFontInfo(font).family(), family);
    const QFontMetricsF metrics(font);
    const qreal blank = metrics.horizontalAdvance(QLatin1Char(' '));
    QVERIFY(blank > 0);
    for (const QChar c : QString::fromUtf8("12345PVSÜGDQ"))
        QCOMPARE(metrics.horizontalAdvance(c), blank);

    FontInstaller::remove(id);
    QVERIFY(!FontInstaller::isInstalled(family));
}

void TestPlatformShell::wineTahomaStandsForTahoma()
{
    const QString tahoma = QStringLiteral("Tahoma");
    // A folder without the files changes nothing.
    QVERIFY(FontInstaller::addTahoma(m_dir->path()).isEmpty());
    if (FontInstaller::isInstalled(tahoma))
        QSKIP("a Tahoma is installed on this system; Wine's is not added over it");
    if (!QFile::exists(QLatin1String(FontInstaller::wineFonts) + QStringLiteral("/tahoma.ttf")))
        QSKIP("Wine's Tahoma is not installed (Debian fonts-wine, scripts/setup.sh)");

    const QList<int> ids = FontInstaller::addTahoma();
    QCOMPARE(ids.size(), 1);
    // A line as tall as Windows makes it, at a label's 8 pt as at any size: the Windows ascent
    // and descent, 2049 + 423 of the face's 2048 units to the em, not its typographic
    // 1566 + 423 (+ 59 leading), nor the line of its small bitmaps.
    for (int pixels : {11, 200}) {
        QFont em(tahoma);
        em.setPixelSize(pixels);
        const QFontMetricsF lines(em);
        const qreal slack = qMax(0.6, 0.01 * pixels);
        QVERIFY2(qAbs(lines.ascent() - pixels * 2049 / 2048.0) < slack &&
                     qAbs(lines.descent() - pixels * 423 / 2048.0) < slack &&
                     qAbs(lines.lineSpacing() - pixels * 2472 / 2048.0) < slack,
                 qPrintable(QStringLiteral("%1 px: %2 %3 %4")
                                .arg(pixels)
                                .arg(lines.ascent())
                                .arg(lines.descent())
                                .arg(lines.lineSpacing())));
    }
    // Bold must look bold, at a label's size as at the scoreboard's team points (55 pt): its
    // strokes cover clearly more of the picture than the regular ones.
    for (int pixels : {11, 40, 73}) {
        QFont font;
        font.setFamilies({tahoma, QStringLiteral("Liberation Sans")});
        font.setPixelSize(pixels);
        auto ink = [&font](bool bold) {
            QFont f = font;
            f.setBold(bold);
            QImage image(8 * font.pixelSize(), 2 * font.pixelSize(), QImage::Format_Grayscale8);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(f);
            painter.drawText(QPointF(5, 1.5 * font.pixelSize()), QStringLiteral("Illi 07"));
            painter.end();
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    dark += qGray(image.pixel(x, y)) < 128;
            return dark;
        };
        QCOMPARE(QFontInfo(font).family(), tahoma);
        font.setBold(true);
        QCOMPARE(QFontInfo(font).family(), tahoma);
        font.setBold(false);
        const int regular = ink(false), bold = ink(true);
        QVERIFY2(bold > 1.3 * regular,
                 qPrintable(QStringLiteral("%1 px: %2 %3").arg(pixels).arg(bold).arg(regular)));
    }
    for (int id : ids)
        FontInstaller::remove(id);
    QVERIFY(!FontInstaller::isInstalled(tahoma));
}

void TestPlatformShell::openerIsNotAskedForMissingDocument()
{
    for (const QString& path : {m_dir->filePath(QStringLiteral("hilfe.pdf")), m_dir->path(), QString()})
        QVERIFY2(!openDocument(path), qPrintable(path));
    QVERIFY(m_opened.isEmpty());
}

void TestPlatformShell::openerGetsTheFileUrl_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << QStringLiteral("hilfe.pdf");
    QTest::newRow("blanks") << QStringLiteral("Hilfe zum Programm.pdf");
    QTest::newRow("umlauts and euro") << QString::fromUtf8("Übersicht € #1.pdf");
}

void TestPlatformShell::openerGetsTheFileUrl()
{
    QFETCH(QString, name);
    const QString path = m_dir->filePath(name);
    QVERIFY(writeAll(path, "%PDF-1.4\n"));
    QVERIFY(openDocument(path));
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(m_opened.first().isLocalFile());
    QCOMPARE(m_opened.first().toLocalFile(), QFileInfo(path).absoluteFilePath());
}

void TestPlatformShell::relativePathBecomesAbsoluteUrl()
{
    QVERIFY(writeAll(m_dir->filePath(QStringLiteral("hilfe.pdf")), "%PDF-1.4\n"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    const bool opened = openDocument(QStringLiteral("hilfe.pdf"));
    QDir::setCurrent(previous);
    QVERIFY(opened);
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(QFileInfo(m_opened.first().toLocalFile()).canonicalFilePath(),
             QFileInfo(m_dir->filePath(QStringLiteral("hilfe.pdf"))).canonicalFilePath());
    QVERIFY(QDir::isAbsolutePath(m_opened.first().toLocalFile()));
}

void TestPlatformShell::refusingDesktopGivesFalse()
{
    const QString path = m_dir->filePath(QStringLiteral("hilfe.pdf"));
    QVERIFY(writeAll(path, "%PDF-1.4\n"));
    int asked = 0;
    setDocumentOpenerForTests([&asked](const QUrl&) {
        ++asked;
        return false;
    });
    QVERIFY(!openDocument(path));
    QCOMPARE(asked, 1);
}

QTEST_MAIN(TestPlatformShell)
#include "tst_platform_shell.moc"
