// The blocks' Reed-Solomon error correction over GF(256) (polynomial 285, generator 2) and
// the interleaving of data and error correction codewords.

#include <array>
#include <cstring>

#include "BigEndian.h"
#include "Symbol.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// ---- GF(256) with polynomial 285 and generator 2, at compile time.

struct Gf256 {
    std::array<std::uint8_t, 512> exp{};
    std::array<std::int32_t, 256> log{};
};

constexpr Gf256 kGf = [] {
    Gf256 g;
    std::int32_t x = 1;
    for (std::int32_t i = 0; i < 255; ++i) {
        g.exp[i] = g.exp[i + 255] = static_cast<std::uint8_t>(x);
        g.log[x] = i;
        x <<= 1;
        if (x & 0x100) x ^= 285;
    }
    return g;
}();

constexpr std::uint8_t GfMultiply(std::int32_t a, std::int32_t b) {
    return a == 0 || b == 0 ? 0 : kGf.exp[kGf.log[a] + kGf.log[b]];
}

// The error-correction lengths of the standard's table.
constexpr std::int32_t kEcLengths[] = {7, 10, 13, 15, 16, 17, 18, 20, 22, 24, 26, 28, 30};
constexpr std::int32_t kEcLengthCount = 13;

constexpr std::int32_t EcIndex(std::int32_t ecLength) {
    for (std::int32_t i = 0; i < kEcLengthCount; ++i)
        if (kEcLengths[i] == ecLength) return i;
    return -1;
}

// g(x) = (x - 1)(x - 2)...(x - 2^(E-1)), coefficient j of x^j, per error-correction length.
constexpr auto kGenerators = [] {
    std::array<std::array<std::uint8_t, 32>, kEcLengthCount> gens{};
    for (std::int32_t e = 0; e < kEcLengthCount; ++e) {
        const std::int32_t n = kEcLengths[e];
        std::array<std::uint8_t, 32> g{};
        g[0] = 1;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t root = kGf.exp[i];
            // multiply by (x + root)
            for (std::int32_t j = i + 1; j >= 1; --j)
                g[j] = static_cast<std::uint8_t>(g[j - 1] ^ GfMultiply(g[j], root));
            g[0] = GfMultiply(g[0], root);
        }
        gens[e] = g;
    }
    return gens;
}();

// Product rows per error-correction length: row a holds a * g_j at byte 32 - E + j of four
// little-endian words, so that one division step is a one-byte shift and four exclusive ors
// (see clsReedSolomon, which builds the same rows at run time for any field). GF(256) with
// polynomial 285 is a field, so a product is linear in a: row a is the exclusive or of the
// rows of a's bits, and only those eight rows need multiplying.
using ProductRows = std::array<std::array<std::uint64_t, 4>, 256>;
constexpr auto kProductRows = [] {
    std::array<ProductRows, kEcLengthCount> all{};
    for (std::int32_t e = 0; e < kEcLengthCount; ++e) {
        const std::int32_t n = kEcLengths[e];
        for (std::int32_t bit = 1; bit < 256; bit <<= 1)
            for (std::int32_t j = 0; j < n; ++j) {
                const std::int32_t at = 32 - n + j;
                all[e][bit][at / 8] |=
                    static_cast<std::uint64_t>(GfMultiply(bit, kGenerators[e][j]))
                    << (8 * (at % 8));
            }
        for (std::int32_t a = 3; a < 256; ++a) {
            if ((a & (a - 1)) == 0) continue;
            for (std::int32_t w = 0; w < 4; ++w)
                all[e][a][w] = all[e][a & (a - 1)][w] ^ all[e][a & -a][w];
        }
    }
    return all;
}();

// The error-correction codewords of a block in transmission order: the remainder's bytes
// from the top (coefficient E-1 first), as four big-endian words.
inline void StoreRemainder(const std::uint64_t r[4], std::uint8_t ec[32]) {
    bigendian::Store64(ec, r[3]);
    bigendian::Store64(ec + 8, r[2]);
    bigendian::Store64(ec + 16, r[1]);
    bigendian::Store64(ec + 24, r[0]);
}

inline void DivisionStep(std::uint64_t r[4], std::int32_t data, const ProductRows& rows) {
    const std::uint64_t* row = rows[data ^ static_cast<std::int32_t>(r[3] >> 56)].data();
    r[3] = ((r[3] << 8) | (r[2] >> 56)) ^ row[3];
    r[2] = ((r[2] << 8) | (r[1] >> 56)) ^ row[2];
    r[1] = ((r[1] << 8) | (r[0] >> 56)) ^ row[1];
    r[0] = (r[0] << 8) ^ row[0];
}

