#include "platform/IntConvert.h"
#include "platform/UserError.h"
#include "platform/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void strToInt_data();
    void strToInt();
    void strToIntFailureMessage();

    void latin1EncodingKeepsEveryCharacter();
    void readsWindows1252Bytes();
    void saveWritesThroughTempFileAndKeepsOldFileOnFailure();
    void malformedFileLeavesDocumentInactive();
    void childIsCreatedAtTheEndWhenMissing();
    void controlCharactersNeverBreakTheFile();
};

void TestPlatform::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("leading blanks") << "  3" << true << 3;
    QTest::newRow("leading zero") << "0530718264" << true << 530718264;
    QTest::newRow("trailing blank") << "3 " << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("letters") << "x" << false << 0;
    QTest::newRow("decimal") << "1.5" << false << 0;
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
}

void TestPlatform::strToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    if (ok) {
        QCOMPARE(::strToInt(text), value);
        QCOMPARE(strToIntDef(text, -99), value);
    } else {
        QVERIFY_THROWS_EXCEPTION(UserError, ::strToInt(text));
        QCOMPARE(strToIntDef(text, -99), -99);
    }
}

void TestPlatform::strToIntFailureMessage()
{
    try {
        ::strToInt(QStringLiteral("x7"));
        QFAIL("no exception");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), QStringLiteral("'x7' ist kein gültiger Integerwert"));
    }
}

void TestPlatform::latin1EncodingKeepsEveryCharacter()
{
    XmlDocument doc;
    doc.setContentText(QStringLiteral("<mk/>"));
    const QString names = QStringLiteral("Müller Őrs € Łukasz Çağlar Straße 𝄞 \u0085");
    XmlDocument::setText(XmlDocument::child(doc.root(QStringLiteral("mk")), QStringLiteral("n")), names);
    const QByteArray bytes = doc.toBytes();
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>"));
    QVERIFY(!bytes.contains('?' + QByteArray("rs")));
    QVERIFY(bytes.contains("M\xfcller"));     // Latin-1 as one byte
    QVERIFY(bytes.contains("&#8364;"));       // € as reference
    QVERIFY(bytes.contains("&#119070;"));     // beyond the BMP as one reference
    QVERIFY(bytes.contains("&#133;"));        // a C1 control would otherwise read back as "…"
    XmlDocument back;
    back.loadFromBytes(bytes, QStringLiteral("t.ptlx"));
    QCOMPARE(XmlDocument::text(back.dom().documentElement().firstChildElement(QStringLiteral("n"))), names);
}

void TestPlatform::readsWindows1252Bytes()
{
    // Files written on Windows declare Latin-1 but carry Windows-1252: 0x80 is €.
    const QByteArray bytes("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><n>\x80 \xe4\x84</n></mk>");
    XmlDocument doc;
    doc.loadFromBytes(bytes, QStringLiteral("t"));
    QCOMPARE(doc.dom().documentElement().firstChildElement().text(), QStringLiteral("€ ä„"));
}

void TestPlatform::saveWritesThroughTempFileAndKeepsOldFileOnFailure()
{
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("ro"));
    QVERIFY(QDir().mkdir(sub));
    const QString path = sub + QStringLiteral("/a.ptlx");
    XmlDocument doc;
    doc.setContentText(QStringLiteral("<mk><x>1</x></mk>"));
    doc.save(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    XmlDocument::setText(doc.root(QStringLiteral("mk")).firstChildElement(), QStringLiteral("2"));
    QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const auto restore = qScopeGuard(
        [&] { QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner); });
    QFile probe(sub + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("running with rights that ignore folder permissions (the vanished-folder case is tested elsewhere)");
    }
    QVERIFY_THROWS_EXCEPTION(UserError, doc.save(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    f.close();
    QCOMPARE(QDir(sub).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.ptlx")});
}

void TestPlatform::malformedFileLeavesDocumentInactive()
{
    XmlDocument doc;
    doc.setContentText(QStringLiteral("<mk/>"));
    QVERIFY(doc.isActive());
    try {
        doc.loadFromBytes("<mk><info></mk>", QStringLiteral("kaputt.ptlx"));
        QFAIL("no exception");
    } catch (const UserError& e) {
        QVERIFY(e.message().contains(QStringLiteral("kaputt.ptlx")));
        QVERIFY(e.message().contains(QStringLiteral("kein gültiges XML-Dokument")));
    }
    QVERIFY(!doc.isActive());
    QVERIFY_THROWS_EXCEPTION(UserError, doc.load(QStringLiteral("/nonexistent/nothing.ptlx")));
    QVERIFY(!doc.isActive());
}

void TestPlatform::childIsCreatedAtTheEndWhenMissing()
{
    XmlDocument doc;
    doc.setContentText(QStringLiteral("<mk><a>1</a><b/><a>2</a></mk>"));
    QDomElement root = doc.root(QStringLiteral("mk"));
    QCOMPARE(XmlDocument::text(XmlDocument::child(root, QStringLiteral("a"))), QStringLiteral("1"));
    XmlDocument::child(root, QStringLiteral("c"));
    QCOMPARE(root.lastChildElement().tagName(), QStringLiteral("c"));
    QCOMPARE(root.childNodes().count(), 4);
}

void TestPlatform::controlCharactersNeverBreakTheFile()
{
    XmlDocument doc;
    doc.setContentText(QStringLiteral("<mk/>"));
    XmlDocument::setText(XmlDocument::child(doc.root(QStringLiteral("mk")), QStringLiteral("n")),
                         QStringLiteral("a\u0001b\u001bc"));
    XmlDocument back;
    back.loadFromBytes(doc.toBytes(), QStringLiteral("t"));
    QCOMPARE(back.dom().documentElement().firstChildElement().text(), QStringLiteral("abc"));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
