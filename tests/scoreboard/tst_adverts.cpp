#include "platform/JpegDecoder.h"
#include "platform/SignalSound.h"
#include "platform/UserError.h"
#include "scoreboard/AdvertRotation.h"
#include "shell/Console.h"
#include "support/JpegEncode.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far apart, so that JPEG's loss never makes one advert look like another.
const QList<QColor> kAdvertColours = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};
const QColor kPreviousColour(128, 128, 128);
const QString kPremature = QStringLiteral("JPEG-Fehler #%1").arg(JWRN_JPEG_EOF);

QByteArray encode(const QImage& image, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("test picture not written: %s", qPrintable(writer.errorString()));
    return bytes;
}

QImage solid(const QColor& colour, int width = 48, int height = 16)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Enough structure that a wrong row order, channel order or stride shows in the pixels.
QImage pattern(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * y) % 256));
    return image.convertToFormat(format);
}

QByteArray pngBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    solid(Qt::red).save(&buffer, "PNG");
    return bytes;
}

// Qt's writer knows no inks, so these come from libjpeg directly, stored inverted as Photoshop
// stores them (255 = no ink). Quadrants of 16 × 16: red, green / blue, black.
QByteArray inkJpeg(J_COLOR_SPACE stored)
{
    constexpr int size = 32;
    const std::array<std::array<uchar, 4>, 4> inks = {
        {{0, 255, 255, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 255}}};
    std::vector<uchar> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            for (uchar ink : inks[std::size_t((y / 16) * 2 + x / 16)])
                pixels.push_back(uchar(255 - ink));

    return encodeJpeg(
        size, size, 4, JCS_CMYK,
        [stored](jpeg_compress_struct& cinfo) {
            jpeg_set_colorspace(&cinfo, stored);
            jpeg_set_quality(&cinfo, 95, TRUE);
        },
        [&pixels](int y) { return pixels.data() + std::size_t(y) * size * 4; });
}

// A small picture as libjpeg writes it with arithmetic coding, which no camera does by default.
QByteArray arithmeticJpeg()
{
    const QImage image = pattern(64, 48).convertToFormat(QImage::Format_RGB888);
    return encodeJpeg(
        image.width(), image.height(), 3, JCS_RGB,
        [](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, 90, TRUE);
            cinfo.arith_code = TRUE;
        },
        [&image](int y) { return image.constScanLine(y); });
}

// The decoder walks at most this many times the blocks of the whole picture over all scans.
constexpr int kWorkBudgetInPictures = 10;

// A picture through libjpeg's encoder with the given progressive script; the encoder accepts
// only what the standard allows (each bit of a coefficient sent once, refinements in order).
// Grayscale pictures give one component, others YCbCr with the chroma halved both ways.
QByteArray scriptedJpeg(const QImage& picture, const std::vector<jpeg_scan_info>& script)
{
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    const QImage image = grey ? picture : picture.convertToFormat(QImage::Format_RGB888);
    return encodeJpeg(
        image.width(), image.height(), grey ? 1 : 3, grey ? JCS_GRAYSCALE : JCS_RGB,
        [&script](jpeg_compress_struct& cinfo) {
            jpeg_set_quality(&cinfo, 95, TRUE);
            cinfo.scan_info = script.data();
            cinfo.num_scans = int(script.size());
        },
        [&image](int y) { return image.constScanLine(y); });
}

// Coefficients ss..se of `components`, first down to bit `al`, then refined a bit at a time:
// al + 1 scans.
void addSteps(std::vector<jpeg_scan_info>& script, std::initializer_list<int> components, int ss, int se,
              int al)
{
    for (int bit = al; bit >= 0; --bit) {
        jpeg_scan_info scan{};
        scan.comps_in_scan = int(components.size());
        std::copy(components.begin(), components.end(), scan.component_index);
        scan.Ss = ss;
        scan.Se = se;
        scan.Ah = bit == al ? 0 : bit + 1;
        scan.Al = bit;
        script.push_back(scan);
    }
}

// A grayscale picture in `scans` scans, every one of which walks the whole picture.
QByteArray wholePictureScans(int scans)
{
    std::vector<jpeg_scan_info> script;
    addSteps(script, {0}, 0, 0, 4);
    addSteps(script, {0}, 1, 63, scans - 6);
    return scriptedJpeg(pattern(64, 48, QImage::Format_Grayscale8), script);
}

// A colour picture in 46 scans, 44 of them over one chroma component each, a sixth of the
// blocks: nine pictures' worth in all.
QByteArray manyChromaScans()
{
    std::vector<jpeg_scan_info> script;
    addSteps(script, {0, 1, 2}, 0, 0, 0);
    addSteps(script, {0}, 1, 63, 0);
    for (int chroma : {1, 2}) {
        addSteps(script, {chroma}, 1, 5, 10);
        addSteps(script, {chroma}, 6, 63, 10);
    }
    return scriptedJpeg(pattern(64, 48), script);
}

int scanCount(const QByteArray& jpeg)
{
    return int(jpeg.count(QByteArray("\xff\xda", 2)));
}