// Portable: each block's remainder through the product rows, two blocks in lockstep so
// that one block's table look-up waits while the other's goes on.
void ErrorCorrectionPortable(const std::uint8_t* data, std::int32_t blocks,
                             std::int32_t shortBlocks, std::int32_t longLength,
                             std::int32_t ecLength, std::int32_t dataCodewords, std::uint8_t* out) {
    const ProductRows& rows = kProductRows[EcIndex(ecLength)];
    auto blockStart = [&](std::int32_t b) {
        return b < shortBlocks ? b * (longLength - 1)
                               : shortBlocks * (longLength - 1) + (b - shortBlocks) * longLength;
    };
    auto emit = [&](std::int32_t b, const std::uint64_t r[4]) {
        std::uint8_t ec[32];
        StoreRemainder(r, ec);
        for (std::int32_t k = 0; k < ecLength; ++k) out[dataCodewords + k * blocks + b] = ec[k];
    };
    std::int32_t b = 0;
    for (; b + 1 < blocks; b += 2) {
        // Blocks b and b+1: a short block is a long one with a leading zero, which leaves
        // a zero remainder as it was.
        const std::int32_t lengthA = b < shortBlocks ? longLength - 1 : longLength;
        const std::int32_t lengthB = b + 1 < shortBlocks ? longLength - 1 : longLength;
        const std::uint8_t* a = data + blockStart(b) - (longLength - lengthA);
        const std::uint8_t* c = data + blockStart(b + 1) - (longLength - lengthB);
        std::uint64_t ra[4] = {}, rc[4] = {};
        // Short blocks come first: a may be short where c is long, never the other way.
        std::int32_t j = longLength - (lengthA < lengthB ? lengthA : lengthB);
        if (lengthA < lengthB) DivisionStep(rc, c[longLength - lengthB], rows);
        for (; j < longLength; ++j) {
            DivisionStep(ra, a[j], rows);
            DivisionStep(rc, c[j], rows);
        }
        emit(b, ra);
        emit(b + 1, rc);
    }
    for (; b < blocks; ++b) {
        const std::int32_t length = b < shortBlocks ? longLength - 1 : longLength;
        const std::uint8_t* a = data + blockStart(b);
        std::uint64_t r[4] = {};
        for (std::int32_t j = 0; j < length; ++j) DivisionStep(r, a[j], rows);
        emit(b, r);
    }
}

#if defined(__x86_64__)

// The 8 x 8 bit matrix of multiplication by c, as GF2P8AFFINEQB takes it: output bit k is
// the parity of row byte 7 - k and the input, so byte 7 - k holds bit k of c * 2^t at bit t.
constexpr auto kMultiplyMatrix = [] {
    std::array<std::uint64_t, 256> m{};
    for (std::int32_t c = 0; c < 256; ++c) {
        for (std::int32_t t = 0; t < 8; ++t) {
            const std::int32_t p = GfMultiply(c, 1 << t);
            for (std::int32_t k = 0; k < 8; ++k)
                if ((p >> k) & 1) m[c] |= std::uint64_t{1} << (8 * (7 - k) + t);
        }
    }
    return m;
}();

// Vector: one block per byte lane, up to 64 blocks at once; every division step multiplies
// the 64 leads by each generator coefficient with one affine instruction. The data of step t
// is round t of the interleaved data (a short block takes its codeword t-1, as if it had a
// leading zero).
template <std::int32_t E>
[[gnu::target("avx512f,avx512bw,gfni")]] void ErrorCorrectionLanes(
    std::uint8_t* out, std::int32_t blocks, std::int32_t shortBlocks, std::int32_t longLength,
    std::int32_t dataCodewords, std::int32_t first, std::int32_t lanes) {
    const std::uint8_t* g = kGenerators[EcIndex(E)].data();
    __m512i r[E];
    for (std::int32_t j = 0; j < E; ++j) r[j] = _mm512_setzero_si512();
    const __mmask64 all = lanes == 64 ? ~__mmask64{0} : (__mmask64{1} << lanes) - 1;
    const std::int32_t shortLanes = shortBlocks - first < 0 ? 0 : shortBlocks - first;
    const __mmask64 shortMask =
        all & (shortLanes >= 64 ? ~__mmask64{0} : (__mmask64{1} << shortLanes) - 1);
    const __mmask64 longMask = all & ~shortMask;
    for (std::int32_t t = 0; t < longLength; ++t) {
        __m512i d = _mm512_setzero_si512();
        if (t >= 1) d = _mm512_maskz_loadu_epi8(shortMask, out + (t - 1) * blocks + first);
        const std::uint8_t* longAt = t < longLength - 1
                                         ? out + t * blocks + first
                                         : out + (longLength - 1) * blocks - shortBlocks + first;
        d = _mm512_mask_loadu_epi8(d, longMask, longAt);
        const __m512i lead = _mm512_xor_si512(d, r[E - 1]);
        for (std::int32_t j = E - 1; j >= 1; --j)
            r[j] = _mm512_xor_si512(
                r[j - 1],
                _mm512_gf2p8affine_epi64_epi8(
                    lead, _mm512_set1_epi64(static_cast<long long>(kMultiplyMatrix[g[j]])), 0));
        r[0] = _mm512_gf2p8affine_epi64_epi8(
            lead, _mm512_set1_epi64(static_cast<long long>(kMultiplyMatrix[g[0]])), 0);
    }
    for (std::int32_t k = 0; k < E; ++k)
        _mm512_mask_storeu_epi8(out + dataCodewords + k * blocks + first, all, r[E - 1 - k]);
}

