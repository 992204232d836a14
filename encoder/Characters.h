#pragma once
// The characters of the data as the modes see them: which bytes are digits or alphanumeric
// characters, which byte pairs are Kanji characters, and where Shift JIS characters begin.

#include <array>
#include <cstdint>

namespace characters {

// 1 for a digit, 2 for another alphanumeric character, 0 for any other byte.
constexpr std::int32_t CharClassOf(std::uint8_t byte) {
    if (byte >= '0' && byte <= '9') return 1;
    if (byte >= 'A' && byte <= 'Z') return 2;
    switch (byte) {
        case ' ':
        case '$':
        case '%':
        case '*':
        case '+':
        case '-':
        case '.':
        case '/':
        case ':':
            return 2;
        default:
            return 0;
    }
}

inline constexpr auto kCharClass = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<std::uint8_t>(CharClassOf(b));
    return table;
}();

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
    for (int b = 0x81; b <= 0x9F; ++b) table[b] |= 1;
    for (int b = 0xE0; b <= 0xFC; ++b) table[b] |= 1;
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

// Top bit of each byte of x set where it is a digit (*digits), another alphanumeric
// character (*others), a Shift JIS lead byte 81-9F or E0-FC (*leads).
inline void ByteKindTops(std::uint64_t x, std::uint64_t* digits, std::uint64_t* others,
                         std::uint64_t* leads) {
    const std::uint64_t low = x & ~kTopBits, ascii = ~x & kTopBits, high = x & kTopBits;
    *digits = LowBitsInRange(low, 0x30, 0x39) & ascii;
    *others = (LowBitsInRange(low, 0x41, 0x5A) | LowBitsInRange(low, 0x3A, 0x3A) |
               LowBitsInRange(low, 0x20, 0x20) | LowBitsInRange(low, 0x24, 0x25) |
               LowBitsInRange(low, 0x2A, 0x2B) | LowBitsInRange(low, 0x2D, 0x2F)) &
              ascii;
    *leads = (LowBitsInRange(low, 0x01, 0x1F) | LowBitsInRange(low, 0x60, 0x7C)) & high;
}

// Whether byte i is the trail byte of a two-byte character, given whether byte i-1 was.
inline bool TrailByte(const std::uint8_t* data, std::int32_t i, bool previousWasTrail) {
    return !previousWasTrail && (kSjisByte[data[i - 1]] & 1) && (kSjisByte[data[i]] & 2);
}

}  // namespace characters
