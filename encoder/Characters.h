#pragma once
// The characters of the data as the modes see them: which bytes are digits or alphanumeric
// characters, which byte pairs are Kanji characters, and where Shift JIS characters begin.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "ModeFacts.h"

namespace characters {

// The alphanumeric characters are those of modefacts::kAlphanumericCharset: ten digits and
// 26 capital letters, each in a run of consecutive bytes, then nine symbols. The tests below
// read them from it as plain comparisons, which a vectorising compiler runs 16 bytes at a
// time.
inline constexpr std::string_view kCharset = modefacts::kAlphanumericCharset;
inline constexpr std::int32_t kDigitCount = 10, kLetterCount = 26;
inline constexpr std::int32_t kSymbolCount =
    static_cast<std::int32_t>(kCharset.size()) - kDigitCount - kLetterCount;

constexpr bool IsRun(std::int32_t from, std::int32_t count) {
    for (std::int32_t i = 1; i < count; ++i)
        if (kCharset[from + i] != kCharset[from] + i) return false;
    return true;
}
static_assert(IsRun(0, kDigitCount) && IsRun(kDigitCount, kLetterCount));

constexpr bool InRun(std::uint8_t byte, std::int32_t from, std::int32_t count) {
    return static_cast<std::uint8_t>(byte - static_cast<std::uint8_t>(kCharset[from])) < count;
}

template <std::size_t... I>
constexpr bool IsSymbol(std::uint8_t byte, std::index_sequence<I...>) {
    constexpr std::int32_t first = kDigitCount + kLetterCount;
    return (static_cast<int>(byte == static_cast<std::uint8_t>(kCharset[first + I])) | ...) != 0;
}

constexpr bool IsDigit(std::uint8_t byte) {
    return InRun(byte, 0, kDigitCount);
}

// A letter or a symbol: alphanumeric, but no digit.
constexpr bool IsOtherAlphanumeric(std::uint8_t byte) {
    return (static_cast<int>(InRun(byte, kDigitCount, kLetterCount)) |
            static_cast<int>(IsSymbol(byte, std::make_index_sequence<kSymbolCount>{}))) != 0;
}

// 1 for a digit, 2 for another alphanumeric character, 0 for any other byte.
constexpr std::int32_t CharClassOf(std::uint8_t byte) {
    return IsDigit(byte) ? 1 : IsOtherAlphanumeric(byte) ? 2 : 0;
}

inline constexpr auto kCharClass = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<std::uint8_t>(CharClassOf(b));
    return table;
}();

// Byte values in runs lo..hi, for the tests of many bytes at once below and in the
// segmentation: each kind of byte written once, its runs worked out at compile time.
struct ByteRun {
    std::uint8_t lo, hi;
};
struct ByteRuns {
    ByteRun run[8] = {};
    std::int32_t count = 0;
};

// The runs of the byte values b for which in(b) holds, lowest first.
template <class In>
constexpr ByteRuns RunsOf(In in) {
    ByteRuns r;
    for (int b = 0; b < 256; ++b) {
        if (!in(static_cast<std::uint8_t>(b))) continue;
        if (r.count > 0 && r.run[r.count - 1].hi + 1 == b)
            r.run[r.count - 1].hi = static_cast<std::uint8_t>(b);
        else
            r.run[r.count++] = {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(b)};
    }
    return r;
}

inline constexpr ByteRuns kDigitRuns = RunsOf(IsDigit);
inline constexpr ByteRuns kOtherAlphanumericRuns = RunsOf(IsOtherAlphanumeric);
inline constexpr ByteRuns kAlphanumericRuns =
    RunsOf([](std::uint8_t b) { return CharClassOf(b) != 0; });
// Shift JIS lead bytes: 0x81-0x9F and 0xE0-0xFC.
inline constexpr ByteRuns kSjisLeadRuns = {{{0x81, 0x9F}, {0xE0, 0xFC}}, 2};

