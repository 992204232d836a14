// The module matrix as bit lines: function modules, codeword placement, transposition,
// masking with format and version information, the mask penalty, and the picture.

#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "Symbol.h"
#include "render/mdlVexmora.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using symbol::kPad;
using symbol::kPlane;
using symbol::kWords;
using symbol::Lines;

constexpr std::int32_t WordsFor(std::int32_t size) {
    return (size + 63) / 64;
}

// The penalty reads the light lines from 16 before the symbol to 40 after it (patterns of
// units up to 3 and their light sides, word by word).
constexpr std::int32_t kPenaltyBefore = 16, kPenaltyAfter = 40;

inline void SetBit(Lines& l, std::int32_t line, std::int32_t pos) {
    l[pos >> 6][kPad + line] |= std::uint64_t{1} << (pos & 63);
}

inline void PutBit(Lines& l, std::int32_t line, std::int32_t pos, bool value) {
    std::uint64_t& word = l[pos >> 6][kPad + line];
    const std::uint64_t bit = std::uint64_t{1} << (pos & 63);
    word = (word & ~bit) | ((std::uint64_t{0} - value) & bit);
}

// Sets bits from .. to - 1 of a line.
void SetRange(Lines& l, std::int32_t line, std::int32_t from, std::int32_t to) {
    for (std::int32_t w = from >> 6; w <= (to - 1) >> 6; ++w) {
        const std::int32_t lo = (from > 64 * w ? from : 64 * w) - 64 * w;
        const std::int32_t hi = (to < 64 * w + 64 ? to : 64 * w + 64) - 64 * w;
        const std::uint64_t mask =
            hi - lo == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << (hi - lo)) - 1) << lo;
        l[w][kPad + line] |= mask;
    }
}

void Clear(Lines& l, std::int32_t size) {
    for (std::int32_t w = 0; w < WordsFor(size); ++w) std::memset(l[w], 0, sizeof(l[w]));
}

// Bits below size in each word of a line.
inline std::uint64_t ValidBits(std::int32_t size, std::int32_t w) {
    const std::int32_t left = size - 64 * w;
    return left >= 64 ? ~std::uint64_t{0} : left <= 0 ? 0 : (std::uint64_t{1} << left) - 1;
}

inline std::uint64_t LoadBigEndian64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

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

// ---- Masks: per pattern, the words of a row (bits over x) for row y % 12, and of a column
// (bits over y) for column x % 12. Every pattern repeats after 12 rows and 12 columns.
struct MaskTables {
    std::uint64_t row[8][12][kWords];
    std::uint64_t column[8][12][kWords];
};

constexpr MaskTables kMasks = [] {
    MaskTables t{};
    for (std::int32_t m = 0; m < 8; ++m)
        for (std::int32_t k = 0; k < 12; ++k)
            for (std::int32_t i = 0; i < 64 * kWords; ++i) {
                if (symbol::MaskInverts(m, i, k))
                    t.row[m][k][i / 64] |= std::uint64_t{1} << (i % 64);
                if (symbol::MaskInverts(m, k, i))
                    t.column[m][k][i / 64] |= std::uint64_t{1} << (i % 64);
            }
    return t;
}();

// ---- Format and version information (BCH codes of the standard).
constexpr std::int32_t BchRemainder(std::int32_t value, std::int32_t generator,
                                    std::int32_t degree) {
    for (std::int32_t k = 0; k < degree; ++k) {
        value <<= 1;
        if (value & (1 << degree)) value ^= generator;
    }
    return value;
}

constexpr std::int32_t FormatWord(std::int32_t level, std::int32_t mask) {
    const std::int32_t data = (((level - 1) ^ 1) << 3) | mask;  // L 01, M 00, Q 11, H 10
    return (data << 10 | BchRemainder(data, 0x537, 10)) ^ 0x5412;
}

constexpr std::int32_t VersionWord(std::int32_t version) {
    return version << 12 | BchRemainder(version, 0x1F25, 12);
}

// Module (x, y) of a symbol held as rows (line y, bit x) or as columns (line x, bit y).
template <bool kAsColumns>
inline void PutModule(Lines& l, std::int32_t x, std::int32_t y, bool value) {
    if constexpr (kAsColumns)
        PutBit(l, x, y, value);
    else
        PutBit(l, y, x, value);
}

