#include "platform/UserError.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

namespace {

const QString kAside = QStringLiteral("set.xml.defekt");
// As a replacement value: leave the element out.
const QString kMissing = QStringLiteral("<fehlt>");

// A file whose every value differs from the default (werbung1 is a removed advert).
const char kFull[] = R"(<?xml version="1.0"?>
<settings><anzeige><laufschrift>Hallo Halle</laufschrift><vorstellung>-1</vorstellung><skalierung>110</skalierung></anzeige>
<print><punktzettel><feld0/><feld1/><feld2/><feld3/><feld4/><feld5/><feld6/><feld7/></punktzettel></print>
<werbung><werbungen><werbung0><pfad>/w/a.jpg</pfad></werbung0><werbung1><pfad/></werbung1>
<werbung2><pfad>/w/c.jpg</pfad></werbung2></werbungen><modus>2</modus><zeit>45</zeit></werbung>
<tarvodir>/daten/tarvo</tarvodir><version>9.9</version><protokoll>1</protokoll></settings>)";

QDomElement at(QDomElement e, const QString& path)
{
    for (const QString& name : path.split(QLatin1Char('/')))
        e = e.firstChildElement(name);
    return e;
}

// kFull with single values replaced ("anzeige/vorstellung" → text, or kMissing).
QByteArray fullFile(const QHash<QString, QString>& replace = {})
{
    QDomDocument doc;
    doc.setContent(QByteArray(kFull));
    QDomElement felder = at(doc.documentElement(), QStringLiteral("print/punktzettel"));
    for (int i = 0; i < 8; ++i) {
        QDomElement f = felder.firstChildElement(QStringLiteral("feld%1").arg(i));
        for (const auto& [name, value] :
             {std::pair{"bezeichnung", QStringLiteral("f%1").arg(i)},
              std::pair{"xwert", QString::number(10 + i)}, std::pair{"ywert", QString::number(20 + i)}})
            f.appendChild(doc.createElement(QLatin1String(name))).appendChild(doc.createTextNode(value));
    }
    for (auto it = replace.begin(); it != replace.end(); ++it) {
        QDomElement e = at(doc.documentElement(), it.key());
        while (e.hasChildNodes())
            e.removeChild(e.firstChild());
        if (it.value() == kMissing)
            e.parentNode().removeChild(e);
        else
            e.appendChild(doc.createTextNode(it.value()));
    }
    return doc.toByteArray(-1);
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QDomElement storedRoot(const QString& path)
{
    QDomDocument doc;
    doc.setContent(readAll(path));
    return doc.documentElement();
}

// Every element below the root as "a/b/c", in document order.
QStringList elementPaths(const QDomElement& parent, const QString& prefix = {})
{
    QStringList out;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const QString p = prefix + e.tagName();
        out << p << elementPaths(e, p + QLatin1Char('/'));
    }
    return out;
}

QStringList newFileOrder()
{
    QStringList out = {"anzeige", "anzeige/laufschrift", "anzeige/vorstellung", "anzeige/skalierung",
                       "print",   "print/punktzettel"};
    for (int i = 0; i < 8; ++i) {
        const QString f = QStringLiteral("print/punktzettel/feld%1").arg(i);
        out << f << f + QStringLiteral("/bezeichnung") << f + QStringLiteral("/xwert")
            << f + QStringLiteral("/ywert");
    }
    return out << "werbung"
               << "werbung/werbungen"
               << "werbung/modus"
               << "werbung/zeit"
               << "tarvodir"
               << "version"
               << "protokoll";
}

// The message of the failure the call ends in, or an empty text when it ran through.
QString failure(const std::function<void()>& call)
{
    try {
        call();
    } catch (const UserError& e) {
        return e.message();
    }
    return {};
}

