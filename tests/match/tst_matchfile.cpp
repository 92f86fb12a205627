#include "match/GridRules.h"
#include "match/MatchFile.h"
#include "match/MatchRecord.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "shell/Console.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "support/TestSupport.h"

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

namespace {

const QByteArray kSkeleton =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><erstellt>07.12.2026</erstellt></info>"
    "<kaempfe><kampf1/></kaempfe></mk>";

QDomDocument parse(const QString& path)
{
    QDomDocument d;
    d.setContent(XmlDocument::decodeFile(readAll(path)));
    return d;
}

} // namespace

class TestMatchFile : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void roundTripKeepsEveryFieldAndCell();
    void nonLatin1NamesSurviveSaveAndReload();
    void newFileSavedBeforeLoadWritesTableOrder();
    void loadCreatesMissingElementsInReaderOrder();
    void scoringStringsStoreBlanksAsHash();
    void remarksLineBreaksInAnyCase();
    void cutLineUpDropsBoutElements();
    void gapInBoutElementsReadsEmptyRowAndIsRepaired();
    void radioValues_data();
    void radioValues();
    void openFileStateAndSummary();
    void foreignElementsSurviveOutsideKaempfe();
    void openingWritesNothing();
    void failedOpenLeavesOpenMatch_data();
    void failedOpenLeavesOpenMatch();
    void foreignNamesKeepTheFileReadable();
    void blankValuesComeBack_data();
    void blankValuesComeBack();
    void manyBoutsOpenAndSaveByName();
    void emptyKaempfeOpensWithOneEmptyRow();
    void failedSaveKeepsContentForNextSave();
    void fullDiskKeepsPreviousFile();
    void noOpenMatchWritesNothingButSaysSo();
    void saveKeepsFileMode_data();
    void saveKeepsFileMode();
    void numberBouts_data();
    void numberBouts();
    void numberBoutsStopsAtNonInteger();

private:
    QString newFile(const QByteArray& content = kSkeleton,
                    const QString& name = QStringLiteral("Heim-Gast.ptlx"));

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMatchFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestMatchFile::newFile(const QByteArray& content, const QString& name)
{
    const QString path = m_dir->filePath(name);
    if (!writeAll(path, content))
        QTest::qFail("the test file cannot be written", __FILE__, __LINE__);
    return path;
}

void TestMatchFile::roundTripKeepsEveryFieldAndCell()
{
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    QCOMPARE(rec.rowCount(), 2);

    for (const QString& f : MatchFields::editableHeaderFields())
        rec.setHeader(f, MatchFields::isRadio(f) ? QStringLiteral("1") : f + QStringLiteral(" <&> äöü"));
    rec.setHeader(QStringLiteral("bemerkungen"), QStringLiteral("Zeile eins\r\nZeile <zwei>"));
    rec.setRowCount(4);
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < MatchFields::ColumnCount; ++c)
            rec.setCell(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
    rec.setCell(MatchFields::ColWertungenRot, 2, QStringLiteral("2 1 "));
    rec.setCell(MatchFields::ColWertungenBlau, 2, QStringLiteral(" 4 P"));
    rec.setCell(MatchFields::ColZeiten, 2, QStringLiteral("0:12;1:05;"));
    file.saveall();

    MatchRecord back;
    MatchFile reader(back);
    reader.open(path);
    QCOMPARE(back.rowCount(), 4);
    for (const QString& f : MatchFields::editableHeaderFields())
        QCOMPARE(back.header(f), rec.header(f));
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < MatchFields::ColumnCount; ++c)
            QCOMPARE(back.cell(c, r), rec.cell(c, r));
    QCOMPARE(parse(path)
                 .documentElement()
                 .firstChildElement(QStringLiteral("info"))
                 .firstChildElement(QStringLiteral("erstellt"))
                 .text(),
             QStringLiteral("07.12.2026"));
}

