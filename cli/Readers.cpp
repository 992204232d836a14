#include "cli/Readers.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "common/ReaderModule.h"

#ifndef QRDESK_READBACK_DIR
#define QRDESK_READBACK_DIR "../lib/qrdesk"
#endif

namespace qrdesk::cli {
namespace {

constexpr const char* kModuleName = "qrdesk-readback.so";
// Room for a payload and its text at the first try: a symbol holds at most 7,089 characters.
constexpr std::size_t kFirstRoom = 32 * 1024;
// More than any reading of a symbol can be: a module that asks for it is not believed.
constexpr std::size_t kMostRoom = 1024 * 1024;

// One reader of the module, through its C interface.
class ModuleReader final : public SymbolReader {
  public:
    ModuleReader(const qrdesk_readback* module, std::uint32_t index)
        : module_(module), index_(index) {
        const char* name = module->name(index);
        const char* help = module->help(index);
        name_ = name ? name : "reader";
        help_ = help ? help : "";
    }
    const char* Name() const override { return name_.c_str(); }
    const char* Help() const override { return help_.c_str(); }
    Reading Read(const GreyView& image, bool helped) const override {
        std::string bytes(kFirstRoom, '\0'), text(kFirstRoom, '\0');
        // A second read only when the first did not have room for what it found.
        for (int attempt = 0; attempt < 2; ++attempt) {
            qrdesk_reading out{};
            out.bytes = bytes.data();
            out.bytes_capacity = static_cast<std::uint32_t>(bytes.size());
            out.text = text.data();
            out.text_capacity = static_cast<std::uint32_t>(text.size());
            if (module_->read(index_, image.pixels, image.width, image.height, helped ? 1 : 0,
                              &out) != 0)
                return {};
            if (out.bytes_length <= bytes.size() && out.text_length <= text.size()) {
                bytes.resize(out.bytes_length);
                text.resize(out.text_length);
                return {out.decoded != 0, out.shown != 0, std::move(bytes), std::move(text)};
            }
            if (out.bytes_length > kMostRoom || out.text_length > kMostRoom) return {};
            bytes.resize(std::max<std::size_t>(bytes.size(), out.bytes_length));
            text.resize(std::max<std::size_t>(text.size(), out.text_length));
        }
        return {};
    }

  private:
    const qrdesk_readback* module_;
    std::uint32_t index_;
    std::string name_, help_;
};

struct Loaded {
    const qrdesk_readback* module = nullptr;
    std::vector<std::unique_ptr<ModuleReader>> owned;
    std::vector<const SymbolReader*> readers;
    std::string failure;
};

// The module's interface, when the file at path is this program's kind of module.
const qrdesk_readback* Open(const std::string& path, std::string& failure) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (failure.empty() || ::access(path.c_str(), F_OK) == 0) failure = ::dlerror();
        return nullptr;
    }
    using Entry = const qrdesk_readback* (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kReadBackEntry));
    const qrdesk_readback* module = entry ? entry() : nullptr;
    // The size check keeps the program from calling past the end of an older, shorter table.
    if (module && module->abi == QRDESK_READBACK_ABI && module->size >= sizeof(qrdesk_readback) &&
        module->name && module->help && module->read && module->missing && module->read_picture)
        return module;  // kept loaded for the rest of the run
    failure = path + " is not this program's read-back module";
    ::dlclose(handle);
    return nullptr;
}

std::optional<Quad> QuadOf(std::int32_t has, const float* corners) {
    if (!has) return std::nullopt;
    Quad quad;
    for (int k = 0; k < 4; ++k) quad[k] = {corners[2 * k], corners[2 * k + 1]};
    return quad;
}

}  // namespace

std::vector<std::string> ModulePaths(const char* file) {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string program(path, n > 0 ? static_cast<std::size_t>(n) : 0);
    const std::string folder = n > 0 ? program.substr(0, program.rfind('/')) : ".";
    return {folder + "/" + file, folder + "/" + QRDESK_READBACK_DIR + "/" + file};
}

namespace {

// Called from inside the module for each symbol: nothing may be thrown back through it.
void Collect(void* context, const qrdesk_found* in) noexcept {
    auto& out = *static_cast<std::pair<PictureReading, bool>*>(context);
    try {
        FoundSymbol symbol;
        for (int r = 0; r < kReaderCount; ++r) {
            const qrdesk_found_reading& from = in->readings[r];
            SymbolReading& to = symbol.readings[r];
            to.read = from.read != 0;
            to.bytes.assign(from.bytes, from.bytes_length);
            to.text.assign(from.text, from.text_length);
            to.position = QuadOf(from.has_position, from.corners);
            if (from.level != 0) to.level = from.level;
            if (from.has_eci) to.eci = from.eci;
        }
        symbol.position = QuadOf(in->has_position, in->corners);
        symbol.facts.version = in->version;
        symbol.facts.level = in->level;
        symbol.facts.mask = in->mask;
        if (in->segments_known) {
            symbol.facts.segments.emplace();
            for (std::uint32_t k = 0; k < in->segment_count; ++k)
                symbol.facts.segments->push_back(
                    {in->segments[k].mode, in->segments[k].count, in->segments[k].eci});
        }
        out.first.symbols.push_back(std::move(symbol));
    } catch (...) {
        out.second = false;  // out of memory
    }
}

Loaded& Load() {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] {
        for (const std::string& path : ModulePaths(kModuleName)) {
            const qrdesk_readback* module = Open(path, loaded.failure);
            if (!module) continue;
            if (module->reader_count == 0) {
                loaded.failure = path + " has no readers";
                continue;
            }
            // Said once a run; the readers that load carry on.
            if (const char* missing = module->missing(); *missing != '\0')
                std::fprintf(stderr, "qrdesk-cli: reading without WeChat's reader: %s\n", missing);
            loaded.module = module;
            for (std::uint32_t i = 0; i < module->reader_count; ++i) {
                loaded.owned.push_back(std::make_unique<ModuleReader>(module, i));
                loaded.readers.push_back(loaded.owned.back().get());
            }
            return;
        }
    });
    return loaded;
}

}  // namespace

std::span<const SymbolReader* const> LoadReaders(std::string* error) {
    const Loaded& loaded = Load();
    if (loaded.readers.empty() && error)
        *error = "cannot load the readers (" + loaded.failure + ")";
    return loaded.readers;
}

std::optional<PictureReading> ReadPicture(std::span<const std::uint8_t> file, std::string& error,
                                          bool& loaded) {
    const Loaded& module = Load();
    loaded = !module.readers.empty();
    if (!loaded) {
        error = "cannot load the readers (" + module.failure + ")";
        return std::nullopt;
    }
    std::pair<PictureReading, bool> out{PictureReading(), true};
    char reason[512] = "";
    if (module.module->read_picture(file.data(), file.size(), Collect, &out, reason,
                                    sizeof reason) != 0) {
        error = reason;
        return std::nullopt;
    }
    if (!out.second) {
        error = "out of memory";
        return std::nullopt;
    }
    return std::move(out.first);
}

}  // namespace qrdesk::cli
