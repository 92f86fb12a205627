// An advert file decodes to the same picture every time, or fails with the same message every
// time; a decoded picture is opaque RGB32, as the audience window expects.
#include "FuzzSupport.h"

#include "platform/JpegDecoder.h"

#include <QImage>

namespace {

struct Outcome
{
    QImage image;
    QString message;
};

Outcome decode(const QByteArray& bytes)
{
    try {
        return {decodeJpeg(bytes), {}};
    } catch (const UserError& e) {
        fuzz::requireMessage(e);
        return {{}, e.message()};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first pass reads libFuzzer's own buffer, so a read past its end is caught; a copy
    // carries a terminating zero that would hide one.
    const Outcome first =
        decode(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    const Outcome second = decode(fuzz::bytesOf(data, size));

    fuzz::require(first.message == second.message, "the same bytes fail the same way",
                  first.message + QStringLiteral(" / ") + second.message);
    if (!first.message.isEmpty()) {
        fuzz::require(first.message.startsWith(QStringLiteral("JPEG-Fehler #")) ||
                          first.message.startsWith(QStringLiteral("Das JPEG-Bild ist mit")),
                      "a failure is a JPEG message", first.message);
        return 0;
    }
    fuzz::require(!first.image.isNull() && first.image.format() == QImage::Format_RGB32,
                  "a decoded picture is RGB32");
    fuzz::require(first.image == second.image, "the same bytes give the same picture");
    for (int y = 0; y < first.image.height(); ++y) {
        const auto row = reinterpret_cast<const quint32*>(first.image.constScanLine(y));
        for (int x = 0; x < first.image.width(); ++x) {
            if (row[x] >> 24 != 0xff)
                fuzz::fail("every pixel is opaque", QStringLiteral("%1,%2").arg(x).arg(y));
        }
    }
    return 0;
}
