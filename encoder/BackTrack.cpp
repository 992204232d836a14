// The back-track of the segmentation search: the segments of the cheapest stream, read from
// the table of predecessor modes that the search kept.

#include <algorithm>
#include <cstring>
#include <memory>

#include "ModeFacts.h"
#include "Segmentation.h"

namespace segmentation {

std::int32_t BackTrack(const std::uint8_t* table, std::int32_t count, std::int32_t version,
                       std::int32_t lastMode, Segment* segments) {
    constexpr std::uint64_t kLow2 = 0x0303030303030303ull, kEach = 0x0101010101010101ull;
    std::int32_t n = 0;
    // From the last row back, a run of one mode at a time: a cell whose predecessor is in its
    // own mode continues the run (eight rows at a time while a word of the table says so).
    for (std::int32_t i = count - 1, m = lastMode; i >= 0;) {
        const std::int32_t end = i;
        std::int32_t from;
        if (m == clsQRCode::ModeKanji) {
            do {
                from = table[i] >> 6;
                i -= 2;
            } while (from == m && i >= 0);
        } else {
            const std::int32_t shift = 2 * m;
            const std::uint64_t same = kEach * static_cast<std::uint64_t>(m);
            do {
                while (i >= 8) {
                    std::uint64_t word;
                    std::memcpy(&word, table + i - 7, 8);
                    if (((word >> shift) & kLow2) != same) break;
                    i -= 8;
                }
                from = (table[i] >> shift) & 3;
                --i;
            } while (from == m && i >= 0);
        }
        // Bytes i+1 .. end in mode m: segments as full as their count allows from the first,
        // written last first (the list is turned round at the end).
        const std::int32_t width = m == clsQRCode::ModeKanji ? 2 : 1;
        const std::int32_t characters = (end - i) / width, limit = modefacts::MaxCount(m, version);
        const std::int32_t full = characters / limit, rest = characters % limit;
        std::int32_t start = i + 1 + width * full * limit;
        if (rest > 0) segments[n++] = {static_cast<clsQRCode::Mode>(m), start, rest};
        for (std::int32_t k = 0; k < full; ++k) {
            start -= width * limit;
            segments[n++] = {static_cast<clsQRCode::Mode>(m), start, limit};
        }
        m = static_cast<std::int32_t>(from);
    }
    std::reverse(segments, segments + n);
    return n;
}

std::int32_t ChooseSegments(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                            bool kanjiAllowed, std::vector<Segment>& segments, symbol::Path path) {
    std::unique_ptr<std::uint8_t[]> table(new std::uint8_t[static_cast<std::size_t>(count)]);
    std::int32_t mode = 0;
    const std::int32_t bits =
        SearchWithTable(data, count, version, kanjiAllowed, table.get(), &mode, path);
    segments.resize(static_cast<std::size_t>(count));
    segments.resize(
        static_cast<std::size_t>(BackTrack(table.get(), count, version, mode, segments.data())));
    return bits;
}

}  // namespace segmentation
