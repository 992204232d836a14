// The encoder's public questions about characters and the lower bound of a stream's length.

#include <array>

#include "Characters.h"
#include "encoder/clsQRCode.h"

using characters::KanjiPair;
using characters::kCharClass;

std::int32_t clsQRCode::GetCharClass(std::uint8_t byte) {
    return kCharClass[byte];
}

bool clsQRCode::IsKanjiPair(std::uint8_t first, std::uint8_t second) {
    return KanjiPair(first, second);
}

std::int32_t clsQRCode::GetStreamBitsAtLeast(const std::uint8_t* data, std::int32_t count) {
    // No digit takes less than 10/3 bits (three in 10), no alphanumeric character less than
    // 11/2 (two in 11), and any other byte goes in 8 bits or, at best, as half of a 13-bit
    // Kanji character (a Kanji pair never holds a digit). Counted in sixths of a bit: 39 for
    // every byte, 19 fewer for a digit, 6 fewer for another alphanumeric character; four sums
    // side by side, so that the table lookups do not wait on each other.
    static constexpr auto kFewer = [] {
        std::array<std::uint8_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const std::int32_t c = characters::CharClassOf(static_cast<std::uint8_t>(b));
            t[b] = c == 1 ? 19 : c == 2 ? 6 : 0;
        }
        return t;
    }();
    std::int64_t fewer[4] = {};
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4)
        for (std::int32_t k = 0; k < 4; ++k) fewer[k] += kFewer[data[i + k]];
    for (; i < count; ++i) fewer[0] += kFewer[data[i]];
    const std::int64_t sixths =
        39 * std::int64_t{count < 0 ? 0 : count} - (fewer[0] + fewer[1] + fewer[2] + fewer[3]);
    return static_cast<std::int32_t>(sixths / 6);
}