// Appends `count` scans that carry no data before the end marker: DC refinements of all three
// components, which change no coefficient, so the picture stays the same however many there are.
QByteArray withEmptyScans(QByteArray jpeg, int count)
{
    // SOS: length 12, three components (ids 1-3, tables 0), Ss 0, Se 0, Ah 1, Al 0.
    const QByteArray scan("\xff\xda\x00\x0c\x03\x01\x00\x02\x00\x03\x00\x00\x00\x10", 14);
    if (!jpeg.endsWith("\xff\xd9"))
        qFatal("test picture without end marker");
    jpeg.insert(jpeg.size() - 2, scan.repeated(count));
    return jpeg;
}

bool near(QRgb pixel, const QColor& colour, int tolerance = 12)
{
    return qAbs(qRed(pixel) - colour.red()) <= tolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// The message of the UserError that `call` throws; empty when it throws none.
template <typename Call> QString errorOf(Call call)
{
    try {
        call();
    } catch (const UserError& e) {
        return e.message();
    }
    return {};
}

// What `call` writes to stderr (the process's file descriptor, as libjpeg writes it).
template <typename Call> QByteArray stderrOf(Call call)
{
    QTemporaryFile capture;
    if (!capture.open())
        qFatal("no temporary file");
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}

} // namespace

class TestAdverts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The decoder
    void decodesAsQtsReaderDoes_data();
    void decodesAsQtsReaderDoes();
    void decodesInks_data();
    void decodesInks();
    void brokenDataFails_data();
    void brokenDataFails();
    void missingEndMarkerStillDecodes();
    void scanWorkIsLimited_data();
    void scanWorkIsLimited();
    void oversizedPictureIsRefused();
    void warningsStayOffStderr();
    void filesByContentNotByName();
    void builtInAdvertDecodes();

    // Modes 0 and 2
    void werbungaktu_data();
    void werbungaktu();
    void failingAdvertKeepsPreviousPicture_data();
    void failingAdvertKeepsPreviousPicture();

    // Mode 1
    void rotationCyclesThroughTheList();
    void listLongerThanTheCacheShowsEveryAdvert();
    void singleAdvertReloadsAtEveryTick();
    void tickDoesNothingOutsideModeOne_data();
    void tickDoesNothingOutsideModeOne();
    void failingTickReportsAndGoesOn();
    void failuresOfOneTickShareOneMessage();
    void tickNeverWaitsForTheWorkers();
    void unreadableFilesAreRefusedByName_data();
    void unreadableFilesAreRefusedByName();
    void pictureComesScaledToTheStrip();
    void timerDrivesTheRotation();

    // Timer and interval
    void switchTimerForMode_data();
    void switchTimerForMode();
    void applyInterval_data();
    void applyInterval();
    void secondsAtZeroStandStillUntilPositiveAgain();
    void sameIntervalKeepsTheCountdown();

private:
    // Adverts 1..count in kAdvertColours.
    QStringList makeAdverts(int count);
    // Puts the grey picture up through mode 0, as an earlier bout or "Anzeige" would have.
    void showPrevious();
    // Position (1-based) in kAdvertColours the picture shows, 0 for the grey one, -1 for none.
    int shown() const;
    // Until the workers have handed over everything asked of them.
    void settle();
    // A tick once the workers are done, as the hall sees it a second later.
    void tickSettled();
    Settings& settings() { return m_console->settings(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    NullSound m_sound;
    std::unique_ptr<Console> m_console;
    std::unique_ptr<AdvertRotation> m_adverts;
};

void TestAdverts::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_console = std::make_unique<Console>(m_dir->path(), &m_sound);
    m_adverts =
        std::make_unique<AdvertRotation>(m_console->settings(), m_console->record(), m_console->navigator());
}

void TestAdverts::cleanup()
{
    m_adverts.reset();
    m_console.reset();
    m_dir.reset();
}

QStringList TestAdverts::makeAdverts(int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths << m_dir->filePath(QStringLiteral("werbung%1.jpg").arg(i + 1));
        if (!writeAll(paths.last(), encode(solid(kAdvertColours.at(i)))))
            QTest::qFail("an advert cannot be written", __FILE__, __LINE__);
    }
    return paths;
}

void TestAdverts::showPrevious()
{
    const QString path = m_dir->filePath(QStringLiteral("vorher.jpg"));
    QVERIFY(writeAll(path, encode(solid(kPreviousColour))));
    settings().setWerbung({path});
    settings().setModus(0);
    m_console->record().setRowCount(3);
    m_adverts->werbungaktu();
    settle();
    QCOMPARE(shown(), 0);
}

void TestAdverts::settle()
{
    QTRY_VERIFY(!m_adverts->loading());
}

void TestAdverts::tickSettled()
{
    settle();
    m_adverts->werbungtimerTimer();
}

int TestAdverts::shown() const
{
    const QImage picture = m_adverts->picture();
    if (picture.isNull())
        return -1;
    const QRgb centre = picture.pixel(picture.width() / 2, picture.height() / 2);
    if (near(centre, kPreviousColour))
        return 0;
    for (int i = 0; i < kAdvertColours.size(); ++i)
        if (near(centre, kAdvertColours.at(i)))
            return i + 1;
    return -2;
}

