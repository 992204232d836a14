#pragma once
// Writing symbol files so that a failure never leaves a truncated file under the final name
// or damages the file that was there: the single save of the window and the command line,
// and the batch's files. Paths are the file system's own bytes.

#include <string>
#include <string_view>

namespace qrdesk {

// The system's text for an errno value ("No space left on device").
std::string ErrnoReason(int error);

// Writes bytes to path through a temporary file in the same folder that is synced and then
// renamed into place, so that a missing folder, no permission or a full disk leaves no
// truncated file and an existing file intact. On failure returns false and sets *error to
// the reason.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

enum class WriteResult { Written, Exists, Failed };

// The batch's writer: bytes to a temporary file beside path, moved into place. With replace
// an existing file is replaced; without, the move fails atomically when path exists (another
// process may create it at any moment), and Exists is returned. On a file system that can
// neither rename without replacing nor hard-link, the file is created exclusively and written
// in place instead. Sets *error on Exists and Failed. The file is not synced to disk: a batch
// syncs its file system once at the end, since a sync per file costs more than the symbol.
WriteResult WriteBatchFile(const std::string& path, std::string_view bytes, bool replace,
                           std::string* error);

}  // namespace qrdesk
