#pragma once
// Writing symbol files so that nothing is lost: a failure never leaves a truncated file under
// the final name or damages the file that was there, no other file is ever touched, and what
// the name stands for survives. The single save of the window and the command line, and the
// batch's files. Paths are the file system's own bytes.

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace qrdesk {

// The system's text for an errno value ("No space left on device").
std::string ErrnoReason(int error);

// Writes all of bytes to a descriptor, retrying short and interrupted writes and waiting on a
// descriptor that does not block. Stops with errno ECANCELED once *cancel is set.
bool WriteAll(int fd, std::string_view bytes, const std::atomic<bool>* cancel = nullptr);

enum class WriteResult { Written, Exists, Failed, Cancelled };

struct WriteOptions {
    // Replace an existing file; otherwise the write fails (Exists), atomically: a file that
    // appears meanwhile is not replaced either.
    bool replace = true;
    // Write into a FIFO, a character device, a socket or an open descriptor the path names;
    // otherwise such a target is refused.
    bool intoStreams = true;
    // Set (from a signal handler) to stop: nothing more is written, nothing is put in place.
    const std::atomic<bool>* cancel = nullptr;
    // Called once when a FIFO has no reader yet, after which the write waits for one (until
    // cancel is set). Without it such a FIFO fails at once.
    std::function<void()> waitingForReader;
};

struct WriteOutcome {
    WriteResult result = WriteResult::Written;
    std::string error;  // the reason, for Exists and Failed
    int errnoValue = 0;
    // The folder takes no new file at all (no permission, read-only, full, over quota, gone,
    // the file size limit): every other file written there would fail alike.
    bool folderWide = false;
};

// Writes bytes to path:
// - A new file is made without a name and linked into place once complete (O_TMPFILE and
//   linkat; where the file system cannot, under a random, locked temporary name), so that a
//   crash or a full disk leaves nothing. Without replace it fails atomically if the name
//   exists.
// - An existing regular file is replaced by a complete new one moved over it. It keeps its
//   permission bits, and its owner and group where the process may set them; its set-user-ID
//   and set-group-ID bits only when both owner and group are kept (as cp -p), so that no
//   file becomes set-ID to someone else.
// - A regular file with more than one hard link is written in place, so that all its names
//   keep showing the same file: the space is reserved first, so a full disk leaves the old
//   contents.
// - A symbolic link is followed by these rules and stays; a loop is an error, and in a
//   world-writable sticky folder only links of the folder's owner or of the caller are
//   followed (the kernel's protected_symlinks rule).
// - A FIFO, a character device, a socket, and this process's open descriptors
//   (/dev/stdout, /dev/fd/N, /proc/self/fd/N) are written into, never replaced, in the
//   descriptor's own mode (appending where it appends). A block device and a folder are
//   refused.
WriteOutcome WriteFileSafely(const std::string& path, std::string_view bytes,
                             const WriteOptions& options = {});

// A folder that many files are written into (a batch), opened once: each new file then costs
// only its own creation. Files go into the folder as opened, even if it is renamed meanwhile.
// Safe to share between threads.
class OutputFolder {
  public:
    explicit OutputFolder(const std::string& path);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // 0, or the errno of opening the folder.
    int Error() const { return error_; }

    // WriteFileSafely of name in this folder, by the same rules.
    WriteOutcome Write(const std::string& name, std::string_view bytes,
                       const WriteOptions& options = {}) const;

  private:
    int fd_;
    int error_;
};

// WriteFileSafely with the default options, for the window: false on failure with *error set
// to the reason (and *errnoValue to the errno behind it, 0 for none).
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         int* errnoValue = nullptr);

// The descriptor that path names (/dev/stdout, /dev/fd/N, /proc/self/fd/N, links to them),
// or -1.
int DescriptorOf(const std::string& path);

// Whether WriteFileSafely writes into what path names (a FIFO, device, socket or descriptor)
// rather than making or replacing a file.
bool IsStreamTarget(const std::string& path);

// Removes this program's temporary files in folder that are provably abandoned (see
// WriteFileSafely: a killed writer's, where the file system has no unnamed files): named as
// only this program names them, this user's, not locked by a writer, untouched for an hour.
// Returns how many.
int RemoveAbandonedTemporaries(const std::string& folder);

}  // namespace qrdesk