// Qt's reader runs the same libjpeg with the same defaults, so its pixels are the reference.
void TestAdverts::decodesAsQtsReaderDoes_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::newRow("colour, odd size") << encode(pattern(97, 61));
    QTest::newRow("advert strip") << encode(pattern(977, 100));
    QTest::newRow("progressive") << encode(pattern(120, 45), true);
    QTest::newRow("grayscale") << encode(pattern(64, 33, QImage::Format_Grayscale8));
    QTest::newRow("one pixel") << encode(solid(Qt::cyan, 1, 1));
}

void TestAdverts::decodesAsQtsReaderDoes()
{
    QFETCH(QByteArray, jpeg);
    const QImage ours = decodeJpeg(jpeg);
    const QImage qts = QImage::fromData(jpeg, "JPG");
    QVERIFY(!qts.isNull());
    QCOMPARE(ours.format(), QImage::Format_RGB32);
    QCOMPARE(ours, qts.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(ours.isGrayscale(), qts.isGrayscale());
    // Format_RGB32 promises an opaque top byte, which the comparison above masks.
    QCOMPARE(reinterpret_cast<const quint32*>(ours.constBits())[0] >> 24, 0xffu);
}

void TestAdverts::decodesInks_data()
{
    QTest::addColumn<int>("stored");
    QTest::newRow("CMYK") << int(JCS_CMYK);
    QTest::newRow("YCCK") << int(JCS_YCCK);
}

void TestAdverts::decodesInks()
{
    QFETCH(int, stored);
    const QImage image = decodeJpeg(inkJpeg(J_COLOR_SPACE(stored)));
    QCOMPARE(image.size(), QSize(32, 32));
    QVERIFY(near(image.pixel(8, 8), Qt::red));
    QVERIFY(near(image.pixel(24, 8), Qt::green));
    QVERIFY(near(image.pixel(8, 24), Qt::blue));
    QVERIFY(near(image.pixel(24, 24), Qt::black));
}

void TestAdverts::brokenDataFails_data()
{
    const QByteArray jpeg = encode(pattern(200, 120));
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    QTest::newRow("PNG") << pngBytes() << "JPEG-Fehler #53";
    QTest::newRow("empty") << QByteArray() << "JPEG-Fehler #42";
    QTest::newRow("text") << QByteArray("Werbung") << "JPEG-Fehler #53";
    QTest::newRow("start marker only") << jpeg.left(2) << kPremature;
    QTest::newRow("cut in the header") << jpeg.left(100) << kPremature;
    QTest::newRow("cut in the picture data") << jpeg.left(jpeg.size() / 2) << kPremature;
    QTest::newRow("progressive, cut") << encode(pattern(200, 120), true).chopped(400) << kPremature;
    QTest::newRow("no frame") << QByteArray("\xff\xd8\xff\xd9", 4)
                              << QStringLiteral("JPEG-Fehler #%1").arg(JERR_NO_IMAGE);
    // Its scans cost several times a Huffman scan's work per block: refused before any of it.
    QTest::newRow("arithmetic coding")
        << arithmeticJpeg() << QStringLiteral("JPEG-Fehler #%1").arg(JERR_ARITH_NOTIMPL);
}

void TestAdverts::brokenDataFails()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QCOMPARE(errorOf([&] { decodeJpeg(data); }), message);
}

void TestAdverts::missingEndMarkerStillDecodes()
{
    const QByteArray jpeg = encode(pattern(90, 50));
    QVERIFY(jpeg.endsWith("\xff\xd9"));
    QCOMPARE(decodeJpeg(jpeg.chopped(2)), decodeJpeg(jpeg));
}

void TestAdverts::scanWorkIsLimited_data()
{
    const QByteArray progressive = encode(pattern(320, 240), true);
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<int>("scans");
    // What the picture must look like (Qt's reader on these bytes); empty when it is refused.
    QTest::addColumn<QByteArray>("reference");
    const int own = scanCount(progressive);
    QTest::newRow("progressive, as written") << progressive << own << progressive;
    QTest::newRow("progressive, three empty scans more")
        << withEmptyScans(progressive, 3) << own + 3 << progressive;
    QTest::newRow("progressive, 3000 empty scans more")
        << withEmptyScans(progressive, 3000) << own + 3000 << QByteArray();
    const QByteArray budget = wholePictureScans(kWorkBudgetInPictures);
    QTest::newRow("grayscale, the budget in whole-picture scans")
        << budget << kWorkBudgetInPictures << budget;
    QTest::newRow("grayscale, one whole-picture scan beyond")
        << wholePictureScans(kWorkBudgetInPictures + 1) << kWorkBudgetInPictures + 1 << QByteArray();
    const QByteArray chroma = manyChromaScans();
    QTest::newRow("colour, 46 scans mostly over the small chroma") << chroma << 46 << chroma;
}

