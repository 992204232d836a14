// The files of a made symbol, the same bytes for the window's save and the command line.

#include "common/SymbolJob.h"

namespace qrdesk {

std::string SymbolFileBytes(const SymbolResult& symbol, FileFormat format, int dpi) {
    if (!symbol.Made()) return {};
    // The written picture when there is one (an overlay changed it); otherwise the rows are
    // stretched as they are encoded, without making the full-size picture first.
    const bool whole = !symbol.written.Empty();
    switch (format) {
        case FileFormat::Png:
            return whole ? EncodePng(symbol.written, dpi)
                         : EncodePng(symbol.unscaled, symbol.side, symbol.side, dpi);
        case FileFormat::Bmp:
            return whole ? EncodeBmp(symbol.written, dpi)
                         : EncodeBmp(symbol.unscaled, symbol.side, symbol.side, dpi);
        case FileFormat::Svg: {
            std::string svg = EncodeSvg(symbol.modules, symbol.margin, symbol.side, symbol.colours);
            if (!symbol.logo || svg.empty()) return svg;
            return AddLogoToSvg(svg, symbol.margin, symbol.logoBox, symbol.logo->file,
                                symbol.logo->format, symbol.colours.light);
        }
    }
    return {};
}

}  // namespace qrdesk
