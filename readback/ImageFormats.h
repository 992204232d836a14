#pragma once
// The image file decoders behind DecodeImageFile, one per format, and what they share: the
// size check that comes before any pixel is allocated.

#include <cstdint>
#include <span>
#include <string>

#include "readback/ImageFile.h"

namespace qrdesk::image {

using Bytes = std::span<const std::uint8_t>;

// An image of width x height, its pixels allocated white; an error instead when the size is
// not positive or above the limit.
DecodedImage Allocate(std::int64_t width, std::int64_t height, const ImageLimits& limits,
                      const char* format);
// Why Allocate would refuse that size, or "" when it would not.
std::string SizeProblem(std::int64_t width, std::int64_t height, const ImageLimits& limits,
                        const char* format);

inline DecodedImage Failure(std::string error) {
    DecodedImage out;
    out.error = std::move(error);
    return out;
}

// Each decoder is called with a file whose first bytes are its format's signature.
DecodedImage DecodePng(Bytes file, const ImageLimits& limits);
DecodedImage DecodeJpeg(Bytes file, const ImageLimits& limits);
DecodedImage DecodeWebp(Bytes file, const ImageLimits& limits);
DecodedImage DecodeGif(Bytes file, const ImageLimits& limits);
DecodedImage DecodeBmp(Bytes file, const ImageLimits& limits);
DecodedImage DecodePnm(Bytes file, const ImageLimits& limits);

}  // namespace qrdesk::image
