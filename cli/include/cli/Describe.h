#pragma once
// What the command line says about a symbol: the one-line description of --info and the
// figures of "the data do not fit".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "encoder/clsQRCode.h"
#include "readback/ReadBack.h"

namespace qrdesk::cli {

// The version of a picture that Encode returned: (N + 8) pixels per side, N = 4v + 17.
// 0 when the size is no symbol's.
std::int32_t VersionFromPictureSize(std::int32_t pixels);

// One line: "version 1, level M, mask 0, segments numeric 8, bits 41 of 128".
std::string FormatSymbolInfo(const clsQRCode::EncodeReport& report);

// Advice that was tried and found true: a --size at which both readers read the symbol, or
// options with which both show the text as typed ("--eci auto").
struct Advice {
    int size = 0;
    int triedUpTo = 0;  // the largest --size tried when none read
    std::string options;
};

// What each reader makes of the file, one line each, then the advice when there is any:
//   zxing-cpp: reads the text as typed
//   zbar: shows "https://example.org/莠ｧ?id=12345"
//   advice: with --eci auto both readers show the text as typed
std::vector<std::string> ReaderLines(const SymbolCheck& check, const Advice& advice);

// The --info json object, one line: version, level, mask, eci, segments, dataBits,
// capacityBits, pixels, readers.
std::string InfoJson(const clsQRCode::EncodeReport& report, std::int32_t eci, int pixels,
                     const ReadBack& readBack);

// Why bytes do not fit the options: what they need and what the symbol holds.
std::string DoesNotFit(const clsQRCode& encoder, std::string_view bytes,
                       const clsQRCode::EncodeOptions& options);

}  // namespace qrdesk::cli
