// The module matrix as bit lines: the function modules, the masked symbol with format and
// version information, and the picture; which path the processor takes.

#include <array>
#include <cstring>
#include <new>

#include "BitLines.h"
#include "render/mdlVexmora.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using namespace bitlines;

// ---- Format information and the dark module, written into rows (line y, bit x).
// The format words of level 1..4 and mask 0..7.
constexpr auto kFormatWords = [] {
    std::array<std::array<std::int32_t, 8>, 4> t{};
    for (std::int32_t level = 1; level <= 4; ++level)
        for (std::int32_t mask = 0; mask < 8; ++mask)
            t[level - 1][mask] = symbol::FormatWord(level, mask);
    return t;
}();

// The format modules are light in masked rows (reserved, and not among the fixed ones): their
// dark bits are ORed in, at the places symbol::ForEachFormatModule gives.
void PutFormat(Lines& rows, std::int32_t n, std::int32_t level, std::int32_t mask) {
    const auto f = static_cast<std::uint64_t>(kFormatWords[level - 1][mask]);
    symbol::ForEachFormatModule(n, [&](std::int32_t k, std::int32_t x, std::int32_t y) {
        rows[x >> 6][kPad + y] |= ((f >> k) & 1) << (x & 63);
    });
    SetBit(rows, symbol::DarkModuleY(n), symbol::kDarkModuleX);
}

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
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("gfni") &&
        __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt"))
        return Path::Vector;
#endif
    return Path::Portable;
}

void BuildFunctionLines(std::int32_t version, Lines& function, Lines& fixed) {
    const std::int32_t n = 4 * version + 17;
    Clear(function, n);
    Clear(fixed, n);
    Lines& dark = fixed;
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
    // The version information, its two copies mirror images of each other.
    if (version >= 7) {
        const std::int32_t word = symbol::VersionWord(version);
        symbol::ForEachVersionModule(n, [&](std::int32_t k, std::int32_t x, std::int32_t y) {
            if ((word >> k) & 1) SetBit(fixed, y, x);
        });
    }
}

void MaskedRows(const clsQRCode::Workspace& ws, std::int32_t version, std::int32_t level,
                std::int32_t mask, Lines& rows) {
    const std::int32_t n = 4 * version + 17;
    for (std::int32_t w = 0; w < WordsFor(n); ++w) {
        const std::uint64_t valid = ValidBits(n, w);
        const std::uint64_t* d = ws.dataRows[w] + kPad;
        const std::uint64_t* f = ws.function[w] + kPad;
        const std::uint64_t* k = ws.fixed[w] + kPad;
        std::uint64_t* o = rows[w] + kPad;
        std::uint64_t pattern[12];
        for (std::int32_t r = 0; r < 12; ++r) pattern[r] = kMaskWords[0][r][w][mask] & valid;
        for (std::int32_t y0 = 0; y0 < n; y0 += 12)
            for (std::int32_t r = 0; r < 12 && y0 + r < n; ++r) {
                const std::int32_t y = y0 + r;
                o[y] = (d[y] ^ (pattern[r] & ~f[y])) | k[y];
            }
    }
    PutFormat(rows, n, level, mask);
}

std::shared_ptr<Picture> RowsToPicture(const Lines& rows, std::int32_t size, Path path) {
    const std::int32_t side = size + 8;
    Bitmap* bitmap = nullptr;
    std::shared_ptr<Picture> picture = mdlVexmora::NewCanvas(side, side, &bitmap);
    if (!picture) return nullptr;
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
    return picture;
}

}  // namespace symbol
