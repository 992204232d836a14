// The module matrix: function patterns, codeword placement, masking, and the BCH-protected
// format and version information.

#include <array>
#include <cstring>

#include "Symbol.h"
#include "encoder/clsQRCode.h"

namespace {

constexpr std::uint8_t kFree = 0, kDark = 1, kLight = 2;

}  // namespace

void clsQRCode::DrawFunctionPatterns(std::uint8_t* m, std::int32_t stride,
                                     std::int32_t version) const {
    if (m == nullptr || version < 1 || version > 40) return;
    const std::int32_t n = GetSymbolSize(version);
    auto at = [&](std::int32_t x, std::int32_t y) -> std::uint8_t& { return m[y * stride + x]; };

    // Finder patterns with their separators, in the three corners.
    for (std::int32_t y = 0; y <= 7; ++y) {
        for (std::int32_t x = 0; x <= 7; ++x) {
            const bool lightRing = ((x == 1 || x == 5) && y >= 1 && y <= 5) ||
                                   ((y == 1 || y == 5) && x >= 1 && x <= 5);
            const std::uint8_t value = (lightRing || x == 7 || y == 7) ? kLight : kDark;
            at(x, y) = value;
            at(n - 1 - x, y) = value;
            at(x, n - 1 - y) = value;
        }
    }
    // Format areas, reserved; then the dark module.
    for (std::int32_t i = 0; i <= 7; ++i) {
        at(i, 8) = kLight;
        at(8, i) = kLight;
        at(n - 1 - i, 8) = kLight;
        at(8, n - 1 - i) = kLight;
    }
    at(8, 8) = kLight;
    at(8, n - 8) = kDark;
    // Version areas, reserved (the strips on the timing lines are overwritten next).
    if (version >= 7) {
        for (std::int32_t i = n - 11; i <= n - 9; ++i) {
            for (std::int32_t j = 0; j <= 6; ++j) {
                at(j, i) = kLight;
                at(i, j) = kLight;
            }
        }
    }
    // Timing patterns.
    for (std::int32_t i = 8; i <= n - 9; ++i) {
        const std::uint8_t value = (i % 2 == 0) ? kDark : kLight;
        at(i, 6) = value;
        at(6, i) = value;
    }
    // Alignment patterns at every pair of centre coordinates, but for the three pairs that
    // fall on the finder patterns.
    const std::uint8_t* centres = symbol::kAlignmentCentres[version];
    auto nearEdge = [&](std::int32_t c) { return c == 6 || c == n - 7; };
    for (const std::uint8_t* cy = centres; *cy != 0; ++cy) {
        for (const std::uint8_t* cx = centres; *cx != 0; ++cx) {
            // (6, 6), (N-7, 6) and (6, N-7): each of these corners holds a finder pattern.
            if ((*cx == 6 || *cy == 6) && nearEdge(*cx) && nearEdge(*cy)) continue;
            for (std::int32_t dy = -2; dy <= 2; ++dy)
                for (std::int32_t dx = -2; dx <= 2; ++dx) {
                    const bool ring = dx == 2 || dx == -2 || dy == 2 || dy == -2;
                    at(*cx + dx, *cy + dy) = ring || (dx == 0 && dy == 0) ? kDark : kLight;
                }
        }
    }
}

std::int32_t clsQRCode::PlaceCodewords(const std::uint8_t* symbolMatrix, std::int32_t stride,
                                       std::uint8_t* dataMatrix, std::int32_t size,
                                       const std::uint8_t* bits, std::int32_t bitCount) const {
    std::int32_t i = 0;
    if (symbolMatrix == nullptr || dataMatrix == nullptr || bits == nullptr) return 0;
    // Walks the pair with left column c, rows first .. first + (size - 1) * step; within a
    // row the right cell comes first. A pair holds at most 2N bits, so while that many remain
    // the per-cell count check is left out.
    auto walk = [&](std::int32_t c, std::int32_t first, std::int32_t step) {
        const std::uint8_t* function = symbolMatrix + static_cast<std::size_t>(first) * stride + c;
        std::uint8_t* cell = dataMatrix + static_cast<std::size_t>(first) * size + c;
        const std::ptrdiff_t functionStep = std::ptrdiff_t{step} * stride;
        const std::ptrdiff_t cellStep = std::ptrdiff_t{step} * size;
        if (bitCount - i >= 2 * size) {
            for (std::int32_t k = 0; k < size; ++k, function += functionStep, cell += cellStep) {
                std::uint16_t both;
                std::memcpy(&both, function, 2);
                if (both == 0) {  // the usual case: both cells free
                    cell[1] = bits[i];
                    cell[0] = bits[i + 1];
                    i += 2;
                    continue;
                }
                if (function[1] == kFree) cell[1] = bits[i++];
                if (function[0] == kFree) cell[0] = bits[i++];
            }
        } else {
            for (std::int32_t k = 0; k < size; ++k, function += functionStep, cell += cellStep) {
                if (i < bitCount && function[1] == kFree) cell[1] = bits[i++];
                if (i < bitCount && function[0] == kFree) cell[0] = bits[i++];
            }
        }
    };
    // Two-module columns from the right, upward then downward, skipping the timing column 6.
    for (std::int32_t x = size; x >= 5 && i < bitCount;) {
        walk(x - 2 < 6 ? x - 3 : x - 2, size - 1, -1);
        x -= 4;
        walk(x < 6 ? x - 1 : x, 0, 1);
    }
    return i;
}