// No run crosses 0x80: the word tests below take a run within the bytes' low seven bits.
constexpr bool WithinHalf(const ByteRuns& r) {
    for (std::int32_t i = 0; i < r.count; ++i)
        if ((r.run[i].lo ^ r.run[i].hi) & 0x80) return false;
    return true;
}
static_assert(WithinHalf(kDigitRuns) && WithinHalf(kOtherAlphanumericRuns) &&
              WithinHalf(kSjisLeadRuns));

// Lead bytes of a Kanji pair: 1 for 0x81-0x9F and 0xE0-0xEA (any second byte from 0x40),
// 2 for 0xEB (second byte 0x40-0xBF), 0 otherwise.
inline constexpr auto kKanjiLead = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0x81; b <= 0x9F; ++b) table[b] = 1;
    for (int b = 0xE0; b <= 0xEA; ++b) table[b] = 1;
    table[0xEB] = 2;
    return table;
}();

inline bool KanjiPair(std::uint8_t first, std::uint8_t second) {
    const std::uint8_t lead = kKanjiLead[first];
    return lead != 0 && second >= 0x40 && (lead == 1 || second <= 0xBF);
}

// Shift JIS: a lead byte (0x81-0x9F, 0xE0-0xFC) and a trail byte (0x40-0x7E, 0x80-0xFC) make
// one two-byte character; every other byte is a character of its own (a lead byte without a
// valid trail byte too). Only a whole character may become a Kanji pair: a pair across two
// characters would be read back as other text, or not at all.
inline constexpr auto kSjisByte = [] {
    std::array<std::uint8_t, 256> table{};  // bit 0: lead byte, bit 1: trail byte
    for (std::int32_t i = 0; i < kSjisLeadRuns.count; ++i)
        for (int b = kSjisLeadRuns.run[i].lo; b <= kSjisLeadRuns.run[i].hi; ++b) table[b] |= 1;
    for (int b = 0x40; b <= 0xFC; ++b)
        if (b != 0x7F) table[b] |= 2;
    return table;
}();

// ---- Eight bytes at a time in a 64-bit word: a byte's range test is two additions within
// the byte (no carry leaves it), its result the byte's top bit.
inline constexpr std::uint64_t kEachByte = 0x0101010101010101ull;
inline constexpr std::uint64_t kTopBits = 0x8080808080808080ull;

// Top bit of each byte set where its low seven bits (low7 = x & ~kTopBits) lie in lo .. hi.
inline std::uint64_t LowBitsInRange(std::uint64_t low7, std::uint64_t lo, std::uint64_t hi) {
    return (low7 + (0x80 - lo) * kEachByte) & ~(low7 + (0x7F - hi) * kEachByte);
}

// Top bit of each byte set where its low seven bits lie in one of the runs R (each taken
// within its half: the caller keeps the bytes of the right half).
template <const ByteRuns& R, std::size_t... I>
inline std::uint64_t LowBitsInRuns(std::uint64_t low7, std::index_sequence<I...>) {
    return (LowBitsInRange(low7, R.run[I].lo & 0x7F, R.run[I].hi & 0x7F) | ...);
}
template <const ByteRuns& R>
inline std::uint64_t LowBitsInRuns(std::uint64_t low7) {
    return LowBitsInRuns<R>(low7, std::make_index_sequence<R.count>{});
}

// Top bit of each byte of x set where it is a digit (*digits), another alphanumeric
// character (*others), a Shift JIS lead byte (*leads).
inline void ByteKindTops(std::uint64_t x, std::uint64_t* digits, std::uint64_t* others,
                         std::uint64_t* leads) {
    const std::uint64_t low = x & ~kTopBits, ascii = ~x & kTopBits, high = x & kTopBits;
    *digits = LowBitsInRuns<kDigitRuns>(low) & ascii;
    *others = LowBitsInRuns<kOtherAlphanumericRuns>(low) & ascii;
    *leads = LowBitsInRuns<kSjisLeadRuns>(low) & high;
}

// Whether byte i is the trail byte of a two-byte character, given whether byte i-1 was.
inline bool TrailByte(const std::uint8_t* data, std::int32_t i, bool previousWasTrail) {
    return !previousWasTrail && (kSjisByte[data[i - 1]] & 1) && (kSjisByte[data[i]] & 2);
}

}  // namespace characters
