#include "JpegEncode.h"

#include <QtGlobal>

#include <cstdlib>

QByteArray encodeJpeg(int width, int height, int components, J_COLOR_SPACE inSpace,
                      const std::function<void(jpeg_compress_struct&)>& configure,
                      const std::function<const unsigned char*(int y)>& row)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    err.error_exit = [](j_common_ptr c) {
        char text[JMSG_LENGTH_MAX];
        (*c->err->format_message)(c, text);
        qFatal("test picture not encoded: %s", text);
    };
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = inSpace;
    jpeg_set_defaults(&cinfo);
    configure(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto line = const_cast<JSAMPROW>(row(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(outSize));
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}
