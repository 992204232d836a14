// Codewords into the matrix as bit lines: the placement walk of column pairs, a column pair
// 32 rows at a time, and the transposition of the columns into rows.

#include <bit>
#include <cstring>

#include "BigEndian.h"
#include "BitLines.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using namespace bitlines;

// ---- Placement.

// Bits pos .. pos + count - 1 (count 1..64) of a most-significant-first stream, as a number
// whose lowest bit is the last of them. bytes must be readable 9 bytes from pos / 8.
inline std::uint64_t ReadBits(const std::uint8_t* bytes, std::int32_t pos, std::int32_t count) {
    const std::int32_t shift = pos & 7;
    std::uint64_t high = bigendian::Load64(bytes + (pos >> 3)) << shift;
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
// the lowest. The pieces depend only on the function modules: planned once per version.
std::int32_t Plan(std::int32_t n, const Lines& function, symbol::PlacementPiece* pieces) {
    std::int32_t count = 0, start = 0;
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
            const std::uint64_t slots =
                PortableBits::SpreadEven(lowSide) | PortableBits::SpreadEven(highSide) << 1;
            if (slots == 0) continue;
            symbol::PlacementPiece& p = pieces[count++];
            p.slots = slots;
            p.start = static_cast<std::int16_t>(start);
            p.bits = static_cast<std::uint8_t>(PortableBits::Count(slots));
            p.low = static_cast<std::uint8_t>(upward ? left : right);
            p.w = static_cast<std::uint8_t>(w);
            p.shift = static_cast<std::uint8_t>(shift);
            p.upward = upward;
            start += p.bits;
        }
        upward = !upward;
    }
    return count;
}

// The pieces one after the other; none waits on another.
template <class Bits>
[[gnu::always_inline]] inline void PlacePieces(const std::uint8_t* codewords,
                                               const symbol::PlacementPiece* pieces,
                                               std::int32_t count, Lines& columns) {
    for (std::int32_t k = 0; k < count; ++k) {
        const symbol::PlacementPiece& p = pieces[k];
        const std::uint64_t read = ReadBits(codewords, p.start, p.bits);
        const std::uint64_t value = p.upward ? read : Bits::Reverse(read) >> (64 - p.bits);
        const std::uint64_t placed = Bits::Deposit(value, p.slots);
        columns[p.w][kPad + p.low] |= Bits::EvenBits(placed) << p.shift;
        columns[p.w][kPad + (p.upward ? p.low + 1 : p.low - 1)] |= Bits::OddBits(placed) << p.shift;
    }
}

void PlacePortable(const std::uint8_t* codewords, const symbol::PlacementPiece* pieces,
                   std::int32_t count, Lines& columns) {
    PlacePieces<PortableBits>(codewords, pieces, count, columns);
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
    // The bits of each byte reversed by one affine step over GF(2), then the bytes.
    [[gnu::target("gfni,sse2")]] static inline std::uint64_t Reverse(std::uint64_t x) {
        const __m128i v = _mm_cvtsi64_si128(static_cast<long long>(x));
        const __m128i r = _mm_gf2p8affine_epi64_epi8(v, _mm_set1_epi64x(0x8040201008040201ll), 0);
        return __builtin_bswap64(static_cast<std::uint64_t>(_mm_cvtsi128_si64(r)));
    }
};

