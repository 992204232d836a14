#include "readback/Module.h"

extern "C" __attribute__((visibility("default"))) const qrdesk::ReadBackModule*
qrdesk_readback_module() {
    static constexpr qrdesk::ReadBackModule kModule{qrdesk::kReadBackModuleVersion,
                                                    qrdesk::CheckSymbol, qrdesk::ReadsAsTyped};
    return &kModule;
}
