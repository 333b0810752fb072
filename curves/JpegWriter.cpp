// libjpeg called directly. Its default error handler ends the process, so errors jump back here.
#include "curves/JpegWriter.h"

#include <QSaveFile>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>

extern "C" {
#include <jpeglib.h>
}

namespace {
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {}

// Everything libjpeg touches lives in the caller's frame, so that nothing the error jump skips
// over is left indeterminate; the function itself holds no object with a destructor.
struct Compression {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* buffer = nullptr;  // allocated by libjpeg's memory destination; freed by the caller
    unsigned long size = 0;
};

bool compress(Compression& c, const unsigned char* pixels, int width, int height, std::size_t stride,
              bool bgrx, int quality)
{
    c.cinfo.err = jpeg_std_error(&c.err.base);
    c.err.base.error_exit = onError;
    c.err.base.output_message = onMessage;
    if (setjmp(c.err.jump)) {
        jpeg_destroy_compress(&c.cinfo);
        return false;
    }
    jpeg_create_compress(&c.cinfo);
    jpeg_mem_dest(&c.cinfo, &c.buffer, &c.size);
    c.cinfo.image_width = static_cast<JDIMENSION>(width);
    c.cinfo.image_height = static_cast<JDIMENSION>(height);
#ifdef JCS_EXTENSIONS
    c.cinfo.input_components = bgrx ? 4 : 3;
    c.cinfo.in_color_space = bgrx ? JCS_EXT_BGRX : JCS_RGB;
#else
    (void)bgrx;
    c.cinfo.input_components = 3;
    c.cinfo.in_color_space = JCS_RGB;
#endif
    jpeg_set_defaults(&c.cinfo);
    jpeg_set_quality(&c.cinfo, quality, TRUE);
    jpeg_start_compress(&c.cinfo, TRUE);
    while (c.cinfo.next_scanline < c.cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + c.cinfo.next_scanline * stride);
        jpeg_write_scanlines(&c.cinfo, &row, 1);
    }
    jpeg_finish_compress(&c.cinfo);
    jpeg_destroy_compress(&c.cinfo);
    return true;
}
}  // namespace

std::optional<QByteArray> encodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return std::nullopt;
#ifdef JCS_EXTENSIONS
    // libjpeg-turbo reads 32-bit pixels as they lie in memory (B, G, R, unused on little-endian
    // machines), which saves converting the picture first.
    constexpr bool bgrx = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
#else
    constexpr bool bgrx = false;
#endif
    const QImage pixels = image.convertToFormat(bgrx ? QImage::Format_RGB32 : QImage::Format_RGB888);
    Compression c;
    const bool ok = compress(c, pixels.constBits(), pixels.width(), pixels.height(),
                             static_cast<std::size_t>(pixels.bytesPerLine()), bgrx, quality);
    std::optional<QByteArray> bytes;
    if (ok && c.buffer)
        bytes = QByteArray(reinterpret_cast<const char*>(c.buffer), static_cast<qsizetype>(c.size));
    std::free(c.buffer);
    return bytes;
}

bool writeJpegFile(const QImage& image, const QString& path, int quality)
{
    const auto bytes = encodeJpeg(image, quality);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*bytes) != bytes->size())
        return false;
    return file.commit();
}
