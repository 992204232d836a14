#include "cli/Readers.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>

#ifndef QRDESK_READBACK_DIR
#define QRDESK_READBACK_DIR "../lib/qrdesk"
#endif

namespace qrdesk::cli {
namespace {

constexpr const char* kModuleName = "qrdesk-readback.so";

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string program(path, static_cast<std::size_t>(n));
    return program.substr(0, program.rfind('/'));
}

}  // namespace

const ReadBackModule* LoadReadBack(std::string* error) {
    static std::once_flag once;
    static const ReadBackModule* module = nullptr;
    static std::string failure;
    std::call_once(once, [] {
        const std::string folder = ProgramFolder();
        const std::string candidates[] = {folder + "/" + kModuleName,  // the build tree
                                          folder + "/" + QRDESK_READBACK_DIR + "/" + kModuleName};
        for (const std::string& path : candidates) {
            void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle == nullptr) {
                if (failure.empty() || ::access(path.c_str(), F_OK) == 0) failure = ::dlerror();
                continue;
            }
            using Entry = const ReadBackModule* (*)();
            const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kReadBackModuleEntry));
            const ReadBackModule* found = entry ? entry() : nullptr;
            if (found && found->version == kReadBackModuleVersion) {
                module = found;
                return;
            }
            failure = path + " is not this program's read-back module";
            ::dlclose(handle);
        }
    });
    if (!module && error) *error = "cannot load the readers (" + failure + ")";
    return module;
}

}  // namespace qrdesk::cli
