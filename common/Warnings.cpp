// Settings that readers may not read, whatever the text.

#include "common/Warnings.h"

#include <algorithm>
#include <cmath>

namespace qrdesk {

double RelativeLuminance(std::uint32_t colour) {
    const double alpha = (colour >> 24) / 255.0;
    auto channel = [alpha](std::uint32_t c) {
        const double v = (c / 255.0) * alpha + (1 - alpha);
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour >> 16 & 0xFF) + 0.7152 * channel(colour >> 8 & 0xFF) +
           0.0722 * channel(colour & 0xFF);
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<SymbolWarning> WarningsFor(std::int32_t margin, const Colours& colours) {
    std::vector<SymbolWarning> warnings;
    if (margin < kQuietZone) warnings.push_back(SymbolWarning::ThinMargin);
    // An inverted symbol is its own warning; its contrast may be fine.
    if (RelativeLuminance(colours.dark) > RelativeLuminance(colours.light))
        warnings.push_back(SymbolWarning::Inverted);
    else if (ContrastRatio(colours.dark, colours.light) < 3.0)
        warnings.push_back(SymbolWarning::LowContrast);
    return warnings;
}

}  // namespace qrdesk