void TestMatchFile::nonLatin1NamesSurviveSaveAndReload()
{
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    const QString names[] = {QStringLiteral("Őrs Kovács"), QStringLiteral("Łukasz Wąsik"),
                             QStringLiteral("Çağlar Şahin"), QStringLiteral("Preis 5 €")};
    rec.setHeader(QStringLiteral("heim"), names[0]);
    rec.setCell(MatchFields::ColVornRot, 1, names[1]);
    rec.setCell(MatchFields::ColVornBlau, 1, names[2]);
    rec.setHeader(QStringLiteral("bemerkungen"), names[3]);
    file.saveall();
    const QByteArray bytes = readAll(path);
    QVERIFY(!bytes.contains("?rs"));
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"iso-8859-1\""));

    MatchRecord back;
    MatchFile reader(back);
    reader.open(path);
    QCOMPARE(back.header(QStringLiteral("heim")), names[0]);
    QCOMPARE(back.cell(MatchFields::ColVornRot, 1), names[1]);
    QCOMPARE(back.cell(MatchFields::ColVornBlau, 1), names[2]);
    QCOMPARE(back.header(QStringLiteral("bemerkungen")), names[3]);
}

void TestMatchFile::newFileSavedBeforeLoadWritesTableOrder()
{
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = m_dir->filePath(QStringLiteral("neu.ptlx"));
    file.adoptDocument(path, QString::fromLatin1(kSkeleton));
    file.saveall();
    const QDomElement info = parse(path).documentElement().firstChildElement(QStringLiteral("info"));
    QCOMPARE(childNames(info), MatchFields::headerFields());
    QCOMPARE(info.firstChildElement(QStringLiteral("altersklasse")).text(), QStringLiteral("0"));
}

void TestMatchFile::loadCreatesMissingElementsInReaderOrder()
{
    MatchRecord rec;
    rec.setHeader(QStringLiteral("altersklasse"), QStringLiteral("2"));
    rec.setHeader(QStringLiteral("heim"), QStringLiteral("alt"));
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    QCOMPARE(rec.header(QStringLiteral("heim")), QString());
    QCOMPARE(rec.header(QStringLiteral("altersklasse")), QStringLiteral("2"));
    rec.setHeader(QStringLiteral("ort"), QStringLiteral("Adelsheim"));
    file.saveall();
    const QDomElement info = parse(path).documentElement().firstChildElement(QStringLiteral("info"));
    const QStringList expected = {"erstellt",
                                  "heim",
                                  "gast",
                                  "datum",
                                  "liga",
                                  "ort",
                                  "halle",
                                  "ml",
                                  "mp",
                                  "pr",
                                  "zeitnehmer",
                                  "protokollfuehrer",
                                  "punktzettel",
                                  "mannschaftsfuehrer_heim",
                                  "mannschaftsfuehrer_gast",
                                  "verhalten_ringer",
                                  "verhalten_zuschauer",
                                  "zuschauer",
                                  "ordner1",
                                  "ordner2",
                                  "pause",
                                  "beginn",
                                  "ende",
                                  "bemerkungen",
                                  "punktfreund",
                                  "vorrueck",
                                  "altersklasse"};
    QCOMPARE(childNames(info), expected);
    QCOMPARE(info.firstChildElement(QStringLiteral("ort")).text(), QStringLiteral("Adelsheim"));
    QCOMPARE(info.firstChildElement(QStringLiteral("altersklasse")).text(), QStringLiteral("2"));
}

void TestMatchFile::scoringStringsStoreBlanksAsHash()
{
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    rec.setCell(MatchFields::ColWertungenRot, 1, QStringLiteral("2 1"));
    rec.setCell(MatchFields::ColWertungenBlau, 1, QStringLiteral(" 4 "));
    rec.setCell(MatchFields::ColZeiten, 1, QStringLiteral("0:10; 1:00;"));
    rec.setCell(MatchFields::ColNachnRot, 1, QStringLiteral("van der Berg"));
    file.saveall();
    const QDomElement k =
        parse(path).documentElement().firstChildElement(QStringLiteral("kaempfe")).firstChildElement();
    QCOMPARE(k.firstChildElement(QStringLiteral("wertungenrot")).text(), QStringLiteral("2#1"));
    QCOMPARE(k.firstChildElement(QStringLiteral("wertungenblau")).text(), QStringLiteral("#4#"));
    QCOMPARE(k.firstChildElement(QStringLiteral("zeiten")).text(), QStringLiteral("0:10; 1:00;"));
    QCOMPARE(k.firstChildElement(QStringLiteral("nachnrot")).text(), QStringLiteral("van der Berg"));

    // "#" only means a blank in the two scoring strings.
    writeAll(path, "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info/><kaempfe><kampf1>"
                   "<wertungenrot>#2#</wertungenrot><zeiten>#1</zeiten><nachnrot>A#B</nachnrot></kampf1></"
                   "kaempfe></mk>");
    file.open(path);
    QCOMPARE(rec.cell(MatchFields::ColWertungenRot, 1), QStringLiteral(" 2 "));
    QCOMPARE(rec.cell(MatchFields::ColZeiten, 1), QStringLiteral("#1"));
    QCOMPARE(rec.cell(MatchFields::ColNachnRot, 1), QStringLiteral("A#B"));
}

