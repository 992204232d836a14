#pragma once
// The read-back as a loadable module, for programs that need it only now and then: one C
// entry point hands out the read-back's functions. Module and program come from one build.

#include "readback/ReadBack.h"

namespace qrdesk {

struct ReadBackModule {
    int version;  // kReadBackModuleVersion of the build that made the module
    decltype(&CheckSymbol) checkSymbol;
    decltype(&ReadsAsTyped) readsAsTyped;
};

inline constexpr int kReadBackModuleVersion = 1;
inline constexpr const char* kReadBackModuleEntry = "qrdesk_readback_module";

}  // namespace qrdesk

extern "C" const qrdesk::ReadBackModule* qrdesk_readback_module();
