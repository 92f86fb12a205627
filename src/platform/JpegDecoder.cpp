#include "JpegDecoder.h"

#include "FileErrors.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt's reader refuses larger pictures by default too; a tiny file can announce a picture of
// 65500 × 65500 pixels, and an advert strip never needs one that big.
constexpr qint64 kMaxPictureBytes = qint64(256) * 1024 * 1024;

// A progressive file may repeat scans without end, and libjpeg walks every block of a scan's
// components whether the scan carries data or not: 3,000 empty scans in 690 kB hold the window
// thread for seconds. So the blocks walked are bounded, not the scans. libjpeg's own progressive
// script and the more elaborate ones of other encoders walk at most six pictures' worth; ten
// lets them through, and a file made to waste time then stops after about what decoding a real
// picture of its size takes (a scan of a real picture costs about as much a block as the
// dearest crafted one).
constexpr qint64 kWorkBudgetInPictures = 10;

// libjpeg writes Format_RGB32's byte order (0xffRRGGBB in a native 32-bit word) directly, and
// the alpha variants guarantee the 0xff byte that the X variants leave undefined.
constexpr J_COLOR_SPACE kRgb32Space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

enum class Failure
{
    None,
    Jpeg,
    TooLarge
};

// Lives in the frame of decodeJpeg, outside the one that calls setjmp, so that nothing a
// longjmp crosses has to be destroyed and nothing it returns to has an indeterminate value.
struct Session
{
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    jpeg_progress_mgr progress{};
    std::jmp_buf escape{};
    Failure failure = Failure::None;
    int code = 0;
    bool headerDone = false;
    bool sawEnd = false;
    bool rowsDone = false;
    // Blocks of all scans taken in so far, against the budget; a scan counts once it has begun.
    qint64 blocksWalked = 0;
    qint64 blockBudget = 0;
    int scanCounted = 0;
    QImage image;
};

Session& sessionOf(j_common_ptr cinfo)
{
    return *static_cast<Session*>(cinfo->client_data);
}

[[noreturn]] void fail(Session& s, int code)
{
    s.failure = Failure::Jpeg;
    s.code = code;
    std::longjmp(s.escape, 1);
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    fail(sessionOf(cinfo), cinfo->err->msg_code);
}

// libjpeg reports damage it can paper over as warnings and goes on, filling what is missing
// with grey; a file cut short would then show a grey remainder on the audience window, so that
// one fails. The end of the data alone is no proof: after the last real byte libjpeg still
// reads ahead, so a complete picture that lacks only its end marker warns too. It is cut short
// when the header is, or when the decoder then runs out of bits it needs (the marker warning).
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    Session& s = sessionOf(cinfo);
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF) {
        if (!s.headerDone)
            fail(s, JWRN_JPEG_EOF);
        s.sawEnd = true;
    } else if (code == JWRN_HIT_MARKER && s.sawEnd && !s.rowsDone) {
        fail(s, JWRN_JPEG_EOF);
    }
}

qint64 blocksOf(const jpeg_component_info& component)
{
    return qint64(component.width_in_blocks) * component.height_in_blocks;
}

// libjpeg calls this before each step of taking in the scans (one row of blocks, or the markers
// up to the next scan) and before each step of the output. A scan is charged in full as soon as
// it begins, so the one that would pass the budget is refused before any of its work is done.
// libjpeg has no message of its own for too much work; a scan script it cannot accept is the
// nearest, and no other decode reports it.
void progressMonitor(j_common_ptr cinfo)
{
    const auto d = reinterpret_cast<j_decompress_ptr>(cinfo);
    Session& s = sessionOf(cinfo);
    if (d->input_scan_number == s.scanCounted)
        return;
    s.scanCounted = d->input_scan_number;
    for (int i = 0; i < d->comps_in_scan; ++i)
        s.blocksWalked += blocksOf(*d->cur_comp_info[i]);
    if (s.blocksWalked > s.blockBudget)
        fail(s, JERR_BAD_SCAN_SCRIPT);
}

// The default prints to stderr, which nobody at the console reads.
void outputMessage(j_common_ptr) {}

// Photoshop, the usual source of CMYK files, stores the inks inverted (255 = no ink); libjpeg
// passes them through, so each channel times the inverted black is the light left over.
void cmykToRgb32InPlace(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            uchar* p = row + 4 * x;
            const uint c = p[0], m = p[1], yellow = p[2], k = p[3];
            const QRgb rgb = qRgb(int(c * k / 255), int(m * k / 255), int(yellow * k / 255));
            qToUnaligned(rgb, p);
        }
    }
}

