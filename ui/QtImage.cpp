#include "ui/QtImage.h"

namespace qrdesk {

QImage ToQImage(const Image& image) {
    if (image.Empty()) return {};
    QImage out(image.width, image.height, QImage::Format_RGB32);
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* in = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (std::int32_t x = 0; x < image.width; ++x) row[x] = 0xFF000000u | image.palette[in[x]];
    }
    return out;
}

}  // namespace qrdesk