void TestMatchFile::remarksLineBreaksInAnyCase()
{
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    rec.setHeader(QStringLiteral("bemerkungen"), QStringLiteral("eins\r\nzwei"));
    file.saveall();
    QVERIFY(readAll(path).contains("<bemerkungen>eins&lt;br>zwei</bemerkungen>") ||
            readAll(path).contains("<bemerkungen>eins&lt;br&gt;zwei</bemerkungen>"));

    // Raw line breaks another program left in the file are memo lines too, the same after a save.
    writeAll(path,
             "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><bemerkungen>a&lt;BR&gt;b&lt;Br&gt;c"
             "\r\nd\re&#13;f</bemerkungen></info><kaempfe><kampf1/></kaempfe></mk>");
    const QString lines = QStringLiteral("a\r\nb\r\nc\r\nd\r\ne\r\nf");
    file.open(path);
    QCOMPARE(rec.header(QStringLiteral("bemerkungen")), lines);
    file.saveall();
    file.open(path);
    QCOMPARE(rec.header(QStringLiteral("bemerkungen")), lines);
}

void TestMatchFile::cutLineUpDropsBoutElements()
{
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    rec.setRowCount(15);
    for (int r = 1; r <= 14; ++r)
        rec.setCell(MatchFields::ColReihenfolge, r, QString::number(r));
    file.saveall();
    QCOMPARE(childNames(parse(path).documentElement().firstChildElement(QStringLiteral("kaempfe"))).size(),
             14);
    rec.setRowCount(11);
    file.saveall();
    QStringList expected;
    for (int r = 1; r <= 10; ++r)
        expected << QStringLiteral("kampf%1").arg(r);
    QCOMPARE(childNames(parse(path).documentElement().firstChildElement(QStringLiteral("kaempfe"))),
             expected);
    MatchRecord back;
    MatchFile reader(back);
    reader.open(path);
    QCOMPARE(back.rowCount(), 11);
    QCOMPARE(back.cell(MatchFields::ColReihenfolge, 10), QStringLiteral("10"));
}

void TestMatchFile::gapInBoutElementsReadsEmptyRowAndIsRepaired()
{
    const QString path = newFile("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info/><kaempfe>"
                                 "<kampf1><klasse>57</klasse></kampf1><kampf2><klasse>61</klasse></kampf2>"
                                 "<kampf4><klasse>75</klasse></kampf4><kampf1><klasse>dup</klasse></kampf1>"
                                 "</kaempfe></mk>");
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    // Four children counted, read by name: kampf1..kampf4, first of duplicates.
    QCOMPARE(rec.rowCount(), 5);
    QCOMPARE(rec.cell(MatchFields::ColKlasse, 1), QStringLiteral("57"));
    QCOMPARE(rec.cell(MatchFields::ColKlasse, 3), QString());
    QCOMPARE(rec.cell(MatchFields::ColKlasse, 4), QStringLiteral("75"));
    rec.setRowCount(4);
    file.saveall();
    const QDomElement kae = parse(path).documentElement().firstChildElement(QStringLiteral("kaempfe"));
    QCOMPARE(childNames(kae), (QStringList{"kampf1", "kampf2", "kampf3"}));
    QCOMPARE(
        kae.firstChildElement(QStringLiteral("kampf1")).firstChildElement(QStringLiteral("klasse")).text(),
        QStringLiteral("57"));
}