namespace {

// target[0..n-1] ^= source[0..n-1], eight bytes at a time.
void XorBytes(std::uint8_t* target, const std::uint8_t* source, std::int32_t n) {
    std::int32_t x = 0;
    for (; x + 8 <= n; x += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, target + x, 8);
        std::memcpy(&b, source + x, 8);
        a ^= b;
        std::memcpy(target + x, &a, 8);
    }
    for (; x < n; ++x) target[x] ^= source[x];
}

// Every pattern repeats after 6 columns (2, 3 or 6) and after 12 rows (1, 2, 3, 4 or 6):
// kMaskUnit[mask][y][x] for x < 6, y < 12 holds the whole of it.
constexpr auto kMaskUnit = [] {
    std::array<std::array<std::array<std::uint8_t, 6>, 12>, 8> unit{};
    for (int mask = 0; mask < 8; ++mask)
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 6; ++x) unit[mask][y][x] = symbol::MaskInverts(mask, x, y) ? 1 : 0;
    return unit;
}();

}  // namespace

std::int32_t clsQRCode::ApplyMask(std::uint8_t* dataMatrix, std::int32_t size,
                                  std::int32_t mask) const {
    if (mask < 0 || mask > 7) mask = 0;
    if (dataMatrix == nullptr || size <= 0) return mask;
    // 12 pattern rows of one strip of columns serve the whole matrix, a row at a time. A row
    // is its 6-column unit repeated, written 8 bytes at a time from 24 bytes (4 units).
    constexpr std::int32_t kRows = 12, kStrip = 180;  // kStrip: a multiple of 6, >= 177
    std::uint8_t pattern[kRows][kStrip + 4];          // room to end on a whole word
    const std::int32_t patternRows = size < kRows ? size : kRows;
    const std::int32_t strip = size < kStrip ? size : kStrip;
    for (std::int32_t y = 0; y < patternRows; ++y) {
        std::uint8_t units[24];
        for (std::int32_t k = 0; k < 24; k += 6)
            std::memcpy(units + k, kMaskUnit[mask][y].data(), 6);
        for (std::int32_t x = 0, k = 0; x < strip; x += 8, k = (k + 8) % 24)
            std::memcpy(pattern[y] + x, units + k, 8);
    }
    for (std::int32_t y = 0; y < size; ++y) {
        const std::uint8_t* inverts = pattern[y % kRows];
        std::uint8_t* row = dataMatrix + static_cast<std::size_t>(y) * size;
        for (std::int32_t x0 = 0; x0 < size; x0 += kStrip) {
            const std::int32_t n = size - x0 < kStrip ? size - x0 : kStrip;
            XorBytes(row + x0, inverts, n);
        }
    }
    return mask;
}

std::int32_t clsQRCode::GetBchRemainder(std::int32_t value, std::int32_t generator,
                                        std::int32_t topBit, std::int32_t steps) const {
    if (steps <= 0) return value;
    for (std::int32_t k = 0; k < steps; ++k) {
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 1);
        if (value & topBit) value = (value ^ generator) & (topBit - 1);
    }
    return value;
}

void clsQRCode::WriteVersionInformation(std::uint8_t* m, std::int32_t stride,
                                        std::int32_t version) const {
    if (m == nullptr || version < 7 || version > 40) return;
    const std::int32_t n = GetSymbolSize(version);
    const std::int32_t word = symbol::VersionWord(version);
    for (std::int32_t j = 0; j <= 5; ++j) {
        for (std::int32_t i = 0; i <= 2; ++i) {
            const std::uint8_t bit = (word & PowerOfTwo[3 * j + i]) ? 1 : 0;
            m[(n - 11 + i) * stride + j] = bit;  // bottom-left block
            m[j * stride + (n - 11 + i)] = bit;  // top-right block
        }
    }
}

void clsQRCode::WriteFormatInformation(std::uint8_t* m, std::int32_t stride, std::int32_t size,
                                       std::int32_t level, std::int32_t mask) const {
    if (m == nullptr || size < 21) return;
    if (level < 1 || level > 4) level = 2;
    if (mask < 0 || mask > 7) mask = 0;
    const std::int32_t word = symbol::FormatWord(level, mask);
    for (std::int32_t k = 0; k < 15; ++k) {
        const std::uint8_t bit = (word & PowerOfTwo[k]) ? 1 : 0;
        m[symbol::kFormatFirst[k][1] * stride + symbol::kFormatFirst[k][0]] = bit;
        if (k <= 7)
            m[8 * stride + (size - 1 - k)] = bit;  // row 8, right edge leftwards
        else
            m[(size - 15 + k) * stride + 8] = bit;  // column 8, bottom edge upwards
    }
}
