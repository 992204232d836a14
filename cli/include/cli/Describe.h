#pragma once
// What the command line says about a symbol: the one-line description of --info and the
// figures of "the data do not fit".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

// The version of a picture that Encode returned: (N + 8) pixels per side, N = 4v + 17.
// 0 when the size is no symbol's.
std::int32_t VersionFromPictureSize(std::int32_t pixels);

// Bits the segments of bytes take at version (its count-width class), terminator excluded;
// nullopt for data too long for any symbol (so no measuring is attempted).
std::optional<std::int32_t> MeasureDataBits(const clsQRCode& encoder, std::string_view bytes,
                                            std::int32_t version, bool kanjiAllowed);

// One line: "version 1, level M, mask 0, segments numeric 8, bits 41 of 128".
std::string FormatSymbolInfo(const clsQRCode::EncodeReport& report);

// Why bytes do not fit the options: what they need and what the symbol holds.
std::string DoesNotFit(const clsQRCode& encoder, std::string_view bytes,
                       const clsQRCode::EncodeOptions& options);

}  // namespace qrdesk::cli
