// The module matrix one step at a time on byte matrices: function patterns, codeword
// placement, masking, and the format and version information. Every step takes its geometry
// from the bit-line path (Modules.cpp, Placement.cpp, Symbol.h), so the two cannot differ.

#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "BitLines.h"
#include "Symbol.h"
#include "encoder/clsQRCode.h"

namespace {

using bitlines::GetBit;
using bitlines::SetBit;

constexpr std::uint8_t kDark = 1, kLight = 2;

bool IsSymbolSize(std::int32_t size) {
    return size >= 21 && size <= symbol::kMaxSize && (size - 17) % 4 == 0;
}

}  // namespace

void clsQRCode::DrawFunctionPatterns(std::uint8_t* m, std::int32_t stride,
                                     std::int32_t version) const {
    if (m == nullptr || version < 1 || version > 40) return;
    const std::int32_t n = GetSymbolSize(version);
    // The bit lines' function modules (line y holds row y), written into the function cells
    // only: the dark ones 1, the light ones 2; then the version areas reserved (2: the lines
    // hold the version information itself) and the dark module, which they leave out.
    symbol::Lines function, fixed;
    symbol::BuildFunctionLines(version, function, fixed);
    for (std::int32_t y = 0; y < n; ++y)
        for (std::int32_t x = 0; x < n; ++x)
            if (GetBit(function, y, x)) m[y * stride + x] = GetBit(fixed, y, x) ? kDark : kLight;
    if (version >= 7)
        symbol::ForEachVersionModule(
            n, [&](std::int32_t, std::int32_t x, std::int32_t y) { m[y * stride + x] = kLight; });
    m[symbol::DarkModuleY(n) * stride + symbol::kDarkModuleX] = kDark;
}

std::int32_t clsQRCode::PlaceCodewords(const std::uint8_t* symbolMatrix, std::int32_t stride,
                                       std::uint8_t* dataMatrix, std::int32_t size,
                                       const std::uint8_t* bits, std::int32_t bitCount) const {
    if (symbolMatrix == nullptr || dataMatrix == nullptr || bits == nullptr || bitCount <= 0 ||
        !IsSymbolSize(size))
        return 0;
    // The bit-line placement walks the free modules of whatever function lines it is given;
    // as columns (line x holds column x) they may be any layout the caller drew.
    struct Scratch {
        symbol::Lines function, placed, taken;
        symbol::PlacementPiece pieces[symbol::kMaxPieces];
        std::uint8_t stream[symbol::kMaxSize * symbol::kMaxSize / 8 + 24];
    };
    const std::unique_ptr<Scratch> s(new (std::nothrow) Scratch);
    if (!s) return 0;
    bitlines::Clear(s->function, size);
    std::int32_t free = 0;
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x) {
            if (symbolMatrix[y * stride + x] != 0)
                SetBit(s->function, x, y);
            else
                ++free;
        }
    const std::int32_t count = bitCount < free ? bitCount : free;
    const std::int32_t pieceCount = symbol::PlanPlacement(size, s->function, s->pieces);
    // The bits packed as the codewords are, then as many ones: the modules that take a bit.
    auto place = [&](symbol::Lines& out, auto bitAt) {
        std::memset(s->stream, 0, sizeof(s->stream));
        for (std::int32_t i = 0; i < count; ++i)
            if (bitAt(i)) s->stream[i >> 3] |= static_cast<std::uint8_t>(0x80 >> (i & 7));
        symbol::PlaceCodewords(s->stream, size, s->pieces, pieceCount, out, symbol::Path::Portable);
    };
    place(s->placed, [&](std::int32_t i) { return bits[i] != 0; });
    place(s->taken, [](std::int32_t) { return true; });
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x)
            if (GetBit(s->taken, x, y)) dataMatrix[y * size + x] = GetBit(s->placed, x, y);
    return count;
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
    const std::int32_t word = symbol::VersionWord(version);
    symbol::ForEachVersionModule(GetSymbolSize(version),
                                 [&](std::int32_t k, std::int32_t x, std::int32_t y) {
                                     m[y * stride + x] = (word & PowerOfTwo[k]) ? 1 : 0;
                                 });
}

void clsQRCode::WriteFormatInformation(std::uint8_t* m, std::int32_t stride, std::int32_t size,
                                       std::int32_t level, std::int32_t mask) const {
    if (m == nullptr || size < 21) return;
    if (level < 1 || level > 4) level = 2;
    if (mask < 0 || mask > 7) mask = 0;
    const std::int32_t word = symbol::FormatWord(level, mask);
    symbol::ForEachFormatModule(size, [&](std::int32_t k, std::int32_t x, std::int32_t y) {
        m[y * stride + x] = (word & PowerOfTwo[k]) ? 1 : 0;
    });
}
