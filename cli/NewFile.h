#pragma once
// Writing a file that must not exist yet, without ever replacing one or leaving a partial file.

#include <QByteArray>
#include <QString>

namespace qrdesk::cli {

enum class NewFileResult { Written, Exists, Failed };

// Writes bytes to a temporary file beside path, syncs it, and links it to path, which fails
// atomically when path exists (another process may create it at any moment). On a file
// system without hard links the file is created exclusively and written in place instead.
// Sets *error on Exists and Failed.
NewFileResult WriteNewFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace qrdesk::cli
