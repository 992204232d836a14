#include "common/FileWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qrdesk {
namespace {

constexpr const char* kTemporaryPrefix = ".qrdesk-";
constexpr const char* kTemporarySuffix = ".tmp";

// The folder part of path ("." for a bare name), for a temporary file beside it.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new temporary file beside path, unique among the threads of this process and, by
// the process id, among processes; its name is short, so that a target name near the length
// limit still has one. Returns the descriptor (and the name), or -1 with errno set.
int CreateTemporary(const std::string& path, mode_t mode, std::string& name) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/" + kTemporaryPrefix + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + kTemporarySuffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Records a failure: the reason and the errno behind it.
bool Fail(int error, std::string* reason, int* errnoValue) {
    if (reason) *reason = ErrnoReason(error);
    if (errnoValue) *errnoValue = error;
    return false;
}

// Writes and closes fd (a full disk may show only at the close); on failure removes name.
// Returns 0 or the errno of the failure.
int FinishFile(int fd, const std::string& name, std::string_view bytes) {
    int failure = WriteAll(fd, bytes) ? 0 : errno;
    if (::close(fd) != 0 && failure == 0) failure = errno;
    if (failure != 0) ::unlink(name.c_str());
    return failure;
}

// Where a chain of symbolic links ends: the path of the last link's target, which may not
// exist yet. Relative targets are taken from the link's folder.
std::string FollowLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n < 0) return path;
        const std::string to(target, static_cast<std::size_t>(n));
        path = to.starts_with('/') ? to : FolderOf(path) + "/" + to;
    }
    return path;  // a loop: the open below reports it
}

// Into a FIFO, a character device or a socket, which are not ours to replace.
bool WriteInto(const std::string& path, const struct stat& st, std::string_view bytes,
               std::string* error, int* errnoValue) {
    int fd;
    if (S_ISSOCK(st.st_mode)) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (fd >= 0 && path.size() >= sizeof address.sun_path) {
            ::close(fd);
            return Fail(ENAMETOOLONG, error, errnoValue);
        }
        if (fd >= 0) {
            std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                const int e = errno;
                ::close(fd);
                return Fail(e, error, errnoValue);
            }
        }
    } else {
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0) return Fail(errno, error, errnoValue);
    const int failure = WriteAll(fd, bytes) ? 0 : errno;
    if (::close(fd) != 0 && failure == 0) return Fail(errno, error, errnoValue);
    return failure == 0 || Fail(failure, error, errnoValue);
}

// In place, for a file with other hard links: the contents are complete in memory, so the
// file is short only for the moment between the last write and the truncation.
bool WriteInPlace(const std::string& path, std::string_view bytes, std::string* error,
                  int* errnoValue) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Fail(errno, error, errnoValue);
    int failure = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
                          ::fsync(fd) == 0
                      ? 0
                      : errno;
    if (::close(fd) != 0 && failure == 0) failure = errno;
    return failure == 0 || Fail(failure, error, errnoValue);
}

// Creates path exclusively and writes it in place, for the batch.
WriteResult CreateInPlace(const std::string& path, std::string_view bytes, std::string* error,
                          int* errnoValue) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int e = errno;
        if (errnoValue) *errnoValue = e;
        *error = e == EEXIST ? "the file exists" : ErrnoReason(e);
        return e == EEXIST ? WriteResult::Exists : WriteResult::Failed;
    }
    const int failure = FinishFile(fd, path, bytes);
    if (failure == 0) return WriteResult::Written;
    Fail(failure, error, errnoValue);
    return WriteResult::Failed;
}

// Whether a process with this id runs this program (its name as the kernel keeps it).
bool OurProcessRuns(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) return false;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return !comm || name.starts_with("qrdesk");  // unknown: assume it is one of ours
}

}  // namespace

std::string ErrnoReason(int error) {
    return std::strerror(error);
}