// loadset's nine reading steps, each as the value it puts into the settings.
const QList<std::function<QString(const Settings&)>> kSteps = {
    [](const Settings& s) { return s.tarvodir(); },
    [](const Settings& s) { return QString::number(s.protokoll()); },
    [](const Settings& s) {
        QString all;
        for (const auto& f : s.felder())
            all += f.bezeichnung + QLatin1Char(',') + f.xwert + QLatin1Char(',') + f.ywert + QLatin1Char(';');
        return all;
    },
    [](const Settings& s) { return s.zeit(); },
    [](const Settings& s) { return s.skalierung(); },
    [](const Settings& s) { return s.werbung().join(QLatin1Char('|')); },
    [](const Settings& s) { return QString::number(s.modus()); },
    [](const Settings& s) { return s.laufschrift(); },
    [](const Settings& s) { return QString::number(s.vorstellung()); },
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void firstStartKeepsDefaultsAndFirstSaveWritesEverything();
    void nothingIsSavedWhileNotReady();
    void everyValueRoundTripsAsUtf8();
    void storedAdvertListNeverShrinks();
    void loadedChoicesAnnounceTheirChange_data();
    void loadedChoicesAnnounceTheirChange();
    void introductionOption_data();
    void introductionOption();
    void loadedDocumentIsKept();
    void missingElementsAreAppendedToTheirParent();
    void faultyValueTakesItsDefault_data();
    void faultyValueTakesItsDefault();
    void unreadableFileIsLeftAlone_data();
    void unreadableFileIsLeftAlone();
    void declaredEncodingIsWritten_data();
    void declaredEncodingIsWritten();
    void blankValuesComeBack();
    void unparsableFileIsMovedAside_data();
    void unparsableFileIsMovedAside();
    void asideNameIsNeverReused();
    void damagedValuesStartSanely_data();
    void damagedValuesStartSanely();
    void failedSaveIsRetriedByTheNext();
    void writeProtectedFileIsNotReplaced();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_path;
};

void TestSettings::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_path = m_tmp->filePath(QStringLiteral("set.xml"));
}

void TestSettings::firstStartKeepsDefaultsAndFirstSaveWritesEverything()
{
    Settings s(m_path);
    QSignalSpy changes(&s, &Settings::changed);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QCOMPARE(changes.count(), 0);
    QVERIFY(!QFile::exists(m_path));

    s.setSettingsReady(true);
    s.saveset();
    QCOMPARE(elementPaths(storedRoot(m_path)), newFileOrder());
    QCOMPARE(storedRoot(m_path).tagName(), QStringLiteral("settings"));
    QVERIFY(readAll(m_path).startsWith("<?xml version=\"1.0\"?>"));
    const QList<std::pair<const char*, const char*>> defaults = {
        {"anzeige/laufschrift", "Herzlich Willkommen!"},
        {"anzeige/vorstellung", "0"},
        {"anzeige/skalierung", "100"},
        {"print/punktzettel/feld6/bezeichnung", "pzNameBlau"},
        {"print/punktzettel/feld6/xwert", "110"},
        {"print/punktzettel/feld6/ywert", "59"},
        {"werbung/modus", "-1"},
        {"werbung/zeit", "120"},
        {"tarvodir", "Doppelklick und Pfad zu Tarvo wählen"},
        {"version", VANTOR_VERSION},
        {"protokoll", "0"},
    };
    for (const auto& [element, value] : defaults)
        QCOMPARE(stored(m_path, QString::fromUtf8(element)), QString::fromUtf8(value));

    Settings again(m_path);
    QCOMPARE(failure([&] { again.loadset(); }), QString());
    for (const auto& step : kSteps)
        QCOMPARE(step(again), step(s));
}

void TestSettings::nothingIsSavedWhileNotReady()
{
    Settings s(m_path);
    s.loadset();
    s.setLaufschrift(QStringLiteral("neu"));
    s.saveset();
    QVERIFY(!QFile::exists(m_path));

    QVERIFY(writeBytes(m_path, fullFile()));
    Settings t(m_path);
    t.loadset();
    t.setLaufschrift(QStringLiteral("geändert"));
    t.saveset();
    QCOMPARE(readAll(m_path), fullFile());
}

void TestSettings::everyValueRoundTripsAsUtf8()
{
    Settings s(m_path);
    s.loadset();
    s.setSettingsReady(true);
    s.setLaufschrift(QStringLiteral("Grüße aus Köln – €5 <&> \"ŁÓDŹ\""));
    s.setVorstellung(true);
    s.setSkalierung(QStringLiteral("96"));
    for (int i = 0; i < 8; ++i)
        s.setFeld(i, {QStringLiteral("Feld ä%1").arg(i), QString::number(30 + i), QString::number(90 - i)});
    s.setWerbung({QStringLiteral("/bilder/Bäcker.jpg"), QStringLiteral("C:\\Werbung\\b.jpg")});
    s.setModus(1);
    s.setZeit(QStringLiteral("17"));
    s.setTarvodir(QStringLiteral("/mnt/Tarvo Daten"));
    s.setProtokoll(1);
    s.saveset();

    const QByteArray bytes = readAll(m_path);
    QVERIFY(!bytes.contains("encoding"));
    QVERIFY(bytes.contains(QStringLiteral("Grüße aus Köln – €5").toUtf8()));
    QVERIFY(!bytes.contains("&#"));

    Settings back(m_path);
    QCOMPARE(failure([&] { back.loadset(); }), QString());
    for (const auto& step : kSteps)
        QCOMPARE(step(back), step(s));
}

