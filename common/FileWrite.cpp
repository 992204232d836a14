#include "common/FileWrite.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "FileTarget.h"
#include "Temporaries.h"

namespace qrdesk {
namespace {

using detail::FileTarget;
using detail::Pending;

// Written a piece at a time, so that a cancel is seen within a piece's time.
constexpr std::size_t kPiece = 1 << 20;
// How often a writer waiting for a FIFO's reader looks again.
constexpr long kReaderPollNanoseconds = 100'000'000;

WriteOutcome Failure(int error, std::string reason = {}, bool folderWide = false) {
    WriteOutcome outcome;
    outcome.result = error == ECANCELED ? WriteResult::Cancelled : WriteResult::Failed;
    outcome.errnoValue = error;
    outcome.error = reason.empty() ? ErrnoReason(error) : std::move(reason);
    outcome.folderWide = folderWide;
    return outcome;
}

// Errors that say the folder takes no new file, whichever file it is.
bool FolderWide(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOSPC ||
           error == EDQUOT || error == EFBIG || error == ENOENT || error == ENOTDIR;
}

bool Cancelled(const WriteOptions& options) {
    return options.cancel && options.cancel->load();
}

// Into a descriptor this process holds (owned: it is closed afterwards).
WriteOutcome IntoDescriptor(int fd, bool owned, std::string_view bytes,
                            const WriteOptions& options) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY || (flags & O_PATH))
        return Failure(EBADF, "descriptor " + std::to_string(fd) + " is not open for writing");
    if (owned) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int error = WriteAll(fd, bytes, options.cancel) ? 0 : errno;
    if (owned && ::close(fd) != 0 && error == 0) error = errno;
    return error == 0 ? WriteOutcome{} : Failure(error);
}

// Into a FIFO, a character device or a socket, which are not ours to replace.
WriteOutcome IntoStream(const FileTarget& target, const struct stat& st, std::string_view bytes,
                        const WriteOptions& options) {
    int fd = -1;
    if (S_ISSOCK(st.st_mode)) {
        // Reached through the folder's descriptor, whatever the length of its own path.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path =
            "/proc/self/fd/" + std::to_string(target.folder.get()) + "/" + target.name;
        if (path.size() >= sizeof address.sun_path) return Failure(ENAMETOOLONG);
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 &&
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            const int error = errno;
            ::close(fd);
            return Failure(error);
        }
    } else {
        // Without blocking: a device may wait for a carrier, a FIFO for a reader.
        auto open = [&] {
            return ::openat(target.folder.get(), target.name.c_str(),
                            O_WRONLY | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        };
        fd = open();
        if (fd < 0 && errno == ENXIO && S_ISFIFO(st.st_mode)) {
            if (!options.waitingForReader) return Failure(ENXIO, "no program is reading the FIFO");
            options.waitingForReader();
            while ((fd = open()) < 0 && errno == ENXIO) {
                if (Cancelled(options)) return Failure(ECANCELED);
                const timespec pause{0, kReaderPollNanoseconds};
                ::nanosleep(&pause, nullptr);
            }
        }
    }
    if (fd < 0) return Failure(errno);
    return IntoDescriptor(fd, true, bytes, options);
}

// A replacement keeps the old file's owner and group where the process may set them, and its
// mode; the set-ID bits only when owner and group are both kept. Done after the contents (a
// write by a user without privileges clears the set-ID bits) and the owner before the mode
// (a change of owner clears them too).
void KeepOwnerAndMode(int fd, const struct stat& old) {
    const bool ownerKept = ::fchown(fd, old.st_uid, old.st_gid) == 0;
    if (!ownerKept && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The group alone failed too: the writer does not belong to it.
    }
    ::fchmod(fd, old.st_mode & (ownerKept ? 07777 : 01777));
}

// Writes the file's contents and, for a named temporary file, closes it (a full disk may show
// only then). 0 or the errno.
int Fill(Pending& pending, std::string_view bytes, const struct stat* old,
         const WriteOptions& options) {
    if (!WriteAll(pending.fd.get(), bytes, options.cancel)) return errno;
    if (Cancelled(options)) return ECANCELED;
    if (old) KeepOwnerAndMode(pending.fd.get(), *old);
    if (!pending.name.empty() && ::close(pending.fd.release()) != 0) return errno;
    return 0;
}

