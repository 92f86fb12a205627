#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures read through libjpeg itself, so a damaged file fails with libjpeg's own message
// number as operators know it ("JPEG-Fehler #53"). Every colour model libjpeg reads (YCbCr,
// RGB, grayscale, CMYK, YCCK) comes back as QImage::Format_RGB32.

// Throws UserError("JPEG-Fehler #n") when `data` holds no complete JPEG picture, or scans that
// together walk more than ten times the picture's blocks (JERR_BAD_SCAN_SCRIPT), which no
// encoder writes and which would hold the caller for seconds; a picture that merely lacks its
// end marker is complete and decodes.
QImage decodeJpeg(const QByteArray& data);

// Reads the file at `path` and decodes it; the extension is not looked at. A file that cannot be
// read throws UserError naming it.
QImage loadJpegFile(const QString& path);
