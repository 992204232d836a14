#pragma once
// Files the tests prepare, read back and list.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The file's contents; empty when it cannot be read.
QByteArray ReadFile(const QString& path);
// Replaces the file's contents with bytes; false when that fails.
bool WriteFile(const QString& path, const QByteArray& bytes);
// Every entry of folder, hidden ones included, by name.
QStringList Entries(const QString& folder);