// A file may hold scans that change nothing, or change little of a picture, without end; they
// would hold the window thread for seconds. What is bounded is the work of all scans together,
// not their number: eleven scans over the whole picture are refused, 46 mostly small ones are
// shown.
void TestAdverts::scanWorkIsLimited()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(int, scans);
    QFETCH(QByteArray, reference);
    QCOMPARE(scanCount(jpeg), scans);
    QImage decoded;
    const QString error = errorOf([&] { decoded = decodeJpeg(jpeg); });
    if (reference.isEmpty()) {
        QCOMPARE(error, QStringLiteral("JPEG-Fehler #%1").arg(JERR_BAD_SCAN_SCRIPT));
        return;
    }
    QCOMPARE(error, QString());
    const QImage expected = QImage::fromData(reference, "JPG");
    QVERIFY(!expected.isNull());
    QCOMPARE(decoded, expected.convertToFormat(QImage::Format_RGB32));
}

// A few hundred bytes may announce 65000 × 65000 pixels (16 GB as RGB32): refused before
// anything is allocated, instead of exhausting the machine during a match.
void TestAdverts::oversizedPictureIsRefused()
{
    QByteArray jpeg = encode(pattern(64, 48));
    const qsizetype frame = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    QVERIFY(frame > 0);
    // Frame header: marker, length (2), precision (1), height (2), width (2).
    for (const int offset : {5, 7}) {
        jpeg[frame + offset] = char(65000 >> 8);
        jpeg[frame + offset + 1] = char(65000 & 0xff);
    }
    QCOMPARE(errorOf([&] { decodeJpeg(jpeg); }),
             QStringLiteral("Das JPEG-Bild ist mit 65000 × 65000 Bildpunkten zu groß."));
}

void TestAdverts::warningsStayOffStderr()
{
    // Stray bytes between the first two header segments: libjpeg warns ("extraneous bytes
    // before marker") and decodes the picture anyway.
    QByteArray jpeg = encode(pattern(64, 48));
    QVERIFY(jpeg.startsWith("\xff\xd8\xff"));
    jpeg.insert(4 + (uchar(jpeg.at(4)) << 8 | uchar(jpeg.at(5))), QByteArray("\x12\x34\x56", 3));
    QImage image;
    QCOMPARE(stderrOf([&] { image = decodeJpeg(jpeg); }), QByteArray());
    QCOMPARE(image.size(), QSize(64, 48));
}

void TestAdverts::filesByContentNotByName()
{
    const QString jpegAsPng = m_dir->filePath(QStringLiteral("werbung.png"));
    QVERIFY(writeAll(jpegAsPng, encode(solid(Qt::blue))));
    QVERIFY(near(loadJpegFile(jpegAsPng).pixel(5, 5), Qt::blue));

    const QString pngAsJpeg = m_dir->filePath(QStringLiteral("werbung.jpg"));
    QVERIFY(writeAll(pngAsJpeg, pngBytes()));
    QCOMPARE(errorOf([&] { loadJpegFile(pngAsJpeg); }), QStringLiteral("JPEG-Fehler #53"));

    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ordner")));
    for (const QString& name : {QStringLiteral("fehlt.jpg"), QStringLiteral("ordner")}) {
        const QString path = m_dir->filePath(name);
        const QString start =
            QStringLiteral("Die Datei „%1“ kann nicht geöffnet werden: ").arg(QDir::toNativeSeparators(path));
        const QString message = errorOf([&] { loadJpegFile(path); });
        QVERIFY2(message.startsWith(start) && message.size() > start.size(), qPrintable(message));
    }
}

void TestAdverts::builtInAdvertDecodes()
{
    const QString path = QFINDTESTDATA("../../resources/adverts/standard.jpg");
    QVERIFY(!path.isEmpty());
    const QImage image = loadJpegFile(path);
    QCOMPARE(image.size(), QSize(977, 100));
    // Light text on a dark ground: both must be there.
    int light = 0;
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int gray = qGray(image.pixel(x, y));
            light += gray > 200;
            dark += gray < 60;
        }
    QVERIFY(light > 500);
    QVERIFY(dark > image.width() * image.height() / 2);
}

void TestAdverts::werbungaktu_data()
{
    QTest::addColumn<int>("modus");
    QTest::addColumn<int>("adverts");
    QTest::addColumn<int>("rows"); // with the caption row
    QTest::addColumn<QString>("kampfnr");
    QTest::addColumn<int>("expected"); // advert position, 0: the previous picture stays

    QTest::newRow("0: first advert") << 0 << 3 << 5 << "2" << 1;
    QTest::newRow("0: single bout row") << 0 << 3 << 2 << "1" << 0;
    QTest::newRow("0: no adverts") << 0 << 0 << 5 << "1" << 0;
    QTest::newRow("2: advert of the bout") << 2 << 3 << 4 << "2" << 2;
    QTest::newRow("2: last advert") << 2 << 5 << 4 << "5" << 5;
    QTest::newRow("2: as many adverts as bouts") << 2 << 3 << 5 << "2" << 0;
    QTest::newRow("2: fewer adverts than bouts") << 2 << 2 << 5 << "1" << 0;
    QTest::newRow("2: single bout row") << 2 << 5 << 2 << "1" << 0;
    QTest::newRow("2: no bout loaded") << 2 << 3 << 3 << "0" << 0;
    QTest::newRow("2: bout beyond the list") << 2 << 3 << 3 << "7" << 0;
    QTest::newRow("2: negative bout number") << 2 << 3 << 3 << "-1" << 0;
    QTest::newRow("1: rotation only") << 1 << 3 << 5 << "1" << 0;
    QTest::newRow("-1: nothing chosen") << -1 << 3 << 5 << "1" << 0;
}

