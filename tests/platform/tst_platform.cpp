#include "platform/DurableFile.h"
#include "platform/IntConvert.h"
#include "platform/UserError.h"
#include "platform/Windows1252.h"
#include "platform/XmlDocument.h"
#include "support/FileModes.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The characters of the bytes 0x80..0x9F in Windows-1252, as the code page's published table
// has them; 0 where it leaves the byte unused. Every other byte is the character of its number.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The character of byte `b` in Windows-1252; nothing for the five bytes the code page leaves unused.
std::optional<char16_t> cp1252(int b)
{
    if (b < 0x80 || b >= 0xA0)
        return char16_t(b);
    return kCp1252High[b - 0x80] ? std::optional(kCp1252High[b - 0x80]) : std::nullopt;
}

} // namespace

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
    void writtenFileAlwaysReadsBack_data();
    void writtenFileAlwaysReadsBack();
    void failingStepKeepsOldFile_data();
    void failingStepKeepsOldFile();
    void otherUsersFileFollowsItsClassBits_data();
    void otherUsersFileFollowsItsClassBits();
    void leftoversOfAKilledSaveAreRemoved();
    void savedFileKeepsItsMode_data();
    void savedFileKeepsItsMode();
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
    QVERIFY(bytes.contains("M\xfcller")); // Latin-1 as one byte
    QVERIFY(bytes.contains("&#8364;"));   // € as reference
    QVERIFY(bytes.contains("&#119070;")); // beyond the BMP as one reference
    QVERIFY(bytes.contains("&#133;"));    // a C1 control would otherwise read back as "…"
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

    // The whole code page, each byte once: read as its character (the five bytes the code page
    // leaves unused as the control character of that number, as Windows reads them), saved
    // as a match file with the Latin-1 range as bytes and everything else as a reference, and
    // read back the same.
    QByteArray all;
    QString meant;
    for (int b = 0x20; b < 0x100; ++b) {
        if (b == '<' || b == '&')
            continue;
        all += char(b);
        meant += QChar(cp1252(b).value_or(char16_t(b)));
    }
    doc.loadFromBytes("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><mk><n>" + all + "</n></mk>",
                      QStringLiteral("t"));
    QCOMPARE(XmlDocument::text(doc.dom().documentElement().firstChildElement()), meant);
    const QByteArray saved = doc.toBytes();
    for (const QChar c : meant) {
        const bool latin1 = c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF);
        const QByteArray as = c == u'>' ? QByteArray("&gt;")
                              : latin1  ? QByteArray(1, char(c.unicode()))
                                        : "&#" + QByteArray::number(c.unicode()) + ';';
        QVERIFY2(saved.contains(as),
                 qPrintable(QStringLiteral("U+%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'))));
    }
    XmlDocument back;
    back.loadFromBytes(saved, QStringLiteral("t"));
    QCOMPARE(XmlDocument::text(back.dom().documentElement().firstChildElement()), meant);

    // A character reference names a Unicode code point in any encoding: &#128; is the control
    // character U+0080, not the euro sign that byte 0x80 stands for.
    doc.loadFromBytes("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?><mk><n>&#128;&#x80;&#8364;&#xe4;&#228;"
                      "&#119070;\x80\xe4</n></mk>",
                      QStringLiteral("t"));
    QCOMPARE(XmlDocument::text(doc.dom().documentElement().firstChildElement()),
             QStringLiteral("\u0080\u0080€ää𝄞€ä"));

    // Writing, as the ZELMO export does: every character of the code page becomes its byte; one
    // it lacks becomes its letters without accents or is refused, never another character's byte.
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u < 0xE000)
            continue;
        const QString c = QChar(char16_t(u)); // fromUcs4 would drop U+FEFF
        const Windows1252::Encoded e = Windows1252::encode(c);
        int byte = -1;
        for (int b = 0; b < 0x100 && byte < 0; ++b)
            if (cp1252(b) == char16_t(u))
                byte = b;
        const QString at = QStringLiteral("U+%1").arg(quint32(u), 4, 16, QLatin1Char('0'));
        if (byte >= 0) {
            QVERIFY2(e.unwritable == 0 && e.bytes == QByteArray(1, char(byte)), qPrintable(at));
            continue;
        }
        QVERIFY2(!Windows1252::byteFor(c.at(0)), qPrintable(at));
        if (e.unwritable != 0) {
            QVERIFY2(e.unwritable == u, qPrintable(at));
            continue;
        }
        QString letters;
        for (const QChar p : c.normalized(QString::NormalizationForm_KD))
            if (p.category() != QChar::Mark_NonSpacing)
                letters += p;
        QString written;
        for (const char b : e.bytes) {
            const auto character = cp1252(uchar(b));
            QVERIFY2(character, qPrintable(at));
            written += QChar(*character);
        }
        QVERIFY2(letters != c && written == letters, qPrintable(at));
    }
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
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    const ModeBitsBind modeBits; // root, too, meets the folder's mode
    QFile probe(sub + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("running with rights that ignore folder permissions (the vanished-folder case is tested "
              "elsewhere)");
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
#ifdef Q_OS_LINUX
    // A device reports no size; reading stops at the limit instead of filling the memory.
    try {
        doc.load(QStringLiteral("/dev/zero"));
        QFAIL("no exception");
    } catch (const UserError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("zu groß")), qPrintable(e.message()));
    }
    QVERIFY(!doc.isActive());
