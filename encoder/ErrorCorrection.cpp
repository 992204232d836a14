// The blocks' Reed-Solomon error correction and the interleaving of data and error
// correction codewords. The arithmetic is the encoder's own clsReedSolomon and clsFiniteField
// (GF(256), polynomial 285, generator 2): the tables of the fast paths are derived from its
// generator polynomial and its multiplication, once per process and error-correction length.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "BigEndian.h"
#include "Symbol.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The error-correction codewords of a block in transmission order: the remainder's bytes
// from the top (coefficient E-1 first), as four big-endian words.
inline void StoreRemainder(const std::uint64_t r[4], std::uint8_t ec[32]) {
    bigendian::Store64(ec, r[3]);
    bigendian::Store64(ec + 8, r[2]);
    bigendian::Store64(ec + 16, r[1]);
    bigendian::Store64(ec + 24, r[0]);
}

using ProductRows = std::uint64_t[256][4];

inline void DivisionStep(std::uint64_t r[4], std::int32_t data, const ProductRows& rows) {
    const std::uint64_t* row = rows[data ^ static_cast<std::int32_t>(r[3] >> 56)];
    r[3] = ((r[3] << 8) | (r[2] >> 56)) ^ row[3];
    r[2] = ((r[2] << 8) | (r[1] >> 56)) ^ row[2];
    r[1] = ((r[1] << 8) | (r[0] >> 56)) ^ row[1];
    r[0] = (r[0] << 8) ^ row[0];
}

// Portable: each block's remainder through the product rows, two blocks in lockstep so
// that one block's table look-up waits while the other's goes on.
void ErrorCorrectionPortable(const std::uint8_t* data, std::int32_t blocks,
                             std::int32_t shortBlocks, std::int32_t longLength,
                             const symbol::ErrorCorrectionTables& tables,
                             std::int32_t dataCodewords, std::uint8_t* out) {
    const ProductRows& rows = tables.rows;
    const std::int32_t ecLength = tables.ecLength;
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

// Vector: one block per byte lane, up to 64 blocks at once; every division step multiplies
// the 64 leads by each generator coefficient with one affine instruction. The data of step t
// is round t of the interleaved data (a short block takes its codeword t-1, as if it had a
// leading zero).
template <std::int32_t E>
[[gnu::target("avx512f,avx512bw,gfni")]] void ErrorCorrectionLanes(
    std::uint8_t* out, const std::uint64_t* matrices, std::int32_t blocks, std::int32_t shortBlocks,
    std::int32_t longLength, std::int32_t dataCodewords, std::int32_t first, std::int32_t lanes) {
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
                r[j - 1], _mm512_gf2p8affine_epi64_epi8(
                              lead, _mm512_set1_epi64(static_cast<long long>(matrices[j])), 0));
        r[0] = _mm512_gf2p8affine_epi64_epi8(
            lead, _mm512_set1_epi64(static_cast<long long>(matrices[0])), 0);
    }
    for (std::int32_t k = 0; k < E; ++k)
        _mm512_mask_storeu_epi8(out + dataCodewords + k * blocks + first, all, r[E - 1 - k]);
}

// The same for at most 32 blocks in 256-bit registers (half the work of the 512-bit ones).
template <std::int32_t E>
[[gnu::target("avx512f,avx512bw,avx512vl,gfni")]] void ErrorCorrectionLanes32(
    std::uint8_t* out, const std::uint64_t* matrices, std::int32_t blocks, std::int32_t shortBlocks,
    std::int32_t longLength, std::int32_t dataCodewords) {
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
                r[j - 1], _mm256_gf2p8affine_epi64_epi8(
                              lead, _mm256_set1_epi64x(static_cast<long long>(matrices[j])), 0));
        r[0] = _mm256_gf2p8affine_epi64_epi8(
            lead, _mm256_set1_epi64x(static_cast<long long>(matrices[0])), 0);
    }
    for (std::int32_t k = 0; k < E; ++k)
        _mm256_mask_storeu_epi8(out + dataCodewords + k * blocks, all, r[E - 1 - k]);
}

