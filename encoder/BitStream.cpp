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
constexpr std::int32_t ContinuingCost(std::int32_t mode, std::int32_t runLength) {
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
template <std::int32_t m>
clsQRCode::SegmentCell BestCell(const clsQRCode::SegmentCell* p, const RowMinima& min,
                                const CostModel& c) {
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
[[gnu::always_inline]] inline void FillRow(clsQRCode::SegmentCell* here,
                                           const clsQRCode::SegmentCell* prev,
                                           const clsQRCode::SegmentCell* prev2,
                                           std::int32_t charClass, bool kanji, const CostModel& c) {
    constexpr std::int32_t kInfeasible = clsQRCode::InfeasibleCost;
    if (!kanji && prev[3].cost == kInfeasible) {
        // No Kanji cell in this row or the one before: a Kanji candidate costs more than the
        // infeasible mark and never wins, so only byte, numeric and alphanumeric compete.
        const std::int32_t b = prev[0].cost, n = prev[1].cost, a = prev[2].cost;
        {  // byte: its own candidate wins ties, being mode 0
            const bool continues = prev[0].runLength < c.maxCount[0];
            const std::int32_t own = b + (continues ? 8 : c.open[0]);
            const std::int32_t other = (n <= a ? n : a) + c.open[0];
            here[0] = own <= other
                          ? clsQRCode::SegmentCell{0, own, continues ? prev[0].runLength + 1 : 1}
                          : clsQRCode::SegmentCell{n <= a ? 1 : 2, other, 1};
        }
        if (charClass == 1) {  // numeric: ties go to byte before it, not to alphanumeric
            const std::int32_t run = prev[1].runLength;
            const bool continues = run < c.maxCount[1];
            const std::int32_t own = n + (continues ? (run % 3 == 0 ? 4 : 3) : c.open[1]);
            const std::int32_t other = (b <= a ? b : a) + c.open[1];
            here[1] = own < other || (own == other && b > a)
                          ? clsQRCode::SegmentCell{1, own, continues ? run + 1 : 1}
                          : clsQRCode::SegmentCell{b <= a ? 0 : 2, other, 1};
        } else {
            here[1] = kInfeasibleCell;
        }
        if (charClass != 0) {  // alphanumeric: ties go to the lower modes
            const std::int32_t run = prev[2].runLength;
            const bool continues = run < c.maxCount[2];
            const std::int32_t own = a + (continues ? (run % 2 == 0 ? 6 : 5) : c.open[2]);
            const std::int32_t other = (b <= n ? b : n) + c.open[2];
            here[2] = own < other ? clsQRCode::SegmentCell{2, own, continues ? run + 1 : 1}
                                  : clsQRCode::SegmentCell{b <= n ? 0 : 1, other, 1};
        } else {
            here[2] = kInfeasibleCell;
        }
        here[3] = kInfeasibleCell;
        return;
    }
    const RowMinima min = FindMinima(prev);
    here[0] = BestCell<0>(prev, min, c);
    here[1] = charClass == 1 ? BestCell<1>(prev, min, c) : kInfeasibleCell;
    here[2] = charClass != 0 ? BestCell<2>(prev, min, c) : kInfeasibleCell;
    if (!kanji)
        here[3] = kInfeasibleCell;
    else if (prev2 == nullptr)
        here[3] = {-1, c.open[3], 1};  // the Kanji character is the first of the data
    else
        here[3] = BestCell<3>(prev2, FindMinima(prev2), c);
}

struct LastRow {
    clsQRCode::SegmentCell cells[4];
};

// Inside a run of digits the search settles: the numeric cell continues its segment, and the
// byte and alphanumeric cells are cheapest as new segments after the numeric cell before.
// That holds for the next digit whenever, in the row before it (costs b, n, a, Kanji cell
// impossible, numeric run below its limit),
//   n + open(byte) < b + 8   (byte switching from numeric beats continuing byte) and
//   n + open(alnum) <= a + 5 (alphanumeric switching from numeric beats or ties continuing);
// these imply that numeric continuing beats every switch. The row it gives satisfies them
// again (3 or 4 bits per digit is less than 5 and 8), so the state lasts until the digits end
// or the numeric segment is full.
bool SteadyDigits(const clsQRCode::SegmentCell* prev, const CostModel& c) {
    const std::int32_t n = prev[1].cost;
    return prev[3].cost == clsQRCode::InfeasibleCost && prev[1].runLength < c.maxCount[1] &&
           n + c.open[0] < prev[0].cost + 8 && n + c.open[2] <= prev[2].cost + 5;
}

// The row that the settled state gives for a digit after a numeric cell of cost n and run.
void SteadyDigitRow(clsQRCode::SegmentCell* here, std::int32_t n, std::int32_t run,
                    const CostModel& c) {
    here[0] = {clsQRCode::ModeNumeric, n + c.open[0], 1};
    here[1] = {clsQRCode::ModeNumeric, n + (run % 3 == 0 ? 4 : 3), run + 1};
    here[2] = {clsQRCode::ModeNumeric, n + c.open[2], 1};
    here[3] = kInfeasibleCell;
}

// Lead bytes of a Kanji pair: 1 for 0x81-0x9F and 0xE0-0xEA (any second byte from 0x40),
// 2 for 0xEB (second byte 0x40-0xBF), 0 otherwise.
constexpr auto kKanjiLead = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0x81; b <= 0x9F; ++b) table[b] = 1;
    for (int b = 0xE0; b <= 0xEA; ++b) table[b] = 1;
    table[0xEB] = 2;
    return table;
}();