#endif
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

void TestPlatform::writtenFileAlwaysReadsBack_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("declared"); // the encoding the match file is written in
    QTest::addColumn<QByteArray>("written");  // text the written file holds

    const QByteArray utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    QTest::newRow("element name outside Latin-1") << utf8 + "<mk><\xc5\x81\xc3\xb3"
                                                            "d\xc5\xba>1</\xc5\x81\xc3\xb3"
                                                            "d\xc5\xba></mk>"
                                                  << QByteArray("UTF-8") << QByteArray("<\xc5\x81\xc3\xb3");
    QTest::newRow("instruction outside Latin-1")
        << utf8 + "<mk><?p \xe2\x82\xac?></mk>" << QByteArray("UTF-8") << QByteArray("<?p \xe2\x82\xac?>");
    QTest::newRow("C1 control in a comment")
        << utf8 + "<mk><!--\xc2\x85--></mk>" << QByteArray("UTF-8") << QByteArray("<!--\xc2\x85-->");
    QTest::newRow("instruction without data")
        << utf8 + "<mk><?p?><a/></mk>" << QByteArray("iso-8859-1") << QByteArray("<mk><?p?><a/></mk>");
    QTest::newRow("Latin-1 name") << utf8 + "<mk><h\xc3\xa4lle>\xe2\x82\xac</h\xc3\xa4lle></mk>"
                                  << QByteArray("iso-8859-1") << QByteArray("<h\xe4lle>&#8364;</h\xe4lle>");
    QTest::newRow("blank values") << utf8 + "<mk>\n <a> </a>\n <b>&#32;&#32;</b><c>\n\t</c></mk>"
                                  << QByteArray("iso-8859-1")
                                  << QByteArray("<mk><a> </a><b>  </b><c>\n\t</c></mk>");
    QTest::newRow("quote, tab, line end in attribute")
        << utf8 + "<mk a='\"&#9;&#10;&#13;'/>" << QByteArray("iso-8859-1")
        << QByteArray("a=\"&#34;&#9;&#10;&#13;\"");
    QTest::newRow("carriage return in text")
        << utf8 + "<mk>a&#13;&#10;]]&gt;</mk>" << QByteArray("iso-8859-1") << QByteArray("a&#13;\n]]&gt;");
    QTest::newRow("CDATA") << utf8 + "<mk><![CDATA[<&> ]]></mk>" << QByteArray("iso-8859-1")
                           << QByteArray("<mk>&lt;&amp;&gt; </mk>");
    QTest::newRow("document type") << utf8 + "<!DOCTYPE mk [<!ENTITY e \"x\">]><mk>&e;</mk>"
                                   << QByteArray("iso-8859-1")
                                   << QByteArray("<!DOCTYPE mk [<!ENTITY e \"x\">]><mk>x</mk>");
}

void TestPlatform::writtenFileAlwaysReadsBack()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, declared);
    QFETCH(QByteArray, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.ptlx"));
    XmlDocument doc;
    doc.loadFromBytes(file, QStringLiteral("m.ptlx"));
    doc.save(path);
    const QByteArray bytes = readAll(path);
    QVERIFY2(bytes.startsWith("<?xml version=\"1.0\" encoding=\"" + declared + "\" ?>"), bytes.constData());
    QVERIFY2(bytes.contains(written), bytes.constData());
    XmlDocument back;
    back.load(path);
    QCOMPARE(back.toBytes(), bytes);
}

