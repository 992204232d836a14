#include "Temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace qrdesk::detail {
namespace {

constexpr std::string_view kPrefix = ".qrdesk-";
constexpr std::string_view kSuffix = ".tmp";
// A writer touches its file at every write; one untouched this long is no longer written.
constexpr time_t kAbandonedAfterSeconds = 3600;
// Names tried before giving up on finding a free one.
constexpr int kNameAttempts = 16;

// splitmix64's finaliser: every input bit moves every output bit.
std::uint64_t Mix(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

// The second half of a temporary name, a function of the first: a name that a user or a
// --name template makes by chance does not have it.
std::uint64_t Check(std::uint64_t random) {
    return Mix(random ^ 0x71726465736B746Du);
}

std::uint64_t RandomNumber() {
    std::uint64_t r = 0;
    if (::getrandom(&r, sizeof r, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof r)) return r;
    // No entropy yet (early boot): the time, the thread and an address are unique enough.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Mix(static_cast<std::uint64_t>(now.tv_nsec) ^
               static_cast<std::uint64_t>(now.tv_sec) << 30 ^
               static_cast<std::uint64_t>(::gettid()) << 42 ^ reinterpret_cast<std::uintptr_t>(&r));
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// An open-file-description lock on the whole file: held until the file is closed, whichever
// process, host or PID namespace asks.
bool Lock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

std::string TemporaryName() {
    const std::uint64_t r = RandomNumber();
    return std::string(kPrefix) + Hex(r) + "-" + Hex(Check(r)) + std::string(kSuffix);
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() != kPrefix.size() + 33 + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix))
        return false;
    const std::string_view random = name.substr(kPrefix.size(), 16);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(random.begin(), random.end(), value, 16);
    return error == std::errc() && end == random.end() && Hex(value) == random &&
           name.substr(kPrefix.size() + 16, 17) == "-" + Hex(Check(value));
}

int CreatePending(int folder, mode_t mode, Pending& pending, bool named) {
    pending.name.clear();
    if (!named) {
        const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0) {
            pending.fd.reset(fd);  // locked once it has a name
            return 0;
        }
        // The file system (EOPNOTSUPP) or the kernel (EISDIR, EINVAL) cannot.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = TemporaryName();
        const int fd = ::openat(folder, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            pending.fd.reset(fd);
            pending.name = name;
            Lock(fd);
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

bool CanNameUnnamed() {
    return ::faccessat(AT_FDCWD, "/proc/self/fd", X_OK, 0) == 0;
}

int LinkPending(int folder, Pending& pending, const std::string& name) {
    if (pending.name.empty()) {
        return ::linkat(AT_FDCWD, DescriptorPath(pending.fd.get()).c_str(), folder, name.c_str(),
                        AT_SYMLINK_FOLLOW) == 0
                   ? 0
                   : errno;
    }
    int error =
        ::renameat2(folder, pending.name.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0
            ? 0
            : errno;
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
        // No exclusive rename here: a hard link refuses an existing name just as atomically.
        error = ::linkat(folder, pending.name.c_str(), folder, name.c_str(), 0) == 0 ? 0 : errno;
        if (error == 0) ::unlinkat(folder, pending.name.c_str(), 0);
    }
    if (error == 0) pending.name.clear();
    return error;
}

int ReplaceWithPending(int folder, Pending& pending, const std::string& name) {
    // A rename is the only atomic replacement, and it needs a name to move.
    for (int attempt = 0; pending.name.empty(); ++attempt) {
        const std::string temporary = TemporaryName();
        if (::linkat(AT_FDCWD, DescriptorPath(pending.fd.get()).c_str(), folder, temporary.c_str(),
                     AT_SYMLINK_FOLLOW) == 0) {
            pending.name = temporary;
            Lock(pending.fd.get());
        } else if (errno != EEXIST || attempt == kNameAttempts) {
            return errno;
        }
    }
    if (::renameat(folder, pending.name.c_str(), folder, name.c_str()) != 0) return errno;
    pending.name.clear();
    return 0;
}

void DiscardPending(int folder, Pending& pending) {
    if (!pending.name.empty()) ::unlinkat(folder, pending.name.c_str(), 0);
    pending.name.clear();
    pending.fd.reset();
}

int RemoveAbandoned(const std::string& folder) {
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return 0;
    DIR* dir = ::fdopendir(folderFd);
    if (dir == nullptr) {
        ::close(folderFd);
        return 0;
    }
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name)) continue;
        struct stat st {};
        if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            now - st.st_mtime < kAbandonedAfterSeconds)
            continue;
        Fd fd(::openat(folderFd, entry->d_name,
                       O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        // Its writer's lock is gone only with its writer.
        if (fd && ::fstat(fd.get(), &opened) == 0 && opened.st_ino == st.st_ino &&
            opened.st_dev == st.st_dev && Lock(fd.get()) &&
            ::unlinkat(folderFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace qrdesk::detail
