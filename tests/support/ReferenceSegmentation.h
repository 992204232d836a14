#pragma once
// A plain, unoptimised statement of the segmentation search and the stream it writes: the
// whole table kept, every cell with its four candidates in mode order, strict comparison.
// The encoder's own search may be faster in any way it likes but must agree with this one
// bit for bit; the differential test and fuzz target hold it to that.

#include <cstdint>
#include <vector>

#include "encoder/clsQRCode.h"

namespace reference {

// The stream (terminator included), one bit per entry.
inline std::vector<std::uint8_t> BitStream(const std::uint8_t* data, std::int32_t count,
                                           std::int32_t version, bool kanjiAllowed) {
    std::vector<std::uint8_t> bits;
    auto put = [&](std::int32_t value, std::int32_t width) {
        for (std::int32_t k = width - 1; k >= 0; --k) bits.push_back((value >> k) & 1);
    };
    if (count > 0) {
        static constexpr std::int32_t kIndicator[4] = {4, 1, 2, 8};
        static constexpr std::int32_t kCharBits[4] = {8, 4, 6, 13};
        static constexpr std::int32_t kWidths[3][4] = {
            {8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};
        const std::int32_t* width = kWidths[version < 10 ? 0 : version <= 26 ? 1 : 2];
        std::int32_t maxCount[4], open[4];
        for (int m = 0; m < 4; ++m) {
            maxCount[m] = (1 << width[m]) - 1;
            open[m] = 4 + width[m] + kCharBits[m];
        }
        struct Cell {
            std::int32_t prev, cost, run;
        };
        std::vector<Cell> table(static_cast<std::size_t>(count) * 4);
        auto at = [&](std::int32_t i, std::int32_t m) -> Cell& { return table[i * 4 + m]; };
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t cls = clsQRCode::GetCharClass(data[i]);
            const bool ok[4] = {
                true, cls == 1, cls != 0,
                kanjiAllowed && i >= 1 && clsQRCode::IsKanjiPair(data[i - 1], data[i])};
            for (std::int32_t m = 0; m < 4; ++m) {
                if (!ok[m]) {
                    at(i, m) = {0, clsQRCode::InfeasibleCost, 0};
                    continue;
                }
                const std::int32_t p = i - (m == 3 ? 2 : 1);
                if (p < 0) {
                    at(i, m) = {-1, open[m], 1};
                    continue;
                }
                Cell best{0, 0x7FFFFFFF, 1};
                for (std::int32_t j = 0; j < 4; ++j) {
                    const Cell& before = at(p, j);
                    const bool cont = j == m && before.run < maxCount[m];
                    std::int32_t inc = open[m];
                    if (cont) {
                        inc = m == 1   ? (before.run % 3 == 0 ? 4 : 3)
                              : m == 2 ? (before.run % 2 == 0 ? 6 : 5)
                                       : kCharBits[m];
                    }
                    if (before.cost + inc < best.cost)
                        best = {j, before.cost + inc, cont ? before.run + 1 : 1};
                }
                at(i, m) = best;
            }
        }
        std::int32_t mode = 0;
        for (std::int32_t m = 1; m < 4; ++m)
            if (at(count - 1, m).cost < at(count - 1, mode).cost) mode = m;
        std::vector<std::int32_t> modes(static_cast<std::size_t>(count));
        for (std::int32_t i = count - 1, m = mode; i >= 0;) {
            const std::int32_t prev = at(i, m).prev;
            modes[i] = m;
            if (m == 3) modes[--i] = 3;
            --i;
            m = prev;
        }
        maxCount[3] *= 2;
        for (std::int32_t s = 0; s < count;) {
            const std::int32_t m = modes[s];
            std::int32_t n = 1;
            while (s + n < count && modes[s + n] == m && n < maxCount[m]) ++n;
            put(kIndicator[m], 4);
            put(m == 3 ? n / 2 : n, width[m]);
            const std::uint8_t* d = data + s;
            std::int32_t k = 0;
            if (m == 0) {
                for (; k < n; ++k) put(d[k], 8);
            } else if (m == 1) {
                for (; k + 3 <= n; k += 3)
                    put((d[k] & 15) * 100 + (d[k + 1] & 15) * 10 + (d[k + 2] & 15), 10);
                if (n - k == 1) put(d[k] & 15, 4);
                if (n - k == 2) put((d[k] & 15) * 10 + (d[k + 1] & 15), 7);
            } else if (m == 2) {
                for (; k + 2 <= n; k += 2)
                    put(clsQRCode::GetAlphanumericValue(d[k]) * 45 +
                            clsQRCode::GetAlphanumericValue(d[k + 1]),
                        11);
                if (k < n) put(clsQRCode::GetAlphanumericValue(d[k]), 6);
            } else {
                for (; k + 1 < n; k += 2) {
                    const std::int32_t base = d[k] <= 0x9F ? 0x81 : 0xC1;
                    put((d[k] - base) * 0xC0 + (d[k + 1] - 0x40), 13);
                }
            }
            s += n;
        }
    }
    put(0, 4);
    return bits;
}

}  // namespace reference
