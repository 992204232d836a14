#pragma once
// The read-back module (zxing-cpp and zbar), loaded only when --info asks for it: linked in,
// zbar's libraries would cost every start of the program more than making a symbol.

#include <string>

#include "readback/Module.h"

namespace qrdesk::cli {

// The module's functions, loaded on first use from beside the program (the build tree), from
// ../lib/qrdesk/ beside it, or from the folder it was installed to; nullptr with *error set
// when it cannot be loaded.
const ReadBackModule* LoadReadBack(std::string* error);

}  // namespace qrdesk::cli
