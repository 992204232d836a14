#pragma once
// A plain, unoptimised statement of the segmentation search and the stream it writes: the
// whole table kept, every cell with its four candidates in mode order, strict comparison.
// The encoder's own search may be faster in any way it likes but must agree with this one
// bit for bit; the reference search test and the bit stream fuzz target hold it to that.

#include <cstdint>
#include <vector>

#include "ModeFacts.h"
#include "encoder/clsQRCode.h"

namespace reference {

// Which bytes end a two-byte Shift JIS character: the text walked character by character
// from its start, a lead byte (0x81-0x9F, 0xE0-0xFC) taking the next byte when that is a
// trail byte (0x40-0x7E, 0x80-0xFC). Only such a whole character may be a Kanji pair.
inline std::vector<bool> ShiftJisPairEnds(const std::uint8_t* data, std::int32_t count) {
    std::vector<bool> ends(static_cast<std::size_t>(count), false);
    for (std::int32_t i = 0; i + 1 < count;) {
        const std::uint8_t lead = data[i], trail = data[i + 1];
        const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        const bool isTrail = trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
        if (isLead && isTrail) {
            ends[i + 1] = true;
            i += 2;
        } else {
            i += 1;
        }
    }
    return ends;
}

// The stream (terminator included), one bit per entry.
inline std::vector<std::uint8_t> BitStream(const std::uint8_t* data, std::int32_t count,
                                           std::int32_t version, bool kanjiAllowed) {
    using namespace modefacts;
    std::vector<std::uint8_t> bits;
    auto put = [&](std::int32_t value, std::int32_t width) {
        for (std::int32_t k = width - 1; k >= 0; --k) bits.push_back((value >> k) & 1);
    };
    if (count > 0) {
        std::int32_t maxCount[kModeCount], open[kModeCount];
        for (int m = 0; m < kModeCount; ++m) {
            maxCount[m] = (1 << CountWidth(m, version)) - 1;
            open[m] = kIndicatorBits + CountWidth(m, version) + kFirstCharBits[m];
        }
        struct Cell {
            std::int32_t prev, cost, run;
        };
        std::vector<Cell> table(static_cast<std::size_t>(count) * kModeCount);
        auto at = [&](std::int32_t i, std::int32_t m) -> Cell& {
            return table[i * kModeCount + m];
        };
        const std::vector<bool> pairEnds = ShiftJisPairEnds(data, count);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t cls = clsQRCode::GetCharClass(data[i]);
            const bool ok[kModeCount] = {
                true, cls == 1, cls != 0,
                kanjiAllowed && pairEnds[i] && clsQRCode::IsKanjiPair(data[i - 1], data[i])};
            for (std::int32_t m = 0; m < kModeCount; ++m) {
                if (!ok[m]) {
                    at(i, m) = {0, clsQRCode::InfeasibleCost, 0};
                    continue;
                }
                const std::int32_t p = i - (m == clsQRCode::ModeKanji ? 2 : 1);
                if (p < 0) {
                    at(i, m) = {-1, open[m], 1};
                    continue;
                }
                Cell best{0, 0x7FFFFFFF, 1};
                for (std::int32_t j = 0; j < kModeCount; ++j) {
                    const Cell& before = at(p, j);
                    const bool cont = j == m && before.run < maxCount[m];
                    const std::int32_t inc = cont ? ContinuingBits(m, before.run) : open[m];
                    if (before.cost + inc < best.cost)
                        best = {j, before.cost + inc, cont ? before.run + 1 : 1};
                }
                at(i, m) = best;
            }
        }
        std::int32_t mode = 0;
        for (std::int32_t m = 1; m < kModeCount; ++m)
            if (at(count - 1, m).cost < at(count - 1, mode).cost) mode = m;
        std::vector<std::int32_t> modes(static_cast<std::size_t>(count));
        for (std::int32_t i = count - 1, m = mode; i >= 0;) {
            const std::int32_t prev = at(i, m).prev;
            modes[i] = m;
            if (m == clsQRCode::ModeKanji) modes[--i] = m;
            --i;
            m = prev;
        }
        maxCount[clsQRCode::ModeKanji] *= 2;  // in bytes from here on
        for (std::int32_t s = 0; s < count;) {
            const std::int32_t m = modes[s];
            std::int32_t n = 1;
            while (s + n < count && modes[s + n] == m && n < maxCount[m]) ++n;
            put(kIndicator[m], kIndicatorBits);
            put(m == clsQRCode::ModeKanji ? n / 2 : n, CountWidth(m, version));
            const std::uint8_t* d = data + s;
            std::int32_t k = 0;
            if (m == clsQRCode::ModeByte) {
                for (; k < n; ++k) put(d[k], 8);
            } else if (m == clsQRCode::ModeNumeric) {
                for (; k + 3 <= n; k += 3)
                    put((d[k] & 15) * 100 + (d[k + 1] & 15) * 10 + (d[k + 2] & 15), 10);
                if (n - k == 1) put(d[k] & 15, 4);
                if (n - k == 2) put((d[k] & 15) * 10 + (d[k + 1] & 15), 7);
            } else if (m == clsQRCode::ModeAlphanumeric) {
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
    put(0, kTerminatorBits);
    return bits;
}

}  // namespace reference
