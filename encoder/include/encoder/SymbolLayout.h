#pragma once
// Where a symbol keeps its format and version information, and how the masks invert modules
// (ISO/IEC 18004 7.8 to 7.10): what both an encoder and a reader of the symbol's grid need.

#include <cstdint>

namespace symbol {

// Whether mask pattern mask inverts the module in column x, row y.
constexpr bool MaskInverts(std::int32_t mask, std::int32_t x, std::int32_t y) {
    switch (mask) {
        case 0:
            return (y + x) % 2 == 0;
        case 1:
            return y % 2 == 0;
        case 2:
            return x % 3 == 0;
        case 3:
            return (y + x) % 3 == 0;
        case 4:
            return (y / 2 + x / 3) % 2 == 0;
        case 5:
            return (y * x) % 2 + (y * x) % 3 == 0;
        case 6:
            return ((y * x) % 2 + (y * x) % 3) % 2 == 0;
        default:
            return ((y + x) % 2 + (y * x) % 3) % 2 == 0;
    }
}

// The generator polynomials of the standard's two BCH codes, top term included: the (15, 5)
// code of the format information, x^10 + x^8 + x^5 + x^4 + x^2 + x + 1, and the (18, 6) code
// of the version information, x^12 + x^11 + x^10 + x^9 + x^8 + x^5 + x^2 + 1.
inline constexpr std::int32_t kFormatGenerator = 0b101'0011'0111;      // 0x537
inline constexpr std::int32_t kVersionGenerator = 0b1'1111'0010'0101;  // 0x1F25
// The format information is XORed with this pattern, so that no format word is all zero.
inline constexpr std::int32_t kFormatMaskPattern = 0b101'0100'0001'0010;  // 0x5412

// The remainder of value x^degree divided by generator (of that degree).
constexpr std::int32_t BchRemainder(std::int32_t value, std::int32_t generator,
                                    std::int32_t degree) {
    for (std::int32_t k = 0; k < degree; ++k) {
        value <<= 1;
        if (value & (1 << degree)) value ^= generator;
    }
    return value;
}

// The 15-bit format word of level 1..4 and mask 0..7, masked.
constexpr std::int32_t FormatWord(std::int32_t level, std::int32_t mask) {
    const std::int32_t data = (((level - 1) ^ 1) << 3) | mask;  // L 01, M 00, Q 11, H 10
    return (data << 10 | BchRemainder(data, kFormatGenerator, 10)) ^ kFormatMaskPattern;
}

// The 18-bit version word of version 7..40.
constexpr std::int32_t VersionWord(std::int32_t version) {
    return version << 12 | BchRemainder(version, kVersionGenerator, 12);
}

// Format bit k's first copy at (x, y) = kFormatFirst[k], skipping the timing modules (6, 8)
// and (8, 6); the second copy is on row 8 from the right edge leftwards for k <= 7, on column
// 8 from the bottom edge upwards for the rest.
inline constexpr std::int8_t kFormatFirst[15][2] = {{8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4},
                                                    {8, 5}, {8, 7}, {8, 8}, {7, 8}, {5, 8},
                                                    {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8}};

// The dark module beside the bottom-left finder, (8, N - 8): dark in every symbol, and part
// of neither the format information nor the fixed lines.
inline constexpr std::int32_t kDarkModuleX = 8;
constexpr std::int32_t DarkModuleY(std::int32_t n) {
    return n - 8;
}

// Calls put(k, x, y) for both modules of format bit k (0..14) of a symbol of size n.
template <class Put>
constexpr void ForEachFormatModule(std::int32_t n, Put put) {
    for (std::int32_t k = 0; k < 15; ++k) {
        put(k, kFormatFirst[k][0], kFormatFirst[k][1]);
        if (k <= 7)
            put(k, n - 1 - k, 8);  // row 8, right edge leftwards
        else
            put(k, 8, n - 15 + k);  // column 8, bottom edge upwards
    }
}

// Calls put(k, x, y) for both modules of version bit k (0..17) of a symbol of size n
// (versions 7 and up): bit 3j + i at (j, n - 11 + i), six columns wide above the bottom-left
// finder, and mirrored at (n - 11 + i, j) left of the top-right one.
template <class Put>
constexpr void ForEachVersionModule(std::int32_t n, Put put) {
    for (std::int32_t j = 0; j <= 5; ++j)
        for (std::int32_t i = 0; i <= 2; ++i) {
            put(3 * j + i, j, n - 11 + i);
            put(3 * j + i, n - 11 + i, j);
        }
}

}  // namespace symbol
