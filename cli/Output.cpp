#include "cli/Output.h"

#include <cstdio>

namespace qrdesk::cli {
namespace {

// The ANSI escape for a 24-bit foreground (38) or background (48) colour.
std::string AnsiColour(int which, std::uint32_t colour) {
    char text[24];
    std::snprintf(text, sizeof text, "\x1b[%d;2;%u;%u;%um", which, colour >> 16 & 0xFF,
                  colour >> 8 & 0xFF, colour & 0xFF);
    return text;
}

}  // namespace

std::string TerminalText(const Modules& modules, int margin, OutputType type,
                         const Colours& colours) {
    const int side = modules.size + 2 * margin;
    auto dark = [&](int x, int y) {
        x -= margin;
        y -= margin;
        return x >= 0 && y >= 0 && x < modules.size && y < modules.size && modules.Dark(x, y);
    };
    std::string out;
    if (type == OutputType::Ascii) {
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) out += dark(x, y) ? "##" : "  ";
            out += '\n';
        }
        return out;
    }
    for (int y = 0; y < side; y += 2) {
        std::uint32_t lastTop = 1, lastBottom = 1;  // no colour set yet
        for (int x = 0; x < side; ++x) {
            const bool top = dark(x, y), bottom = y + 1 < side ? dark(x, y + 1) : false;
            if (type == OutputType::Utf8) {
                // Light modules are drawn: the terminal's dark background shows the dark ones.
                const bool litTop = !top, litBottom = y + 1 < side && !bottom;
                out += litTop && litBottom ? "\u2588"
                       : litTop            ? "\u2580"
                       : litBottom         ? "\u2584"
                                           : " ";
                continue;
            }
            // ANSI: an upper half block in the top module's colour on the bottom one's.
            const std::uint32_t t = top ? colours.dark : colours.light;
            const std::uint32_t b = y + 1 >= side ? t : bottom ? colours.dark : colours.light;
            if (t != lastTop) out += AnsiColour(38, lastTop = t);
            if (b != lastBottom) out += AnsiColour(48, lastBottom = b);
            out += "\u2580";
        }
        if (type == OutputType::Ansi) out += "\x1b[0m";
        out += '\n';
    }
    return out;
}

}  // namespace qrdesk::cli
