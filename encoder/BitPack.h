#pragma once
// Bit buffers hold one bit per byte (0 or 1), most significant bit first. These move a whole
// byte in or out of such a buffer in one step instead of eight.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace bitpack {

static_assert(std::endian::native == std::endian::little, "the 8-byte tricks assume it");

// kSpread[b]: the 8 bits of b as 8 entries of 0 or 1 in memory order, most significant first.
inline constexpr auto kSpread = [] {
    std::array<std::uint64_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        for (int k = 0; k < 8; ++k)
            table[b] |= static_cast<std::uint64_t>((b >> (7 - k)) & 1) << (8 * k);
    return table;
}();

// Writes the 8 bits of value at bits[0..7].
inline void SpreadByte(std::uint8_t* bits, std::uint8_t value) {
    std::memcpy(bits, &kSpread[value], 8);
}

// Reads bits[0..7] (each 0 or 1) back as a byte. The multiplication moves entry k (bit 8k of
// the word) to bit 63 - k; no two partial products meet, so nothing carries.
inline std::uint8_t PackByte(const std::uint8_t* bits) {
    std::uint64_t word;
    std::memcpy(&word, bits, 8);
    return static_cast<std::uint8_t>((word * 0x8040201008040201ull) >> 56);
}

}  // namespace bitpack
