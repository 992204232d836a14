#pragma once
// Symbol pictures as files: the picture's pixels as palette indices, the stretch to a size,
// and the uncompressed BMP encoding that the window and the command line both write.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/Picture.h"

namespace qrdesk {

// Pixels as palette indices, row by row from the top, no padding; colours as 0xRRGGBB.
struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;
    std::array<std::uint32_t, 256> palette{};

    bool Empty() const { return width <= 0 || height <= 0; }
    std::uint32_t Colour(std::int32_t x, std::int32_t y) const {
        return palette[pixels[static_cast<std::size_t>(y) * width + x]];
    }
};

// The picture, pixel for pixel.
Image FromPicture(const Picture& picture);

// The image enlarged or reduced to width x height by pixel replication (nearest neighbour,
// no smoothing), the whole source mapped onto the whole target; empty for an empty source
// or a size below 1.
Image Stretch(const Image& source, std::int32_t width, std::int32_t height);

// Each pixel's luminance, 0 black .. 255 white (the palette's colours are greys or are
// weighted as the eye sees them), for the readers.
std::vector<std::uint8_t> Luminance(const Image& image);

// An uncompressed 24-bit BMP file (bottom-up rows padded to 4 bytes, 3937 pixels per metre);
// empty for an empty image.
std::string EncodeBmp(const Image& image);

}  // namespace qrdesk