void TestSettings::storedAdvertListNeverShrinks()
{
    Settings s(m_path);
    s.loadset();
    s.setSettingsReady(true);
    s.setWerbung({QStringLiteral("/w/1.jpg"), QStringLiteral("/w/2.jpg"), QStringLiteral("/w/3.jpg")});
    s.saveset();
    s.setWerbung({QStringLiteral("/w/1.jpg"), QStringLiteral("/w/3.jpg")});
    s.saveset();

    QCOMPARE(stored(m_path, QStringLiteral("werbung/werbungen/werbung0/pfad")), QStringLiteral("/w/1.jpg"));
    QCOMPARE(stored(m_path, QStringLiteral("werbung/werbungen/werbung1/pfad")), QStringLiteral("/w/3.jpg"));
    QCOMPARE(stored(m_path, QStringLiteral("werbung/werbungen/werbung2/pfad")), QString());
    QCOMPARE(at(storedRoot(m_path), QStringLiteral("werbung/werbungen")).childNodes().count(), 3);

    Settings next(m_path);
    next.loadset();
    QCOMPARE(next.werbung(), QStringList({QStringLiteral("/w/1.jpg"), QStringLiteral("/w/3.jpg")}));
}

void TestSettings::loadedChoicesAnnounceTheirChange_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("announced"); // the new value, or -2 where it stays as it was

    QTest::newRow("Passnummer") << "protokoll"
                                << "1" << 1;
    QTest::newRow("Lizenznummer is the start value") << "protokoll"
                                                     << "0" << -2;
    QTest::newRow("empty choice is not read") << "protokoll"
                                              << "" << -2;
    QTest::newRow("advert mode") << "werbung/modus"
                                 << "1" << 1;
    QTest::newRow("no advert mode is the start value") << "werbung/modus"
                                                       << "-1" << -2;
}

void TestSettings::loadedChoicesAnnounceTheirChange()
{
    QFETCH(QString, element);
    QFETCH(QString, value);
    QFETCH(int, announced);
    QVERIFY(writeBytes(m_path, fullFile({{element, value}})));
    Settings s(m_path);
    QSignalSpy protokoll(&s, &Settings::protokollChanged);
    const int modusBefore = s.modus();
    QCOMPARE(failure([&] { s.loadset(); }), QString());

    if (element == QLatin1String("protokoll")) {
        QCOMPARE(protokoll.count(), announced == -2 ? 0 : 1);
        if (announced != -2)
            QCOMPARE(protokoll.at(0).at(0).toInt(), announced);
    } else {
        QCOMPARE(s.modus(), announced == -2 ? modusBefore : announced);
    }
}

void TestSettings::introductionOption_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("ticked");

    QTest::newRow("-1") << "-1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("other number") << "7" << true;
    QTest::newRow("True") << "True" << true;
    QTest::newRow("false") << "false" << false;
    QTest::newRow("TRUE") << "TRUE" << true;
    QTest::newRow("empty keeps the default") << "" << false;
}

void TestSettings::introductionOption()
{
    QFETCH(QString, value);
    QFETCH(bool, ticked);
    QVERIFY(writeBytes(m_path, fullFile({{QStringLiteral("anzeige/vorstellung"), value}})));
    Settings s(m_path);
    QSignalSpy spy(&s, &Settings::vorstellungChanged);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QCOMPARE(s.vorstellung(), ticked);
    QCOMPARE(spy.count(), ticked ? 1 : 0);

    s.setSettingsReady(true);
    s.saveset();
    QCOMPARE(stored(m_path, QStringLiteral("anzeige/vorstellung")),
             ticked ? QStringLiteral("-1") : QStringLiteral("0"));
}