template <bool kAsColumns>
void PutFormatAndVersion(Lines& l, std::int32_t n, std::int32_t version, std::int32_t level,
                         std::int32_t mask) {
    const std::int32_t format = FormatWord(level, mask);
    // Bit k's two positions; the first copy skips the timing modules (6, 8) and (8, 6).
    static constexpr std::int8_t kFirst[15][2] = {{8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4},
                                                  {8, 5}, {8, 7}, {8, 8}, {7, 8}, {5, 8},
                                                  {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8}};
    for (std::int32_t k = 0; k < 15; ++k) {
        const bool bit = (format >> k) & 1;
        PutModule<kAsColumns>(l, kFirst[k][0], kFirst[k][1], bit);
        if (k <= 7)
            PutModule<kAsColumns>(l, n - 1 - k, 8, bit);  // row 8, right edge leftwards
        else
            PutModule<kAsColumns>(l, 8, n - 15 + k, bit);  // column 8, bottom edge upwards
    }
    if (version < 7) return;
    const std::int32_t word = VersionWord(version);
    for (std::int32_t j = 0; j <= 5; ++j)
        for (std::int32_t i = 0; i <= 2; ++i) {
            const bool bit = (word >> (3 * j + i)) & 1;
            PutModule<kAsColumns>(l, j, n - 11 + i, bit);  // bottom-left block
            PutModule<kAsColumns>(l, n - 11 + i, j, bit);  // top-right block
        }
}

// ---- Placement.

// Bits pos .. pos + count - 1 (count 1..64) of a most-significant-first stream, as a number
// whose lowest bit is the last of them. bytes must be readable 9 bytes from pos / 8.
inline std::uint64_t ReadBits(const std::uint8_t* bytes, std::int32_t pos, std::int32_t count) {
    const std::int32_t shift = pos & 7;
    std::uint64_t high = LoadBigEndian64(bytes + (pos >> 3)) << shift;
    if (shift != 0) high |= bytes[(pos >> 3) + 8] >> (8 - shift);
    return high >> (64 - count);
}

// The bit operations of the placement, in plain C++: deposit (the lowest bits of a value
// into the set bits of a mask, in order), the even or odd bits of a word packed together,
// 32 bits spread to the even positions, and the population count.
struct PortableBits {
    static std::uint64_t Deposit(std::uint64_t value, std::uint64_t mask) {
        // A run of set mask bits at a time.
        std::uint64_t out = 0;
        while (mask != 0) {
            const std::int32_t low = std::countr_zero(mask);
            const std::uint64_t rest = mask >> low;
            const std::int32_t length = ~rest == 0 ? 64 - low : std::countr_zero(~rest);
            const std::uint64_t ones =
                length == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << length) - 1;
            out |= (value & ones) << low;
            value = length == 64 ? 0 : value >> length;
            mask &= ~(ones << low);
        }
        return out;
    }
    static std::uint64_t EvenBits(std::uint64_t x) {
        x &= 0x5555555555555555ull;
        x = (x | x >> 1) & 0x3333333333333333ull;
        x = (x | x >> 2) & 0x0F0F0F0F0F0F0F0Full;
        x = (x | x >> 4) & 0x00FF00FF00FF00FFull;
        x = (x | x >> 8) & 0x0000FFFF0000FFFFull;
        return (x | x >> 16) & 0x00000000FFFFFFFFull;
    }
    static std::uint64_t OddBits(std::uint64_t x) { return EvenBits(x >> 1); }
    static std::uint64_t SpreadEven(std::uint64_t x) {  // x < 2^32
        x = (x | x << 16) & 0x0000FFFF0000FFFFull;
        x = (x | x << 8) & 0x00FF00FF00FF00FFull;
        x = (x | x << 4) & 0x0F0F0F0F0F0F0F0Full;
        x = (x | x << 2) & 0x3333333333333333ull;
        return (x | x << 1) & 0x5555555555555555ull;
    }
    static std::int32_t Count(std::uint64_t x) { return PortableCount::Of(x); }
    static std::uint64_t Reverse(std::uint64_t x) {
        x = (x >> 1 & 0x5555555555555555ull) | (x & 0x5555555555555555ull) << 1;
        x = (x >> 2 & 0x3333333333333333ull) | (x & 0x3333333333333333ull) << 2;
        x = (x >> 4 & 0x0F0F0F0F0F0F0F0Full) | (x & 0x0F0F0F0F0F0F0F0Full) << 4;
        return __builtin_bswap64(x);
    }
};