void TestPlatform::failingStepKeepsOldFile_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<bool>("previous"); // a file of that name was there before
    QTest::addColumn<QString>("end");   // how the message ends: what is on the disk now
    const QString kept = "Die bisherige Fassung bleibt unverändert.";
    const QString nothing = "Es wurde nichts geschrieben.";
    QTest::newRow("short write, then full")
        << "write" << ENOSPC << "zu wenig Speicherplatz auf dem Datenträger (beim Schreiben)" << false << true
        << kept;
    QTest::newRow("read-only disk") << "write" << EROFS << "schreibgeschützt" << false << true << kept;
    QTest::newRow("fsync") << "fsync" << EIO << "Ein-/Ausgabefehler des Datenträgers (beim Übertragen"
                           << false << true << kept;
    QTest::newRow("close reports the quota")
        << "close" << EDQUOT << "zu wenig Speicherplatz auf dem Datenträger (beim Schließen)" << false << true
        << kept;
    QTest::newRow("rename") << "rename" << EACCES << "keine Berechtigung (beim Ersetzen" << false << true
                            << kept;
    // The mode bits decide, also for root, before anything is written; "error" is the mode here.
    const QString prot = "die Datei ist schreibgeschützt (ihre Dateirechte erlauben kein Schreiben)";
    QTest::newRow("write-protected") << "mode" << 0444 << prot << false << true << kept;
    QTest::newRow("owner may not write, group may") << "mode" << 0464 << prot << false << true << kept;
    // A write the system completes only in part is continued where it stopped: no failure, and
    // the file holds every byte once, in order ("end" empty: the save goes through).
    QTest::newRow("short writes") << "short" << 0 << "" << true << true << "";
    QTest::newRow("short and interrupted writes") << "short" << EINTR << "" << true << true << "";
    QTest::newRow("new file, short writes") << "short" << 0 << "" << true << false << "";
    QTest::newRow("folder sync")
        << "folder" << EIO << "wurde geschrieben, aber ihr Ordner" << true << true
        << "Nach einem Stromausfall könnte die vorige Fassung zurückkehren; speichern Sie erneut.";
    // A file saved for the first time has no previous version to keep.
    QTest::newRow("new file, full disk")
        << "write" << ENOSPC << "zu wenig Speicherplatz auf dem Datenträger (beim Schreiben)" << false
        << false << nothing;
    QTest::newRow("new file, fsync") << "fsync" << EIO
                                     << "Ein-/Ausgabefehler des Datenträgers (beim Übertragen" << false
                                     << false << nothing;
    QTest::newRow("new file, rename")
        << "rename" << EACCES << "keine Berechtigung (beim Umbenennen der Zwischendatei)" << false << false
        << nothing;
    QTest::newRow("new file, folder missing")
        << "none" << 0 << "der Ordner existiert nicht (mehr) (beim Öffnen des Ordners)" << false << false
        << nothing;
    QTest::newRow("new file, folder sync")
        << "folder" << EIO << "wurde geschrieben, aber ihr Ordner" << true << false
        << "Nach einem Stromausfall könnte die Datei fehlen; speichern Sie erneut.";
}

void TestPlatform::failingStepKeepsOldFile()
{
    QFETCH(QString, call);
    QFETCH(int, error);
    QFETCH(QString, cause);
    QFETCH(bool, replaced);
    QFETCH(bool, previous);
    QFETCH(QString, end);
    QTemporaryDir dir;
    const QString folder = call == QLatin1String("none") ? dir.filePath(QStringLiteral("weg")) : dir.path();
    const QString path = folder + QStringLiteral("/a.ptlx");
    if (previous)
        QVERIFY(writeAll(path, "alt"));
    if (call == QLatin1String("mode"))
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(error)), 0);
    QByteArray next(100000, Qt::Uninitialized); // no two neighbouring stretches alike
    for (int i = 0; i < next.size(); ++i)
        next[i] = char(i * 131 % 251);

    DurableFile::SystemCalls calls;
    const auto fail = [error] {
        errno = error;
        return -1;
    };
    int writes = 0;
    if (call == QLatin1String("write"))
        calls.write = [&](int fd, const void* p, size_t n) -> ssize_t {
            return ++writes == 1 ? ::write(fd, p, n / 2) : fail(); // the first write is short
        };
    else if (call == QLatin1String("short"))
        calls.write = [&](int fd, const void* p, size_t n) -> ssize_t {
            ++writes;
            if (error != 0 && writes % 3 == 0)
                return fail(); // interrupted before anything was written
            return ::write(fd, p, std::min(n, size_t(1 + writes * 997 % 4096)));
        };
    else if (call == QLatin1String("fsync"))
        calls.fsync = [&](int) { return fail(); };
    else if (call == QLatin1String("close"))
        calls.close = [&](int fd) {
            ::close(fd);
            return fail();
        };
    else if (call == QLatin1String("rename"))
        calls.rename = [&](const char*, const char*) { return fail(); };
    else if (call == QLatin1String("folder"))
        calls.fsyncFolder = [&](int) { return fail(); };
    DurableFile::setSystemCallsForTests(calls);
    const auto restore = qScopeGuard([] { DurableFile::setSystemCallsForTests({}); });
    try {
        XmlDocument::writeFile(path, next);
        QVERIFY2(end.isEmpty(), "no exception");
    } catch (const UserError& e) {
        QVERIFY2(!end.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().contains(cause) && !e.message().contains(QStringLiteral("kein Fehler")),
                 qPrintable(e.message()));
        QVERIFY2(e.message().endsWith(end), qPrintable(e.message()));
    }
    QCOMPARE(readAll(path), replaced ? next : previous ? QByteArray("alt") : QByteArray());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             replaced || previous ? QStringList{QStringLiteral("a.ptlx")} : QStringList());
    if (call == QLatin1String("mode")) {
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(QString::number(st.st_mode & 07777, 8), QString::number(error, 8));
    }
}