void TestSettings::loadedDocumentIsKept()
{
    // A hand-edited file: its own declaration (Latin-1), an element of its own in front and one
    // inside a known element.
    QByteArray file = fullFile();
    file.replace("<?xml version='1.0'?>", "<?xml version='1.0' encoding='iso-8859-1'?>");
    file.replace("<settings>", "<settings><notiz art=\"hand\">bleibt</notiz>");
    file.replace("</anzeige>", "<farbe>rot</farbe></anzeige>");
    file.replace("Hallo Halle", "Gr\xfc\xdf"
                                "e");
    QVERIFY(writeBytes(m_path, file));
    Settings s(m_path);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QCOMPARE(s.laufschrift(), QStringLiteral("Grüße"));

    s.setSettingsReady(true);
    s.setTarvodir(QStringLiteral("€ Ordner"));
    s.saveset();
    const QStringList paths = elementPaths(storedRoot(m_path));
    QCOMPARE(paths.first(), QStringLiteral("notiz"));
    QCOMPARE(paths.indexOf(QStringLiteral("anzeige/farbe")),
             paths.indexOf(QStringLiteral("anzeige/skalierung")) + 1);
    QCOMPARE(storedRoot(m_path).firstChildElement(QStringLiteral("notiz")).attribute(QStringLiteral("art")),
             QStringLiteral("hand"));
    QCOMPARE(stored(m_path, QStringLiteral("notiz")), QStringLiteral("bleibt"));
    QCOMPARE(stored(m_path, QStringLiteral("version")), QStringLiteral(VANTOR_VERSION));

    // Still Latin-1, as the kept declaration says.
    const QByteArray bytes = readAll(m_path);
    QVERIFY(bytes.startsWith("<?xml version='1.0' encoding='iso-8859-1'?>"));
    QVERIFY(bytes.contains("Gr\xfc\xdf"
                           "e"));
    QVERIFY(bytes.contains("&#8364; Ordner"));
    Settings back(m_path);
    back.loadset();
    QCOMPARE(back.laufschrift(), QStringLiteral("Grüße"));
    QCOMPARE(back.tarvodir(), QStringLiteral("€ Ordner"));
}

void TestSettings::missingElementsAreAppendedToTheirParent()
{
    QVERIFY(writeBytes(m_path, "<settings><werbung><modus>0</modus></werbung></settings>"));
    Settings s(m_path);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QCOMPARE(s.modus(), 0);
    s.setSettingsReady(true);
    s.saveset();

    QStringList top;
    QStringList werbung;
    for (const QString& p : elementPaths(storedRoot(m_path))) {
        const QStringList parts = p.split(QLatin1Char('/'));
        if (parts.size() == 1)
            top << p;
        else if (parts.size() == 2 && parts.first() == QLatin1String("werbung"))
            werbung << parts.last();
    }
    // Reading creates what is missing, in reading order; the save adds only the version.
    QCOMPARE(top, QStringList({"werbung", "tarvodir", "protokoll", "print", "anzeige", "version"}));
    QCOMPARE(werbung, QStringList({"modus", "zeit", "werbungen"}));
}

void TestSettings::faultyValueTakesItsDefault_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("failingStep"); // 1-based, in reading order
    QTest::addColumn<QString>("saved");   // the default the next save writes

    QTest::newRow("licence choice no number") << "protokoll"
                                              << "eins" << 2 << "0";
    QTest::newRow("advert mode empty") << "werbung/modus"
                                       << "" << 7 << "-1";
    QTest::newRow("advert mode missing") << "werbung/modus" << kMissing << 7 << "-1";
    QTest::newRow("advert mode word") << "werbung/modus"
                                      << "zwei" << 7 << "-1";
    QTest::newRow("introduction neither number nor word") << "anzeige/vorstellung"
                                                          << "ja" << 9 << "0";
}