// A column pair 32 rows at a time. The pair's free modules of those rows, interleaved in the
// walk's order, take as many stream bits at once by a deposit, and the even and odd bits
// split them into the two columns. Walking upward the stream runs from the top of the rows
// down, so its first bit is the highest; walking downward the bits are reversed, the first
// the lowest.
template <class Bits>
inline void PlacePairs(const std::uint8_t* codewords, std::int32_t n, const Lines& function,
                       Lines& columns) {
    // First every piece's free modules and how many bits they take, then the pieces' start
    // positions, then the placing: so the pieces do not wait on each other.
    struct Piece {
        std::uint64_t slots;
        std::int32_t low, high;  // the columns of the even and of the odd slot bits
        std::int16_t w, shift;
        bool upward;
    };
    Piece pieces[(symbol::kMaxSize / 2) * ((symbol::kMaxSize + 31) / 32)];
    std::int32_t starts[sizeof(pieces) / sizeof(pieces[0]) + 1];
    std::int32_t count = 0;
    const std::int32_t perPair = (n + 31) / 32;
    bool upward = true;
    for (std::int32_t right = n - 1; right > 0; right -= 2) {
        if (right == 6) right = 5;  // the vertical timing column
        const std::int32_t left = right - 1;
        for (std::int32_t step = 0; step < perPair; ++step) {
            const std::int32_t q = upward ? perPair - 1 - step : step;
            const std::int32_t w = q >> 1, shift = 32 * (q & 1);
            const std::uint64_t valid = (ValidBits(n, w) >> shift) & 0xFFFFFFFFu;
            // The function modules are symmetric: line x of them is column x too.
            const std::uint64_t freeL = ~(function[w][kPad + left] >> shift) & valid;
            const std::uint64_t freeR = ~(function[w][kPad + right] >> shift) & valid;
            // Upward: bit 2i the left module of row i, 2i + 1 the right one; downward the
            // other way round, so that the walk's order is the bits' order either way.
            const std::uint64_t lowSide = upward ? freeL : freeR, highSide = upward ? freeR : freeL;
            Piece& p = pieces[count];
            p.slots = Bits::SpreadEven(lowSide) | Bits::SpreadEven(highSide) << 1;
            p.low = upward ? left : right;
            p.high = upward ? right : left;
            p.w = static_cast<std::int16_t>(w);
            p.shift = static_cast<std::int16_t>(shift);
            p.upward = upward;
            starts[count] = Bits::Count(p.slots);
            ++count;
        }
        upward = !upward;
    }
    for (std::int32_t k = 0, pos = 0; k < count; ++k) {
        const std::int32_t bits = starts[k];
        starts[k] = pos;
        pos += bits;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        const Piece& p = pieces[k];
        if (p.slots == 0) continue;
        const std::int32_t bits = Bits::Count(p.slots);
        const std::uint64_t read = ReadBits(codewords, starts[k], bits);
        const std::uint64_t value = p.upward ? read : Bits::Reverse(read) >> (64 - bits);
        const std::uint64_t placed = Bits::Deposit(value, p.slots);
        columns[p.w][kPad + p.low] |= Bits::EvenBits(placed) << p.shift;
        columns[p.w][kPad + p.high] |= Bits::OddBits(placed) << p.shift;
    }
}

void PlacePortable(const std::uint8_t* codewords, std::int32_t n, const Lines& function,
                   Lines& columns) {
    PlacePairs<PortableBits>(codewords, n, function, columns);
}

#if defined(__x86_64__)

// The same with BMI2's deposit and extract.
struct VectorBits {
    [[gnu::target("bmi2,popcnt")]] static inline std::uint64_t Deposit(std::uint64_t value,
                                                                       std::uint64_t mask) {
        return _pdep_u64(value, mask);
    }
    [[gnu::target("bmi2,popcnt")]] static inline std::uint64_t EvenBits(std::uint64_t x) {
        return _pext_u64(x, 0x5555555555555555ull);
    }
    [[gnu::target("bmi2,popcnt")]] static inline std::uint64_t OddBits(std::uint64_t x) {
        return _pext_u64(x, 0xAAAAAAAAAAAAAAAAull);
    }
    [[gnu::target("bmi2,popcnt")]] static inline std::uint64_t SpreadEven(std::uint64_t x) {
        return _pdep_u64(x, 0x5555555555555555ull);
    }
    [[gnu::target("bmi2,popcnt")]] static inline std::int32_t Count(std::uint64_t x) {
        return static_cast<std::int32_t>(_mm_popcnt_u64(x));
    }
    static std::uint64_t Reverse(std::uint64_t x) { return PortableBits::Reverse(x); }
};

[[gnu::target("bmi2,popcnt"), gnu::flatten]] void PlaceVector(const std::uint8_t* codewords,
                                                              std::int32_t n, const Lines& function,
                                                              Lines& columns) {
    PlacePairs<VectorBits>(codewords, n, function, columns);
}

#endif

// ---- Transposition, 64 x 64 bits at a time: bit j of word i goes to bit i of word j, by
// swapping ever smaller blocks. Each round runs over contiguous words with its distance a
// constant, so that the vector path's compiler does a round several words at a time.
template <std::int32_t J, class Word>
[[gnu::always_inline]] inline void SwapRound(Word* a, Word keep) {
    constexpr std::int32_t kBits = 8 * sizeof(Word);  // the block is kBits words of kBits bits
    for (std::int32_t base = 0; base < kBits; base += 2 * J) {
        for (std::int32_t k = base; k < base + J; ++k) {
            const Word t = ((a[k] >> J) ^ a[k + J]) & keep;
            a[k] ^= static_cast<Word>(t << J);
            a[k + J] ^= t;
        }
    }
}

