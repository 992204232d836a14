#pragma once
// The facts of the four data modes that the standard fixes: mode indicators, the widths of
// the character-count indicator per count-width class, and the bits a character costs. The
// encoder, the tests and the fuzz targets all read them from here.

#include <cstdint>

#include "encoder/clsQRCode.h"

namespace modefacts {

inline constexpr std::int32_t kModeCount = 4;
inline constexpr std::int32_t kIndicatorBits = 4;
inline constexpr std::int32_t kTerminatorBits = 4;

// Indicators by mode number (byte, numeric, alphanumeric, Kanji).
inline constexpr std::int32_t kIndicator[kModeCount] = {0b0100, 0b0001, 0b0010, 0b1000};

// Count-width classes: versions 1-9, 10-26 and 27-40. A stream's length depends on the
// version only through its class.
inline constexpr std::int32_t kClassCount = 3;
inline constexpr std::int32_t kClassFirst[kClassCount] = {1, 10, 27};
inline constexpr std::int32_t kClassLast[kClassCount] = {9, 26, 40};

// Width of the character-count indicator, [class][mode].
inline constexpr std::int32_t kCountWidth[kClassCount][kModeCount] = {
    {8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};

// Below 10 (0 and negative values included) the first class, 10-26 the second, else the third.
constexpr std::int32_t CountWidthClass(std::int32_t version) {
    return version < 10 ? 0 : version <= 26 ? 1 : 2;
}

constexpr std::int32_t CountWidth(std::int32_t mode, std::int32_t version) {
    return kCountWidth[CountWidthClass(version)][mode];
}

// Characters one segment may hold: what its count field can say.
constexpr std::int32_t MaxCount(std::int32_t mode, std::int32_t version) {
    return (1 << CountWidth(mode, version)) - 1;
}

// Bits of the first character of a segment: a byte 8, a digit 4, an alphanumeric
// character 6, a Kanji character 13.
inline constexpr std::int32_t kFirstCharBits[kModeCount] = {8, 4, 6, 13};

// Bits a character adds to a segment of its mode that already holds run characters: digits
// go three to 10 bits (4, 3, 3), alphanumerics two to 11 (6, 5).
constexpr std::int32_t ContinuingBits(std::int32_t mode, std::int32_t run) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return run % 3 == 0 ? 4 : 3;
        case clsQRCode::ModeAlphanumeric:
            return run % 2 == 0 ? 6 : 5;
        default:
            return kFirstCharBits[mode];
    }
}

// Data bits of a segment of count characters, without its header.
constexpr std::int32_t DataBits(std::int32_t mode, std::int32_t count) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return 10 * (count / 3) + (count % 3 == 0 ? 0 : count % 3 == 1 ? 4 : 7);
        case clsQRCode::ModeAlphanumeric:
            return 11 * (count / 2) + 6 * (count % 2);
        case clsQRCode::ModeKanji:
            return 13 * count;
        default:
            return 8 * count;
    }
}

// The ECI designator segment: its indicator, then the designator in 8, 16 or 24 bits, the
// first bits of which say the length (0, 10 or 110).
inline constexpr std::int32_t kEciIndicator = 0b0111;
constexpr std::int32_t EciDesignatorBits(std::int32_t designator) {
    return designator < 128 ? 8 : designator < 16384 ? 16 : 24;
}
// The whole segment's bits; 0 for designator 0, which means no segment.
constexpr std::int32_t EciHeaderBits(std::int32_t designator) {
    return designator == 0 ? 0 : kIndicatorBits + EciDesignatorBits(designator);
}

// The 45 characters of alphanumeric mode in value order.
inline constexpr char kAlphanumericCharset[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

}  // namespace modefacts
