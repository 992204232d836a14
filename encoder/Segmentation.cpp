// The segmentation search: the cheapest split of the data into numeric, alphanumeric, byte
// and Kanji segments. Row i of the search holds four cells, one per mode: the cheapest stream
// for bytes 0..i whose last segment is in that mode and ends at byte i. Ties go to the lower
// mode number of the predecessor, and only strictly cheaper candidates replace a cell's best,
// so the split (and with it the stream's length and the version) is fixed to the bit.

#include <algorithm>
#include <array>
#include <memory>

#include "ModeFacts.h"
#include "Segmentation.h"

namespace {

constexpr std::int32_t InfeasibleCost = clsQRCode::InfeasibleCost;
using Cell = clsQRCode::SegmentCell;
using modefacts::ContinuingBits;

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

// Shift JIS: a lead byte (0x81-0x9F, 0xE0-0xFC) and a trail byte (0x40-0x7E, 0x80-0xFC) make
// one two-byte character; every other byte is a character of its own (a lead byte without a
// valid trail byte too). Only a whole character may become a Kanji pair: a pair across two
// characters would be read back as other text, or not at all.
constexpr auto kSjisByte = [] {
    std::array<std::uint8_t, 256> table{};  // bit 0: lead byte, bit 1: trail byte
    for (int b = 0x81; b <= 0x9F; ++b) table[b] |= 1;
    for (int b = 0xE0; b <= 0xFC; ++b) table[b] |= 1;
    for (int b = 0x40; b <= 0xFC; ++b)
        if (b != 0x7F) table[b] |= 2;
    return table;
}();

// Whether byte i is the trail byte of a two-byte character, given whether byte i-1 was.
bool TrailByte(const std::uint8_t* data, std::int32_t i, bool previousWasTrail) {
    return !previousWasTrail && (kSjisByte[data[i - 1]] & 1) && (kSjisByte[data[i]] & 2);
}

// Costs of one count-width class.
struct CostModel {
    std::int32_t open[4];      // header and first character of a segment
    std::int32_t maxCount[4];  // characters one segment may hold
    explicit CostModel(std::int32_t version) {
        for (std::int32_t m = 0; m < modefacts::kModeCount; ++m) {
            const std::int32_t width = modefacts::CountWidth(m, version);
            open[m] = modefacts::kIndicatorBits + width + modefacts::kFirstCharBits[m];
            maxCount[m] = (1 << width) - 1;
        }
    }
};

constexpr Cell kInfeasibleCell{0, InfeasibleCost, 0};

// The cheapest and second cheapest cells of a row, each the first of its cost in mode order.
struct RowMinima {
    std::int32_t min1, mode1, min2, mode2;
};

RowMinima FindMinima(const Cell* row) {
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

// Cell of mode m from the row p before its character: the first cheapest of the four
// candidates in predecessor mode order, as a scan taking only strictly cheaper candidates
// finds it. Every candidate but the one in the cell's own mode costs its cell plus the
// opening cost, so only the own-mode candidate and the cheapest other cell need comparing.
template <std::int32_t m>
Cell BestCell(const Cell* p, const RowMinima& min, const CostModel& c) {
    const Cell& same = p[m];
    const bool continues = same.runLength < c.maxCount[m];
    const std::int32_t own =
        same.cost + (continues ? ContinuingBits(m, same.runLength) : c.open[m]);
    const std::int32_t otherMode = m != min.mode1 ? min.mode1 : min.mode2;
    const std::int32_t other = (m != min.mode1 ? min.min1 : min.min2) + c.open[m];
    if (own < other || (own == other && m < otherMode))
        return {m, own, continues ? same.runLength + 1 : 1};
    return {otherMode, other, 1};
}

// Row 0: each possible mode opens the first segment.
void FillFirstRow(Cell* here, std::int32_t charClass, const CostModel& c) {
    here[0] = {-1, c.open[0], 1};
    here[1] = charClass == 1 ? Cell{-1, c.open[1], 1} : kInfeasibleCell;
    here[2] = charClass != 0 ? Cell{-1, c.open[2], 1} : kInfeasibleCell;
    here[3] = kInfeasibleCell;
}

// Row i >= 1 (here) from the rows of bytes i-1 (prev) and i-2 (prev2, null for i = 1).
[[gnu::always_inline]] inline void FillRow(Cell* here, const Cell* prev, const Cell* prev2,
                                           std::int32_t charClass, bool kanji, const CostModel& c) {
    if (!kanji && prev[3].cost == InfeasibleCost) {
        // BestCell<0..2> with the Kanji candidates left out, spelt out for speed: with no
        // Kanji cell in this row or the one before, a Kanji candidate costs more than the
        // infeasible mark and never wins. Must choose exactly what BestCell chooses; the
        // differential test and the bit-stream fuzzer compare it with the plain search.
        const std::int32_t b = prev[0].cost, n = prev[1].cost, a = prev[2].cost;
        {  // byte: its own candidate wins ties, being mode 0
            const bool continues = prev[0].runLength < c.maxCount[0];
            const std::int32_t own = b + (continues ? 8 : c.open[0]);
            const std::int32_t other = (n <= a ? n : a) + c.open[0];
            here[0] = own <= other ? Cell{0, own, continues ? prev[0].runLength + 1 : 1}
                                   : Cell{n <= a ? 1 : 2, other, 1};
        }
        if (charClass == 1) {  // numeric: ties go to byte before it, not to alphanumeric
            const std::int32_t run = prev[1].runLength;
            const bool continues = run < c.maxCount[1];
            const std::int32_t own = n + (continues ? (run % 3 == 0 ? 4 : 3) : c.open[1]);
            const std::int32_t other = (b <= a ? b : a) + c.open[1];
            here[1] = own < other || (own == other && b > a) ? Cell{1, own, continues ? run + 1 : 1}
                                                             : Cell{b <= a ? 0 : 2, other, 1};
        } else {
            here[1] = kInfeasibleCell;
        }
        if (charClass != 0) {  // alphanumeric: ties go to the lower modes
            const std::int32_t run = prev[2].runLength;
            const bool continues = run < c.maxCount[2];
            const std::int32_t own = a + (continues ? (run % 2 == 0 ? 6 : 5) : c.open[2]);
            const std::int32_t other = (b <= n ? b : n) + c.open[2];
            here[2] = own < other ? Cell{2, own, continues ? run + 1 : 1}
                                  : Cell{b <= n ? 0 : 1, other, 1};
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

// Inside a run of digits the search settles: the numeric cell continues its segment, and the
// byte and alphanumeric cells are cheapest as new segments after the numeric cell before.
// That holds for the next digit whenever, in the row before it (costs b, n, a, Kanji cell
// impossible, numeric run below its limit),
//   n + open(byte) < b + 8   (byte switching from numeric beats continuing byte) and
//   n + open(alnum) <= a + 5 (alphanumeric switching from numeric beats or ties continuing);
// these imply that numeric continuing beats every switch. The row it gives satisfies them
// again (3 or 4 bits per digit is less than 5 and 8), so the state lasts until the digits end
// or the numeric segment is full.
bool SteadyDigits(const Cell* prev, const CostModel& c) {
    const std::int32_t n = prev[1].cost;
    return prev[3].cost == InfeasibleCost && prev[1].runLength < c.maxCount[1] &&
           n + c.open[0] < prev[0].cost + 8 && n + c.open[2] <= prev[2].cost + 5;
}

// The row that the settled state gives for a digit after a numeric cell of cost n and run.
void SteadyDigitRow(Cell* here, std::int32_t n, std::int32_t run, const CostModel& c) {
    here[0] = {clsQRCode::ModeNumeric, n + c.open[0], 1};
    here[1] = {clsQRCode::ModeNumeric, n + ContinuingBits(clsQRCode::ModeNumeric, run), run + 1};
    here[2] = {clsQRCode::ModeNumeric, n + c.open[2], 1};
    here[3] = kInfeasibleCell;
}

// The rows of bytes i-2, i-1 and i. Without a table three rows take turns; with one (for
// back-tracking) every row stays where it was filled.
template <bool kKeepTable>
class Rows {
  public:
    explicit Rows(Cell* table) {
        if constexpr (kKeepTable) {
            prev_ = table;
            here_ = table + 4;
        }
    }
    Cell* Here() { return here_; }
    const Cell* Prev() const { return prev_; }
    const Cell* Prev2() const { return prev2_; }
    Cell* First() { return prev_; }  // row 0, before the first Advance
    // Row i is filled: it becomes the row before the next.
    void Advance() {
        Cell* const done = prev2_;
        prev2_ = prev_;
        prev_ = here_;
        here_ = kKeepTable ? here_ + 4 : done;
    }

  private:
    Cell ring_[3][4];
    Cell* prev_ = ring_[0];
    Cell* prev2_ = ring_[2];  // not read for row 1
    Cell* here_ = ring_[1];
};

// The search over all rows, row by row; the last row's four cells are copied to last.
template <bool kKeepTable>
void Search(const std::uint8_t* data, std::int32_t count, bool kanjiAllowed, const CostModel& c,
            Cell* table, Cell* last) {
    Rows<kKeepTable> rows(table);
    FillFirstRow(rows.First(), kCharClass[data[0]], c);
    bool trail = false;  // byte i-1 (here byte 0) is the trail byte of a two-byte character
    std::int32_t i = 1;
    while (i < count) {
        const std::int32_t charClass = kCharClass[data[i]];
        if (charClass == 1 && SteadyDigits(rows.Prev(), c)) {
            // Settled: it stays so while digits follow and the numeric segment has room; row
            // i + t needs run + t below the limit.
            std::int32_t n = rows.Prev()[1].cost, run = rows.Prev()[1].runLength;
            const std::int32_t room = c.maxCount[1] - run;
            const std::int32_t stop = count - i < room ? count : i + room;
            std::int32_t end = i + 1;
            while (end < stop && kCharClass[data[end]] == 1) ++end;
            if constexpr (!kKeepTable) {
                // Only the last two rows are read again: the ones before just move n on.
                for (; i < end - 2; ++i, ++run) n += ContinuingBits(clsQRCode::ModeNumeric, run);
            }
            for (; i < end; ++i, ++run) {
                SteadyDigitRow(rows.Here(), n, run, c);
                n += ContinuingBits(clsQRCode::ModeNumeric, run);
                rows.Advance();
            }
            trail = false;  // a digit is a character of its own
            continue;
        }
        trail = kanjiAllowed && TrailByte(data, i, trail);
        const bool kanji = trail && KanjiPair(data[i - 1], data[i]);
        FillRow(rows.Here(), rows.Prev(), i >= 2 ? rows.Prev2() : nullptr, charClass, kanji, c);
        rows.Advance();
        ++i;
    }
    std::copy(rows.Prev(), rows.Prev() + 4, last);
}

// The cheapest cell of the last row, ties to the lowest mode number.
std::int32_t FinalMode(const Cell* last) {
    std::int32_t best = 0;
    for (std::int32_t m = 1; m < modefacts::kModeCount; ++m)
        if (last[m].cost < last[best].cost) best = m;
    return best;
}

}  // namespace

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
    static constexpr std::uint8_t kSixths[3] = {39, 20, 33};  // other, digit, alphanumeric
    std::int64_t sixths = 0;
    for (std::int32_t i = 0; i < count; ++i) sixths += kSixths[kCharClass[data[i]]];
    return static_cast<std::int32_t>(sixths / 6);
}

namespace segmentation {

std::int32_t MeasureBits(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                         bool kanjiAllowed) {
    const CostModel costs(version);
    Cell last[4];
    Search<false>(data, count, kanjiAllowed, costs, nullptr, last);
    return last[FinalMode(last)].cost;
}

std::int32_t ChooseSegments(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                            bool kanjiAllowed, std::vector<Segment>& segments) {
    const CostModel costs(version);
    // Every field of every cell is written, so the table needs no clearing.
    std::unique_ptr<Cell[]> table(new Cell[static_cast<std::size_t>(count) * 4]);
    Cell last[4];
    Search<true>(data, count, kanjiAllowed, costs, table.get(), last);
    const std::int32_t mode = FinalMode(last);

    // Back-track a segment at a time: the last cell's run says where its segment starts, and
    // the cell of that segment's first character names the mode before it.
    segments.clear();
    for (std::int32_t i = count - 1, m = mode; i >= 0;) {
        const std::int32_t width = m == clsQRCode::ModeKanji ? 2 : 1;
        const std::int32_t characters = table[static_cast<std::size_t>(i) * 4 + m].runLength;
        const std::int32_t start = i + 1 - width * characters;
        segments.push_back({static_cast<clsQRCode::Mode>(m), start, characters});
        m = table[static_cast<std::size_t>(start + width - 1) * 4 + m].prevMode;
        i = start - 1;
    }
    std::reverse(segments.begin(), segments.end());
    return last[mode].cost;
}

}  // namespace segmentation
