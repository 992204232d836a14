#pragma once
// What a symbol's modules say about it, read from the picture where a reader located it:
// the module grid sampled through the perspective of its four corners, the version (from the
// module count that fits the function patterns, and the version information from 7 up), the
// level and mask (the nearest format word), and, where every codeword's error correction is
// exactly what this project's encoder computes for its data (a clean picture), the segments.
// Not a decoder: the text comes from the readers; what cannot be read cleanly stays unknown.

#include "common/PictureReading.h"
#include "readback/ImageFile.h"

namespace qrdesk {

SymbolFacts ReadSymbolFacts(const GreyImage& image, const Quad& corners);

}  // namespace qrdesk
