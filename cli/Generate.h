#pragma once
// One symbol from a text to the bytes of its image file, as the window makes it.

#include <QByteArray>
#include <QString>
#include <optional>

#include "cli/Options.h"
#include "common/SymbolInfo.h"
#include "encoder/clsQRCode.h"
#include "render/Picture.h"

namespace qrdesk::cli {

struct SymbolFile {
    int code = kOk;
    QString error;     // one line naming the cause when code is not kOk
    QByteArray bytes;  // the file's contents when code is kOk
    std::optional<SymbolInfo> info;
};

// The file of a picture: stretched to size x size (or unscaled when size is 0) and encoded
// in format, through the same common functions as the window's save command.
QByteArray PictureFile(const Picture& picture, int size, ImageFormat format);

// Decodes utf8 strictly (a leading byte-order mark is dropped), converts it to the options'
// encoding, encodes it and renders the file. With describe, also fills info.
SymbolFile MakeSymbolFile(clsQRCode& encoder, const QByteArray& utf8, const CliOptions& options,
                          ImageFormat format, bool describe);

}  // namespace qrdesk::cli
