#pragma once
// Picture files turned into grey pixels for the readers, without Qt: PNG through libspng,
// JPEG through libjpeg-turbo, WebP through libwebp, GIF through giflib (the first frame),
// BMP and PNM (PBM, PGM, PPM) by hand. The format is told by the file's first bytes, not by
// its name, so standard input works too. Whatever the bytes, the result is an image within
// the limits or a one-line reason; nothing is allocated for pixels before the size passed
// them, so a small file that claims a huge picture costs nothing.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/Image.h"  // GreyOf and OnWhite: grey as the readers weigh it

namespace qrdesk {

// Grey pixels row by row from the top, no padding: 0 black .. 255 white.
struct GreyImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0; }
};

struct ImageLimits {
    // Largest width x height taken; the picture alone then needs as many bytes.
    std::int64_t maxPixels = 100'000'000;
    // The decoders' own working memory beyond the picture (JPEG's progressive buffers,
    // PNG's ancillary chunks).
    std::size_t maxDecoderBytes = std::size_t{512} << 20;
};

struct DecodedImage {
    GreyImage image;
    std::string error;  // empty when image holds the picture

    bool Ok() const { return error.empty(); }
};

// The picture in file as grey, transparent parts laid on white (as a viewer shows them on a
// white page); error says why not: not a format read here, damaged or cut short, or larger
// than limits.
DecodedImage DecodeImageFile(std::span<const std::uint8_t> file, const ImageLimits& limits = {});

}  // namespace qrdesk
