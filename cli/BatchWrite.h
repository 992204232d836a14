#pragma once
// Writing the batch's files: never a partial file under the final name, never an existing
// file replaced unless asked.

#include <QByteArray>
#include <QString>

namespace qrdesk::cli {

enum class WriteResult { Written, Exists, Failed };

// Writes bytes to a temporary file beside path and moves it into place. With replace an
// existing file is replaced; without, the move fails atomically when path exists (another
// process may create it at any moment), and Exists is returned. On a file system that can
// neither rename without replacing nor hard-link, the file is created exclusively and
// written in place instead. Sets *error on Exists and Failed.
// The file is not synced to disk: a batch syncs its file system once at the end, since a
// sync per file costs more than making the symbol.
WriteResult WriteBatchFile(const QString& path, const QByteArray& bytes, bool replace,
                           QString* error);

}  // namespace qrdesk::cli