void TestSettings::faultyValueTakesItsDefault()
{
    QFETCH(QString, element);
    QFETCH(QString, value);
    QFETCH(int, failingStep);
    QFETCH(QString, saved);
    QVERIFY(writeBytes(m_path, fullFile()));
    Settings good(m_path);
    QCOMPARE(failure([&] { good.loadset(); }), QString());
    const Settings defaults(m_path);

    QVERIFY(writeBytes(m_path, fullFile({{element, value}})));
    Settings s(m_path);
    const QString message = failure([&] { s.loadset(); });
    const QString named = QStringLiteral("„%1“: '%2' ist kein gültiger Integerwert")
                              .arg(element, value == kMissing ? QString() : value);
    QVERIFY2(message.contains(named), qPrintable(message));
    for (int i = 0; i < kSteps.size(); ++i) {
        const Settings& expected = i + 1 == failingStep ? defaults : good;
        QVERIFY2(kSteps[i](s) == kSteps[i](expected),
                 qPrintable(QStringLiteral("step %1: %2").arg(i + 1).arg(kSteps[i](s))));
    }

    // Saving goes on; the default takes the faulty value's place.
    s.setSettingsReady(true);
    s.setZeit(QStringLiteral("33"));
    QCOMPARE(failure([&] { s.saveset(); }), QString());
    QCOMPARE(stored(m_path, element), saved);
    QCOMPARE(stored(m_path, QStringLiteral("werbung/zeit")), QStringLiteral("33"));
    QCOMPARE(stored(m_path, QStringLiteral("tarvodir")), QStringLiteral("/daten/tarvo"));
}

void TestSettings::unreadableFileIsLeftAlone_data()
{
    QTest::addColumn<bool>("folder"); // a folder named set.xml, else a file without read permission
    QTest::newRow("folder in its place") << true;
    QTest::newRow("no read permission") << false;
}

void TestSettings::unreadableFileIsLeftAlone()
{
    QFETCH(bool, folder);
    if (folder) {
        QVERIFY(QDir().mkdir(m_path));
    } else {
        QVERIFY(writeBytes(m_path, fullFile()));
        QVERIFY(QFile::setPermissions(m_path, QFileDevice::WriteOwner));
        if (QFile(m_path).open(QIODevice::ReadOnly))
            QSKIP("running with rights that ignore file permissions (the folder row covers the case)");
    }
    Settings s(m_path);
    const QString message = failure([&] { s.loadset(); });
    QVERIFY2(
        message.startsWith(QStringLiteral("Die Einstellungsdatei „set.xml“ kann nicht gelesen werden")) &&
            message.contains(QStringLiteral("nicht gespeichert")),
        qPrintable(message));
    QVERIFY(!QFileInfo::exists(m_tmp->filePath(kAside)));

    s.setSettingsReady(true);
    s.setZeit(QStringLiteral("60"));
    QCOMPARE(failure([&] { s.saveset(); }), QString());
    QCOMPARE(QFileInfo(m_path).isDir(), folder);
    if (!folder) {
        QVERIFY(QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readAll(m_path), fullFile());
    }
}

