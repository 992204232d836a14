#pragma once
// What a finished symbol holds: version, level, mask, the segments the encoder chose and
// the data bits used of the capacity, as the encoder reports them.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/SymbolImage.h"
#include "encoder/clsQRCode.h"
#include "render/Picture.h"

namespace qrdesk {

struct SegmentInfo {
    clsQRCode::Mode mode;
    std::int32_t length;  // characters: digits, alphanumerics, bytes or Kanji characters
};

struct SymbolInfo {
    std::int32_t version = 0;  // 1..40
    std::int32_t level = 2;    // 1 L .. 4 H
    std::int32_t mask = 0;     // 0..7, the pattern applied
    std::vector<SegmentInfo> segments;
    std::int32_t dataBits = 0;      // the segments' bits, without the terminator
    std::int32_t capacityBits = 0;  // 8 x data codewords of version and level
};

// The version of a picture that Encode returned: (N + 8) pixels per side, N = 4v + 17.
// 0 when the size is no symbol's.
std::int32_t VersionFromPictureSize(std::int32_t pixels);

// Bits the segments of bytes take at version (its count-width class), terminator excluded;
// nullopt for data too long for any symbol (so no measuring is attempted).
std::optional<std::int32_t> MeasureDataBits(const clsQRCode& encoder, const QByteArray& bytes,
                                            std::int32_t version, bool kanjiAllowed);

// The encoder's report of a symbol it made.
SymbolInfo ToSymbolInfo(const clsQRCode::EncodeReport& report);

// "numeric", "alphanumeric", "byte", "kanji".
const char* ModeName(clsQRCode::Mode mode);
// "L", "M", "Q", "H" for 1..4.
const char* LevelName(std::int32_t level);

// One line: "version 1, level M, mask 0, segments numeric 8, bits 41 of 128".
QString FormatSymbolInfo(const SymbolInfo& info);

}  // namespace qrdesk