void TestMatchFile::radioValues_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("in range") << "1"
                              << "2"
                              << "1";
    QTest::newRow("beyond last") << "7"
                                 << "0"
                                 << "2";
    QTest::newRow("none chosen") << "-1"
                                 << "0"
                                 << "-1";
    QTest::newRow("below -1") << "-5"
                              << "1"
                              << "-1";
    QTest::newRow("empty keeps") << ""
                                 << "1"
                                 << "1";
}

void TestMatchFile::radioValues()
{
    QFETCH(QString, stored);
    QFETCH(QString, before);
    QFETCH(QString, after);
    const QString path =
        newFile("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><altersklasse>" +
                stored.toLatin1() + "</altersklasse></info><kaempfe><kampf1/></kaempfe></mk>");
    MatchRecord rec;
    rec.setHeader(QStringLiteral("altersklasse"), before);
    MatchFile file(rec);
    file.open(path);
    QCOMPARE(rec.header(QStringLiteral("altersklasse")), after);
    file.saveall();
    QCOMPARE(parse(path)
                 .documentElement()
                 .firstChildElement(QStringLiteral("info"))
                 .firstChildElement(QStringLiteral("altersklasse"))
                 .text(),
             after);
}

void TestMatchFile::openFileStateAndSummary()
{
    const QString path = newFile("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>KSV</heim>"
                                 "<gast>ASV</gast></info><kaempfe><kampf1/></kaempfe></mk>",
                                 QStringLiteral("KSV-ASV.ptlx"));
    NullSound sound;
    Console console(m_dir->path(), &sound);
    console.navigator().setKampfnr(QStringLiteral("3"));
    MatchFile& file = console.matchFile();
    QSignalSpy summary(&file, &MatchFile::summaryChanged);
    file.open(path);
    QCOMPARE(file.matchFileName(), path);
    QCOMPARE(file.pfaddateiname(), path);
    QCOMPARE(file.dateiname(), QStringLiteral("KSV-ASV.ptlx"));
    QCOMPARE(file.pfad(), QDir::toNativeSeparators(m_dir->path()) + QDir::separator());
    QCOMPARE(file.windowCaption(), QStringLiteral("VANTOR²: [KSV-ASV.ptlx]"));
    QCOMPARE(console.navigator().kampfnr(), QStringLiteral("0"));
    QCOMPARE(file.label42(), QStringLiteral(", "));
    QCOMPARE(file.label51(), QStringLiteral("KSV"));
    QCOMPARE(file.label52(), QStringLiteral("ASV"));
    QCOMPARE(summary.count(), 1);

    // Later edits and saves leave the summary as it was.
    console.record().setHeader(QStringLiteral("heim"), QStringLiteral("Neu"));
    file.saveall();
    QCOMPARE(file.label51(), QStringLiteral("KSV"));
}

void TestMatchFile::foreignElementsSurviveOutsideKaempfe()
{
    const QString path =
        newFile("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><extra>1</extra><info>"
                "<wetter>sonnig</wetter></info><kaempfe><kampf1/><notiz>x</notiz></kaempfe></mk>");
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    QCOMPARE(rec.rowCount(), 3); // two children of kaempfe, so two bouts
    rec.setRowCount(2);
    file.saveall();
    const QDomElement mk = parse(path).documentElement();
    QCOMPARE(mk.firstChildElement(QStringLiteral("extra")).text(), QStringLiteral("1"));
    QCOMPARE(mk.firstChildElement(QStringLiteral("info")).firstChildElement(QStringLiteral("wetter")).text(),
             QStringLiteral("sonnig"));
    QCOMPARE(childNames(mk.firstChildElement(QStringLiteral("kaempfe"))),
             QStringList{QStringLiteral("kampf1")});
}

void TestMatchFile::openingWritesNothing()
{
    const QByteArray content =
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><punktfreund>1</punktfreund>"
        "</info><kaempfe/></mk>";
    const QString path = newFile(content);
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    QCOMPARE(readAll(path), content);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("Heim-Gast.ptlx")});
}