WriteOutcome ExistsOutcome() {
    WriteOutcome exists = Failure(EEXIST, "the file exists");
    exists.result = WriteResult::Exists;
    return exists;
}

// Makes target's name exclusively and writes it in place: for file systems with neither hard
// links nor an exclusive rename (FAT), the one case where a crash can leave a short file.
WriteOutcome CreateInPlace(int folder, const std::string& name, std::string_view bytes,
                           const WriteOptions& options) {
    detail::Fd fd(
        ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd) return errno == EEXIST ? ExistsOutcome() : Failure(errno, {}, FolderWide(errno));
    int error = WriteAll(fd.get(), bytes, options.cancel) ? 0 : errno;
    if (::close(fd.release()) != 0 && error == 0) error = errno;
    if (error != 0) ::unlinkat(folder, name.c_str(), 0);
    return error == 0 ? WriteOutcome{} : Failure(error, {}, FolderWide(error));
}

// A new file, or a replacement of old (when given); named: under a temporary name from the
// start.
WriteOutcome WriteNew(int folder, const std::string& name, const struct stat* old,
                      std::string_view bytes, const WriteOptions& options, bool named = false) {
    Pending pending;
    int error = detail::CreatePending(folder, old ? 0600 : 0666, pending, named);
    if (error != 0) return Failure(error, {}, FolderWide(error));
    const bool unnamed = pending.name.empty();
    error = Fill(pending, bytes, old, options);
    if (error == 0 && old) {
        error = ReplaceWithPending(folder, pending, name);
    } else if (error == 0) {
        error = LinkPending(folder, pending, name);
        const bool noLinks = error == EPERM || error == EOPNOTSUPP;
        if ((error == EEXIST || noLinks) && options.replace) {
            error = ReplaceWithPending(folder, pending, name);  // appeared meanwhile
        } else if (error == EEXIST) {
            DiscardPending(folder, pending);
            return ExistsOutcome();
        } else if (noLinks && !pending.name.empty()) {
            DiscardPending(folder, pending);
            return CreateInPlace(folder, name, bytes, options);
        }
    }
    DiscardPending(folder, pending);
    // No /proc to give an unnamed file its name (a chroot): once more, named from the start.
    if (error == ENOENT && unnamed && !detail::CanNameUnnamed())
        return WriteNew(folder, name, old, bytes, options, true);
    return error == 0 ? WriteOutcome{} : Failure(error, {}, FolderWide(error));
}

