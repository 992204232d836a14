#include "WeChatReader.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <mutex>

#include "WeChatModule.h"

#ifndef QRDESK_MODULE_DIR
#define QRDESK_MODULE_DIR "../lib/qrdesk"
#endif

namespace qrdesk {
namespace {

struct Loaded {
    const QrdeskWeChatModule* module = nullptr;
    std::string failure;
};

// The folder of the program or module that holds this code.
std::string OwnFolder() {
    Dl_info info{};
    link_map* map = nullptr;
    std::string path;
    if (::dladdr1(reinterpret_cast<void*>(&OwnFolder), &info, reinterpret_cast<void**>(&map),
                  RTLD_DL_LINKMAP) != 0 &&
        map && map->l_name && map->l_name[0] == '/') {
        path = map->l_name;
    } else {  // the program itself, whose own entry has no name
        char exe[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0) return ".";
        path.assign(exe, static_cast<std::size_t>(n));
    }
    return path.substr(0, path.rfind('/'));
}

// Where the module may be: beside the code that loads it (the read-back module of
// qrdesk-cli, installed or built); in the library folder relative to an installed program;
// and in the build tree, for the programs and tests built there.
std::vector<std::string> Candidates() {
    const std::string own = OwnFolder();
    std::vector<std::string> paths = {own + "/" + kWeChatModuleName,
                                      own + "/" QRDESK_MODULE_DIR "/" + kWeChatModuleName};
#ifdef QRDESK_BUILD_MODULE_DIR
    const std::string build = QRDESK_BUILD_TREE;
    if (own.compare(0, build.size(), build) == 0)
        paths.push_back(std::string(QRDESK_BUILD_MODULE_DIR "/") + kWeChatModuleName);
#endif
    return paths;
}

const Loaded& Load() {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] {
        std::string missing;
        for (const std::string& path : Candidates()) {
            if (::access(path.c_str(), F_OK) != 0) {
                if (missing.empty()) missing = path;
                continue;
            }
            void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {  // typically OpenCV's library is not installed
                loaded.failure = ::dlerror();
                return;
            }
            using Entry = const QrdeskWeChatModule* (*)();
            const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kWeChatModuleEntry));
            const QrdeskWeChatModule* module = entry ? entry() : nullptr;
            if (module && module->version == kWeChatModuleVersion) {
                loaded.module = module;
                return;
            }
            ::dlclose(handle);
            loaded.failure = path + " is not this program's WeChat reader module";
            return;
        }
        loaded.failure = std::string(kWeChatModuleName) + " is not installed (looked for " +
                         missing + " and beside it)";
    });
    return loaded;
}

}  // namespace

bool WeChatAvailable(std::string* whyNot) {
    const Loaded& loaded = Load();
    if (!loaded.module && whyNot) *whyNot = loaded.failure;
    return loaded.module != nullptr;
}

namespace wechat {
namespace {

// Called from inside the module: nothing may be thrown back through it.
void Collect(void* context, const char* text, std::size_t length, const float* corners) noexcept {
    try {
        auto& found = *static_cast<std::vector<Found>*>(context);
        Found symbol{std::string(text, length), std::nullopt};
        if (corners) {
            Quad quad;
            for (int k = 0; k < 4; ++k) quad[k] = {corners[2 * k], corners[2 * k + 1]};
            symbol.position = quad;
        }
        found.push_back(std::move(symbol));
    } catch (...) {  // out of memory: the symbol is left out
    }
}

}  // namespace

std::optional<std::vector<Found>> Read(const std::uint8_t* grey, int width, int height,
                                       std::string* error) {
    const Loaded& loaded = Load();
    if (!loaded.module) {
        if (error) *error = loaded.failure;
        return std::nullopt;
    }
    std::vector<Found> found;
    char reason[256] = "";
    if (loaded.module->read(grey, width, height, Collect, &found, reason, sizeof reason) < 0) {
        if (error) *error = std::string("WeChat's reader failed: ") + reason;
        return std::nullopt;
    }
    return found;
}

}  // namespace wechat
}  // namespace qrdesk