void TestSettings::declaredEncodingIsWritten_data()
{
    QTest::addColumn<QByteArray>("bom");
    QTest::addColumn<QString>("declared");
    QTest::addColumn<QByteArray>("codec"); // what the file's bytes are in
    QTest::addColumn<QString>("text");     // the ticker, and the end of a foreign element's name
    QTest::addColumn<QByteArray>("writtenBom");
    QTest::addColumn<QString>("writtenDeclared");
    QTest::addColumn<QByteArray>("writtenCodec");

    const QByteArray utf16Bom("\xFF\xFE");
    const QByteArray utf8Bom("\xEF\xBB\xBF");
    QTest::newRow("ISO-8859-15") << QByteArray() << "ISO-8859-15" << QByteArray("ISO-8859-15")
                                 << "Grüße 5 € Œ" << QByteArray() << "ISO-8859-15"
                                 << QByteArray("ISO-8859-15");
    QTest::newRow("windows-1250") << QByteArray() << "windows-1250" << QByteArray("windows-1250")
                                  << "Łódź Žilina" << QByteArray() << "windows-1250"
                                  << QByteArray("windows-1250");
    QTest::newRow("UTF-16") << utf16Bom << "UTF-16" << QByteArray("UTF-16LE") << "Grüße Łódź € Ж" << utf16Bom
                            << "UTF-16" << QByteArray("UTF-16LE");
    QTest::newRow("UTF-8 with mark") << utf8Bom << "UTF-8" << QByteArray("UTF-8") << "Grüße Łódź Ж" << utf8Bom
                                     << "UTF-8" << QByteArray("UTF-8");
    // Every byte-order mark the reader knows, with and without a declaration: the mark is no
    // character of the file, so the first value reads without it, and the save writes it again.
    const QByteArray utf16BeBom("\xFE\xFF");
    const QByteArray utf32Bom("\xFF\xFE\x00\x00", 4);
    const QByteArray utf32BeBom("\x00\x00\xFE\xFF", 4);
    QTest::newRow("UTF-16BE with mark") << utf16BeBom << "UTF-16" << QByteArray("UTF-16BE") << "Grüße Łódź Ж"
                                        << utf16BeBom << "UTF-16" << QByteArray("UTF-16BE");
    QTest::newRow("UTF-32 with mark") << utf32Bom << "UTF-32" << QByteArray("UTF-32LE") << "Grüße 𝄞 Ж"
                                      << utf32Bom << "UTF-32" << QByteArray("UTF-32LE");
    QTest::newRow("UTF-32BE with mark") << utf32BeBom << "UTF-32" << QByteArray("UTF-32BE") << "Grüße Łódź Ж"
                                        << utf32BeBom << "UTF-32" << QByteArray("UTF-32BE");
    QTest::newRow("UTF-8 mark, no declaration")
        << utf8Bom << "" << QByteArray("UTF-8") << "Grüße Łódź Ж" << utf8Bom << "" << QByteArray("UTF-8");
    QTest::newRow("UTF-16 mark, no declaration")
        << utf16Bom << "" << QByteArray("UTF-16LE") << "Grüße Ж" << utf16Bom << "" << QByteArray("UTF-16LE");
    QTest::newRow("UTF-16BE mark, no declaration") << utf16BeBom << "" << QByteArray("UTF-16BE") << "Grüße Ж"
                                                   << utf16BeBom << "" << QByteArray("UTF-16BE");
    QTest::newRow("UTF-32BE mark, no declaration") << utf32BeBom << "" << QByteArray("UTF-32BE") << "Grüße Ж"
                                                   << utf32BeBom << "" << QByteArray("UTF-32BE");
    QTest::newRow("misspelt") << QByteArray() << "utf-8x" << QByteArray("UTF-8") << "Grüße Łódź Ж"
                              << QByteArray() << "UTF-8" << QByteArray("UTF-8");
    QTest::newRow("misspelt over Windows bytes")
        << QByteArray() << "utf-8x" << QByteArray("windows-1252") << "Grüße Straße" << QByteArray()
        << "windows-1252" << QByteArray("windows-1252");
    // What the old writer left behind: UTF-8 bytes under a UTF-16 declaration.
    QTest::newRow("UTF-16 over UTF-8 bytes") << QByteArray() << "UTF-16" << QByteArray("UTF-8") << "Grüße Ж"
                                             << utf16Bom << "UTF-16" << QByteArray("UTF-16LE");
}

