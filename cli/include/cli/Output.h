#pragma once
// Text for a terminal that one symbol becomes (its image files are common's SymbolFileBytes).

#include <string>

#include "cli/Options.h"
#include "common/Image.h"

namespace qrdesk::cli {

// Terminal text of the modules with a quiet zone of margin modules, ending with a line break:
// UTF-8 half blocks (two module rows a line, light modules drawn, for light text on a dark
// background), ANSI 24-bit colours (half blocks in the given colours), or ASCII ("##" for a
// dark module, two blanks for a light one).
std::string TerminalText(const Modules& modules, int margin, OutputType type,
                         const Colours& colours);

}  // namespace qrdesk::cli
