#pragma once
// The file or text that one symbol becomes: PNG, BMP or SVG, or text for a terminal.

#include <string>

#include "cli/Options.h"
#include "common/Image.h"
#include "render/Picture.h"

namespace qrdesk::cli {

struct Output {
    std::string bytes;  // the file's contents; empty with error set on failure
    std::string error;
    // The picture as a reader sees the output (when asked for): the image itself for PNG and
    // BMP, the picture SVG viewers draw at its size, and for terminal text the modules at 4
    // pixels each.
    Image seen;
    // The picture that stretching would start from (one pixel per module with the margin),
    // for trying other sizes.
    Image unscaled;
};

// The output of the encoder's picture as the options ask: type, scale or size, margin,
// colours and dpi; with seen, also the picture a reader sees. Fails (error set) when the
// picture would be smaller than the symbol or larger than kMaxSize.
Output RenderOutput(const Picture& picture, const CliOptions& options, OutputType type, bool seen);

// Terminal text of the modules with a quiet zone of margin modules, ending with a line break:
// UTF-8 half blocks (two module rows a line, light modules drawn, for light text on a dark
// background), ANSI 24-bit colours (half blocks in the given colours), or ASCII ("##" for a
// dark module, two blanks for a light one).
std::string TerminalText(const Modules& modules, int margin, OutputType type,
                         const Colours& colours);

}  // namespace qrdesk::cli
