#include "common/FileWrite.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace qrdesk {
namespace {

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
        name = folder + "/.qrdesk-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Writes and closes fd, syncing first when asked; on failure removes name and sets *error.
bool FinishFile(int fd, const std::string& name, std::string_view bytes, bool sync,
                std::string* error) {
    bool ok = WriteAll(fd, bytes) && (!sync || ::fsync(fd) == 0);
    int failure = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok) return true;
    *error = ErrnoReason(failure);
    ::unlink(name.c_str());
    return false;
}

// Creates path exclusively and writes it in place.
WriteResult WriteInPlace(const std::string& path, std::string_view bytes, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const bool exists = errno == EEXIST;
        *error = exists ? "the file exists" : ErrnoReason(errno);
        return exists ? WriteResult::Exists : WriteResult::Failed;
    }
    return FinishFile(fd, path, bytes, false, error) ? WriteResult::Written : WriteResult::Failed;
}

}  // namespace

std::string ErrnoReason(int error) {
    return std::strerror(error);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    // An existing file keeps its permissions; one that may not be written is not replaced.
    mode_t mode = 0666;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (::access(path.c_str(), W_OK) != 0) {
            *error = "Existing file " + path + " is not writable";
            return false;
        }
        mode = existing.st_mode & 07777;
    }
    std::string temporary;
    const int fd = CreateTemporary(path, mode, temporary);
    if (fd < 0) {
        *error = ErrnoReason(errno);
        return false;
    }
    if (existing.st_mode != 0) ::fchmod(fd, mode);  // the umask does not apply to a copy
    if (!FinishFile(fd, temporary, bytes, true, error)) return false;
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = ErrnoReason(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

WriteResult WriteBatchFile(const std::string& path, std::string_view bytes, bool replace,
                           std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    // Made with the permissions of any new file (0666 less the umask), which the move keeps.
    std::string temporary;
    const int fd = CreateTemporary(path, 0666, temporary);
    if (fd < 0) {
        *error = ErrnoReason(errno);
        return WriteResult::Failed;
    }
    if (!FinishFile(fd, temporary, bytes, false, error)) return WriteResult::Failed;

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
        result = WriteResult::Exists;
    } else if (!replace && (moveError == EPERM || moveError == EOPNOTSUPP)) {
        result = WriteInPlace(path, bytes, error);
    } else if (moveError != 0) {
        *error = ErrnoReason(moveError);
        result = WriteResult::Failed;
    }
    ::unlink(temporary.c_str());
    return result;
}

}  // namespace qrdesk