void TestSettings::declaredEncodingIsWritten()
{
    QFETCH(QByteArray, bom);
    QFETCH(QString, declared);
    QFETCH(QByteArray, codec);
    QFETCH(QString, text);
    QFETCH(QByteArray, writtenBom);
    QFETCH(QString, writtenDeclared);
    QFETCH(QByteArray, writtenCodec);
    const QString name = QStringLiteral("notiz_") + text.right(1);
    // The ticker is the first value of the file.
    const QString content =
        (declared.isEmpty() ? QString()
                            : QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>").arg(declared)) +
        QStringLiteral("<settings><anzeige><laufschrift>%2</laufschrift></anzeige><%1>bleibt</%1>"
                       "<werbung><modus>0</modus></werbung></settings>")
            .arg(name, text);
    QStringEncoder encoder(codec.constData());
    QVERIFY(writeBytes(m_path, bom + encoder.encode(content)));

    Settings s(m_path);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QCOMPARE(s.laufschrift(), text);
    s.setSettingsReady(true);
    s.setTarvodir(QStringLiteral("Ω ") + text); // Ω only as a character reference in 8-bit codecs
    s.saveset();

    const QByteArray bytes = readAll(m_path);
    QVERIFY(bytes.startsWith(writtenBom));
    QStringDecoder decoder(writtenCodec.constData());
    const QString written = decoder.decode(bytes.mid(writtenBom.size()));
    QVERIFY(!decoder.hasError());
    QVERIFY2(written.startsWith(
                 writtenDeclared.isEmpty()
                     ? QStringLiteral("<settings><anzeige><laufschrift>")
                     : QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>").arg(writtenDeclared)),
             qPrintable(written));
    QVERIFY(written.contains(QStringLiteral("<laufschrift>%1</laufschrift>").arg(text)));
    QVERIFY(written.contains(QStringLiteral("<%1>bleibt</%1>").arg(name)));

    Settings back(m_path);
    QCOMPARE(failure([&] { back.loadset(); }), QString());
    QCOMPARE(back.laufschrift(), text);
    QCOMPARE(back.tarvodir(), QStringLiteral("Ω ") + text);
    back.setSettingsReady(true);
    back.saveset();
    QCOMPARE(readAll(m_path), bytes); // every further save writes the same bytes
}

void TestSettings::blankValuesComeBack()
{
    Settings s(m_path);
    s.loadset();
    s.setSettingsReady(true);
    s.setLaufschrift(QStringLiteral(" "));
    s.setWerbung({QStringLiteral("  "), QStringLiteral(" /w/a.jpg ")});
    s.setTarvodir(QStringLiteral("\t "));
    s.saveset();
    Settings back(m_path);
    QCOMPARE(failure([&] { back.loadset(); }), QString());
    QCOMPARE(back.laufschrift(), s.laufschrift());
    QCOMPARE(back.werbung(), s.werbung());
    QCOMPARE(back.tarvodir(), s.tarvodir());
}

void TestSettings::unparsableFileIsMovedAside_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("cut off") << fullFile().left(300);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no XML") << QByteArray("Einstellungen\r\n");
    QTest::newRow("two roots") << QByteArray("<settings/><settings/>");
}

void TestSettings::unparsableFileIsMovedAside()
{
    QFETCH(QByteArray, content);
    QVERIFY(writeBytes(m_path, content));
    Settings s(m_path);
    const QString message = failure([&] { s.loadset(); });
    QVERIFY2(message.startsWith(
                 QStringLiteral("Die Einstellungsdatei „set.xml“ ist beschädigt und wurde als "
                                "„set.xml.defekt“ beiseitegelegt. Es gelten die Standardeinstellungen.\n")),
             qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("Zeile")), qPrintable(message));
    QVERIFY(!QFile::exists(m_path));
    QCOMPARE(readAll(m_tmp->filePath(kAside)), content);
    QCOMPARE(s.laufschrift(), QStringLiteral("Herzlich Willkommen!"));

    // Ready again once a match file is opened: the first change writes a complete new file.
    s.setSettingsReady(true);
    s.setZeit(QStringLiteral("60"));
    s.saveset();
    QCOMPARE(elementPaths(storedRoot(m_path)), newFileOrder());
    QCOMPARE(stored(m_path, QStringLiteral("werbung/zeit")), QStringLiteral("60"));
    QCOMPARE(readAll(m_tmp->filePath(kAside)), content);
}

void TestSettings::asideNameIsNeverReused()
{
    QVERIFY(writeBytes(m_tmp->filePath(kAside), "erster"));
    QVERIFY(writeBytes(m_tmp->filePath(kAside + QStringLiteral("-2")), "zweiter"));
    QVERIFY(writeBytes(m_path, "<settings>"));
    Settings s(m_path);
    QVERIFY(failure([&] { s.loadset(); }).contains(QStringLiteral("„set.xml.defekt-3“")));
    QCOMPARE(readAll(m_tmp->filePath(kAside)), QByteArray("erster"));
    QCOMPARE(readAll(m_tmp->filePath(kAside + QStringLiteral("-2"))), QByteArray("zweiter"));
    QCOMPARE(readAll(m_tmp->filePath(kAside + QStringLiteral("-3"))), QByteArray("<settings>"));
}

void TestSettings::damagedValuesStartSanely_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("scalePercent");

    QTest::newRow("licence choice above") << "protokoll"
                                          << "5"
                                          << "1" << 110;
    QTest::newRow("licence choice below") << "protokoll"
                                          << "-3"
                                          << "0" << 110;
    QTest::newRow("advert mode above") << "werbung/modus"
                                       << "7"
                                       << "2" << 110;
    QTest::newRow("advert mode below") << "werbung/modus"
                                       << "-9"
                                       << "-1" << 110;
    QTest::newRow("scale above") << "anzeige/skalierung"
                                 << "150"
                                 << "120" << 120;
    QTest::newRow("scale zero") << "anzeige/skalierung"
                                << "0"
                                << "80" << 80;
    QTest::newRow("scale odd above 100") << "anzeige/skalierung"
                                         << "101"
                                         << "100" << 100;
    QTest::newRow("scale odd below 100") << "anzeige/skalierung"
                                         << "99"
                                         << "100" << 100;
    QTest::newRow("scale odd at the top") << "anzeige/skalierung"
                                          << "119"
                                          << "118" << 118;
    QTest::newRow("scale odd at the bottom") << "anzeige/skalierung"
                                             << "81"
                                             << "82" << 82;
    QTest::newRow("scale on the grid") << "anzeige/skalierung"
                                       << "84"
                                       << "84" << 84;
    QTest::newRow("scale no integer") << "anzeige/skalierung"
                                      << "gross"
                                      << "gross" << 100;
    QTest::newRow("scale empty") << "anzeige/skalierung"
                                 << ""
                                 << "" << 100;
    QTest::newRow("field entry empty") << "print/punktzettel/feld1/xwert"
                                       << ""
                                       << "63" << 110;
    QTest::newRow("field entry missing")
        << "print/punktzettel/feld5/bezeichnung" << kMissing << "pzVereinRot" << 110;
}

