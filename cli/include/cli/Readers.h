#pragma once
// The read-back module (zxing-cpp and zbar), loaded only when --info asks for it: linked in,
// zbar's libraries would cost every start of the program more than making a symbol.

#include <string>

#include "readback/Module.h"

namespace qrdesk::cli {

// The module's functions, loaded on first use from beside the program (the build tree) or
// from the library folder it was installed to, relative to the program's (so any prefix
// works); nullptr with *error set when it cannot be loaded.
const ReadBackModule* LoadReadBack(std::string* error);

}  // namespace qrdesk::cli
