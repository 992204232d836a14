#pragma once
// Helpers of the command-line tests: the window's save path, decoding image files, running
// the real qrdesk-cli.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "support/ZxingDecode.h"

// The bytes the window saves for text with its list indexes (version, level, mask,
// encoding) and the drawing box's size: text to bytes, Encode, the picture as an image,
// stretched, as BMP. size 0 gives the unscaled picture; format "BMP" or "PNG".
QByteArray WindowFile(const QString& text, int versionIndex, int levelIndex, int maskIndex,
                      int encodingIndex, const QString& codePage, int size,
                      const char* format = "BMP");

// Decodes an image file's contents (any format Qt reads) with zxing-cpp.
std::optional<DecodedSymbol> DecodeFile(const QByteArray& contents);
QByteArray DecodedBytes(const DecodedSymbol& symbol);

struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};
// Runs qrdesk-cli with args in dir, stdin fed from input.
CliRun RunCliProcess(const QStringList& args, const QString& dir, const QByteArray& input = {});
QByteArray ReadFile(const QString& path);