[[gnu::always_inline]] inline void Transpose64(std::uint64_t a[64]) {
    SwapRound<32>(a, std::uint64_t{0x00000000FFFFFFFFull});
    SwapRound<16>(a, std::uint64_t{0x0000FFFF0000FFFFull});
    SwapRound<8>(a, std::uint64_t{0x00FF00FF00FF00FFull});
    SwapRound<4>(a, std::uint64_t{0x0F0F0F0F0F0F0F0Full});
    SwapRound<2>(a, std::uint64_t{0x3333333333333333ull});
    SwapRound<1>(a, std::uint64_t{0x5555555555555555ull});
}

// The same for 32 x 32 bits, for the small symbols.
[[gnu::always_inline]] inline void Transpose32(std::uint32_t a[32]) {
    SwapRound<16>(a, std::uint32_t{0x0000FFFFu});
    SwapRound<8>(a, std::uint32_t{0x00FF00FFu});
    SwapRound<4>(a, std::uint32_t{0x0F0F0F0Fu});
    SwapRound<2>(a, std::uint32_t{0x33333333u});
    SwapRound<1>(a, std::uint32_t{0x55555555u});
}

[[gnu::always_inline]] inline void TransposeLines(const Lines& columns, std::int32_t size,
                                                  Lines& rows) {
    if (size <= 32) {
        std::uint32_t block[32];
        for (std::int32_t k = 0; k < 32; ++k)
            block[k] = static_cast<std::uint32_t>(columns[0][kPad + k]);
        Transpose32(block);
        for (std::int32_t k = 0; k < size; ++k) rows[0][kPad + k] = block[k];
        return;
    }
    const std::int32_t words = WordsFor(size);
    for (std::int32_t bi = 0; bi < words; ++bi) {
        for (std::int32_t bj = 0; bj < words; ++bj) {
            // Lines 64 bj .. 64 bj + 63 of the columns, word bi (rows 64 bi ..); lines past
            // the symbol are zero.
            alignas(64) std::uint64_t block[64];
            std::memcpy(block, columns[bi] + kPad + 64 * bj, sizeof(block));
            Transpose64(block);
            const std::int32_t lines = size - 64 * bi < 64 ? size - 64 * bi : 64;
            std::memcpy(rows[bj] + kPad + 64 * bi, block, lines * sizeof(std::uint64_t));
        }
    }
}

void TransposePortable(const Lines& columns, std::int32_t size, Lines& rows) {
    TransposeLines(columns, size, rows);
}

#if defined(__x86_64__)
[[gnu::target("avx512f,avx512bw,avx512vl")]] void TransposeVector(const Lines& columns,
                                                                  std::int32_t size, Lines& rows) {
    TransposeLines(columns, size, rows);
}
#endif

// ---- The penalty.

// Modules of one colour from pos on in direction step (+1 or -1), at most limit of them;
// light runs that reach the edge count as unlimited (the light area around the symbol).
std::int32_t RunOf(const Lines& l, std::int32_t line, std::int32_t pos, std::int32_t step,
                   std::int32_t colour, std::int32_t limit, std::int32_t n) {
    std::int32_t k = 0;
    while (k < limit) {
        if (pos < 0 || pos >= n) return colour == 0 ? limit : k;
        const std::uint64_t word = l[pos >> 6][kPad + line];
        const std::uint64_t same = colour ? word : ~word;  // 1 where the module has the colour
        const std::int32_t bit = pos & 63;
        // Equal modules from bit on, upward or downward within this word (the bits past the
        // symbol are light: a dark run stops there, a light one goes on to the edge check).
        const std::int32_t run =
            step > 0 ? std::countr_one(same >> bit) : std::countl_one(same << (63 - bit));
        const std::int32_t room = step > 0 ? 64 - bit : bit + 1;
        if (run < room) {
            // A light run may end at the symbol's edge inside the word: unlimited then.
            if (colour == 0 && step > 0 && pos + run >= n) return limit;
            return k + run < limit ? k + run : limit;
        }
        k += room;
        pos += step * room;
    }
    return limit;
}

// Patterns dark u, light u, dark 3u, light u, dark u (u >= 4) on line `line` starting at
// start, with light runs on both sides: one for 4u light before and u after, one for u
// before and 4u after.
// knownUnit: the pattern's unit when it is known (from its end), else 0.
std::int32_t ScaledFinderAt(const Lines& l, std::int32_t line, std::int32_t start, std::int32_t n,
                            std::int32_t knownUnit = 0) {
    const std::int32_t unit = RunOf(l, line, start, 1, 1, n, n);
    if (unit < 4 || 7 * unit > n || (knownUnit != 0 && unit != knownUnit)) return 0;
    std::int32_t pos = start + unit;
    const std::int32_t lengths[4] = {unit, 3 * unit, unit, unit};
    for (std::int32_t r = 0, colour = 0; r < 4; ++r, colour ^= 1) {
        if (RunOf(l, line, pos, 1, colour, lengths[r] + 1, n) != lengths[r]) return 0;
        pos += lengths[r];
    }
    const std::int32_t after = RunOf(l, line, pos, 1, 0, 4 * unit, n);
    const std::int32_t before = RunOf(l, line, start - 1, -1, 0, 4 * unit, n);
    return (before >= 4 * unit && after >= unit) + (after >= 4 * unit && before >= unit);
}

