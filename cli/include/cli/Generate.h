#pragma once
// One symbol from a text to the bytes of its image file, as the window makes it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "common/ReadBack.h"
#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

struct SymbolFile {
    int code = kOk;
    std::string error;  // one line naming the cause when code is not kOk
    std::string bytes;  // the file's contents when code is kOk
    // With describe: what the symbol holds, the designator written, the picture's side, what
    // the readers make of the file's own picture, and the report lines on it.
    std::optional<clsQRCode::EncodeReport> info;
    std::int32_t eci = 0;
    int pixels = 0;
    ReadBack readBack;
    std::vector<std::string> report;
};

// Decodes utf8 strictly (a leading byte-order mark is dropped), converts it to the options'
// encoding, encodes it and renders the file: stretched to the options' size (or unscaled) and
// encoded in format, through the same common functions as the window's save command. With
// describe, also reads the file's picture back and fills what --info prints.
SymbolFile MakeSymbolFile(clsQRCode& encoder, std::string_view utf8, const CliOptions& options,
                          ImageFormat format, bool describe);

}  // namespace qrdesk::cli