void TestMatchFile::failedOpenLeavesOpenMatch_data()
{
    QTest::addColumn<QByteArray>("content"); // written as kaputt.ptlx unless null
    QTest::addColumn<QString>("named");      // what the message must name besides the file
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>B</heim>";
    QByteArray bouts = head + "</info><kaempfe>";
    for (int i = 0; i <= MatchFile::kMaxBouts; ++i)
        bouts += "<a/>";
    QByteArray deep = head + "</info>";
    for (int i = 0; i < XmlDocument::kMaxDepth; ++i)
        deep += "<x>";

    QTest::newRow("malformed") << QByteArray("<?xml version=\"1.0\"?><mk><info></mk>") << "kein gültiges XML";
    QTest::newRow("not xml") << QByteArray("\x89PNG\r\n") << "kein gültiges XML";
    QTest::newRow("empty") << QByteArray("") << "kein gültiges XML";
    QTest::newRow("missing") << QByteArray() << "kann nicht geöffnet werden";
    QTest::newRow("settings file") << QByteArray("<settings><version>1</version></settings>")
                                   << "keine Kampfdatei";
    QTest::newRow("radio no number")
        << head + "<punktfreund>1</punktfreund><vorrueck>x</vorrueck></info><kaempfe>"
                  "<kampf1><vornrot>Z</vornrot></kampf1></kaempfe></mk>"
        << "Feld „vorrueck“ enthält „x“";
    QTest::newRow("too many bouts") << bouts + "</kaempfe></mk>"
                                    << "10001 Kämpfe";
    QTest::newRow("far too large") << head + QByteArray(int(XmlDocument::kMaxFileBytes), ' ') << "zu groß";
    QTest::newRow("too deep") << deep << "zu tief verschachtelt";
}

void TestMatchFile::failedOpenLeavesOpenMatch()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, named);
    MatchRecord rec;
    MatchFile file(rec);
    const QString good = newFile(kSkeleton, QStringLiteral("gut.ptlx"));
    file.open(good);
    rec.setHeader(QStringLiteral("heim"), QStringLiteral("A"));
    rec.setRowCount(4);
    rec.setCell(MatchFields::ColVornRot, 2, QStringLiteral("Anna"));
    file.saveall();
    const QString bad = m_dir->filePath(QStringLiteral("kaputt.ptlx"));
    if (!content.isNull())
        QVERIFY(writeAll(bad, content));
    QSignalSpy opened(&file, &MatchFile::openFileChanged);
    QSignalSpy summary(&file, &MatchFile::summaryChanged);

    for (MatchFile* f : {&file, static_cast<MatchFile*>(nullptr)}) {
        MatchRecord none;
        MatchFile closed(none);
        MatchFile& target = f ? *f : closed;
        try {
            target.open(bad);
            QFAIL("no exception");
        } catch (const UserError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("„kaputt.ptlx“")) && e.message().contains(named),
                     qPrintable(e.message()));
        }
        // With nothing open before, nothing is open after.
        QCOMPARE(closed.matchFileName(), QString());
        QVERIFY(!closed.isOpen());
    }
    QCOMPARE(file.matchFileName(), good);
    QVERIFY(file.isOpen());
    QCOMPARE(opened.count(), 0);
    QCOMPARE(summary.count(), 0);
    QCOMPARE(rec.header(QStringLiteral("heim")), QStringLiteral("A"));
    QCOMPARE(rec.header(QStringLiteral("punktfreund")), QStringLiteral("0"));
    QCOMPARE(rec.rowCount(), 4);
    QCOMPARE(rec.cell(MatchFields::ColVornRot, 2), QStringLiteral("Anna"));

    // Later edits reach the file that stayed open; the broken one is never written.
    rec.setHeader(QStringLiteral("gast"), QStringLiteral("G"));
    file.saveall();
    QVERIFY(readAll(good).contains("<gast>G</gast>"));
    QVERIFY(readAll(good).contains("<vornrot>Anna</vornrot>"));
    QCOMPARE(QFile::exists(bad), !content.isNull());
    if (!content.isNull())
        QCOMPARE(readAll(bad), content);
}

