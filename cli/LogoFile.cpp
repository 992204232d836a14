#include "cli/LogoFile.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "Values.h"
#include "cli/Readers.h"
#include "common/FileWrite.h"
#include "svglogo/SvgLogo.h"

namespace qrdesk::cli {
namespace {

using Version = int (*)();
using Draw = decltype(&qrdesk_svglogo_draw);

// The module's drawing entry, loaded once and kept for the run; nullptr with *error.
Draw LoadSvgModule(std::string* error) {
    std::string failure = "no " + std::string(kSvgLogoModule) + " beside the program";
    for (const std::string& path : ModulePaths(kSvgLogoModule)) {
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            if (::access(path.c_str(), F_OK) == 0) failure = ::dlerror();
            continue;
        }
        const auto version = reinterpret_cast<Version>(::dlsym(handle, kSvgLogoVersionEntry));
        const auto draw = reinterpret_cast<Draw>(::dlsym(handle, kSvgLogoDrawEntry));
        if (version && draw && version() == kSvgLogoVersion) return draw;
        failure = path + " is not this program's SVG logo module";
        ::dlclose(handle);
    }
    *error = "cannot draw SVG logos (" + failure + ")";
    return nullptr;
}

bool DrawSvg(LoadedLogo& logo, std::string* error) {
    const Draw draw = LoadSvgModule(error);
    if (!draw) return false;
    std::vector<std::uint32_t> pixels(std::size_t{kSvgLogoPixels} * kSvgLogoPixels);
    int width = 0, height = 0;
    char reason[256] = "";
    if (draw(logo.file.data(), logo.file.size(), kSvgLogoPixels, pixels.data(), &width, &height,
             reason, sizeof reason) != 0 ||
        width < 1 || height < 1 || width > kSvgLogoPixels || height > kSvgLogoPixels) {
        // librsvg's reasons may end in a line break: the message stays one line.
        std::string line = reason[0] ? reason : "the SVG document cannot be drawn";
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        *error = line.substr(0, line.find_last_not_of(' ') + 1);
        return false;
    }
    pixels.resize(std::size_t(width) * height);
    logo.image = {width, height, std::move(pixels)};
    return true;
}

}  // namespace

std::shared_ptr<const LoadedLogo> ReadLogoFile(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& reason) {
        *error = "--logo " + Printable(path) + ": " + reason;
        return nullptr;
    };
    // Not blocking on a FIFO's writer: a logo is a regular file, checked once it is open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(ErrnoReason(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail("not a regular file");
    }
    auto logo = std::make_shared<LoadedLogo>();
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int reason = errno;
            ::close(fd);
            return fail(ErrnoReason(reason));
        }
        if (n == 0) break;
        logo->file.append(buffer, static_cast<std::size_t>(n));
        if (logo->file.size() > kMaxLogoFileBytes) {
            ::close(fd);
            return fail("larger than " + std::to_string(kMaxLogoFileBytes / (1024 * 1024)) +
                        " MiB");
        }
    }
    ::close(fd);
    logo->format = SniffLogoFormat(logo->file);
    std::string reason;
    if (logo->format == LogoFormat::Svg) {
        if (!DrawSvg(*logo, &reason)) return fail(reason);
    } else if (auto image = DecodeLogo(logo->file, &reason)) {
        logo->image = std::move(*image);
    } else {
        return fail(reason);
    }
    return logo;
}

}  // namespace qrdesk::cli