// Returns false for a length without an instance here (the standard uses no other).
bool ErrorCorrectionVector(std::uint8_t* out, const symbol::ErrorCorrectionTables& tables,
                           std::int32_t blocks, std::int32_t shortBlocks, std::int32_t longLength,
                           std::int32_t dataCodewords) {
    const std::uint64_t* m = tables.matrices;
    for (std::int32_t first = 0; first < blocks; first += 64) {
        const std::int32_t lanes = blocks - first < 64 ? blocks - first : 64;
        switch (tables.ecLength) {
#define QRDESK_EC_CASE(E)                                                                          \
    case E:                                                                                        \
        if (blocks <= 32)                                                                          \
            ErrorCorrectionLanes32<E>(out, m, blocks, shortBlocks, longLength, dataCodewords);     \
        else                                                                                       \
            ErrorCorrectionLanes<E>(out, m, blocks, shortBlocks, longLength, dataCodewords, first, \
                                    lanes);                                                        \
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
                return false;
        }
    }
    return true;
}

#endif

// Bit c of byte r becomes bit r of byte c.
constexpr std::uint64_t TransposeBits8x8(std::uint64_t x) {
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}

}  // namespace

namespace symbol {

void DeriveErrorCorrectionTables(const clsReedSolomon& rs, const clsFiniteField& field,
                                 ErrorCorrectionTables& out) {
    const std::int32_t n = rs.GetParityLength();
    out.ecLength = n;
    for (std::int32_t j = 0; j < n; ++j)
        out.generator[j] = static_cast<std::uint8_t>(rs.GetGeneratorCoefficient(j));
    // The rows of the powers of two by the field's Multiply. Multiplication distributes over
    // addition, which is exclusive or in GF(2^8), so row 2^t + i (i < 2^t) is the exclusive
    // or of rows 2^t and i: each power of two doubles the rows made.
    for (std::int32_t w = 0; w < 4; ++w) out.rows[0][w] = 0;
    for (std::int32_t t = 0; t < 8; ++t) {
        std::uint64_t* row = out.rows[1 << t];
        std::uint8_t bytes[32] = {};  // the row's bytes, the words little-endian
        for (std::int32_t j = 0; j < n; ++j)
            bytes[32 - n + j] = static_cast<std::uint8_t>(field.Multiply(1 << t, out.generator[j]));
        std::memcpy(row, bytes, sizeof(bytes));
        const std::uint64_t p0 = row[0], p1 = row[1], p2 = row[2], p3 = row[3];
        for (std::int32_t i = 1; i < (1 << t); ++i) {
            // Rows 2^t + i and i never overlap.
            std::uint64_t* __restrict__ to = out.rows[(1 << t) + i];
            const std::uint64_t* __restrict__ from = out.rows[i];
            to[0] = from[0] ^ p0;
            to[1] = from[1] ^ p1;
            to[2] = from[2] ^ p2;
            to[3] = from[3] ^ p3;
        }
    }
    // The 8 x 8 bit matrix of multiplication by g_j, as GF2P8AFFINEQB takes it: output bit k
    // is the parity of row byte 7 - k and the input, so byte 7 - k holds bit k of g_j * 2^t
    // at bit t. Byte t of w is g_j * 2^t, read from the rows of the powers of two; the
    // matrix is w transposed as 8 x 8 bits, its bytes reversed.
    for (std::int32_t j = 0; j < n; ++j) {
        const std::int32_t at = 32 - n + j;
        std::uint64_t w = 0;
        for (std::int32_t t = 0; t < 8; ++t)
            w |= ((out.rows[1 << t][at / 8] >> (8 * (at % 8))) & 0xFF) << (8 * t);
        out.matrices[j] = __builtin_bswap64(TransposeBits8x8(w));
    }
}

void InterleaveWithErrorCorrection(const std::uint8_t* data, std::int32_t blocks,
                                   std::int32_t shortBlocks, std::int32_t longLength,
                                   const ErrorCorrectionTables& tables, std::uint8_t* out,
                                   Path path) {
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
    if (path == Path::Vector && blocks > 2 &&
        ErrorCorrectionVector(out, tables, blocks, shortBlocks, longLength, dataCodewords))
        return;
#else
    (void)path;
#endif
    ErrorCorrectionPortable(data, blocks, shortBlocks, longLength, tables, dataCodewords, out);
}

}  // namespace symbol