void TestMatchFile::foreignNamesKeepTheFileReadable()
{
    // Another tool's name outside Latin-1: the file is then written as UTF-8, and says so.
    const QString path = newFile("<?xml version=\"1.0\" encoding=\"UTF-8\"?><mk><info><halle_\xc5\x81>Nord"
                                 "</halle_\xc5\x81></info><kaempfe><kampf1/></kaempfe></mk>");
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    rec.setHeader(QStringLiteral("heim"), QStringLiteral("Müller € Ω"));
    file.saveall();
    QVERIFY(readAll(path).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>"));
    MatchRecord back;
    MatchFile reader(back);
    reader.open(path);
    QCOMPARE(back.header(QStringLiteral("heim")), QStringLiteral("Müller € Ω"));
    QCOMPARE(
        parse(path).documentElement().firstChildElement().firstChildElement(QStringLiteral("halle_Ł")).text(),
        QStringLiteral("Nord"));
}

void TestMatchFile::blankValuesComeBack_data()
{
    QTest::addColumn<QString>("field"); // a header field, or a column number
    QTest::addColumn<QString>("value");
    QTest::newRow("header field") << "heim"
                                  << " ";
    QTest::newRow("referee") << "ml"
                             << " ";
    QTest::newRow("remarks") << "bemerkungen"
                             << "   ";
    QTest::newRow("first name") << "3"
                                << " ";
    QTest::newRow("tab and blank") << "11"
                                   << "\t ";
    QTest::newRow("scoring string") << "20"
                                    << "  ";
}

void TestMatchFile::blankValuesComeBack()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    bool isColumn = false;
    const int column = field.toInt(&isColumn);
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    if (isColumn)
        rec.setCell(column, 1, value);
    else
        rec.setHeader(field, value);
    file.saveall();

    MatchRecord back;
    MatchFile reader(back);
    reader.open(path);
    QCOMPARE(isColumn ? back.cell(column, 1) : back.header(field), value);
}

void TestMatchFile::manyBoutsOpenAndSaveByName()
{
    // 8,000 bouts stored last to first: each is found by its name, once.
    constexpr int n = 8000;
    QByteArray content = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info/><kaempfe>";
    for (int r = n; r >= 1; --r)
        content += "<kampf" + QByteArray::number(r) + "><vornrot>V" + QByteArray::number(r) +
                   "</vornrot><reihenfolge>" + QByteArray::number(r) + "</reihenfolge></kampf" +
                   QByteArray::number(r) + ">";
    const QString path = newFile(content + "</kaempfe></mk>");
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    QCOMPARE(rec.rowCount(), n + 1);
    for (int r : {1, 2, 4711, n})
        QCOMPARE(rec.cell(MatchFields::ColVornRot, r), QStringLiteral("V%1").arg(r));
    rec.setRowCount(n);
    rec.setCell(MatchFields::ColVornRot, 1, QStringLiteral("Erster"));
    file.saveall();

    MatchRecord back;
    MatchFile reader(back);
    reader.open(path);
    QCOMPARE(back.rowCount(), n);
    QCOMPARE(back.cell(MatchFields::ColVornRot, 1), QStringLiteral("Erster"));
    QCOMPARE(back.cell(MatchFields::ColReihenfolge, n - 1), QString::number(n - 1));
    QCOMPARE(childNames(parse(path).documentElement().firstChildElement(QStringLiteral("kaempfe"))).first(),
             QStringLiteral("kampf%1").arg(n - 1));
}

void TestMatchFile::emptyKaempfeOpensWithOneEmptyRow()
{
    const QString path = newFile("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><info><heim>H</heim>"
                                 "<altersklasse>1</altersklasse></info><kaempfe></kaempfe></mk>");
    MatchRecord rec;
    rec.setCell(MatchFields::ColKlasse, 1, QStringLiteral("alt"));
    MatchFile file(rec);
    file.open(path);
    QCOMPARE(rec.rowCount(), 2);
    QCOMPARE(rec.cell(MatchFields::ColKlasse, 1), QString());
    QCOMPARE(rec.header(QStringLiteral("altersklasse")), QStringLiteral("1"));
    file.saveall();
    QCOMPARE(childNames(parse(path).documentElement().firstChildElement(QStringLiteral("kaempfe"))),
             QStringList{QStringLiteral("kampf1")});
}

