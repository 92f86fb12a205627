#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures read through libjpeg itself, so a damaged file fails with libjpeg's own message
// number as operators know it ("JPEG-Fehler #53"). Every colour model libjpeg reads (YCbCr,
// RGB, grayscale, CMYK, YCCK) comes back as QImage::Format_RGB32.

// No advert or picture a console shows comes near this; a larger file is refused unread.
constexpr qint64 kMaxJpegFileBytes = qint64(64) * 1024 * 1024;

// Throws UserError("JPEG-Fehler #n") when `data` holds no complete JPEG picture, or scans that
// together walk more than ten times the picture's blocks (JERR_BAD_SCAN_SCRIPT), which no
// encoder writes and which would hold the caller for seconds; a picture that merely lacks its
// end marker is complete and decodes. Arithmetic coding is refused (JERR_ARITH_NOTIMPL, as a
// libjpeg built without it answers): no camera or editor writes it by default, and its scans
// cost several times a Huffman scan's work per block, which the budget in blocks cannot bound.
QImage decodeJpeg(const QByteArray& data);

// Reads the file at `path` and decodes it; the extension is not looked at. A file that cannot be
// read throws UserError naming it. Only a regular file of at most kMaxJpegFileBytes is opened:
// a FIFO or a device (also behind a link) and a larger file are refused by what the name stands
// for, without reading a byte, so nothing here waits for a writer or reads without end.
QImage loadJpegFile(const QString& path);