void TestAdverts::werbungaktu()
{
    QFETCH(int, modus);
    QFETCH(int, adverts);
    QFETCH(int, rows);
    QFETCH(QString, kampfnr);
    QFETCH(int, expected);

    showPrevious();
    settings().setWerbung(makeAdverts(adverts));
    settings().setModus(modus);
    m_console->record().setRowCount(rows);
    m_console->navigator().setKampfnr(kampfnr);
    QSignalSpy changed(m_adverts.get(), &AdvertRotation::pictureChanged);

    m_adverts->werbungaktu();
    settle();

    QCOMPARE(shown(), expected);
    QCOMPARE(changed.count(), expected == 0 ? 0 : 1);
    // Only the rotation moves the rotation's position.
    QCOMPARE(m_adverts->advertIndex(), 0);
}

void TestAdverts::failingAdvertKeepsPreviousPicture_data()
{
    QTest::addColumn<int>("modus");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("message"); // its start

    QTest::newRow("0: PNG") << 0 << pngBytes() << true << "JPEG-Fehler #53";
    QTest::newRow("0: empty file") << 0 << QByteArray() << true << "JPEG-Fehler #42";
    QTest::newRow("0: missing file") << 0 << QByteArray() << false << "Die Datei „";
    QTest::newRow("2: truncated") << 2 << encode(pattern(100, 100)).left(900) << true << kPremature;
}

void TestAdverts::failingAdvertKeepsPreviousPicture()
{
    QFETCH(int, modus);
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QFETCH(QString, message);

    showPrevious();
    const QString broken = m_dir->filePath(QStringLiteral("kaputt.jpg"));
    if (exists)
        QVERIFY(writeAll(broken, content));
    QStringList paths = makeAdverts(3);
    paths[0] = paths[1] = broken;
    settings().setWerbung(paths);
    settings().setModus(modus);
    m_console->navigator().setKampfnr(QStringLiteral("2"));
    QSignalSpy changed(m_adverts.get(), &AdvertRotation::pictureChanged);
    QSignalSpy failed(m_adverts.get(), &AdvertRotation::failed);

    // The first time the file is read by a worker, after the caller has gone on: the failure
    // comes as the message alone, once.
    QCOMPARE(errorOf([&] { m_adverts->werbungaktu(); }), QString());
    settle();
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().startsWith(message), qPrintable(failed.at(0).at(0).toString()));
    QCOMPARE(shown(), 0);

    // Known now: the caller stops with the message itself, and the file is not read again.
    const int reads = m_adverts->filesRead();
    const QString error = errorOf([&] { m_adverts->werbungaktu(); });
    settle();
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QCOMPARE(m_adverts->filesRead(), reads);
    QCOMPARE(shown(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(failed.count(), 1);
}

void TestAdverts::rotationCyclesThroughTheList()
{
    const QStringList paths = makeAdverts(3);
    settings().setWerbung(paths);
    settings().setModus(1);
    QSignalSpy changed(m_adverts.get(), &AdvertRotation::pictureChanged);

    // The first tick only asks for the pictures; from then on each is ready at its turn.
    m_adverts->werbungtimerTimer();
    QVERIFY(m_adverts->picture().isNull());
    for (int position : {1, 2, 3, 1, 2, 3}) {
        tickSettled();
        QCOMPARE(m_adverts->advertIndex(), position);
        QCOMPARE(shown(), position);
    }
    QCOMPARE(changed.count(), 6);

    // After entries were removed, an index past the end (the third of now two) falls back to
    // the first.
    QCOMPARE(m_adverts->advertIndex(), 3);
    settings().setWerbung(paths.mid(1));
    tickSettled();
    QCOMPARE(m_adverts->advertIndex(), 1);
    QCOMPARE(shown(), 2);
}

// More adverts than pictures kept ready: the picture read ahead must survive until its turn,
// or the same adverts would be skipped at every pass.
void TestAdverts::listLongerThanTheCacheShowsEveryAdvert()
{
    constexpr int count = 40;
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths << m_dir->filePath(QStringLiteral("lang%1.jpg").arg(i + 1));
        // Told apart by their width.
        QVERIFY(writeAll(paths.last(), encode(solid(Qt::red, 16 + 8 * i, 8))));
    }
    settings().setWerbung(paths);
    settings().setModus(1);

    m_adverts->werbungtimerTimer();
    for (int pass = 0; pass < 2; ++pass) {
        for (int position = 1; position <= count; ++position) {
            tickSettled();
            QCOMPARE(m_adverts->advertIndex(), position);
            QCOMPARE(m_adverts->picture().width(), 16 + 8 * (position - 1));
        }
    }
}

