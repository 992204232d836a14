#include "common/Image.h"

namespace qrdesk {
namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out += static_cast<char>(value >> (8 * k) & 0xFF);
}

}  // namespace

Image FromPicture(const Picture& picture) {
    Image image;
    image.width = picture.Width();
    image.height = picture.Height();
    image.palette = picture.Palette();
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::int32_t y = 0; y < image.height; ++y)
        std::copy(picture.Row(y), picture.Row(y) + image.width,
                  image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width);
    return image;
}

Image Stretch(const Image& source, std::int32_t width, std::int32_t height) {
    if (source.Empty() || width <= 0 || height <= 0) return {};
    Image target;
    target.width = width;
    target.height = height;
    target.palette = source.palette;
    target.pixels.resize(static_cast<std::size_t>(width) * height);
    std::vector<std::int32_t> column(static_cast<std::size_t>(width));
    for (std::int32_t x = 0; x < width; ++x)
        column[x] = static_cast<std::int32_t>(std::int64_t{x} * source.width / width);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* in =
            source.pixels.data() +
            static_cast<std::size_t>(std::int64_t{y} * source.height / height) * source.width;
        std::uint8_t* out = target.pixels.data() + static_cast<std::size_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x) out[x] = in[column[x]];
    }
    return target;
}

std::vector<std::uint8_t> Luminance(const Image& image) {
    std::array<std::uint8_t, 256> grey{};
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = image.palette[i];
        const std::uint32_t r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
        grey[i] = static_cast<std::uint8_t>((r * 11 + g * 16 + b * 5) / 32);
    }
    std::vector<std::uint8_t> out(image.pixels.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = grey[image.pixels[i]];
    return out;
}

std::string EncodeBmp(const Image& image) {
    if (image.Empty()) return {};
    constexpr std::uint32_t kHeaders = 14 + 40;
    constexpr std::uint32_t kPixelsPerMetre = 3937;  // 100 dots per inch
    const std::uint32_t rowBytes = (3 * static_cast<std::uint32_t>(image.width) + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(image.height);
    std::string out;
    out.reserve(kHeaders + imageBytes);
    out += "BM";
    PutLe(out, kHeaders + imageBytes, 4);
    PutLe(out, 0, 4);         // reserved
    PutLe(out, kHeaders, 4);  // offset of the pixels
    PutLe(out, 40, 4);        // BITMAPINFOHEADER
    PutLe(out, static_cast<std::uint32_t>(image.width), 4);
    PutLe(out, static_cast<std::uint32_t>(image.height), 4);  // positive: bottom row first
    PutLe(out, 1, 2);                                         // planes
    PutLe(out, 24, 2);                                        // bits per pixel
    PutLe(out, 0, 4);                                         // no compression
    PutLe(out, imageBytes, 4);
    PutLe(out, kPixelsPerMetre, 4);
    PutLe(out, kPixelsPerMetre, 4);
    PutLe(out, 0, 4);  // colours used
    PutLe(out, 0, 4);  // important colours
    std::string row(rowBytes, '\0');
    for (std::int32_t y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* in = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::uint32_t c = image.palette[in[x]];
            row[3 * x] = static_cast<char>(c & 0xFF);  // blue, green, red
            row[3 * x + 1] = static_cast<char>(c >> 8 & 0xFF);
            row[3 * x + 2] = static_cast<char>(c >> 16 & 0xFF);
        }
        out += row;
    }
    return out;
}

}  // namespace qrdesk
