// Segmentation of the data into numeric, alphanumeric, byte and Kanji segments by a
// cheapest-bit-stream search, and the data bit stream it gives.

#include <array>
#include <memory>

#include "encoder/BitPack.h"
#include "encoder/clsQRCode.h"

namespace {

constexpr std::int32_t kModeCount = 4;
constexpr std::int32_t kIndicator[kModeCount] = {0b0100, 0b0001, 0b0010, 0b1000};
constexpr std::int32_t kCharBits[kModeCount] = {8, 4, 6, 13};  // first character of a segment
// Character-count widths per count-width class (versions 1-9, 10-26, 27-40).
constexpr std::int32_t kCountWidth[3][kModeCount] = {
    {8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};

std::int32_t CountWidthClass(std::int32_t version) {
    if (version < 10) return 0;
    if (version <= 26) return 1;
    return 2;
}

// Bits a character adds to a segment of its mode that already holds runLength characters.
std::int32_t ContinuingCost(std::int32_t mode, std::int32_t runLength) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return runLength % 3 == 0 ? 4 : 3;
        case clsQRCode::ModeAlphanumeric:
            return runLength % 2 == 0 ? 6 : 5;
        default:
            return kCharBits[mode];
    }
}

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

constexpr auto kCharClass = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<std::uint8_t>(CharClassOf(b));
    return table;
}();

// Writes the low width bits of value, most significant first, one byte per bit.
void WriteBits(std::uint8_t* bits, std::int32_t& position, std::int32_t value, std::int32_t width) {
    for (std::int32_t k = width - 1; k >= 0; --k) bits[position++] = (value >> k) & 1;
}

// The same for width <= 16 in two table look-ups; it writes 16 entries, so the caller
// makes sure that the 16 - width entries after the field are its own to overwrite.
void WriteBitsWide(std::uint8_t* bits, std::int32_t& position, std::int32_t value,
                   std::int32_t width) {
    const std::uint32_t aligned = static_cast<std::uint32_t>(value) << (16 - width);
    bitpack::SpreadByte(bits + position, static_cast<std::uint8_t>(aligned >> 8));
    bitpack::SpreadByte(bits + position + 8, static_cast<std::uint8_t>(aligned));
    position += width;
}

constexpr auto kAlphanumericValue = [] {
    std::array<std::uint8_t, 256> table{};
    const char* symbols = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    for (int v = 0; v < 45; ++v) table[static_cast<std::uint8_t>(symbols[v])] = v;
    return table;
}();

// Costs of one count-width class.
struct CostModel {
    std::int32_t open[4];      // header and first character of a segment
    std::int32_t maxCount[4];  // characters one segment may hold
};

// The cheapest and second cheapest cells of a row, each the first of its cost in mode order.
struct RowMinima {
    std::int32_t min1, mode1, min2, mode2;
};

RowMinima FindMinima(const clsQRCode::SegmentCell* row) {
    RowMinima r{row[0].cost, 0, 0x7FFFFFFF, -1};
    for (std::int32_t j = 1; j < 4; ++j) {
        if (row[j].cost < r.min1) {
            r.min2 = r.min1;
            r.mode2 = r.mode1;
            r.min1 = row[j].cost;
            r.mode1 = j;
        } else if (row[j].cost < r.min2) {
            r.min2 = row[j].cost;
            r.mode2 = j;
        }
    }
    return r;
}

// One cell from the row p before its character: the first cheapest of the four candidates
// in predecessor mode order, as a scan taking only strictly cheaper candidates finds it. Every
// candidate but the one in the cell's own mode costs that cell plus the opening cost, so
// only the own-mode candidate and the cheapest other cell (min) need comparing.
clsQRCode::SegmentCell BestCell(std::int32_t m, const clsQRCode::SegmentCell* p,
                                const RowMinima& min, const CostModel& c) {
    const clsQRCode::SegmentCell& same = p[m];
    const bool continues = same.runLength < c.maxCount[m];
    const std::int32_t own =
        same.cost + (continues ? ContinuingCost(m, same.runLength) : c.open[m]);
    const std::int32_t otherMode = m != min.mode1 ? min.mode1 : min.mode2;
    const std::int32_t other = (m != min.mode1 ? min.min1 : min.min2) + c.open[m];
    if (own < other || (own == other && m < otherMode))
        return {m, own, continues ? same.runLength + 1 : 1};
    return {otherMode, other, 1};
}

