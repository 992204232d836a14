#pragma once
// Where a path leads when a file is written there. Symbolic links are followed one at a time
// by hand, so that the writer knows the folder and name it finally replaces: a loop is an
// error, a link in a world-writable sticky folder is followed only where the kernel's
// protected_symlinks rule would follow it, and a link to one of this process's own open
// descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N) names that descriptor, whose file may
// be a pipe or have no path at all.

#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <utility>

namespace qrdesk::detail {

// Owns a file descriptor.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd();
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1);
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

struct FileTarget {
    int error = 0;        // errno when the path leads nowhere that may be written
    std::string reason;   // set when there is a better reason than errno's text
    Fd folder;            // the folder holding the final name (opened O_PATH)
    std::string name;     // the final name in it: no slash; "." when the path is a folder's
    bool exists = false;  // whether the name is there, and then what it is (not a link)
    struct stat st {};
    int descriptor = -1;  // this process's descriptor that the path names, or -1
    Fd opened;            // another process's descriptor (/proc/PID/fd/N), opened for writing
};

// Follows path as described above, a relative one from the folder base. The final name need
// not exist.
FileTarget ResolveTarget(const std::string& path, int base = AT_FDCWD);

}  // namespace qrdesk::detail