// The same from the last dark module of a pattern with 16 light modules after it; a pattern
// with 16 light modules before it too is counted from its start instead.
std::int32_t ScaledFinderEndingAt(const Lines& l, std::int32_t line, std::int32_t end,
                                  std::int32_t n) {
    const std::int32_t unit = RunOf(l, line, end, -1, 1, n, n);
    if (unit < 4 || 7 * unit > n) return 0;
    const std::int32_t start = end - 7 * unit + 1;
    if (start < 0 || RunOf(l, line, start - 1, -1, 0, 16, n) >= 16) return 0;
    return ScaledFinderAt(l, line, start, n, unit);
}

// N1 and N3 of one direction. across holds the symbol's lines across that direction (line i
// is module i of every line along it, one per bit), along the same symbol's lines along it.
// Simple loops over i, so that the vector path's compiler runs them eight words at a time.
template <class Count>
[[gnu::always_inline]] inline std::int32_t DirectionPenalty(const Lines& across, const Lines& along,
                                                            std::int32_t n) {
    std::int32_t total = 0;
    const std::int32_t words = WordsFor(n);
    static_assert(kPad >= kPenaltyBefore && kPlane > kPad + symbol::kMaxSize + kPenaltyAfter);
    for (std::int32_t w = 0; w < words; ++w) {
        const std::uint64_t* line = across[w];
        const std::uint64_t* a = line + kPad;  // a[-kPad .. n + kPad) readable, 0 outside
        const std::uint64_t valid = ValidBits(n, w);
        // same[i]: module i equals module i + 1 (same[-1] = 0: no module before the first).
        std::uint64_t sameAt[symbol::kMaxSize + 2];
        std::uint64_t* same = sameAt + 1;
        same[-1] = 0;
        for (std::int32_t i = 0; i < n - 1; ++i) same[i] = ~(a[i] ^ a[i + 1]) & valid;
        // Runs from module i on: lightK[i] modules i .. i + K - 1 light (outside the symbol
        // is light), darkK[i] dark; indices from -kPad, made from 16 modules before the
        // symbol to 40 past it: every read below stays inside that.
        std::uint64_t light2[kPlane], light3[kPlane], light4[kPlane], light8[kPlane];
        std::uint64_t dark2[kPlane], dark3[kPlane], dark4[kPlane], dark6[kPlane], dark9[kPlane];
        const std::int32_t from = kPad - kPenaltyBefore, end = kPad + n + kPenaltyAfter;
        for (std::int32_t i = from; i < end; ++i) {
            light2[i] = ~(line[i] | line[i + 1]);
            dark2[i] = line[i] & line[i + 1];
        }
        for (std::int32_t i = from; i < end - 2; ++i) {
            light3[i] = light2[i] & ~line[i + 2];
            light4[i] = light2[i] & light2[i + 2];
            dark3[i] = dark2[i] & line[i + 2];
            dark4[i] = dark2[i] & dark2[i + 2];
        }
        for (std::int32_t i = from; i < end - 6; ++i) {
            light8[i] = light4[i] & light4[i + 4];
            dark6[i] = dark3[i] & dark3[i + 3];
        }
        for (std::int32_t i = from; i < end - 12; ++i) dark9[i] = dark6[i] & dark3[i + 6];
        const std::uint64_t *l2 = light2 + kPad, *l3 = light3 + kPad, *l4 = light4 + kPad;
        const std::uint64_t *l8 = light8 + kPad, *d2 = dark2 + kPad, *d3 = dark3 + kPad;
        const std::uint64_t *d4 = dark4 + kPad, *d6 = dark6 + kPad, *d9 = dark9 + kPad;
        // N1: every window of five equal modules, and 2 more per run (a run of L >= 5 is
        // L - 4 windows and costs 3 + (L - 5)).
        std::int32_t windows = 0, runs = 0;
        for (std::int32_t i = 0; i + 4 < n; ++i) {
            const std::uint64_t five = same[i] & same[i + 1] & same[i + 2] & same[i + 3];
            windows += Count::Of(five);
            runs += Count::Of(five & ~same[i - 1]);
        }
        total += windows + 2 * runs;
        // N3: dark u, light u, dark 3u, light u, dark u as whole runs, with 4u light modules
        // on one side and at least u on the other; each side with 4u counts. Units 1, 2 and
        // 3 word by word at every position (at most one fits the runs at i; past the symbol
        // every module is light, so a pattern over its edge has no core). Units of 4 and
        // more need 4 dark modules beside 16 light ones: only the blocks of 8 positions
        // where that occurs are looked at further, one pattern at a time.
        std::int32_t finders = 0;
        const std::int32_t blocks = (n - 3 + 7) / 8;  // positions 0 .. n - 4 at least
        std::uint64_t flags[(symbol::kMaxSize + 7) / 8];
        for (std::int32_t b = 0; b < blocks; ++b) {
            std::uint64_t rare = 0;
            for (std::int32_t k = 0; k < 8; ++k) {
                const std::int32_t i = 8 * b + k;
                const std::uint64_t core1 =
                    ~a[i - 1] & a[i] & ~a[i + 1] & d3[i + 2] & ~a[i + 5] & a[i + 6] & ~a[i + 7];
                const std::uint64_t core2 = ~a[i - 1] & d2[i] & l2[i + 2] & d6[i + 4] & l2[i + 10] &
                                            d2[i + 12] & ~a[i + 14];
                const std::uint64_t core3 = ~a[i - 1] & d3[i] & l3[i + 3] & d9[i + 6] & l3[i + 15] &
                                            d3[i + 18] & ~a[i + 21];
                const std::uint64_t before = (core1 & l4[i - 4]) |
                                             (core2 & l8[i - 8] & l2[i + 14]) |
                                             (core3 & l8[i - 12] & l4[i - 4] & l3[i + 21]);
                const std::uint64_t after = (core1 & l4[i + 7]) | (core2 & l8[i + 14] & l2[i - 2]) |
                                            (core3 & l8[i + 21] & l4[i + 29] & l3[i - 3]);
                finders += Count::Of(before) + Count::Of(after);
                rare |= d4[i] & ((l8[i - 16] & l8[i - 8]) | (l8[i + 4] & l8[i + 12]));
            }
            flags[b] = rare;
        }
        for (std::int32_t b = 0; b < blocks; ++b) {
            if (flags[b] == 0) continue;
            for (std::int32_t i = 8 * b; i < 8 * b + 8; ++i) {
                for (std::uint64_t bits = d4[i] & l8[i - 16] & l8[i - 8]; bits != 0;
                     bits &= bits - 1)
                    finders += ScaledFinderAt(along, 64 * w + __builtin_ctzll(bits), i, n);
                for (std::uint64_t bits = d4[i] & l8[i + 4] & l8[i + 12]; bits != 0;
                     bits &= bits - 1)
                    finders +=
                        ScaledFinderEndingAt(along, 64 * w + __builtin_ctzll(bits), i + 3, n);
            }
        }
        total += 40 * finders;
    }
    return total;
}