std::int32_t KanjiValue(std::uint8_t lead, std::uint8_t trail) {
    const std::int32_t base = lead <= 0x9F ? 0x81 : 0xC1;
    return (lead - base) * 0xC0 + (trail - 0x40);
}

constexpr clsQRCode::SegmentCell kInfeasibleCell{0, clsQRCode::InfeasibleCost, 0};

// Row 0: each possible mode opens the first segment.
void FillFirstRow(clsQRCode::SegmentCell* here, std::int32_t charClass, const CostModel& c) {
    here[0] = {-1, c.open[0], 1};
    here[1] = charClass == 1 ? clsQRCode::SegmentCell{-1, c.open[1], 1} : kInfeasibleCell;
    here[2] = charClass != 0 ? clsQRCode::SegmentCell{-1, c.open[2], 1} : kInfeasibleCell;
    here[3] = kInfeasibleCell;
}

// Row i >= 1 (here) from the rows of bytes i-1 (prev) and i-2 (prev2, null for i = 1).
inline void FillRow(clsQRCode::SegmentCell* here, const clsQRCode::SegmentCell* prev,
                    const clsQRCode::SegmentCell* prev2, std::int32_t charClass, bool kanji,
                    const CostModel& c) {
    constexpr std::int32_t kInfeasible = clsQRCode::InfeasibleCost;
    if (charClass == 0 && !kanji && prev[1].cost == kInfeasible && prev[2].cost == kInfeasible &&
        prev[3].cost == kInfeasible) {
        // Inside a run where only byte mode was possible: every other candidate costs more
        // than the infeasible mark, so the byte cell continues (or reopens at its limit).
        const bool continues = prev[0].runLength < c.maxCount[0];
        here[0] = {0, prev[0].cost + (continues ? 8 : c.open[0]),
                   continues ? prev[0].runLength + 1 : 1};
        here[1] = here[2] = here[3] = kInfeasibleCell;
        return;
    }
    const RowMinima min = FindMinima(prev);
    here[0] = BestCell(0, prev, min, c);
    here[1] = charClass == 1 ? BestCell(1, prev, min, c) : kInfeasibleCell;
    here[2] = charClass != 0 ? BestCell(2, prev, min, c) : kInfeasibleCell;
    if (!kanji)
        here[3] = kInfeasibleCell;
    else if (prev2 == nullptr)
        here[3] = {-1, c.open[3], 1};  // the Kanji character is the first of the data
    else
        here[3] = BestCell(3, prev2, FindMinima(prev2), c);
}

struct LastRow {
    clsQRCode::SegmentCell cells[4];
};

// The search over all rows. Each row needs only the two before it, which are kept in local
// copies; the whole table (count rows of four cells) is filled only when it is given, for
// back-tracking.
template <bool kKeepTable>
LastRow Search(const std::uint8_t* data, std::int32_t count, bool kanjiAllowed, const CostModel& c,
               clsQRCode::SegmentCell* table) {
    clsQRCode::SegmentCell prev2[4], prev[4], here[4];
    FillFirstRow(prev, kCharClass[data[0]], c);
    if constexpr (kKeepTable) std::copy(prev, prev + 4, table);
    for (std::int32_t i = 1; i < count; ++i) {
        const bool kanji = kanjiAllowed && clsQRCode::IsKanjiPair(data[i - 1], data[i]);
        FillRow(here, prev, i >= 2 ? prev2 : nullptr, kCharClass[data[i]], kanji, c);
        if constexpr (kKeepTable)
            std::copy(here, here + 4, table + 4 * static_cast<std::size_t>(i));
        std::copy(prev, prev + 4, prev2);
        std::copy(here, here + 4, prev);
    }
    LastRow last;
    std::copy(prev, prev + 4, last.cells);
    return last;
}

}  // namespace

std::int32_t clsQRCode::GetCharClass(std::uint8_t byte) {
    return kCharClass[byte];
}

std::int32_t clsQRCode::GetAlphanumericValue(std::uint8_t byte) {
    return kAlphanumericValue[byte];
}

bool clsQRCode::IsKanjiPair(std::uint8_t first, std::uint8_t second) {
    if (second < 0x40) return false;
    if ((first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xEA)) return true;
    return first == 0xEB && second <= 0xBF;
}

