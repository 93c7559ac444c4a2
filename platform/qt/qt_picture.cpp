// The BMP decoder on Qt (see qt_picture.h).
#include "platform/qt/qt_picture.h"

#include <QImage>


namespace rix {

bool decode_bmp_with_qt(std::string_view file, Picture* out) {
    *out = {};
    if (file.empty() || file.size() > PICTURE_FILE_LIMIT) return false;
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(file.data()), static_cast<int>(file.size()), "BMP"))
        return false;
    image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || image.width() < 1 || image.height() < 1) return false;
    out->width = image.width();
    out->height = image.height();
    out->pixels.resize(static_cast<std::size_t>(out->width) * out->height);
    for (int y = 0; y < out->height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::uint32_t* dst = out->pixels.data() + static_cast<std::size_t>(y) * out->width;
        for (int x = 0; x < out->width; ++x) dst[x] = row[x] | 0xFF000000u;
    }
    return true;
}

void install_qt_picture_decoder() { install_bmp_decoder(decode_bmp_with_qt); }

}  // namespace rix
