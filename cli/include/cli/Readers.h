#pragma once
// The readers (zxing-cpp, zbar) from the read-back module, loaded only when --info asks for
// them: linked in, zbar's libraries would cost every start of the program more than making a
// symbol.

#include <span>
#include <string>
#include <vector>

#include "common/SymbolReader.h"

namespace qrdesk::cli {

// Where the program's module file is looked for, in order: beside the program (the build
// tree), then the library folder it was installed to, relative to the program's (so any
// prefix works).
std::vector<std::string> ModulePaths(const char* file);

// The module's readers, loaded on first use from beside the program (the build tree) or from
// the library folder it was installed to, relative to the program's (so any prefix works);
// empty with *error set when no module of this program's interface can be loaded.
std::span<const SymbolReader* const> LoadReaders(std::string* error);

}  // namespace qrdesk::cli