std::int32_t clsQRCode::BuildBitStream(std::uint8_t* bitBuffer, std::int32_t bufferSize,
                                       const std::uint8_t* data, std::int32_t count,
                                       std::int32_t version, bool measureOnly,
                                       bool kanjiAllowed) const {
    constexpr std::int32_t kTerminator = 4;
    if (count <= 0 || data == nullptr) {
        // The terminator alone, in either mode.
        if (bitBuffer != nullptr && bufferSize >= kTerminator)
            for (std::int32_t k = 0; k < kTerminator; ++k) bitBuffer[k] = 0;
        return kTerminator;
    }

    const std::int32_t* width = kCountWidth[CountWidthClass(version)];
    std::int32_t maxCount[kModeCount];
    CostModel costs;
    for (std::int32_t m = 0; m < kModeCount; ++m) {
        maxCount[m] = (1 << width[m]) - 1;
        costs.maxCount[m] = maxCount[m];
        costs.open[m] = 4 + width[m] + kCharBits[m];
    }
    auto finalMode = [](const SegmentCell* last) {
        std::int32_t best = 0;
        for (std::int32_t m = 1; m < kModeCount; ++m)
            if (last[m].cost < last[best].cost) best = m;
        return best;
    };

    if (measureOnly) {
        const LastRow row = Search<false>(data, count, kanjiAllowed, costs, nullptr);
        return row.cells[finalMode(row.cells)].cost + kTerminator;
    }

    // Row i, column m: cheapest stream for bytes 0..i whose last segment is mode m. Every
    // field of every cell is written, so the table needs no clearing.
    std::unique_ptr<SegmentCell[]> table(
        new SegmentCell[static_cast<std::size_t>(count) * kModeCount]);
    const LastRow lastRow = Search<true>(data, count, kanjiAllowed, costs, table.get());
    const std::int32_t last = finalMode(lastRow.cells);
    const std::int32_t bitCount = lastRow.cells[last].cost + kTerminator;
    // A stream the buffer cannot hold is not written: the caller sees it cannot fit.
    if (bitBuffer == nullptr || bitCount > bufferSize) return bitCount;
    auto cell = [&](std::int32_t i, std::int32_t m) -> SegmentCell& {
        return table[static_cast<std::size_t>(i) * kModeCount + m];
    };

    // Back-track the chosen path; both bytes of a Kanji character carry the Kanji mode.
    std::vector<std::uint8_t> byteModes(static_cast<std::size_t>(count));
    for (std::int32_t i = count - 1, m = last; i >= 0;) {
        byteModes[i] = static_cast<std::uint8_t>(m);
        const std::int32_t previous = cell(i, m).prevMode;
        if (m == ModeKanji) {
            byteModes[i - 1] = ModeKanji;
            i -= 2;
        } else {
            i -= 1;
        }
        m = previous;
    }
    table.reset();
    maxCount[ModeKanji] *= 2;  // now in bytes

    // Fields go in 16 entries at a time while the stream goes on for 16 more entries, so
    // nothing past its end is touched.
    std::int32_t position = 0;
    auto put = [&](std::int32_t value, std::int32_t fieldWidth) {
        if (position + 16 <= bitCount)
            WriteBitsWide(bitBuffer, position, value, fieldWidth);
        else
            WriteBits(bitBuffer, position, value, fieldWidth);
    };
    for (std::int32_t s = 0; s < count;) {
        const std::int32_t m = byteModes[s];
        std::int32_t n = 1;
        while (s + n < count && byteModes[s + n] == m && n < maxCount[m]) ++n;

        put(kIndicator[m], 4);
        put(m == ModeKanji ? n / 2 : n, width[m]);
        const std::uint8_t* segment = data + s;
        switch (m) {
            case ModeByte:
                for (std::int32_t k = 0; k < n; ++k) put(segment[k], 8);
                break;
            case ModeNumeric: {
                std::int32_t k = 0;
                for (; k + 3 <= n; k += 3)
                    put((segment[k] & 0x0F) * 100 + (segment[k + 1] & 0x0F) * 10 +
                            (segment[k + 2] & 0x0F),
                        10);
                if (n - k == 1) put(segment[k] & 0x0F, 4);
                if (n - k == 2) put((segment[k] & 0x0F) * 10 + (segment[k + 1] & 0x0F), 7);
                break;
            }
            case ModeAlphanumeric: {
                std::int32_t k = 0;
                for (; k + 2 <= n; k += 2)
                    put(kAlphanumericValue[segment[k]] * 45 + kAlphanumericValue[segment[k + 1]],
                        11);
                if (k < n) put(kAlphanumericValue[segment[k]], 6);
                break;
            }
            default:
                for (std::int32_t k = 0; k + 1 < n; k += 2)
                    put(KanjiValue(segment[k], segment[k + 1]), 13);
                break;
        }
        s += n;
    }
    put(0, kTerminator);
    return position;
}