[[gnu::target("bmi2,popcnt,gfni,sse2"), gnu::flatten]] void PlaceVector(
    const std::uint8_t* codewords, const symbol::PlacementPiece* pieces, std::int32_t count,
    Lines& columns) {
    PlacePieces<VectorBits>(codewords, pieces, count, columns);
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
// Registers r and r + d (r without d's bit): the words lo picks and the words hi picks.
[[gnu::target("avx512f")]] inline void ExchangeWords(__m512i* t, std::int32_t d, __m512i lo,
                                                     __m512i hi) {
    for (std::int32_t r = 0; r < 8; ++r) {
        if (r & d) continue;
        const __m512i a = t[r], b = t[r + d];
        t[r] = _mm512_permutex2var_epi64(a, lo, b);
        t[r + d] = _mm512_permutex2var_epi64(a, hi, b);
    }
}

// 64 x 64 bits as 8 x 8 tiles of 8 x 8 bits: the bytes of each eight words regrouped so that
// a word holds one tile (its rows in reverse order), each tile turned over by one GF(2)
// affine step, the tiles' words exchanged between the eight registers, and the bytes
// regrouped back.
[[gnu::target("avx512f,avx512bw,avx512vbmi,gfni")]] inline void Transpose64Vector(
    const std::uint64_t* in, std::uint64_t* out) {
    // Byte 8c + 7 - k of a tile word is byte c of word k; then the plain 8 x 8 byte transpose.
    alignas(64) static constexpr std::uint8_t kToTiles[64] = {
        56, 48, 40, 32, 24, 16, 8,  0,  57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
        10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36, 28, 20, 12, 4,  61, 53, 45, 37,
        29, 21, 13, 5,  62, 54, 46, 38, 30, 22, 14, 6,  63, 55, 47, 39, 31, 23, 15, 7};
    alignas(64) static constexpr std::uint8_t kFromTiles[64] = {
        0,  8,  16, 24, 32, 40, 48, 56, 1,  9,  17, 25, 33, 41, 49, 57, 2,  10, 18, 26, 34, 42,
        50, 58, 3,  11, 19, 27, 35, 43, 51, 59, 4,  12, 20, 28, 36, 44, 52, 60, 5,  13, 21, 29,
        37, 45, 53, 61, 6,  14, 22, 30, 38, 46, 54, 62, 7,  15, 23, 31, 39, 47, 55, 63};
    const __m512i toTiles = _mm512_load_si512(kToTiles);
    const __m512i fromTiles = _mm512_load_si512(kFromTiles);
    const __m512i turn = _mm512_set1_epi64(0x8040201008040201ll);
    __m512i t[8];
    for (std::int32_t r = 0; r < 8; ++r)
        // The full mask: GCC 12 warns of an undefined operand in the unmasked form.
        t[r] = _mm512_gf2p8affine_epi64_epi8(
            turn,
            _mm512_maskz_permutexvar_epi8(~__mmask64{0}, toTiles, _mm512_loadu_si512(in + 8 * r)),
            0);
    // Word c of register r to word r of register c: three rounds of pairs.
    ExchangeWords(t, 4, _mm512_setr_epi64(0, 1, 2, 3, 8, 9, 10, 11),
                  _mm512_setr_epi64(4, 5, 6, 7, 12, 13, 14, 15));
    ExchangeWords(t, 2, _mm512_setr_epi64(0, 1, 8, 9, 4, 5, 12, 13),
                  _mm512_setr_epi64(2, 3, 10, 11, 6, 7, 14, 15));
    ExchangeWords(t, 1, _mm512_setr_epi64(0, 8, 2, 10, 4, 12, 6, 14),
                  _mm512_setr_epi64(1, 9, 3, 11, 5, 13, 7, 15));
    for (std::int32_t c = 0; c < 8; ++c)
        _mm512_storeu_si512(out + 8 * c,
                            _mm512_maskz_permutexvar_epi8(~__mmask64{0}, fromTiles, t[c]));
}

[[gnu::target("avx512f,avx512bw,avx512vbmi,gfni")]] void TransposeVector(const Lines& columns,
                                                                         std::int32_t size,
                                                                         Lines& rows) {
    const std::int32_t words = WordsFor(size);
    for (std::int32_t bi = 0; bi < words; ++bi)
        for (std::int32_t bj = 0; bj < words; ++bj)
            Transpose64Vector(columns[bi] + kPad + 64 * bj, rows[bj] + kPad + 64 * bi);
}
#endif

}  // namespace

namespace symbol {

std::int32_t PlanPlacement(std::int32_t size, const Lines& function, PlacementPiece* pieces) {
    return Plan(size, function, pieces);
}

void PlaceCodewords(const std::uint8_t* codewords, std::int32_t size, const PlacementPiece* pieces,
                    std::int32_t count, Lines& columns, Path path) {
    Clear(columns, size);
#if defined(__x86_64__)
    if (path == Path::Vector) {
        PlaceVector(codewords, pieces, count, columns);
        return;
    }
#else
    (void)path;
#endif
    PlacePortable(codewords, pieces, count, columns);
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

}  // namespace symbol