// N2 from the columns: 2 x 2 blocks of one colour, 3 each.
template <class Count>
[[gnu::always_inline]] inline std::int32_t BlockPenalty(const Lines& columns, std::int32_t n) {
    const std::int32_t words = WordsFor(n);
    std::int32_t blocks = 0;
    for (std::int32_t w = 0; w < words; ++w) {
        // Rows y with y + 1 < n.
        const std::uint64_t valid = ValidBits(n - 1, w);
        const std::uint64_t* a = columns[w] + kPad;
        const std::uint64_t* next = w + 1 < words ? columns[w + 1] + kPad : nullptr;
        for (std::int32_t x = 0; x + 1 < n; ++x) {
            const std::uint64_t same = ~(a[x] ^ a[x + 1]);
            const std::uint64_t nextSame = next ? ~(next[x] ^ next[x + 1]) : 0;
            const std::uint64_t below = (same >> 1) | (nextSame << 63);
            const std::uint64_t downA = (a[x] >> 1) | ((next ? next[x] : 0) << 63);
            const std::uint64_t vertical = ~(a[x] ^ downA);
            blocks += Count::Of(same & below & vertical & valid);
        }
    }
    return 3 * blocks;
}

template <class Count>
[[gnu::always_inline]] inline std::int32_t PenaltyKernel(const Lines& rows, const Lines& columns,
                                                         std::int32_t n) {
    std::int32_t total = DirectionPenalty<Count>(columns, rows, n);  // along the rows
    total += DirectionPenalty<Count>(rows, columns, n);              // along the columns
    total += BlockPenalty<Count>(columns, n);
    // N4: 10 per full 5 % step away from half dark.
    std::int64_t dark = 0;
    for (std::int32_t w = 0; w < WordsFor(n); ++w)
        for (std::int32_t y = 0; y < n; ++y) dark += Count::Of(rows[w][kPad + y]);
    const std::int64_t all = std::int64_t{n} * n;
    const std::int64_t off = dark * 20 - all * 10;
    const std::int64_t k = ((off < 0 ? -off : off) + all - 1) / all - 1;
    total += 10 * static_cast<std::int32_t>(k < 0 ? 0 : k);
    return total;
}

