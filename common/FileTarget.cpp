#include "FileTarget.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <tuple>

namespace qrdesk::detail {
namespace {

// As many links as the kernel follows in one path (MAXSYMLINKS).
constexpr int kMaxLinks = 40;

// The folder part of path and its last component; "." for a path that ends in a slash.
std::pair<std::string, std::string> Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    const std::string name = path.substr(slash + 1);
    return {slash == 0 ? "/" : path.substr(0, slash), name.empty() ? "." : name};
}

// A link's text, or "" with errno set.
std::string ReadLink(int folder, const char* name) {
    char target[PATH_MAX];
    const ssize_t n = ::readlinkat(folder, name, target, sizeof target);
    if (n < 0) return {};
    if (n == 0 || static_cast<std::size_t>(n) == sizeof target) {
        errno = n == 0 ? ENOENT : ENAMETOOLONG;
        return {};
    }
    return std::string(target, static_cast<std::size_t>(n));
}

// Whether folder is this process's (or this thread's) own /proc fd folder.
bool IsOwnDescriptorFolder(int folder) {
    const std::string shown =
        ReadLink(AT_FDCWD, ("/proc/self/fd/" + std::to_string(folder)).c_str());
    const std::string self = ReadLink(AT_FDCWD, "/proc/self");
    const std::string thread = ReadLink(AT_FDCWD, "/proc/thread-self");
    return !shown.empty() && !self.empty() &&
           (shown == "/proc/" + self + "/fd" ||
            (!thread.empty() && shown == "/proc/" + thread + "/fd"));
}

// The descriptor number a name in a /proc fd folder stands for, or -1.
int DescriptorNumber(std::string_view name) {
    if (name.empty() || name.size() > 9) return -1;
    int n = 0;
    for (const char c : name) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The kernel's protected_symlinks rule: in a sticky folder that everyone may write, a link is
// followed only when it belongs to the folder's owner or to whoever follows it.
bool MayFollow(const struct stat& folder, const struct stat& link) {
    const bool sharedSticky = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !sharedSticky || link.st_uid == folder.st_uid || link.st_uid == ::geteuid();
}

FileTarget Failed(FileTarget target, int error, std::string reason = {}) {
    target.error = error;
    target.reason = std::move(reason);
    return target;
}

}  // namespace

Fd::~Fd() {
    reset();
}

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
}

void Fd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

FileTarget ResolveTarget(const std::string& path, int base) {
    FileTarget target;
    if (path.empty()) return Failed(std::move(target), ENOENT);
    auto [folder, name] = Split(path);
    target.folder.reset(::openat(base, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int links = 0;; ++links) {
        if (!target.folder) return Failed(std::move(target), errno);
        target.name = name;
        struct stat& st = target.st;
        if (::fstatat(target.folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? std::move(target) : Failed(std::move(target), errno);
        if (!S_ISLNK(st.st_mode)) {
            target.exists = true;
            return target;
        }
        if (links == kMaxLinks) return Failed(std::move(target), ELOOP);

        struct statfs fs {};
        if (::fstatfs(target.folder.get(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC) {
            // A /proc link stands for an open file, which may have no path: never read as one.
            const int number = DescriptorNumber(name);
            if (number >= 0 && IsOwnDescriptorFolder(target.folder.get())) {
                target.descriptor = number;
                return target;
            }
            target.opened.reset(::openat(target.folder.get(), name.c_str(),
                                         O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
            return target.opened ? std::move(target) : Failed(std::move(target), errno);
        }
        struct stat folderStat {};
        if (::fstat(target.folder.get(), &folderStat) != 0) return Failed(std::move(target), errno);
        if (!MayFollow(folderStat, st))
            return Failed(std::move(target), EACCES,
                          "Permission denied: a symbolic link of another user in a "
                          "world-writable sticky folder is not followed");
        const std::string link = ReadLink(target.folder.get(), name.c_str());
        if (link.empty()) return Failed(std::move(target), errno);
        std::tie(folder, name) = Split(link);
        const int from = link.starts_with('/') ? AT_FDCWD : target.folder.get();
        target.folder.reset(::openat(from, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
}

}  // namespace qrdesk::detail
