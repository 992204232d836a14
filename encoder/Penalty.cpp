// The mask penalty of the standard's four rules (runs of five or more, 2 x 2 blocks,
// finder-like patterns, dark proportion), word by word over the bit lines.

#include <bit>

#include "BitLines.h"

namespace {

using namespace bitlines;

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

}  // namespace

namespace symbol {

std::int32_t Penalty(const Lines& rows, const Lines& columns, std::int32_t size, Path path) {
#if defined(__x86_64__)
    if (path == Path::Vector) return PenaltyVector(rows, columns, size);
#else
    (void)path;
#endif
    return PenaltyPortable(rows, columns, size);
}

}  // namespace symbol
