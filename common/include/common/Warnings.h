#pragma once
// Settings that readers may not read whatever the text: one rule for the window and the
// command line, each of which words the warnings in its own language.

#include <cstdint>
#include <vector>

#include "common/Image.h"

namespace qrdesk {

enum class SymbolWarning {
    ThinMargin,   // a quiet zone below the standard's 4 modules
    Inverted,     // dark modules lighter than the background
    LowContrast,  // a contrast ratio below 3:1
};

// The warnings for a quiet zone of margin modules in colours, in that order.
std::vector<SymbolWarning> WarningsFor(std::int32_t margin, const Colours& colours);

// WCAG relative luminance of an sRGB colour (0 black .. 1 white) with its alpha laid over
// white, as a viewer shows it (a fully transparent colour is white).
double RelativeLuminance(std::uint32_t colour);

// (L1 + 0.05) / (L2 + 0.05) of the lighter and darker colour, 1 to 21.
double ContrastRatio(std::uint32_t a, std::uint32_t b);

}  // namespace qrdesk