// Every libjpeg call that may end in longjmp runs in this frame, which keeps no state of its own.
bool run(Session& s, const QByteArray& data)
{
    if (setjmp(s.escape))
        return false;

    jpeg_create_decompress(&s.cinfo);
    // Creation clears every field but the error manager and client data.
    s.progress.progress_monitor = progressMonitor;
    s.cinfo.progress = &s.progress;
    jpeg_mem_src(&s.cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&s.cinfo, TRUE);
    s.headerDone = true;
    if (s.cinfo.arith_code)
        fail(s, JERR_ARITH_NOTIMPL);
    for (int i = 0; i < s.cinfo.num_components; ++i)
        s.blockBudget += kWorkBudgetInPictures * blocksOf(s.cinfo.comp_info[i]);

    const bool inks = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
    s.cinfo.out_color_space = inks ? JCS_CMYK : kRgb32Space;
    jpeg_calc_output_dimensions(&s.cinfo);
    if (qint64(s.cinfo.output_width) * s.cinfo.output_height * 4 > kMaxPictureBytes) {
        s.failure = Failure::TooLarge;
        return false;
    }

    jpeg_start_decompress(&s.cinfo);
    const int width = int(s.cinfo.output_width);
    const int height = int(s.cinfo.output_height);
    s.image = QImage(width, height, QImage::Format_RGB32);
    if (s.image.isNull()) {
        s.failure = Failure::TooLarge;
        return false;
    }

    // libjpeg writes straight into the picture's rows: no intermediate buffer, no copy. The
    // pointer table comes from libjpeg's own pool, which jpeg_destroy frees on every path.
    auto rows = static_cast<JSAMPARRAY>((*s.cinfo.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&s.cinfo), JPOOL_IMAGE, sizeof(JSAMPROW) * std::size_t(height)));
    uchar* bits = s.image.bits();
    const qsizetype stride = s.image.bytesPerLine();
    for (int y = 0; y < height; ++y)
        rows[y] = bits + y * stride;

    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const JDIMENSION done = s.cinfo.output_scanline;
        // A memory source never suspends; no progress can only mean data that ended.
        if (jpeg_read_scanlines(&s.cinfo, rows + done, s.cinfo.output_height - done) == 0)
            fail(s, JWRN_JPEG_EOF);
    }
    s.rowsDone = true;
    jpeg_finish_decompress(&s.cinfo);

    if (inks)
        cmykToRgb32InPlace(s.image);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data)
{
    Session s;
    s.cinfo.err = jpeg_std_error(&s.err);
    s.err.error_exit = errorExit;
    s.err.emit_message = emitMessage;
    s.err.output_message = outputMessage;
    s.cinfo.client_data = &s;

    const bool ok = run(s, data);
    // Safe on a struct that creation never reached: it is zeroed, and destroy skips a missing pool.
    jpeg_destroy_decompress(&s.cinfo);

    if (ok)
        return std::move(s.image);
    if (s.failure == Failure::TooLarge)
        throw UserError(QStringLiteral("Das JPEG-Bild ist mit %1 × %2 Bildpunkten zu groß.")
                            .arg(s.cinfo.output_width)
                            .arg(s.cinfo.output_height));
    throw UserError(QStringLiteral("JPEG-Fehler #%1").arg(s.code));
}

namespace {

QString cannotOpen(const QString& path, const QString& cause)
{
    return QStringLiteral("Die Datei „%1“ kann nicht geöffnet werden: %2")
        .arg(QDir::toNativeSeparators(path), cause);
}

// What `path` names, refused unless it is a regular file no larger than the limit.
void checkReadable(const QString& path, const struct stat& info)
{
    // A folder stays "cannot be opened", as the operator has always been told.
    if (S_ISDIR(info.st_mode))
        throw UserError(cannotOpen(path, germanFileError(QFileDevice::OpenError)));
    if (!S_ISREG(info.st_mode))
        throw UserError(QStringLiteral("Die Datei „%1“ ist keine gewöhnliche Datei (etwa ein Gerät oder eine "
                                       "Warteschlange) und wird nicht gelesen.")
                            .arg(QDir::toNativeSeparators(path)));
    if (info.st_size > kMaxJpegFileBytes)
        throw UserError(QStringLiteral("Die Datei „%1“ ist mit %2 MB zu groß; ein Bild darf höchstens %3 MB "
                                       "groß sein. Sie wird nicht gelesen.")
                            .arg(QDir::toNativeSeparators(path))
                            .arg((info.st_size + 1024 * 1024 - 1) / (1024 * 1024))
                            .arg(kMaxJpegFileBytes / (1024 * 1024)));
}

QByteArray readWhole(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    {
    };
    // By name first: opening a FIFO would wait for a writer, and a device never ends.
    if (::stat(name.constData(), &info) != 0)
        throw UserError(cannotOpen(path, germanFileError(QFileDevice::OpenError)));
    checkReadable(path, info);

    // Non-blocking, so a FIFO put in its place since the look above cannot hold the open either;
    // the open file is then checked again, and that is the one read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw UserError(cannotOpen(path, germanFileError(QFileDevice::OpenError)));
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &info) != 0)
        throw UserError(cannotOpen(path, germanErrno(errno)));
    checkReadable(path, info);

    // One byte more than the size: a file that grew since is read only up to the limit.
    const qint64 capacity = qMin<qint64>(info.st_size, kMaxJpegFileBytes) + 1;
    QByteArray data(capacity, Qt::Uninitialized);
    qint64 done = 0;
    while (done < capacity) {
        const ssize_t n = ::read(fd, data.data() + done, std::size_t(capacity - done));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw UserError(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                                .arg(QDir::toNativeSeparators(path), germanErrno(errno)));
        }
        done += n;
    }
    if (done > kMaxJpegFileBytes) {
        info.st_size = done;
        checkReadable(path, info);
    }
    data.truncate(done);
    return data;
}

} // namespace

QImage loadJpegFile(const QString& path)
{
    return decodeJpeg(readWhole(path));
}