// The same for at most 32 blocks in 256-bit registers (half the work of the 512-bit ones).
template <std::int32_t E>
[[gnu::target("avx512f,avx512bw,avx512vl,gfni")]] void ErrorCorrectionLanes32(
    std::uint8_t* out, std::int32_t blocks, std::int32_t shortBlocks, std::int32_t longLength,
    std::int32_t dataCodewords) {
    const std::uint8_t* g = kGenerators[EcIndex(E)].data();
    __m256i r[E];
    for (std::int32_t j = 0; j < E; ++j) r[j] = _mm256_setzero_si256();
    const __mmask32 all = blocks == 32 ? ~__mmask32{0} : (__mmask32{1} << blocks) - 1;
    const __mmask32 shortMask = (__mmask32{1} << shortBlocks) - 1;  // shortBlocks < blocks
    const __mmask32 longMask = all & ~shortMask;
    for (std::int32_t t = 0; t < longLength; ++t) {
        __m256i d = _mm256_setzero_si256();
        if (t >= 1) d = _mm256_maskz_loadu_epi8(shortMask, out + (t - 1) * blocks);
        const std::uint8_t* longAt =
            t < longLength - 1 ? out + t * blocks : out + (longLength - 1) * blocks - shortBlocks;
        d = _mm256_mask_loadu_epi8(d, longMask, longAt);
        const __m256i lead = _mm256_xor_si256(d, r[E - 1]);
        for (std::int32_t j = E - 1; j >= 1; --j)
            r[j] = _mm256_xor_si256(
                r[j - 1],
                _mm256_gf2p8affine_epi64_epi8(
                    lead, _mm256_set1_epi64x(static_cast<long long>(kMultiplyMatrix[g[j]])), 0));
        r[0] = _mm256_gf2p8affine_epi64_epi8(
            lead, _mm256_set1_epi64x(static_cast<long long>(kMultiplyMatrix[g[0]])), 0);
    }
    for (std::int32_t k = 0; k < E; ++k)
        _mm256_mask_storeu_epi8(out + dataCodewords + k * blocks, all, r[E - 1 - k]);
}

void ErrorCorrectionVector(std::uint8_t* out, std::int32_t blocks, std::int32_t shortBlocks,
                           std::int32_t longLength, std::int32_t ecLength,
                           std::int32_t dataCodewords) {
    for (std::int32_t first = 0; first < blocks; first += 64) {
        const std::int32_t lanes = blocks - first < 64 ? blocks - first : 64;
        switch (ecLength) {
#define QRDESK_EC_CASE(E)                                                                       \
    case E:                                                                                     \
        if (blocks <= 32)                                                                       \
            ErrorCorrectionLanes32<E>(out, blocks, shortBlocks, longLength, dataCodewords);     \
        else                                                                                    \
            ErrorCorrectionLanes<E>(out, blocks, shortBlocks, longLength, dataCodewords, first, \
                                    lanes);                                                     \
        break;
            QRDESK_EC_CASE(7)
            QRDESK_EC_CASE(10)
            QRDESK_EC_CASE(13)
            QRDESK_EC_CASE(15)
            QRDESK_EC_CASE(16)
            QRDESK_EC_CASE(17)
            QRDESK_EC_CASE(18)
            QRDESK_EC_CASE(20)
            QRDESK_EC_CASE(22)
            QRDESK_EC_CASE(24)
            QRDESK_EC_CASE(26)
            QRDESK_EC_CASE(28)
            QRDESK_EC_CASE(30)
#undef QRDESK_EC_CASE
            default:
                break;
        }
    }
}

#endif

}  // namespace

namespace symbol {

void InterleaveWithErrorCorrection(const std::uint8_t* data, std::int32_t blocks,
                                   std::int32_t shortBlocks, std::int32_t longLength,
                                   std::int32_t ecLength, std::uint8_t* out, Path path) {
    const std::int32_t dataCodewords = blocks * longLength - shortBlocks;
    // Data rounds: codeword j of every block (the last round only the long blocks).
    for (std::int32_t b = 0, next = 0; b < blocks; ++b) {
        const std::int32_t length = b < shortBlocks ? longLength - 1 : longLength;
        for (std::int32_t j = 0; j < length - 1; ++j) out[j * blocks + b] = data[next + j];
        const std::int32_t last = length - 1;
        out[last < longLength - 1 ? last * blocks + b
                                  : (longLength - 1) * blocks + (b - shortBlocks)] =
            data[next + last];
        next += length;
    }
#if defined(__x86_64__)
    // One or two blocks fill one or two of 32 lanes: the product rows are quicker then.
    if (path == Path::Vector && blocks > 2) {
        ErrorCorrectionVector(out, blocks, shortBlocks, longLength, ecLength, dataCodewords);
        return;
    }
#else
    (void)path;
#endif
    ErrorCorrectionPortable(data, blocks, shortBlocks, longLength, ecLength, dataCodewords, out);
}

}  // namespace symbol