void TestAdverts::singleAdvertReloadsAtEveryTick()
{
    const QStringList paths = makeAdverts(1);
    settings().setWerbung(paths);
    settings().setModus(1);

    m_adverts->werbungtimerTimer();
    tickSettled();
    QCOMPARE(shown(), 1);
    settle();
    const int reads = m_adverts->filesRead();
    // Unchanged, the file is looked at but not read again.
    tickSettled();
    settle();
    QCOMPARE(m_adverts->filesRead(), reads);
    // A file replaced on disk shows once read: the picture is read again, not kept. (Another
    // size, so that the change shows even within one tick of the file system's clock.)
    QVERIFY(writeAll(paths.first(), encode(solid(kAdvertColours.at(2), 64, 20))));
    tickSettled();
    tickSettled();
    QCOMPARE(m_adverts->advertIndex(), 1);
    QCOMPARE(shown(), 3);
    QCOMPARE(m_adverts->filesRead(), reads + 1);
}

void TestAdverts::tickDoesNothingOutsideModeOne_data()
{
    QTest::addColumn<int>("modus");
    QTest::addColumn<int>("adverts");
    QTest::newRow("-1") << -1 << 3;
    QTest::newRow("0") << 0 << 3;
    QTest::newRow("2") << 2 << 3;
    QTest::newRow("1 without adverts") << 1 << 0;
}

void TestAdverts::tickDoesNothingOutsideModeOne()
{
    QFETCH(int, modus);
    QFETCH(int, adverts);
    settings().setWerbung(makeAdverts(adverts));
    settings().setModus(modus);
    m_console->record().setRowCount(4);
    QSignalSpy changed(m_adverts.get(), &AdvertRotation::pictureChanged);

    m_adverts->werbungtimerTimer();

    QCOMPARE(m_adverts->advertIndex(), 0);
    QCOMPARE(changed.count(), 0);
    QVERIFY(m_adverts->picture().isNull());
}

void TestAdverts::failingTickReportsAndGoesOn()
{
    QStringList paths = makeAdverts(4);
    paths[1] = m_dir->filePath(QStringLiteral("fehlt.jpg"));
    QVERIFY(writeAll(paths[2], pngBytes()));
    settings().setWerbung(paths);
    settings().setModus(1);
    m_adverts->switchTimerForMode();
    QSignalSpy failed(m_adverts.get(), &AdvertRotation::failed);

    // The first tick asks for all four. The next shows the first and names both broken files
    // in one message; from then on the rotation skips them without a word.
    m_adverts->werbungtimerTimer();
    QCOMPARE(failed.count(), 0);
    const struct
    {
        int shown;
        QStringList failures;
    } ticks[] = {{1, {QDir::toNativeSeparators(paths[1]), QDir::toNativeSeparators(paths[2])}},
                 {4, {}},
                 {1, {}},
                 {4, {}}};
    for (const auto& tick : ticks) {
        failed.clear();
        const QString thrown = errorOf([&] { tickSettled(); });
        QCOMPARE(thrown, QString());
        QCOMPARE(shown(), tick.shown);
        QCOMPARE(m_adverts->advertIndex(), tick.shown);
        QCOMPARE(failed.count(), tick.failures.isEmpty() ? 0 : 1);
        for (const QString& failure : tick.failures)
            QVERIFY2(failed.at(0).at(0).toString().contains(failure),
                     qPrintable(failed.at(0).at(0).toString()));
        QVERIFY(m_adverts->rotationActive());
    }

    // A file that loads again and breaks later is named again. (Written while no worker reads:
    // a half-written file is a failure of its own.)
    settle();
    QVERIFY(writeAll(paths[2], encode(solid(kAdvertColours.at(2)))));
    for (int tick = 0; tick < 8 && shown() != 3; ++tick)
        tickSettled();
    QCOMPARE(shown(), 3);
    settle();
    QVERIFY(writeAll(paths[2], pngBytes()));
    failed.clear();
    for (int tick = 0; tick < 6; ++tick)
        tickSettled();
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().contains(QStringLiteral("JPEG-Fehler #53")),
             qPrintable(failed.at(0).at(0).toString()));

    // Nothing left that loads: the picture stays, and the rotation still stops at one round.
    const int before = shown();
    settings().setWerbung({paths[1], paths[2]});
    failed.clear();
    tickSettled();
    tickSettled();
    QCOMPARE(shown(), before);
    QCOMPARE(failed.count(), 0);
}

void TestAdverts::timerDrivesTheRotation()
{
    settings().setWerbung(makeAdverts(2));
    settings().setModus(1);
    settings().setZeit(QStringLiteral("1"));
    m_adverts->switchTimerForMode();
    m_adverts->applyInterval();
    // The shortest interval the operator can set; the connection is what matters here.
    QTRY_VERIFY_WITH_TIMEOUT(shown() >= 1, 5000);
}