namespace symbol {

const ErrorCorrectionTables* SharedErrorCorrectionTables(std::int32_t ecLength) {
    if (ecLength < 1 || ecLength > kMaxEcLength) return nullptr;
    // The same tables serve every encoder: derived once per process and length, then only
    // read. Static storage, so that running out of memory can only stop the derivation
    // (then it is tried again by the next call), never leave half a table behind.
    static ErrorCorrectionTables storage[kMaxEcLength + 1];
    static std::atomic<const ErrorCorrectionTables*> ready[kMaxEcLength + 1];
    static std::mutex deriving;
    if (const ErrorCorrectionTables* tables = ready[ecLength].load(std::memory_order_acquire))
        return tables;
    const std::lock_guard lock(deriving);
    if (const ErrorCorrectionTables* tables = ready[ecLength].load(std::memory_order_relaxed))
        return tables;
    const std::shared_ptr<clsFiniteField> field = NewGf256();
    if (!field) return nullptr;
    std::unique_ptr<clsReedSolomon> rs(new (std::nothrow) clsReedSolomon);
    // Any block shape with this parity length: only the generator polynomial is read.
    if (!rs || !rs->Init(1, ecLength, field, 0, 0)) return nullptr;
    DeriveErrorCorrectionTables(*rs, *field, storage[ecLength]);
    ready[ecLength].store(&storage[ecLength], std::memory_order_release);
    return &storage[ecLength];
}

}  // namespace symbol

const symbol::ErrorCorrectionTables* clsQRCode::ErrorCorrectionTablesFor(std::int32_t dataLength,
                                                                         std::int32_t ecLength) {
    if (dataLength < 1) return nullptr;
    return symbol::SharedErrorCorrectionTables(ecLength);
}

bool clsQRCode::DataCodewordsOf(const std::uint8_t* codewords, std::int32_t version,
                                std::int32_t level, std::uint8_t* data) {
    const std::int32_t total = GetTotalCodewordCount(version);
    const std::int32_t blocks = GetEcBlockCount(version, level);
    const std::int32_t ecPerBlock = GetEcCodewordsPerBlock(version, level);
    if (version < 1 || total <= 0 || blocks <= 0 || ecPerBlock <= 0) return false;
    const std::int32_t dataCodewords = total - blocks * ecPerBlock;
    const auto [longLength, shortBlocks] = symbol::SplitIntoBlocks(dataCodewords, blocks);
    std::int32_t at = 0;
    for (std::int32_t i = 0; i < longLength; ++i)
        for (std::int32_t b = 0; b < blocks; ++b)
            if (i < longLength - (b < shortBlocks ? 1 : 0))
                data[b * longLength - std::min(b, shortBlocks) + i] = codewords[at++];
    const symbol::ErrorCorrectionTables* tables = ErrorCorrectionTablesFor(longLength, ecPerBlock);
    // The interleaving writes up to a vector's width past the codewords.
    std::unique_ptr<std::uint8_t[]> expected(new (std::nothrow) std::uint8_t[total + 64]());
    if (!tables || !expected) return false;
    symbol::InterleaveWithErrorCorrection(data, blocks, shortBlocks, longLength, *tables,
                                          expected.get(), symbol::Path::Portable);
    return std::memcmp(expected.get(), codewords, static_cast<std::size_t>(total)) == 0;
}