std::int32_t PenaltyPortable(const Lines& rows, const Lines& columns, std::int32_t n) {
    return PenaltyKernel<PortableCount>(rows, columns, n);
}

#if defined(__x86_64__)
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vpopcntdq,popcnt,bmi2")]] std::int32_t PenaltyVector(
    const Lines& rows, const Lines& columns, std::int32_t n) {
    return PenaltyKernel<InstructionCount>(rows, columns, n);
}
#endif

// kSpread[b]: the 8 bits of b as 8 bytes of 0 or 1, lowest bit first.
constexpr auto kSpread = [] {
    std::array<std::uint64_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        for (int k = 0; k < 8; ++k) table[b] |= static_cast<std::uint64_t>((b >> k) & 1) << (8 * k);
    return table;
}();

// The rows' bits as picture bytes (0 or 1), row y at out + y * stride.
void SpreadRowsPortable(const Lines& rows, std::int32_t size, std::uint8_t* out,
                        std::int32_t stride) {
    for (std::int32_t y = 0; y < size; ++y) {
        std::uint8_t* row = out + static_cast<std::size_t>(y) * stride;
        // 8 modules a step; the bits past the last module are 0 and land in the margin
        // (the last row's in the light rows below).
        for (std::int32_t x = 0; x < size; x += 8) {
            const std::uint64_t word = rows[x >> 6][kPad + y];
            std::memcpy(row + x, &kSpread[(word >> (x & 63)) & 0xFF], 8);
        }
    }
}

#if defined(__x86_64__)
// 64 modules a step: each bit of a word becomes a byte of 1 or 0.
[[gnu::target("avx512f,avx512bw")]] void SpreadRowsVector(const Lines& rows, std::int32_t size,
                                                          std::uint8_t* out, std::int32_t stride) {
    const __m512i one = _mm512_set1_epi8(1);
    for (std::int32_t y = 0; y < size; ++y) {
        std::uint8_t* row = out + static_cast<std::size_t>(y) * stride;
        for (std::int32_t w = 0; w < WordsFor(size); ++w) {
            const std::int32_t left = size - 64 * w;
            const __mmask64 keep = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
            _mm512_mask_storeu_epi8(row + 64 * w, keep,
                                    _mm512_maskz_mov_epi8(rows[w][kPad + y], one));
        }
    }
}
#endif

}  // namespace

namespace symbol {

Path BestPath() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vpopcntdq") &&
        __builtin_cpu_supports("gfni") && __builtin_cpu_supports("bmi2") &&
        __builtin_cpu_supports("popcnt"))
        return Path::Vector;
#endif
    return Path::Portable;
}

void BuildFunctionLines(std::int32_t version, Lines& function, Lines& dark) {
    const std::int32_t n = 4 * version + 17;
    Clear(function, n);
    Clear(dark, n);
    Lines& f = function;
    // Finder patterns with their separators, format areas, the version areas.
    for (std::int32_t y = 0; y <= 7; ++y) {
        SetRange(f, y, 0, 8);
        SetRange(f, y, n - 8, n);
        SetRange(f, n - 1 - y, 0, 8);
    }
    SetRange(f, 8, 0, 9);
    SetRange(f, 8, n - 8, n);
    for (std::int32_t y = 0; y <= 8; ++y) SetBit(f, y, 8);
    for (std::int32_t y = n - 8; y < n; ++y) SetBit(f, y, 8);
    if (version >= 7) {
        for (std::int32_t y = 0; y <= 5; ++y) SetRange(f, y, n - 11, n - 8);
        for (std::int32_t y = n - 11; y <= n - 9; ++y) SetRange(f, y, 0, 6);
    }
    // Timing patterns, dark on even positions.
    SetRange(f, 6, 8, n - 8);
    for (std::int32_t i = 8; i < n - 8; ++i) {
        SetBit(f, i, 6);
        if (i % 2 == 0) {
            SetBit(dark, 6, i);
            SetBit(dark, i, 6);
        }
    }
    auto finder = [&](std::int32_t fx, std::int32_t fy) {
        SetRange(dark, fy, fx, fx + 7);
        SetRange(dark, fy + 6, fx, fx + 7);
        for (std::int32_t k = 1; k <= 5; ++k) {
            SetBit(dark, fy + k, fx);
            SetBit(dark, fy + k, fx + 6);
        }
        for (std::int32_t k = 2; k <= 4; ++k) SetRange(dark, fy + k, fx + 2, fx + 5);
    };
    finder(0, 0);
    finder(n - 7, 0);
    finder(0, n - 7);
    // Alignment patterns, but for the three places on the finder patterns.
    const std::uint8_t* centres = kAlignmentCentres[version];
    auto nearEdge = [&](std::int32_t c) { return c == 6 || c == n - 7; };
    for (const std::uint8_t* cy = centres; *cy != 0; ++cy) {
        for (const std::uint8_t* cx = centres; *cx != 0; ++cx) {
            if ((*cx == 6 || *cy == 6) && nearEdge(*cx) && nearEdge(*cy)) continue;
            for (std::int32_t dy = -2; dy <= 2; ++dy) SetRange(f, *cy + dy, *cx - 2, *cx + 3);
            SetRange(dark, *cy - 2, *cx - 2, *cx + 3);
            SetRange(dark, *cy + 2, *cx - 2, *cx + 3);
            for (std::int32_t dy = -1; dy <= 1; ++dy) {
                SetBit(dark, *cy + dy, *cx - 2);
                SetBit(dark, *cy + dy, *cx + 2);
            }
            SetBit(dark, *cy, *cx);
        }
    }
    SetBit(dark, n - 8, 8);  // the dark module, (8, N-8)
}

