#pragma once

#include <QByteArray>

#include <functional>

#include <cstdio>
#include <jpeglib.h>

// Test and benchmark pictures through libjpeg's own encoder, which can write what Qt's writer
// cannot (inks, scan scripts, pictures too large to hold uncompressed). `configure` runs after
// the defaults for `components` samples of `inSpace` per pixel; `row(y)` gives each scanline.
// An encoder error stops the program: a test picture that cannot be made is a fault of the test.
QByteArray encodeJpeg(int width, int height, int components, J_COLOR_SPACE inSpace,
                      const std::function<void(jpeg_compress_struct&)>& configure,
                      const std::function<const unsigned char*(int y)>& row);