// A pulled USB stick breaks the whole list at once: one message names every file, and no file
// that stays as it is is read again.
void TestAdverts::failuresOfOneTickShareOneMessage()
{
    QStringList paths = makeAdverts(1);
    for (int i = 0; i < 20; ++i)
        paths << m_dir->filePath(QStringLiteral("stick/werbung%1.jpg").arg(i));
    settings().setWerbung(paths);
    settings().setModus(1);
    QSignalSpy failed(m_adverts.get(), &AdvertRotation::failed);

    m_adverts->werbungtimerTimer();
    tickSettled();
    QCOMPARE(shown(), 1);
    QCOMPARE(failed.count(), 1);
    const QString message = failed.at(0).at(0).toString();
    for (const QString& path : paths.mid(1))
        QVERIFY2(message.contains(
                     QStringLiteral("Die Werbung „%1“ kann nicht angezeigt werden und wird übersprungen.")
                         .arg(QDir::toNativeSeparators(path))),
                 qPrintable(path));
    settle();
    const int reads = m_adverts->filesRead();
    for (int tick = 0; tick < 5; ++tick)
        tickSettled();
    settle();
    QCOMPARE(failed.count(), 1);
    QCOMPARE(m_adverts->filesRead(), reads);
    QCOMPARE(shown(), 1);
}

// The tick hands the reading to the workers and returns: with every worker busy elsewhere, it
// still comes back at once, and the picture follows at a tick after they are free.
void TestAdverts::tickNeverWaitsForTheWorkers()
{
    settings().setWerbung(makeAdverts(2));
    settings().setModus(1);
    QSemaphore release;
    QSemaphore started;
    const int workers = m_adverts->workers().maxThreadCount();
    for (int i = 0; i < workers; ++i)
        m_adverts->workers().start([&] {
            started.release();
            release.acquire();
        });
    started.acquire(workers);

    for (int tick = 0; tick < 3; ++tick)
        m_adverts->werbungtimerTimer();
    QVERIFY(m_adverts->picture().isNull());
    QVERIFY(m_adverts->loading());
    QCOMPARE(m_adverts->filesRead(), 0);

    release.release(workers);
    tickSettled();
    QVERIFY(shown() >= 1);
}

void TestAdverts::unreadableFilesAreRefusedByName_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // a part of it; empty: the picture is shown
    const QString notRegular = QStringLiteral("ist keine gewöhnliche Datei");
    QTest::newRow("FIFO") << "fifo" << notRegular;
    QTest::newRow("link to /dev/zero") << "zero" << notRegular;
    QTest::newRow("sparse 3 GB") << "sparse"
                                 << "ist mit 3072 MB zu groß; ein Bild darf höchstens 64 MB groß sein.";
    QTest::newRow("a byte over the limit") << "over"
                                           << "ist mit 65 MB zu groß";
    QTest::newRow("at the limit") << "limit"
                                  << "";
}

// A FIFO would hold whoever opens it until a writer comes, a device is read without end and a
// huge file fills the memory: each is refused by what its name stands for, unread, and the
// rotation goes on with the next advert.
void TestAdverts::unreadableFilesAreRefusedByName()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString path = m_dir->filePath(QStringLiteral("werbung-") + kind + QStringLiteral(".jpg"));
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else {
        // A picture at the start, then nothing but a hole up to the size.
        const qint64 size = kind == QLatin1String("sparse") ? qint64(3) * 1024 * 1024 * 1024
                            : kind == QLatin1String("over") ? kMaxJpegFileBytes + 1
                                                            : kMaxJpegFileBytes;
        QVERIFY(writeAll(path, encode(solid(kAdvertColours.at(1)))));
        QFile file(path);
        QVERIFY(file.resize(size));
    }
    QStringList paths = makeAdverts(1);
    paths << path;
    settings().setWerbung(paths);
    settings().setModus(1);
    QSignalSpy failed(m_adverts.get(), &AdvertRotation::failed);

    m_adverts->werbungtimerTimer();
    tickSettled();
    QCOMPARE(shown(), 1);
    tickSettled();
    if (message.isEmpty()) {
        QCOMPARE(shown(), 2);
        QCOMPARE(failed.count(), 0);
    } else {
        QCOMPARE(shown(), 1);
        QCOMPARE(failed.count(), 1);
        const QString text = failed.at(0).at(0).toString();
        QVERIFY2(text.contains(QDir::toNativeSeparators(path)) && text.contains(message), qPrintable(text));
    }
}

// The hall's strip is small; a photo-sized advert comes to the window already scaled into it.
void TestAdverts::pictureComesScaledToTheStrip()
{
    const QString path = m_dir->filePath(QStringLiteral("foto.jpg"));
    QVERIFY(writeAll(path, encode(solid(kAdvertColours.at(0), 3000, 1200))));
    const QString small = m_dir->filePath(QStringLiteral("klein.jpg"));
    QVERIFY(writeAll(small, encode(solid(kAdvertColours.at(1), 300, 40))));
    settings().setWerbung({path, small});
    settings().setModus(1);

    m_adverts->werbungtimerTimer();
    tickSettled();
    QCOMPARE(shown(), 1);
    const QSize box = m_adverts->displayBox();
    QCOMPARE(m_adverts->picture().size(), QSize(3000, 1200).scaled(box, Qt::KeepAspectRatio));
    // Never made larger.
    tickSettled();
    QCOMPARE(m_adverts->picture().size(), QSize(300, 40));
}