void TestSettings::damagedValuesStartSanely()
{
    QFETCH(QString, element);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QFETCH(int, scalePercent);
    QVERIFY(writeBytes(m_path, fullFile({{element, value}})));
    Settings s(m_path);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QString actual = s.skalierung();
    if (element == QLatin1String("protokoll"))
        actual = QString::number(s.protokoll());
    else if (element == QLatin1String("werbung/modus"))
        actual = QString::number(s.modus());
    else if (element.endsWith(QLatin1String("/xwert")))
        actual = s.felder().at(1).xwert;
    else if (element.endsWith(QLatin1String("/bezeichnung")))
        actual = s.felder().at(5).bezeichnung;
    QCOMPARE(actual, shown);
    QCOMPARE(s.scalePercent(), scalePercent);

    // What starts is what the next save writes.
    s.setSettingsReady(true);
    s.saveset();
    if (element != QLatin1String("protokoll") && element != QLatin1String("werbung/modus"))
        QCOMPARE(stored(m_path, element), shown);
}

void TestSettings::failedSaveIsRetriedByTheNext()
{
    const QString folder = m_tmp->filePath(QStringLiteral("programm"));
    QVERIFY(QDir().mkpath(folder));
    Settings s(folder + QStringLiteral("/set.xml"));
    s.loadset();
    s.setSettingsReady(true);
    QVERIFY(QDir(folder).removeRecursively());

    s.setLaufschrift(QStringLiteral("nach dem Fehler"));
    QVERIFY(failure([&] {
                s.saveset();
            }).startsWith(QStringLiteral("Die Datei „set.xml“ kann nicht gespeichert werden")));
    QCOMPARE(s.laufschrift(), QStringLiteral("nach dem Fehler"));

    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(failure([&] { s.saveset(); }), QString());
    QCOMPARE(stored(s.path(), QStringLiteral("anzeige/laufschrift")), QStringLiteral("nach dem Fehler"));
    QCOMPARE(elementPaths(storedRoot(s.path())), newFileOrder());
}

// A set.xml its owner may not write stays as it is, whoever runs the console (the tests run as
// root, who could write it); the settings keep the change, and the save after the protection
// is lifted writes it.
void TestSettings::writeProtectedFileIsNotReplaced()
{
    QVERIFY(writeBytes(m_path, fullFile()));
    const QByteArray native = QFile::encodeName(m_path);
    QCOMPARE(::chmod(native.constData(), 0444), 0);
    Settings s(m_path);
    QCOMPARE(failure([&] { s.loadset(); }), QString());
    QCOMPARE(s.laufschrift(), QStringLiteral("Hallo Halle"));
    s.setSettingsReady(true);
    s.setLaufschrift(QStringLiteral("geschützt"));
    QCOMPARE(
        failure([&] { s.saveset(); }),
        QStringLiteral("Die Datei „set.xml“ kann nicht gespeichert werden: die Datei ist schreibgeschützt "
                       "(ihre Dateirechte erlauben kein Schreiben). Die bisherige Fassung bleibt "
                       "unverändert."));
    QCOMPARE(readAll(m_path), fullFile());
    QCOMPARE(QFileInfo(m_path).permissions() & QFileDevice::WriteOwner, QFileDevice::Permissions());
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("set.xml")});
    QCOMPARE(s.laufschrift(), QStringLiteral("geschützt"));

    QCOMPARE(::chmod(native.constData(), 0644), 0);
    QCOMPARE(failure([&] { s.saveset(); }), QString());
    QCOMPARE(stored(m_path, QStringLiteral("anzeige/laufschrift")), QStringLiteral("geschützt"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
