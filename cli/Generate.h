#pragma once
// One symbol from a text to the bytes of its image file, as the window makes it.

#include <QByteArray>
#include <QString>
#include <QStringList>
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
    QStringList report;  // with describe: the symbol report on the file's own picture
};

// Decodes utf8 strictly (a leading byte-order mark is dropped), converts it to the options'
// encoding, encodes it and renders the file: stretched to the options' size (or unscaled) and
// encoded in format, through the same common functions as the window's save command. With
// describe, also fills info and report (the file's picture read back).
SymbolFile MakeSymbolFile(clsQRCode& encoder, const QByteArray& utf8, const CliOptions& options,
                          ImageFormat format, bool describe);

}  // namespace qrdesk::cli
