#pragma once
// Writing symbol files so that a failure never leaves a truncated file under the final name
// or damages the file that was there, and so that what the name stands for survives: the
// single save of the window and the command line, and the batch's files. Paths are the file
// system's own bytes.

#include <atomic>
#include <string>
#include <string_view>

namespace qrdesk {

// The system's text for an errno value ("No space left on device").
std::string ErrnoReason(int error);

// Whether errno says the file system cannot take more files (full, read-only, over quota):
// a batch stops at the first such error rather than fail every line after it.
bool IsFileSystemFull(int error);

// Writes bytes to path; on failure returns false and sets *error to the reason (and, when
// given, *errnoValue to the errno behind it, 0 for none).
// - A new or replaced regular file is written to a temporary file in the same folder and
//   renamed into place, so that a missing folder, no permission or a full disk leaves no
//   truncated file and the old file intact. A replaced file keeps its
//   permissions, and its owner and group where the process may set them.
// - A regular file with more than one hard link is written in place once the new contents
//   are complete in memory, so that all its names keep showing the same file.
// - A symbolic link is followed: its target is written by these rules, the link stays.
// - A FIFO, a character device or a socket is written into, never replaced; a block device
//   and a folder are refused.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         int* errnoValue = nullptr);

// Writes all of bytes to a descriptor (standard output), retrying short writes.
bool WriteAll(int fd, std::string_view bytes);

enum class WriteResult { Written, Exists, Failed, Cancelled };

// The batch's writer: bytes to a temporary file beside path, moved into place. With replace
// an existing file is replaced; without, the move fails atomically when path exists (another
// process may create it at any moment), and Exists is returned. On a file system that can
// neither rename without replacing nor hard-link, the file is created exclusively and written
// in place instead. Sets *error (and *errnoValue) on Exists and Failed. The file is not synced
// to disk: a batch syncs its file system once at the end, since a sync per file costs more
// than the symbol. When *cancel is set by the time the temporary file is written, it is
// removed and nothing is moved into place (Cancelled): an interrupted batch leaves no file
// half done.
WriteResult WriteBatchFile(const std::string& path, std::string_view bytes, bool replace,
                           std::string* error, int* errnoValue = nullptr,
                           const std::atomic<bool>* cancel = nullptr);

// The temporary files of this program's batches ".qrdesk-PID-N.tmp" in folder whose process
// is gone (killed before it could remove them), removed; returns how many.
int RemoveStaleTemporaries(const std::string& folder);

}  // namespace qrdesk