void TestAdverts::switchTimerForMode_data()
{
    QTest::addColumn<int>("modus");
    QTest::addColumn<bool>("on");
    QTest::newRow("-1") << -1 << false;
    QTest::newRow("0") << 0 << false;
    QTest::newRow("1") << 1 << true;
    QTest::newRow("2") << 2 << false;
}

void TestAdverts::switchTimerForMode()
{
    QFETCH(int, modus);
    QFETCH(bool, on);
    QVERIFY(!m_adverts->rotationActive());
    QCOMPARE(m_adverts->rotationInterval(), 1000);

    settings().setModus(modus);
    m_adverts->switchTimerForMode();
    QCOMPARE(m_adverts->rotationActive(), on);
    QCOMPARE(m_adverts->rotationInterval(), 1000);

    settings().setModus(on ? 0 : 1);
    m_adverts->switchTimerForMode();
    QCOMPARE(m_adverts->rotationActive(), !on);
}

void TestAdverts::applyInterval_data()
{
    QTest::addColumn<QString>("zeit");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("ticking");

    QTest::newRow("120") << "120"
                         << "" << 120000 << true;
    QTest::newRow("leading blank") << " 7"
                                   << "" << 7000 << true;
    QTest::newRow("0") << "0"
                       << "" << 0 << false;
    QTest::newRow("negative") << "-5"
                              << "" << 0 << false;
    // No number stands still as 0 does, and says so naming the field.
    QTest::newRow("letters") << "abc"
                             << "'abc' ist kein gültiger Integerwert" << 0 << false;
    QTest::newRow("decimal") << "1,5"
                             << "'1,5' ist kein gültiger Integerwert" << 0 << false;
    QTest::newRow("empty") << ""
                           << "'' ist kein gültiger Integerwert" << 0 << false;
    QTest::newRow("beyond the timer's range") << "9999999"
                                              << "" << std::numeric_limits<int>::max() << true;
}

void TestAdverts::applyInterval()
{
    QFETCH(QString, zeit);
    QFETCH(QString, error);
    QFETCH(int, interval);
    QFETCH(bool, ticking);

    settings().setModus(1);
    m_adverts->switchTimerForMode();
    settings().setZeit(zeit);
    const QString thrown = errorOf([&] { m_adverts->applyInterval(); });
    QVERIFY2(error.isEmpty() ? thrown.isEmpty() : thrown.startsWith(error), qPrintable(thrown));
    if (!error.isEmpty())
        QVERIFY2(thrown.contains(QStringLiteral("„Wechsel alle … Sekunden“")), qPrintable(thrown));
    QCOMPARE(m_adverts->rotationInterval(), interval);
    QCOMPARE(m_adverts->rotationActive(), ticking);

    // The other modes never use the seconds: whatever they hold, "Anzeige" goes through silently.
    for (int modus : {-1, 0, 2}) {
        settings().setModus(modus);
        m_adverts->prepareDisplay();
        QVERIFY(!m_adverts->rotationActive());
    }

    // Leaving the seconds field tells a typing error in every mode and keeps the interval.
    for (int modus : {0, 1, 2}) {
        settings().setModus(modus);
        settings().setZeit(QStringLiteral("45"));
        m_adverts->applyEnteredInterval();
        settings().setZeit(zeit);
        QCOMPARE(errorOf([&] { m_adverts->applyEnteredInterval(); }), error);
        QCOMPARE(m_adverts->rotationInterval(), error.isEmpty() ? interval : 45000);
    }
}

// "Anzeige" switches first and applies the seconds after; the seconds field alone can stop
// and restart the rotation while mode 1 stays chosen.
void TestAdverts::secondsAtZeroStandStillUntilPositiveAgain()
{
    settings().setWerbung(makeAdverts(2));
    settings().setModus(1);
    settings().setZeit(QStringLiteral("0"));
    m_console->record().setRowCount(3);

    m_adverts->switchTimerForMode();
    m_adverts->werbungaktu();
    m_adverts->applyInterval();
    QVERIFY(!m_adverts->rotationActive());
    m_adverts->switchTimerForMode();
    QVERIFY(!m_adverts->rotationActive());

    settings().setZeit(QStringLiteral("60"));
    m_adverts->applyInterval();
    QVERIFY(m_adverts->rotationActive());
    QCOMPARE(m_adverts->rotationInterval(), 60000);

    settings().setModus(0);
    m_adverts->switchTimerForMode();
    settings().setZeit(QStringLiteral("30"));
    m_adverts->applyInterval();
    QVERIFY(!m_adverts->rotationActive());
    QCOMPARE(m_adverts->rotationInterval(), 30000);
}

void TestAdverts::sameIntervalKeepsTheCountdown()
{
    settings().setModus(1);
    settings().setZeit(QStringLiteral("60"));
    m_adverts->switchTimerForMode();
    m_adverts->applyInterval();
    QVERIFY(m_adverts->rotationActive());

    QTest::qWait(120);
    m_adverts->applyInterval();
    // A restarted countdown would be back at (nearly) the full minute.
    QVERIFY2(m_adverts->rotationRemaining() <= 59950,
             qPrintable(QString::number(m_adverts->rotationRemaining())));
}

QTEST_GUILESS_MAIN(TestAdverts)
#include "tst_adverts.moc"
