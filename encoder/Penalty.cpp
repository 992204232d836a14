// The mask penalty of the standard's four rules (ISO/IEC 18004, 7.8.3: runs of five or more,
// 2 x 2 blocks, finder-like patterns, dark proportion) for eight symbols at once: the eight
// masks of one symbol, one per lane of a vector of eight 64-bit words.
//
// A plane holds module i of 64 lines (bit b: line 64w + b) of all eight symbols, for i from
// -kBefore to n + kAfter, light outside the symbol. A pass over a plane's positions scores
// those 64 lines in all eight symbols with word operations only: the rows' penalties from
// the planes of columns (bits over y), the columns' from the planes of rows (bits over x),
// which also give the 2 x 2 blocks and the dark modules. The masking is done while a plane is
// laid out, from the unmasked data and function modules that all eight masks share.

#include <array>
#include <cstring>
#include <new>

#include "BitLines.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using namespace bitlines;
using symbol::kLaneAfter;
using symbol::kLaneBefore;
using symbol::kLanes;
using symbol::LanePlane;

// Eight 64-bit words, one per mask: the compiler's generic vectors, one AVX-512 register on
// the vector path, plain words elsewhere. They never cross a call (every helper is inlined),
// so the warning that passing them would differ between the two paths does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
using V = std::uint64_t __attribute__((vector_size(8 * kLanes)));