void TestMatchFile::failedSaveKeepsContentForNextSave()
{
    const QString folder = m_dir->filePath(QStringLiteral("halle"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/m.ptlx");
    QVERIFY(writeAll(path, kSkeleton));
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    rec.setHeader(QStringLiteral("heim"), QStringLiteral("KSV"));
    QVERIFY(QDir(folder).removeRecursively());
    try {
        file.saveall();
        QFAIL("no exception");
    } catch (const UserError& e) {
        QVERIFY(e.message().startsWith(QStringLiteral("Die Datei „m.ptlx“ kann nicht gespeichert werden")));
    }
    QVERIFY(file.isOpen());
    QVERIFY(QDir().mkdir(folder));
    file.saveDocument(); // what the failed save put into the document reaches the file
    QVERIFY(readAll(path).contains("<heim>KSV</heim>"));
}

void TestMatchFile::fullDiskKeepsPreviousFile()
{
#ifdef Q_OS_LINUX
    MatchRecord rec;
    MatchFile file(rec);
    const QString path = newFile();
    file.open(path);
    rec.setHeader(QStringLiteral("heim"), QStringLiteral("KSV"));
    file.saveall();
    const QByteArray before = readAll(path);

    // A file size limit makes every write past it fail as a full disk would, even for root.
    rec.setHeader(QStringLiteral("bemerkungen"), QString(4000, QLatin1Char('x')));
    struct rlimit old
    {
    };
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 2048;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    bool failed = false;
    try {
        file.saveall();
    } catch (const UserError& e) {
        // The cause is named; Qt's own writer said "kein Fehler" here.
        failed =
            e.message().contains(QStringLiteral("kann nicht gespeichert werden: die Datei würde größer, als "
                                                "das System erlaubt"));
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(failed);
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Heim-Gast.ptlx")});
    file.saveDocument();
    QVERIFY(readAll(path).contains(QByteArray(4000, 'x')));
#else
    QSKIP("file size limits are a Linux facility");
#endif
}

void TestMatchFile::noOpenMatchWritesNothingButSaysSo()
{
    MatchRecord rec;
    MatchFile file(rec);
    file.saveall();
    file.savematch(1);
    QVERIFY_THROWS_EXCEPTION(UserError, file.saveDocument());
    // Once something was typed, a save with nowhere to go is no longer silent.
    rec.setHeader(QStringLiteral("heim"), QStringLiteral("KSV"));
    try {
        file.saveall();
        QFAIL("no exception");
    } catch (const UserError& e) {
        QVERIFY(e.message().startsWith(QStringLiteral("Es ist keine Kampfdatei geöffnet")));
    }
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    QVERIFY(file.matchFileName().isEmpty());
}

// The club's match file keeps its permissions over every save: private stays private, a file
// shared with the group stays writable for it. A file its owner may not write (a finished match
// the operator protected) is never replaced, not even by root; the match stays open with its
// edits, and once the protection is lifted the next save writes them. A file opened through a
// symbolic link is saved into the file the link points to, and the link stays a link.
void TestMatchFile::saveKeepsFileMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("via"); // how the file is opened: by its name, or through a link
    QTest::newRow("private") << 0600 << true << "";
    QTest::newRow("group-writable") << 0664 << true << "";
    QTest::newRow("write-protected") << 0444 << false << "";
    QTest::newRow("private, write-protected") << 0400 << false << "";
    QTest::newRow("only the group may write") << 0464 << false << "";
    QTest::newRow("through a link") << 0644 << true << "link";
    QTest::newRow("through a relative link") << 0600 << true << "relative link";
    QTest::newRow("through a link to a link") << 0664 << true << "link to a link";
    QTest::newRow("write-protected, through a link") << 0444 << false << "link";
}

void TestMatchFile::saveKeepsFileMode()
{
    QFETCH(int, mode);
    QFETCH(bool, writable);
    QFETCH(QString, via);
    const QString target = newFile();
    const QByteArray native = QFile::encodeName(target);
    QString path = target;
    if (!via.isEmpty()) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("halle")));
        path = m_dir->filePath(QStringLiteral("halle/Kampf.ptlx"));
        QByteArray points = via == QLatin1String("link") ? native : QByteArray("../Heim-Gast.ptlx");
        if (via == QLatin1String("link to a link")) {
            QCOMPARE(
                ::symlink("Heim-Gast.ptlx", QFile::encodeName(m_dir->filePath("zwischen.ptlx")).constData()),
                0);
            points = "../zwischen.ptlx";
        }
        QCOMPARE(::symlink(points.constData(), QFile::encodeName(path).constData()), 0);
    }
    // Every entry below the folder, a link with what it says, so that a link replaced by a
    // file, a changed link or a temporary file left behind shows.
    const auto linksAndFolders = [this] {
        QStringList out;
        QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString entry = it.next();
            char link[4096];
            const ssize_t n = ::readlink(QFile::encodeName(entry).constData(), link, sizeof link);
            out << QDir(m_dir->path()).relativeFilePath(entry) +
                       (n >= 0 ? QStringLiteral(" -> ") + QFile::decodeName(QByteArray(link, n)) : QString());
        }
        out.sort();
        return out;
    };
    const QStringList entries = linksAndFolders();
    QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);
    MatchRecord rec;
    MatchFile file(rec);
    file.open(path);
    const auto modeNow = [&native] {
        struct stat st
        {
        };
        return ::lstat(native.constData(), &st) == 0 ? QString::number(st.st_mode & 07777, 8) : QString();
    };
    for (const char* heim : {"KSV", "AC"}) {
        rec.setHeader(QStringLiteral("heim"), QString::fromLatin1(heim));
        const QByteArray before = readAll(target);
        try {
            file.saveall();
            QVERIFY(writable);
        } catch (const UserError& e) {
            QVERIFY2(!writable, qPrintable(e.message()));
            QCOMPARE(e.message(),
                     QStringLiteral("Die Datei „%1“ kann nicht gespeichert werden: die Datei ist "
                                    "schreibgeschützt (ihre Dateirechte erlauben kein Schreiben). "
                                    "Die bisherige Fassung bleibt unverändert.")
                         .arg(QFileInfo(path).fileName()));
            QCOMPARE(readAll(target), before);
            QVERIFY(file.isOpen());
            QVERIFY(file.hasUnsavedEdits());
        }
        QCOMPARE(readAll(target).contains("<heim>" + QByteArray(heim) + "</heim>"), writable);
        QCOMPARE(modeNow(), QString::number(mode, 8));
        QCOMPARE(linksAndFolders(), entries);
    }
    if (writable)
        return;
    QCOMPARE(::chmod(native.constData(), mode_t(mode | S_IWUSR)), 0);
    file.saveall();
    QVERIFY(readAll(target).contains("<heim>AC</heim>"));
    QVERIFY(!file.hasUnsavedEdits());
}

