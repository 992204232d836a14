// The encoder's public questions about characters and the lower bound of a stream's length.

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
    // Kanji character (a Kanji pair never holds a digit). Counted in sixths of a bit.
    // 39 sixths for every byte, 19 fewer for a digit, 6 fewer for another alphanumeric
    // character; the classes counted by comparisons, which the compiler does 16 bytes at a
    // time, in blocks small enough for 8-bit counters.
    std::int64_t digits = 0, others = 0;
    for (std::int32_t start = 0; start < count; start += 255) {
        const std::int32_t end = count - start < 255 ? count : start + 255;
        std::uint8_t d = 0, a = 0;
        for (std::int32_t i = start; i < end; ++i) {
            const std::uint8_t b = data[i];
            d += characters::IsDigit(b);
            a += characters::IsOtherAlphanumeric(b);
        }
        digits += d;
        others += a;
    }
    const std::int64_t sixths = 39 * std::int64_t{count} - 19 * digits - 6 * others;
    return static_cast<std::int32_t>(sixths / 6);
}
