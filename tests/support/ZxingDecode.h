#pragma once
// Reads a symbol picture back with zxing-cpp, an independent decoder.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/Picture.h"

struct DecodedSymbol {
    std::vector<std::uint8_t> bytes;  // the payload as encoded, before any text decoding
    std::string ecLevel;              // "L", "M", "Q" or "H"
    std::string text;                 // the decoder's text interpretation (UTF-8)
};

// Decodes a pure symbol picture (one module per pixel or any integral scale); nullopt when
// the decoder finds no valid QR Code.
std::optional<DecodedSymbol> DecodePicture(const Picture& picture);
// The same for a grey image of width x height bytes, 0 black .. 255 white.
std::optional<DecodedSymbol> DecodeLuminance(const std::uint8_t* pixels, int width, int height);
