// The encoder's public questions about characters and the lower bound of a stream's length.

#include <cstring>

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
    // every byte, 19 fewer for a digit, 6 fewer for another alphanumeric character. Eight
    // bytes a word, counted in the word's bytes up to 255 words at a time.
    std::int64_t digits = 0, others = 0;
    for (std::int32_t i = 0; i < count;) {
        std::uint64_t d = 0, o = 0;  // eight counters each
        for (std::int32_t k = 0; k < 255 && i < count; ++k, i += 8) {
            std::uint64_t x = 0;
            std::memcpy(&x, data + i, count - i < 8 ? static_cast<std::size_t>(count - i) : 8);
            std::uint64_t dt, ot, lt;
            characters::ByteKindTops(x, &dt, &ot, &lt);
            d += dt >> 7;
            o += ot >> 7;
        }
        // The eight counters summed: in pairs to 16-bit lanes, then the four at once.
        auto sum = [](std::uint64_t c) {
            c = (c & 0x00FF00FF00FF00FFull) + ((c >> 8) & 0x00FF00FF00FF00FFull);
            return static_cast<std::int64_t>((c * 0x0001000100010001ull) >> 48);
        };
        digits += sum(d);
        others += sum(o);
    }
    const std::int64_t sixths = 39 * std::int64_t{count < 0 ? 0 : count} - 19 * digits - 6 * others;
    return static_cast<std::int32_t>(sixths / 6);
}