// In place, for a file with other hard links, whose names must all keep showing it. The space
// is reserved before the old contents are touched.
WriteOutcome WriteInPlace(const FileTarget& target, const struct stat& old, std::string_view bytes,
                          const WriteOptions& options) {
    detail::Fd fd(::openat(target.folder.get(), target.name.c_str(),
                           O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return Failure(errno);
    const off_t size = static_cast<off_t>(bytes.size());
    int error = 0;
    if (size > old.st_size && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0) {
        error = errno;
        if (error == EOPNOTSUPP) {
            // No reservation on this file system: the new tail goes first, past the old end.
            error = ::lseek(fd.get(), old.st_size, SEEK_SET) >= 0 &&
                            WriteAll(fd.get(), bytes.substr(static_cast<std::size_t>(old.st_size)),
                                     options.cancel)
                        ? 0
                        : errno;
        }
    }
    if (error == 0 && Cancelled(options)) error = ECANCELED;
    if (error == 0) {
        // Not cancelled from here on: the old contents are being overwritten.
        error = ::lseek(fd.get(), 0, SEEK_SET) == 0 && WriteAll(fd.get(), bytes) &&
                        ::ftruncate(fd.get(), size) == 0 && ::fsync(fd.get()) == 0
                    ? 0
                    : errno;
    } else {
        ::ftruncate(fd.get(), old.st_size);
    }
    struct stat now {};
    if (::fstat(fd.get(), &now) == 0 && (now.st_mode & 07777) != (old.st_mode & 07777))
        ::fchmod(fd.get(), old.st_mode & 07777);  // set-ID bits a write cleared, where allowed
    if (::close(fd.release()) != 0 && error == 0) error = errno;
    return error == 0 ? WriteOutcome{} : Failure(error);
}

}  // namespace

std::string ErrnoReason(int error) {
    return std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes, const std::atomic<bool>* cancel) {
    while (!bytes.empty()) {
        if (cancel && cancel->load()) {
            errno = ECANCELED;
            return false;
        }
        const ssize_t n = ::write(fd, bytes.data(), std::min(bytes.size(), kPiece));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd writable{fd, POLLOUT, 0};
            ::poll(&writable, 1, 100);
            continue;
        }
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

namespace {

// WriteFileSafely with a relative path taken from the folder base.
WriteOutcome WriteAt(int base, const std::string& path, std::string_view bytes,
                     const WriteOptions& options) {
    FileTarget target = detail::ResolveTarget(path, base);
    if (target.error != 0)
        return Failure(target.error, target.reason, !target.folder && FolderWide(target.error));
    if (detail::IsTemporaryName(target.name))
        return Failure(EINVAL, "the name is one that qrdesk keeps for its temporary files");
    constexpr const char* kNotAFile = "it is not a regular file";
    if (target.descriptor >= 0 || target.opened) {
        if (!options.intoStreams) return Failure(0, kNotAFile);
        if (target.descriptor >= 0) return IntoDescriptor(target.descriptor, false, bytes, options);
        struct stat st {};
        if (::fstat(target.opened.get(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
            return Failure(EACCES, "it names an open file through /proc, not a path");
        const int fd = ::dup(target.opened.get());
        return fd < 0 ? Failure(errno) : IntoDescriptor(fd, true, bytes, options);
    }
    if (!target.exists) return WriteNew(target.folder.get(), target.name, nullptr, bytes, options);
    const struct stat& st = target.st;
    if (S_ISDIR(st.st_mode)) return Failure(EISDIR, "it is a folder");
    if (S_ISBLK(st.st_mode)) return Failure(0, "it is a block device");
    if (!S_ISREG(st.st_mode))
        return options.intoStreams ? IntoStream(target, st, bytes, options) : Failure(0, kNotAFile);
    if (!options.replace) return ExistsOutcome();
    // One that may not be written is not replaced either.
    if (::faccessat(target.folder.get(), target.name.c_str(), W_OK, AT_EACCESS) != 0)
        return Failure(errno, "Existing file " + path + " is not writable", errno == EROFS);
    return st.st_nlink > 1 ? WriteInPlace(target, st, bytes, options)
                           : WriteNew(target.folder.get(), target.name, &st, bytes, options);
}

}  // namespace

WriteOutcome WriteFileSafely(const std::string& path, std::string_view bytes,
                             const WriteOptions& options) {
    return WriteAt(AT_FDCWD, path, bytes, options);
}

OutputFolder::OutputFolder(const std::string& path)
    : fd_(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), error_(fd_ < 0 ? errno : 0) {}

OutputFolder::~OutputFolder() {
    if (fd_ >= 0) ::close(fd_);
}

WriteOutcome OutputFolder::Write(const std::string& name, std::string_view bytes,
                                 const WriteOptions& options) const {
    if (fd_ < 0) return Failure(error_, {}, FolderWide(error_));
    const bool plain = !name.empty() && name != "." && name != ".." &&
                       name.find('/') == std::string::npos && !detail::IsTemporaryName(name);
    if (plain && !options.replace) {
        // Taken as new first: the link refuses an existing name atomically, so a look before
        // would only cost every new file a system call. A name that is taken is then looked
        // at as any path is (a link followed). A replacing write looks first, so as not to
        // write its bytes twice.
        WriteOutcome outcome = WriteNew(fd_, name, nullptr, bytes, options);
        if (outcome.result != WriteResult::Exists) return outcome;
    }
    return WriteAt(fd_, name, bytes, options);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         int* errnoValue) {
    const WriteOutcome outcome = WriteFileSafely(path, bytes);
    if (error) *error = outcome.error;
    if (errnoValue) *errnoValue = outcome.errnoValue;
    return outcome.result == WriteResult::Written;
}

int DescriptorOf(const std::string& path) {
    return detail::ResolveTarget(path).descriptor;
}

bool IsStreamTarget(const std::string& path) {
    const FileTarget target = detail::ResolveTarget(path);
    if (target.error != 0) return false;
    const mode_t mode = target.st.st_mode;
    return target.descriptor >= 0 || target.opened ||
           (target.exists && (S_ISFIFO(mode) || S_ISCHR(mode) || S_ISSOCK(mode)));
}

int RemoveAbandonedTemporaries(const std::string& folder) {
    return detail::RemoveAbandoned(folder);
}

}  // namespace qrdesk
