#pragma once
// The readers (zxing-cpp, zbar, WeChat's) from the read-back module, loaded only when --info asks
// for them: linked in, zbar's libraries would cost every start of the program more than making a
// symbol.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/PictureReading.h"
#include "common/SymbolReader.h"

namespace qrdesk::cli {

// Where the program's module file is looked for, in order: beside the program (the build
// tree), then the library folder it was installed to, relative to the program's (so any
// prefix works).
std::vector<std::string> ModulePaths(const char* file);

// The module's readers, loaded on first use from beside the program (the build tree) or from
// the library folder it was installed to, relative to the program's (so any prefix works);
// empty with *error set when no module of this program's interface can be loaded. A reader
// the module leaves out (WeChat's without OpenCV) is named once on standard error.
std::span<const SymbolReader* const> LoadReaders(std::string* error);

// Every symbol in a picture file's bytes, read by the module's readers; nullopt with error
// set when the readers cannot be loaded (loaded false) or the picture not decoded.
std::optional<PictureReading> ReadPicture(std::span<const std::uint8_t> file, std::string& error,
                                          bool& loaded);

}  // namespace qrdesk::cli