bool KanjiPair(std::uint8_t first, std::uint8_t second) {
    const std::uint8_t lead = kKanjiLead[first];
    return lead != 0 && second >= 0x40 && (lead == 1 || second <= 0xBF);
}

// The search over all rows. Each row needs only the two before it: without a table three
// rows take turns; with one (for back-tracking) every row stays where it was filled.
template <bool kKeepTable>
LastRow Search(const std::uint8_t* data, std::int32_t count, bool kanjiAllowed, const CostModel& c,
               clsQRCode::SegmentCell* table) {
    clsQRCode::SegmentCell ring[3][4];
    clsQRCode::SegmentCell* prev = kKeepTable ? table : ring[0];
    clsQRCode::SegmentCell* prev2 = ring[2];  // not read for row 1
    clsQRCode::SegmentCell* here = ring[1];
    std::int32_t i = 1;
    auto nextRow = [&] {  // row i is done: go on to row i + 1
        clsQRCode::SegmentCell* const done = prev2;
        prev2 = prev;
        prev = here;
        ++i;
        here = kKeepTable ? table + 4 * static_cast<std::size_t>(i) : done;
    };
    FillFirstRow(prev, kCharClass[data[0]], c);
    if constexpr (kKeepTable) here = table + 4;
    // A Kanji pair needs a lead byte first: only then is the second byte looked at.
    std::uint8_t lead = kanjiAllowed ? kKanjiLead[data[0]] : 0;
    while (i < count) {
        const std::int32_t charClass = kCharClass[data[i]];
        if (charClass == 1 && SteadyDigits(prev, c)) {
            // Settled: it stays so while digits follow and the numeric segment has room.
            std::int32_t n = prev[1].cost, run = prev[1].runLength;
            // Row i + t needs run + t below the limit.
            const std::int32_t room = c.maxCount[1] - run;
            const std::int32_t last = count - i < room ? count : i + room;
            std::int32_t end = i + 1;
            while (end < last && kCharClass[data[end]] == 1) ++end;
            if constexpr (!kKeepTable) {
                // Only the last two rows are read again: the ones before just move n on.
                for (; i < end - 2; ++i, ++run) n += ContinuingCost(clsQRCode::ModeNumeric, run);
            }
            while (i < end) {  // nextRow() moves i on
                SteadyDigitRow(here, n, run, c);
                n += ContinuingCost(clsQRCode::ModeNumeric, run);
                nextRow();
                ++run;
            }
            lead = 0;  // a digit is never a Kanji lead byte
            continue;
        }
        const bool kanji = lead != 0 && KanjiPair(data[i - 1], data[i]);
        lead = kanjiAllowed ? kKanjiLead[data[i]] : 0;
        FillRow(here, prev, i >= 2 ? prev2 : nullptr, charClass, kanji, c);
        nextRow();
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

std::int32_t clsQRCode::GetStreamBitsAtLeast(const std::uint8_t* data, std::int32_t count) {
    // No digit takes less than 10/3 bits (three in 10), no alphanumeric character less than
    // 11/2 (two in 11), and any other byte goes in 8 bits or, at best, as half of a 13-bit
    // Kanji character (a Kanji pair never holds a digit). Counted in sixths of a bit.
    static constexpr std::uint8_t kSixths[3] = {39, 20, 33};  // other, digit, alphanumeric
    std::int64_t sixths = 0;
    for (std::int32_t i = 0; i < count; ++i) sixths += kSixths[kCharClass[data[i]]];
    return static_cast<std::int32_t>(sixths / 6);
}

bool clsQRCode::IsKanjiPair(std::uint8_t first, std::uint8_t second) {
    return KanjiPair(first, second);
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
        const std::int32_t limit = count - s < maxCount[m] ? count - s : maxCount[m];
        const std::uint8_t* modes = byteModes.data() + s;
        std::int32_t n = 1;
        while (n < limit && modes[n] == m) ++n;

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

std::vector<clsQRCode::EncodeReport::Segment> clsQRCode::ReadSegments(const std::uint8_t* bits,
                                                                      std::int32_t dataBits,
                                                                      std::int32_t version) const {
    static constexpr std::int32_t kWidths[3][4] = {
        {8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};
    const std::int32_t* width = kWidths[version < 10 ? 0 : version <= 26 ? 1 : 2];
    auto read = [&](std::int32_t& position, std::int32_t count) {
        std::int32_t value = 0;
        for (std::int32_t k = 0; k < count; ++k) value = value << 1 | bits[position++];
        return value;
    };
    std::vector<EncodeReport::Segment> segments;
    for (std::int32_t position = 0; bits != nullptr && position + 4 <= dataBits;) {
        Mode mode;
        switch (read(position, 4)) {
            case 0b0001:
                mode = ModeNumeric;
                break;
            case 0b0010:
                mode = ModeAlphanumeric;
                break;
            case 0b1000:
                mode = ModeKanji;
                break;
            default:
                mode = ModeByte;
                break;
        }
        if (position + width[mode] > dataBits) break;
        const std::int32_t length = read(position, width[mode]);
        segments.push_back({mode, length});
        switch (mode) {
            case ModeNumeric:
                position += 10 * (length / 3) + (length % 3 == 0 ? 0 : 1 + 3 * (length % 3));
                break;
            case ModeAlphanumeric:
                position += 11 * (length / 2) + 6 * (length % 2);
                break;
            case ModeKanji:
                position += 13 * length;
                break;
            default:
                position += 8 * length;
                break;
        }
    }
    return segments;
}
