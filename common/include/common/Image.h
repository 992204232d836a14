#pragma once
// Symbol pictures as images and files: the symbol's modules, the picture drawn from them at
// whole pixels per module or stretched to a size, and the BMP, PNG and SVG files that the
// window and the command line both write.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/Picture.h"

namespace qrdesk {

// The light margin ISO/IEC 18004 asks for around a QR Code symbol, in modules; the encoder's
// own picture has it too.
inline constexpr std::int32_t kQuietZone = 4;

// Pixels as palette indices, row by row from the top, no padding; colours as 0xAARRGGBB.
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

// The symbol's modules without its quiet zone, row by row from the top: 1 dark, 0 light.
struct Modules {
    std::int32_t size = 0;
    std::vector<std::uint8_t> dark;
    bool Dark(std::int32_t x, std::int32_t y) const {
        return dark[static_cast<std::size_t>(y) * size + x] != 0;
    }
};

// Colours as 0xAARRGGBB.
struct Colours {
    std::uint32_t dark = 0xFF000000;
    std::uint32_t light = 0xFFFFFFFF;
};

// The picture, pixel for pixel (its palette made opaque).
Image FromPicture(const Picture& picture);

// The modules of an encoder picture, which has one pixel per module and a kQuietZone quiet
// zone; empty for a picture of another shape.
Modules ModulesOf(const Picture& picture);

// The modules with margin light modules on every side, scale pixels per module; palette
// index 0 light, 1 dark. margin 4 and scale 1 give the encoder's own picture.
Image Render(const Modules& modules, std::int32_t margin, std::int32_t scale,
             const Colours& colours = {});

// The image enlarged or reduced to width x height by pixel replication (nearest neighbour,
// no smoothing), the whole source mapped onto the whole target; empty for an empty source
// or a size below 1.
Image Stretch(const Image& source, std::int32_t width, std::int32_t height);

// The luminance of a colour as the readers weigh it, 0 black .. 255 white.
constexpr std::uint8_t GreyOf(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return static_cast<std::uint8_t>((red * 11 + green * 16 + blue * 5) / 32);
}

// grey seen through alpha (0 transparent .. 255 opaque) on a white ground.
constexpr std::uint8_t OnWhite(std::uint32_t grey, std::uint32_t alpha) {
    return static_cast<std::uint8_t>((grey * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Each pixel's luminance (GreyOf), translucent colours laid over white as a viewer shows
// them (OnWhite): what the readers see.
std::vector<std::uint8_t> Luminance(const Image& image);

// An uncompressed 24-bit BMP file (bottom-up rows padded to 4 bytes); dpi 0 writes 3937
// pixels per metre (100 dots per inch). Empty for an empty image.
std::string EncodeBmp(const Image& image, int dpi = 0);
// The same of the image stretched to width x height as Stretch does it, without making the
// stretched image first.
std::string EncodeBmp(const Image& source, std::int32_t width, std::int32_t height, int dpi);

// A PNG file through libspng: 1 bit per pixel with a two-colour palette when the image uses
// only indices 0 and 1, else 8-bit palette; transparency where a colour's alpha is below 255;
// a pHYs chunk when dpi > 0; the pixels deflated, or stored where the file fits in one 4 KiB
// block and few rows repeat (an unscaled symbol, which deflate hardly shrinks). Empty for an empty
// image or when libspng fails.
std::string EncodePng(const Image& image, int dpi = 0);
// The same of the image stretched to width x height (see EncodeBmp).
std::string EncodePng(const Image& source, std::int32_t width, std::int32_t height, int dpi);

// An SVG file: the dark modules as one path of whole-module squares in a viewBox measured in
// modules (quiet zone included), so it is crisp at any size; width and height attributes of
// side pixels.
std::string EncodeSvg(const Modules& modules, std::int32_t margin, std::int32_t side,
                      const Colours& colours = {});

}  // namespace qrdesk
