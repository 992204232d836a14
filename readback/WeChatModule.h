#pragma once
// The plain C face of the WeChat reader module (qrdesk-wechat.so). The module links OpenCV,
// some thirty libraries that neither program should load at start or at all when the user
// never reads; readback loads it on first use. Only C types and a callback cross, so the
// module works whichever C++ library the program carries, and no exception crosses.

#include <cstddef>

extern "C" {

// Called once for each symbol read: its text (the payload's bytes; WeChat's reader does no
// character set conversion) and its corners as x, y pairs, or nullptr when the reader did not
// locate it (no detector model: it reads the whole picture it is given).
typedef void (*QrdeskWeChatFound)(void* context, const char* text, std::size_t length,
                                  const float* corners);

struct QrdeskWeChatModule {
    int version;           // kWeChatModuleVersion of the build that made the module
    const char* detector;  // which of the reader's detectors is in use, for --info and tests
    // Reads the grey picture (width x height bytes, 0 black, rows without padding); the
    // number of symbols read, or -1 when the reader failed (the reason in error, when given).
    int (*read)(const unsigned char* grey, int width, int height, QrdeskWeChatFound found,
                void* context, char* error, std::size_t errorSize);
};

const QrdeskWeChatModule* qrdesk_wechat_module(void);
}

namespace qrdesk {
inline constexpr int kWeChatModuleVersion = 1;
inline constexpr const char* kWeChatModuleEntry = "qrdesk_wechat_module";
inline constexpr const char* kWeChatModuleName = "qrdesk-wechat.so";
}  // namespace qrdesk