[[gnu::always_inline]] inline V Load(const std::uint64_t* p) {
    V v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

[[gnu::always_inline]] inline void Store(std::uint64_t* p, V v) {
    std::memcpy(p, &v, sizeof(v));
}

// Population counts lane by lane: shifts and adds on the portable path, the processor's
// instruction on the vector path.
struct PortableLanes {
    [[gnu::always_inline]] static V Splat(std::uint64_t x) { return V{x, x, x, x, x, x, x, x}; }
    // x in the lanes whose bit is set in lanes, 0 in the others.
    [[gnu::always_inline]] static V Select(std::uint8_t lanes, std::uint64_t x) {
        V v{};
        for (std::int32_t k = 0; k < kLanes; ++k) v[k] = (lanes >> k) & 1 ? x : 0;
        return v;
    }
    [[gnu::always_inline]] static V Count(V x) {
        x -= (x >> 1) & 0x5555555555555555ull;
        x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
        x += x >> 8;
        x += x >> 16;
        x += x >> 32;
        return x & 0x7F;
    }
    [[gnu::always_inline]] static bool Any(V x) {
        std::uint64_t any = 0;
        for (std::int32_t k = 0; k < kLanes; ++k) any |= x[k];
        return any != 0;
    }
};

// The vector lanes need GCC: clang refuses the kernel's inline helpers, which take the target
// of the function they are inlined into, so its builds (the fuzz targets) score on the
// portable lanes, with the same results.
#if defined(__x86_64__) && !defined(__clang__)
#define QRDESK_VECTOR_LANES 1
struct VectorLanes {
    [[gnu::target("avx512f")]] static V Splat(std::uint64_t x) {
        return reinterpret_cast<V>(_mm512_set1_epi64(static_cast<long long>(x)));
    }
    [[gnu::target("avx512f")]] static V Select(std::uint8_t lanes, std::uint64_t x) {
        return reinterpret_cast<V>(_mm512_maskz_set1_epi64(lanes, static_cast<long long>(x)));
    }
    [[gnu::target("avx512f,avx512vpopcntdq")]] static V Count(V x) {
        return reinterpret_cast<V>(_mm512_popcnt_epi64(reinterpret_cast<__m512i>(x)));
    }
    [[gnu::target("avx512f")]] static bool Any(V x) {
        const __m512i v = reinterpret_cast<__m512i>(x);
        return _mm512_test_epi64_mask(v, v) != 0;
    }
};
#endif

// Where the eight symbols' modules come from: per orientation ([0] rows, [1] columns) the
// lines that all lanes share, masked where free when masked is set, plus single modules that
// differ between lanes (the format information and the dark module).
struct Source {
    const Lines* lines[2];
    const Lines* function;  // the free modules are those not in it
    const Lines* fixed;     // ORed in as they are
    bool masked;
    struct Module {
        std::int16_t x, y;
        std::uint8_t lanes;  // bit m: dark in lane m
    } modules[31];
    std::int32_t moduleCount;
};

// Plane w of orientation o: 0 the rows (bits over x, one position per row y), 1 the columns
// (bits over y, one position per column x).
template <class Lanes>
[[gnu::always_inline]] inline void LayOut(const Source& s, std::int32_t o, std::int32_t w,
                                          std::int32_t n, LanePlane& plane) {
    std::uint64_t* out = &plane[kLaneBefore][0];
    std::memset(&plane[0][0], 0, sizeof(plane[0]) * kLaneBefore);  // the light area around
    std::memset(out + kLanes * n, 0, sizeof(plane[0]) * kLaneAfter);
    const std::uint64_t valid = ValidBits(n, w);
    const std::uint64_t* data = (*s.lines[o])[w] + kPad;
    if (s.masked) {
        const std::uint64_t* function = (*s.function)[w] + kPad;
        const std::uint64_t* fixed = (*s.fixed)[w] + kPad;
        V pattern[12];
        for (std::int32_t k = 0; k < 12; ++k) pattern[k] = Load(kMaskWords[o][k][w].data());
        for (std::int32_t i0 = 0; i0 < n; i0 += 12) {
            for (std::int32_t k = 0; k < 12 && i0 + k < n; ++k) {
                const std::int32_t i = i0 + k;
                const V free = Lanes::Splat(~function[i] & valid);
                Store(out + kLanes * i,
                      (Lanes::Splat(data[i]) ^ (pattern[k] & free)) | Lanes::Splat(fixed[i]));
            }
        }
    } else {
        for (std::int32_t i = 0; i < n; ++i) Store(out + kLanes * i, Lanes::Splat(data[i]));
    }
    for (std::int32_t k = 0; k < s.moduleCount; ++k) {
        const auto& m = s.modules[k];
        const std::int32_t at = o == 0 ? m.y : m.x, bit = o == 0 ? m.x : m.y;
        if (bit >> 6 == w)
            Store(out + kLanes * at,
                  Load(out + kLanes * at) | Lanes::Select(m.lanes, 1ull << (bit & 63)));
    }
}

// Module pos of line `bit` in `lane` of a plane; light outside the symbol.
inline bool ModuleAt(const LanePlane& plane, std::int32_t n, std::int32_t lane, std::int32_t bit,
                     std::int32_t pos) {
    return pos >= 0 && pos < n && ((plane[kLaneBefore + pos][lane] >> bit) & 1);
}

// Modules of one colour from pos on in direction step; *edge tells whether the run reaches
// the symbol's edge.
std::int32_t RunFrom(const LanePlane& plane, std::int32_t n, std::int32_t lane, std::int32_t bit,
                     std::int32_t pos, std::int32_t step, bool dark, bool* edge) {
    std::int32_t k = 0;
    while (pos >= 0 && pos < n && ModuleAt(plane, n, lane, bit, pos) == dark) {
        ++k;
        pos += step;
    }
    *edge = pos < 0 || pos >= n;
    return k;
}

// Finder-like patterns of unit 4 or more (dark u, light u, dark 3u, light u, dark u, whole
// runs) whose centre run starts at c, in one line of one lane: one for 4u light modules
// before and at least u after, one for the other way round (the area around the symbol is
// light). Rare: only called where 12 dark modules follow 4 light ones.
[[gnu::noinline]] std::int32_t WideFinders(const LanePlane& plane, std::int32_t n,
                                           std::int32_t lane, std::int32_t bit, std::int32_t c) {
    constexpr std::int32_t kEdge = 1 << 20;  // the light area around the symbol
    bool edge = false;
    const std::int32_t centre = RunFrom(plane, n, lane, bit, c, 1, true, &edge);
    const std::int32_t u = centre / 3;
    if (centre % 3 != 0 || u < 4 || edge) return 0;
    // Light u, dark u and the light beyond, on each side.
    std::int32_t side[2];
    for (std::int32_t d = 0; d < 2; ++d) {
        const std::int32_t step = d == 0 ? -1 : 1;
        std::int32_t pos = d == 0 ? c - 1 : c + centre;
        if (RunFrom(plane, n, lane, bit, pos, step, false, &edge) != u || edge) return 0;
        pos += step * u;
        if (RunFrom(plane, n, lane, bit, pos, step, true, &edge) != u) return 0;
        pos += step * u;
        side[d] = edge ? kEdge : RunFrom(plane, n, lane, bit, pos, step, false, &edge);
        if (edge) side[d] = kEdge;
    }
    return (side[0] >= 4 * u && side[1] >= u) + (side[1] >= 4 * u && side[0] >= u);
}

// Bit m of [level - 1][k]: bit k of mask m's format word.
constexpr auto kFormatLanes = [] {
    std::array<std::array<std::uint8_t, 15>, 4> t{};
    for (std::int32_t level = 1; level <= 4; ++level)
        for (std::int32_t k = 0; k < 15; ++k)
            for (std::int32_t m = 0; m < kLanes; ++m)
                t[level - 1][k] |=
                    static_cast<std::uint8_t>(((symbol::FormatWord(level, m) >> k) & 1) << m);
    return t;
}();

// Module i of the plane's lines, its first entry at base.
[[gnu::always_inline]] inline V At(const std::uint64_t* base, std::int32_t i) {
    return Load(base + kLanes * i);
}

// Whether any module from position from to position to (inclusive) is dark.
[[gnu::always_inline]] inline V AnyDark(const std::uint64_t* base, std::int32_t from,
                                        std::int32_t to) {
    V any = At(base, from);
    for (std::int32_t k = from + 1; k <= to; ++k) any |= At(base, k);
    return any;
}

// Where module x equals module x + 1 in line i (x + 1 < n: pairs); module 64 of the word is
// the next plane's first (carry all ones), or none.
[[gnu::always_inline]] inline V Across(const std::uint64_t* base, const std::uint64_t* next,
                                       V carry, V pairs, std::int32_t i) {
    const V a = At(base, i), b = At(next, i);
    return ~(a ^ ((a >> 1) | ((b << 63) & carry))) & pairs;
}

// Sums per lane.
struct Totals {
    V runs{}, blocks{}, finders{}, dark{};
};

// One plane's lines: runs of five (N1) and finder-like patterns (N3) along them, and with
// kBlocksAndDark the 2 x 2 blocks (N2, next is plane w + 1 or null) and the dark modules
// (N4). Loads at fixed distances from each position, no tables: every operand sits in the
// plane, which stays in the first-level cache.
template <class Lanes, bool kBlocksAndDark>
[[gnu::always_inline]] inline void ScanPlane(const LanePlane& plane, const LanePlane* next,
                                             std::int32_t n, std::int32_t w, Totals& t) {
    const std::uint64_t* base = &plane[kLaneBefore][0];
    const V lines = Lanes::Splat(ValidBits(n, w));
    // Blocks: module x + 1 beside x, from the next plane's first bit at x = 63; x + 1 < n.
    const std::uint64_t* nextBase = next ? &(*next)[kLaneBefore][0] : base;
    const V carry = Lanes::Splat(next ? ~0ull : 0), pairs = Lanes::Splat(ValidBits(n - 1, w));
    // The last four positions start no run of five and no finder-like pattern.
    for (std::int32_t i = 0; i < n - 4; ++i) {
        const V m4 = At(base, i - 4), m3 = At(base, i - 3), m2 = At(base, i - 2),
                m1 = At(base, i - 1);
        const V p0 = At(base, i), p1 = At(base, i + 1), p2 = At(base, i + 2), p3 = At(base, i + 3),
                p4 = At(base, i + 4);
        const V p5 = At(base, i + 5), p6 = At(base, i + 6), p7 = At(base, i + 7),
                p8 = At(base, i + 8), p9 = At(base, i + 9);
        const V p10 = At(base, i + 10), p11 = At(base, i + 11), p12 = At(base, i + 12),
                p13 = At(base, i + 13);
        const V p14 = At(base, i + 14);

        // N1: five equal modules from i, and 2 more where such a run starts (a run of
        // L >= 5 is L - 4 windows and costs 3 + (L - 5)).
        const V s0 = ~(p0 ^ p1), five = s0 & ~(p1 ^ p2) & ~(p2 ^ p3) & ~(p3 ^ p4) & lines;
        const V before = i > 0 ? ~(m1 ^ p0) : V{};
        t.runs += Lanes::Count(five) + (Lanes::Count(five & ~before) << 1);

        // N3: dark u, light u, dark 3u, light u, dark u from i as whole runs, with 4u light
        // modules on one side and at least u on the other; each side with 4u counts. At most
        // one unit fits the modules at i. Unit 1 here for every position; units 2 and 3 (16
        // and 24 modules fixed) where their core occurs, which is rare.
        const V core1 = p0 & p2 & p3 & p4 & p6 & ~(m1 | p1 | p5 | p7);
        t.finders += Lanes::Count(core1 & ~(m4 | m3 | m2)) + Lanes::Count(core1 & ~(p8 | p9 | p10));
        const V d4to9 = p4 & p5 & p6 & p7 & p8 & p9;
        const V core2 = p0 & p1 & d4to9 & p12 & p13 & ~(m1 | p2 | p3 | p10 | p11 | p14);
        const V core3 =
            p0 & p1 & p2 & p6 & p7 & p8 & p9 & p10 & p11 & p12 & p13 & p14 & ~(m1 | p3 | p4 | p5);
        // Units of 4 and more have a centre run of 12 dark modules or more after 4 light ones.
        const V wide =
            p0 & p1 & p2 & p3 & p4 & p5 & p6 & p7 & p8 & p9 & p10 & p11 & ~(m4 | m3 | m2 | m1);
        if (Lanes::Any(core2 | core3 | wide)) [[unlikely]] {
            // Unit 2: 8 light before (the first in the core) and 2 after (the first in the
            // core), or the other way round.
            const V p15 = At(base, i + 15);
            t.finders += Lanes::Count(core2 & ~(AnyDark(base, i - 8, i - 2) | p15)) +
                         Lanes::Count(core2 & ~(AnyDark(base, i + 15, i + 21) | m2));
            // Unit 3: the rest of its core, then 12 light on one side and 3 on the other.
            const V core3Whole = core3 & ~(p15 | At(base, i + 16) | At(base, i + 17)) &
                                 At(base, i + 18) & At(base, i + 19) & At(base, i + 20) &
                                 ~At(base, i + 21);
            t.finders += Lanes::Count(core3Whole & ~(AnyDark(base, i - 12, i - 2) |
                                                     At(base, i + 22) | At(base, i + 23))) +
                         Lanes::Count(core3Whole & ~(AnyDark(base, i + 22, i + 32) | m3 | m2));
            if (Lanes::Any(wide)) {
                std::uint64_t bits[kLanes];
                std::memcpy(bits, &wide, sizeof(bits));
                V found{};
                for (std::int32_t lane = 0; lane < kLanes; ++lane)
                    for (std::uint64_t b = bits[lane]; b != 0; b &= b - 1)
                        found[lane] += WideFinders(plane, n, lane, __builtin_ctzll(b), i);
                t.finders += found;
            }
        }
        if constexpr (kBlocksAndDark) {
            t.blocks += Lanes::Count(Across(base, nextBase, carry, pairs, i) &
                                     Across(base, nextBase, carry, pairs, i + 1) & s0);
            t.dark += Lanes::Count(p0);
        }
    }
    if constexpr (kBlocksAndDark) {
        for (std::int32_t i = n - 4 > 0 ? n - 4 : 0; i < n; ++i) {
            if (i + 1 < n)
                t.blocks += Lanes::Count(Across(base, nextBase, carry, pairs, i) &
                                         Across(base, nextBase, carry, pairs, i + 1) &
                                         ~(At(base, i) ^ At(base, i + 1)));
            t.dark += Lanes::Count(At(base, i));
        }
    }
}

// The penalties of the eight symbols a source describes.
template <class Lanes>
[[gnu::always_inline]] inline void ScoreKernel(const Source& s, std::int32_t n,
                                               LanePlane (&planes)[2], std::int32_t out[kLanes]) {
    Totals t;
    const std::int32_t words = WordsFor(n);
    // Along the rows: the planes of columns.
    for (std::int32_t w = 0; w < words; ++w) {
        LayOut<Lanes>(s, 1, w, n, planes[0]);
        ScanPlane<Lanes, false>(planes[0], nullptr, n, w, t);
    }
    // Along the columns: the planes of rows, the last first, so that the blocks of plane w
    // can read plane w + 1.
    for (std::int32_t w = words - 1; w >= 0; --w) {
        LanePlane& plane = planes[w & 1];
        LayOut<Lanes>(s, 0, w, n, plane);
        ScanPlane<Lanes, true>(plane, w + 1 < words ? &planes[(w + 1) & 1] : nullptr, n, w, t);
    }
    const std::int64_t all = std::int64_t{n} * n;
    for (std::int32_t m = 0; m < kLanes; ++m) {
        // N4: 10 per full 5 % step away from half dark.
        const std::int64_t off = static_cast<std::int64_t>(t.dark[m]) * 20 - all * 10;
        const std::int64_t k = ((off < 0 ? -off : off) + all - 1) / all - 1;
        out[m] = static_cast<std::int32_t>(t.runs[m] + 3 * t.blocks[m] + 40 * t.finders[m]) +
                 10 * static_cast<std::int32_t>(k < 0 ? 0 : k);
    }
}

void ScorePortable(const Source& s, std::int32_t n, LanePlane (&planes)[2],
                   std::int32_t out[kLanes]) {
    ScoreKernel<PortableLanes>(s, n, planes, out);
}

#if defined(QRDESK_VECTOR_LANES)
[[gnu::target("avx512f,avx512bw,avx512vl,avx512vpopcntdq,popcnt,bmi2")]] void ScoreVector(
    const Source& s, std::int32_t n, LanePlane (&planes)[2], std::int32_t out[kLanes]) {
    ScoreKernel<VectorLanes>(s, n, planes, out);
}
#endif

void Score(const Source& s, std::int32_t n, LanePlane (&planes)[2], std::int32_t out[kLanes],
           symbol::Path path) {
#if defined(QRDESK_VECTOR_LANES)
    if (path == symbol::Path::Vector) return ScoreVector(s, n, planes, out);
#else
    (void)path;
#endif
    ScorePortable(s, n, planes, out);
}

}  // namespace

