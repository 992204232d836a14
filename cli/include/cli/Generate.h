#pragma once
// One symbol from a text to the bytes of its file, as the window makes it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "encoder/clsQRCode.h"
#include "readback/ReadBack.h"

namespace qrdesk::cli {

struct SymbolFile {
    int code = kOk;
    std::string error;  // one line naming the cause when code is not kOk
    std::string bytes;  // the file's contents when code is kOk
    // With describe: what the symbol holds, the designator written, the side of the picture
    // read back, what the readers make of it, and the report lines.
    std::optional<clsQRCode::EncodeReport> info;
    std::int32_t eci = 0;
    int pixels = 0;
    ReadBack readBack;
    std::vector<std::string> report;
};

// Decodes utf8 strictly (a leading byte-order mark is dropped), converts it to the options'
// encoding, encodes it and renders it as type. With describe, also reads the output's
// picture back with both readers and fills what --info prints.
SymbolFile MakeSymbolFile(clsQRCode& encoder, std::string_view utf8, const CliOptions& options,
                          OutputType type, bool describe);

}  // namespace qrdesk::cli
