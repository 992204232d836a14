#pragma once
// Small operations on the symbol held as bit lines (symbol::Lines), shared by the placement,
// the masking and the penalty.

#include <array>
#include <cstdint>
#include <cstring>

#include "Symbol.h"

namespace bitlines {

using symbol::kPad;
using symbol::kPlane;
using symbol::kWords;
using symbol::Lines;

constexpr std::int32_t WordsFor(std::int32_t size) {
    return (size + 63) / 64;
}

inline void SetBit(Lines& l, std::int32_t line, std::int32_t pos) {
    l[pos >> 6][kPad + line] |= std::uint64_t{1} << (pos & 63);
}

inline bool GetBit(const Lines& l, std::int32_t line, std::int32_t pos) {
    return (l[pos >> 6][kPad + line] >> (pos & 63)) & 1;
}

inline void PutBit(Lines& l, std::int32_t line, std::int32_t pos, bool value) {
    std::uint64_t& word = l[pos >> 6][kPad + line];
    const std::uint64_t bit = std::uint64_t{1} << (pos & 63);
    word = (word & ~bit) | ((std::uint64_t{0} - value) & bit);
}

// Sets bits from .. to - 1 of a line.
inline void SetRange(Lines& l, std::int32_t line, std::int32_t from, std::int32_t to) {
    for (std::int32_t w = from >> 6; w <= (to - 1) >> 6; ++w) {
        const std::int32_t lo = (from > 64 * w ? from : 64 * w) - 64 * w;
        const std::int32_t hi = (to < 64 * w + 64 ? to : 64 * w + 64) - 64 * w;
        const std::uint64_t mask =
            hi - lo == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << (hi - lo)) - 1) << lo;
        l[w][kPad + line] |= mask;
    }
}

// Clears lines 0 .. 64 x words - 1 of each word plane (all that a transposition reads).
inline void Clear(Lines& l, std::int32_t size) {
    const std::int32_t words = WordsFor(size);
    for (std::int32_t w = 0; w < words; ++w)
        std::memset(l[w] + kPad, 0, sizeof(l[w][0]) * 64 * words);
}

// Bits below size in each word of a line.
inline std::uint64_t ValidBits(std::int32_t size, std::int32_t w) {
    const std::int32_t left = size - 64 * w;
    return left >= 64 ? ~std::uint64_t{0} : left <= 0 ? 0 : (std::uint64_t{1} << left) - 1;
}

// The eight mask patterns as words: [0][k][w][m] is word w of row k of pattern m (bits over
// x), [1][k][w][m] word w of its column k (bits over y). Every pattern repeats after 12 rows
// and 12 columns; the patterns of one line side by side, as the penalty reads them.
inline constexpr auto kMaskWords = [] {
    std::array<std::array<std::array<std::array<std::uint64_t, symbol::kLanes>, kWords>, 12>, 2>
        t{};
    for (std::int32_t m = 0; m < symbol::kLanes; ++m)
        for (std::int32_t k = 0; k < 12; ++k)
            for (std::int32_t i = 0; i < 64 * kWords; ++i) {
                if (symbol::MaskInverts(m, i, k))
                    t[0][k][i / 64][m] |= std::uint64_t{1} << (i % 64);
                if (symbol::MaskInverts(m, k, i))
                    t[1][k][i / 64][m] |= std::uint64_t{1} << (i % 64);
            }
    return t;
}();

// Population counts: in plain arithmetic on the portable path (a library call otherwise),
// the processor's instruction on the vector path.
struct PortableCount {
    static std::int32_t Of(std::uint64_t x) {
        x -= (x >> 1) & 0x5555555555555555ull;
        x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        return static_cast<std::int32_t>((x * 0x0101010101010101ull) >> 56);
    }
};
struct InstructionCount {
    static std::int32_t Of(std::uint64_t x) { return __builtin_popcountll(x); }
};

}  // namespace bitlines