namespace symbol {

// The workspace's planes, made when first needed; null when memory runs out.
PenaltyPlanes* Planes(clsQRCode::Workspace& ws) {
    if (!ws.planes) ws.planes.reset(new (std::nothrow) PenaltyPlanes);
    return ws.planes.get();
}

bool ScoreMasks(clsQRCode::Workspace& ws, std::int32_t version, std::int32_t level,
                std::int32_t penalties[8], Path path) {
    PenaltyPlanes* planes = Planes(ws);
    if (planes == nullptr) return false;
    const std::int32_t n = 4 * version + 17;
    Source s{{&ws.dataRows, &ws.dataColumns}, &ws.function, &ws.fixed, true, {}, 0};
    // The format information of each mask (bit k of the word in module k of each copy), and
    // the dark module, in every lane.
    for (std::int32_t k = 0; k < 15; ++k) {
        const std::uint8_t lanes = kFormatLanes[level - 1][k];
        const std::int32_t x2 = k <= 7 ? n - 1 - k : 8, y2 = k <= 7 ? 8 : n - 15 + k;
        s.modules[s.moduleCount++] = {kFormatFirst[k][0], kFormatFirst[k][1], lanes};
        s.modules[s.moduleCount++] = {static_cast<std::int16_t>(x2), static_cast<std::int16_t>(y2),
                                      lanes};
    }
    s.modules[s.moduleCount++] = {8, static_cast<std::int16_t>(n - 8), 0xFF};
    Score(s, n, planes->plane, penalties, path);
    return true;
}

std::int32_t Penalty(clsQRCode::Workspace& ws, const Lines& rows, const Lines& columns,
                     std::int32_t size, Path path) {
    PenaltyPlanes* planes = Planes(ws);
    if (planes == nullptr) return -1;
    Source s{{&rows, &columns}, nullptr, nullptr, false, {}, 0};
    std::int32_t out[kLanes];
    Score(s, size, planes->plane, out, path);
    return out[0];
}

}  // namespace symbol