void TestMatchFile::numberBouts_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("gap takes next after highest above")
        << QStringList{"1", "", "2"} << QStringList{"1", "2", "2"};
    QTest::newRow("all empty") << QStringList{"", "", "", ""} << QStringList{"1", "2", "3", "4"};
    QTest::newRow("appended row") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", ""}
                                  << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
    QTest::newRow("numbers kept") << QStringList{"5", "", "3", ""} << QStringList{"5", "6", "3", "7"};
}

void TestMatchFile::numberBouts()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    MatchRecord rec;
    rec.setRowCount(int(before.size()) + 1);
    for (int r = 0; r < before.size(); ++r)
        rec.setCell(MatchFields::ColReihenfolge, r + 1, before[r]);
    GridRules::numberBouts(rec);
    for (int r = 0; r < after.size(); ++r)
        QCOMPARE(rec.cell(MatchFields::ColReihenfolge, r + 1), after[r]);
}

void TestMatchFile::numberBoutsStopsAtNonInteger()
{
    MatchRecord rec;
    rec.setRowCount(6);
    rec.setCell(MatchFields::ColReihenfolge, 3, QStringLiteral("x"));
    QVERIFY_THROWS_EXCEPTION(UserError, GridRules::numberBouts(rec));
    QCOMPARE(rec.cell(MatchFields::ColReihenfolge, 1), QStringLiteral("1"));
    QCOMPARE(rec.cell(MatchFields::ColReihenfolge, 2), QStringLiteral("2"));
    QCOMPARE(rec.cell(MatchFields::ColReihenfolge, 4), QString());
    QCOMPARE(rec.cell(MatchFields::ColReihenfolge, 5), QString());
}

QTEST_GUILESS_MAIN(TestMatchFile)
#include "tst_matchfile.moc"
