#include "readback/ImageFile.h"

#include <cstring>

#include "ImageFormats.h"
#include "common/Logo.h"

namespace qrdesk {
namespace image {

std::string SizeProblem(std::int64_t width, std::int64_t height, const ImageLimits& limits,
                        const char* format) {
    if (width <= 0 || height <= 0)
        return std::string(format) + " picture of " + std::to_string(width) + " x " +
               std::to_string(height) + " pixels: nothing to read";
    // Checked one side at a time first, so that the product cannot overflow.
    if (width > limits.maxPixels || height > limits.maxPixels || width * height > limits.maxPixels)
        return std::string(format) + " picture of " + std::to_string(width) + " x " +
               std::to_string(height) + " pixels is larger than " +
               std::to_string(limits.maxPixels) + " pixels";
    return {};
}

DecodedImage Allocate(std::int64_t width, std::int64_t height, const ImageLimits& limits,
                      const char* format) {
    if (std::string problem = SizeProblem(width, height, limits, format); !problem.empty())
        return Failure(std::move(problem));
    DecodedImage out;
    out.image.width = static_cast<std::int32_t>(width);
    out.image.height = static_cast<std::int32_t>(height);
    out.image.pixels.assign(static_cast<std::size_t>(width * height), 255);
    return out;
}

}  // namespace image

namespace {

bool StartsWith(image::Bytes file, std::size_t offset, const char* signature) {
    const std::size_t n = std::strlen(signature);
    return file.size() >= offset + n && std::memcmp(file.data() + offset, signature, n) == 0;
}

}  // namespace

DecodedImage DecodeImageFile(std::span<const std::uint8_t> file, const ImageLimits& limits) {
    using namespace image;
    if (file.empty()) return Failure("empty file, not a picture");
    if (StartsWith(file, 0, "\x89PNG\r\n\x1a\n")) return DecodePng(file, limits);
    if (StartsWith(file, 0, "\xFF\xD8\xFF")) return DecodeJpeg(file, limits);
    if (StartsWith(file, 0, "RIFF") && StartsWith(file, 8, "WEBP")) return DecodeWebp(file, limits);
    if (StartsWith(file, 0, "GIF87a") || StartsWith(file, 0, "GIF89a"))
        return DecodeGif(file, limits);
    if (StartsWith(file, 0, "BM")) return DecodeBmp(file, limits);
    if (file.size() >= 2 && file[0] == 'P' && file[1] >= '1' && file[1] <= '6')
        return DecodePnm(file, limits);
    // Told as a logo's format is told: after a byte-order mark, an XML declaration, comments.
    if (SniffLogoFormat({reinterpret_cast<const char*>(file.data()), file.size()}) ==
        LogoFormat::Svg)
        return Failure("an SVG drawing, not a picture: draw it first (rsvg-convert -o x.png)");
    return Failure("not a picture in a format read here (PNG, JPEG, GIF, WebP, BMP, PNM)");
}

}  // namespace qrdesk
