#include "ui/picture.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(err->jump, 1);
}
void onMessage(j_common_ptr) {}
} // namespace

QImage decodeJpeg(const QByteArray& data) {
    if (data.isEmpty())
        return {};
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.output_message = onMessage;
    QImage image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

QImage loadJpeg(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(f.readAll());
}

QString flagPicture(int language) {
    static const char* names[] = {"hu", "en", "de", "sl"};
    return QStringLiteral(":/pictures/flag_%1.jpg").arg(QLatin1String(names[language & 3]));
}

void initPictures() {
    Q_INIT_RESOURCE(assets);
}