void TestPlatform::otherUsersFileFollowsItsClassBits_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("replaced");
    // The file is root's; the save runs as "nobody", in a folder anyone may write.
    QTest::newRow("others may not write") << 0644 << false;
    QTest::newRow("only the owner's group may write") << 0664 << false;
    QTest::newRow("others may write") << 0646 << true;
}

void TestPlatform::otherUsersFileFollowsItsClassBits()
{
    QFETCH(int, mode);
    QFETCH(bool, replaced);
    if (::geteuid() != 0)
        QSKIP("needs root, to save as another user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath(QStringLiteral("a.ptlx"));
    QVERIFY(writeAll(path, "alt"));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);

    // A child of its own, so that the test process keeps its rights.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        int code = 3;
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0) {
            try {
                DurableFile::replace(path, "neu");
                code = 0;
            } catch (const UserError& e) {
                code = e.message().contains(QStringLiteral("schreibgeschützt")) ? 1 : 2;
            }
        }
        ::_exit(code);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), replaced ? 0 : 1);
    QCOMPARE(readAll(path), replaced ? QByteArray("neu") : QByteArray("alt"));
}

void TestPlatform::leftoversOfAKilledSaveAreRemoved()
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString dead = QStringLiteral(".a.ptlx.Ab12Cd.tmp");
    const QString live = QStringLiteral(".a.ptlx.Xy34Zw.tmp");
    const QStringList others = {QStringLiteral(".b.ptlx.Ab12Cd.tmp"), QStringLiteral("a.ptlx.backup")};
    for (const QString& name : QStringList{dead, live} + others)
        QVERIFY(writeAll(d.filePath(name), "rest"));
    // A save still running holds a lock on its temporary file; a killed one holds none.
    const int fd = ::open(QFile::encodeName(d.filePath(live)).constData(), O_RDONLY);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    const auto unlock = qScopeGuard([fd] { ::close(fd); });

    XmlDocument::writeFile(d.filePath(QStringLiteral("a.ptlx")), "neu");
    QCOMPARE(readAll(d.filePath(QStringLiteral("a.ptlx"))), QByteArray("neu"));
    QVERIFY(!d.exists(dead));
    QVERIFY(d.exists(live));
    for (const QString& name : others)
        QVERIFY2(d.exists(name), qPrintable(name));
}

// A saved file keeps the mode it had: a private file stays private, a shared one writable by
// its group. A new file gets the usual mode of the process's mask.
void TestPlatform::savedFileKeepsItsMode_data()
{
    QTest::addColumn<int>("before"); // -1: no file yet
    QTest::addColumn<int>("after");
    QTest::newRow("private") << 0600 << 0600;
    QTest::newRow("group-writable") << 0664 << 0664;
    QTest::newRow("group may read") << 0640 << 0640;
    QTest::newRow("executable bits too") << 0750 << 0750;
    QTest::newRow("new file") << -1 << 0644;
}

void TestPlatform::savedFileKeepsItsMode()
{
    QFETCH(int, before);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.ptlx"));
    const mode_t mask = ::umask(022);
    const auto restore = qScopeGuard([mask] { ::umask(mask); });
    if (before >= 0) {
        QVERIFY(writeAll(path, "alt"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(before)), 0);
    }
    XmlDocument::writeFile(path, "neu");
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QFETCH(int, after);
    QCOMPARE(QString::number(st.st_mode & 07777, 8), QString::number(after, 8));
    QCOMPARE(readAll(path), QByteArray("neu"));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