bool IsFileSystemFull(int error) {
    return error == ENOSPC || error == EROFS || error == EDQUOT;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFileAtomically(const std::string& given, std::string_view bytes, std::string* error,
                         int* errnoValue) {
    std::string ignored;
    if (!error) error = &ignored;
    if (errnoValue) *errnoValue = 0;
    const std::string path = FollowLinks(given);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) {
            *error = "it is a folder";
            return false;
        }
        if (S_ISBLK(existing.st_mode)) {
            *error = "it is a block device";
            return false;
        }
        if (S_ISFIFO(existing.st_mode) || S_ISCHR(existing.st_mode) || S_ISSOCK(existing.st_mode))
            return WriteInto(path, existing, bytes, error, errnoValue);
        // One that may not be written is not replaced either.
        if (::access(path.c_str(), W_OK) != 0) {
            *error = "Existing file " + given + " is not writable";
            if (errnoValue) *errnoValue = errno;
            return false;
        }
        if (existing.st_nlink > 1) return WriteInPlace(path, bytes, error, errnoValue);
    }
    const mode_t mode = exists ? existing.st_mode & 07777 : 0666;
    std::string temporary;
    const int fd = CreateTemporary(path, mode, temporary);
    if (fd < 0) return Fail(errno, error, errnoValue);
    if (exists) {
        // The umask does not apply to a replacement; the owner is kept where that is allowed.
        ::fchmod(fd, mode);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            // Only a privileged process may give a file away: it stays the writer's.
        }
    }
    // Not synced, as cp and the like: a sync costs more than the whole program, and ext4 and
    // btrfs write a file's data before a rename over another file commits.
    if (const int failure = FinishFile(fd, temporary, bytes); failure != 0)
        return Fail(failure, error, errnoValue);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = errno;
        ::unlink(temporary.c_str());
        return Fail(failure, error, errnoValue);
    }
    return true;
}

WriteResult WriteBatchFile(const std::string& path, std::string_view bytes, bool replace,
                           std::string* error, int* errnoValue, const std::atomic<bool>* cancel) {
    std::string ignored;
    if (!error) error = &ignored;
    if (errnoValue) *errnoValue = 0;
    // Made with the permissions of any new file (0666 less the umask), which the move keeps.
    std::string temporary;
    const int fd = CreateTemporary(path, 0666, temporary);
    if (fd < 0) {
        Fail(errno, error, errnoValue);
        return WriteResult::Failed;
    }
    if (const int failure = FinishFile(fd, temporary, bytes); failure != 0) {
        Fail(failure, error, errnoValue);
        return WriteResult::Failed;
    }
    if (cancel && cancel->load()) {
        ::unlink(temporary.c_str());
        return WriteResult::Cancelled;
    }

    int moveError = 0;
    if (replace) {
        if (::rename(temporary.c_str(), path.c_str()) == 0) return WriteResult::Written;
        moveError = errno;
    } else {
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
            return WriteResult::Written;
        moveError = errno;
        // No such rename here: a hard link refuses an existing name just as atomically.
        if (moveError == EINVAL || moveError == ENOSYS)
            moveError = ::link(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
    }

    WriteResult result = WriteResult::Written;
    if (moveError == EEXIST) {
        *error = "the file exists";
        if (errnoValue) *errnoValue = EEXIST;
        result = WriteResult::Exists;
    } else if (!replace && (moveError == EPERM || moveError == EOPNOTSUPP)) {
        result = CreateInPlace(path, bytes, error, errnoValue);
    } else if (moveError != 0) {
        Fail(moveError, error, errnoValue);
        result = WriteResult::Failed;
    }
    ::unlink(temporary.c_str());
    return result;
}

int RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    int removed = 0;
    const std::string prefix = kTemporaryPrefix;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!name.starts_with(prefix) || !name.ends_with(kTemporarySuffix)) continue;
        const std::string id =
            name.substr(prefix.size(), name.find('-', prefix.size()) - prefix.size());
        if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(id));
        if (pid == ::getpid() || OurProcessRuns(pid)) continue;
        if (::unlink((folder + "/" + name).c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace qrdesk