void PlaceCodewords(const std::uint8_t* codewords, std::int32_t size, const Lines& function,
                    Lines& columns, Path path) {
    Clear(columns, size);
#if defined(__x86_64__)
    if (path == Path::Vector) {
        PlaceVector(codewords, size, function, columns);
        return;
    }
#else
    (void)path;
#endif
    PlacePortable(codewords, size, function, columns);
}

void Transpose(const Lines& columns, std::int32_t size, Lines& rows, Path path) {
#if defined(__x86_64__)
    if (path == Path::Vector) {
        TransposeVector(columns, size, rows);
        return;
    }
#else
    (void)path;
#endif
    TransposePortable(columns, size, rows);
}

void MaskedSymbol(const clsQRCode::Workspace& ws, std::int32_t version, std::int32_t level,
                  std::int32_t mask, Lines& rows, Lines* columns) {
    const std::int32_t n = 4 * version + 17, words = WordsFor(n);
    auto build = [&](const Lines& data, const std::uint64_t(*pattern)[kWords], Lines& out) {
        for (std::int32_t w = 0; w < words; ++w) {
            const std::uint64_t valid = ValidBits(n, w);
            // The pattern repeats every 12 lines: laid out once, then one simple loop.
            std::uint64_t tiled[symbol::kMaxSize + 12];
            for (std::int32_t k = 0; k < 12; ++k) tiled[k] = pattern[k][w] & valid;
            for (std::int32_t i = 12; i < n; i += 12)
                std::memcpy(tiled + i, tiled, sizeof(*tiled) * 12);
            // The light lines around the symbol that the penalty reads.
            std::memset(out[w] + kPad - kPenaltyBefore, 0, kPenaltyBefore * sizeof(std::uint64_t));
            std::memset(out[w] + kPad + n, 0, (kPenaltyAfter + 1) * sizeof(std::uint64_t));
            const std::uint64_t* d = data[w] + kPad;
            const std::uint64_t* f = ws.function[w] + kPad;
            const std::uint64_t* k = ws.dark[w] + kPad;
            std::uint64_t* o = out[w] + kPad;
            for (std::int32_t i = 0; i < n; ++i) o[i] = (d[i] ^ (tiled[i] & ~f[i])) | k[i];
        }
    };
    build(ws.dataRows, kMasks.row[mask], rows);
    PutFormatAndVersion<false>(rows, n, version, level, mask);
    if (columns == nullptr) return;
    build(ws.dataColumns, kMasks.column[mask], *columns);
    // The function modules are symmetric but for the dark module: (8, N-8) in rows is line
    // N-8; as a column it is line 8. Its mirror image is a format module, written next.
    SetBit(*columns, 8, n - 8);
    PutFormatAndVersion<true>(*columns, n, version, level, mask);
}

std::int32_t Penalty(const Lines& rows, const Lines& columns, std::int32_t size, Path path) {
#if defined(__x86_64__)
    if (path == Path::Vector) return PenaltyVector(rows, columns, size);
#else
    (void)path;
#endif
    return PenaltyPortable(rows, columns, size);
}

std::shared_ptr<Picture> RowsToPicture(const Lines& rows, std::int32_t size, Path path) {
    const std::int32_t side = size + 8;
    auto* bitmap = new (std::nothrow) Bitmap;
    if (bitmap == nullptr) return nullptr;
    try {
        bitmap->indices.assign(static_cast<std::size_t>(side) * side, 0);
    } catch (const std::bad_alloc&) {
        delete bitmap;
        return nullptr;
    }
    bitmap->width = bitmap->height = side;
    bitmap->palette = mdlVexmora::SymbolPalette();
    std::uint8_t* out = bitmap->indices.data() + 4 * static_cast<std::size_t>(side) + 4;
#if defined(__x86_64__)
    if (path == Path::Vector)
        SpreadRowsVector(rows, size, out, side);
    else
        SpreadRowsPortable(rows, size, out, side);
#else
    (void)path;
    SpreadRowsPortable(rows, size, out, side);
#endif
    return mdlVexmora::BitmapToPicture(bitmap, true);
}

}  // namespace symbol
