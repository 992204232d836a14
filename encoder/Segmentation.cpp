// The segmentation search: the cheapest split of the data into numeric, alphanumeric, byte
// and Kanji segments. Row i of the search holds four cells, one per mode: the cheapest stream
// for bytes 0..i whose last segment is in that mode and ends at byte i. Ties go to the lower
// mode number of the predecessor, and only strictly cheaper candidates replace a cell's best,
// so the split (and with it the stream's length and the version) is fixed to the bit.

#include <bit>
#include <cstring>
#include <utility>

#include "Characters.h"
#include "ModeFacts.h"
#include "Segmentation.h"
#include "Symbol.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr std::int32_t InfeasibleCost = clsQRCode::InfeasibleCost;
using characters::KanjiPair;
using characters::kCharClass;
using characters::kSjisByte;
using characters::TrailByte;
using modefacts::ContinuingBits;

// Costs of one count-width class.
struct CostModel {
    std::int32_t open[4];      // header and first character of a segment
    std::int32_t maxCount[4];  // characters one segment may hold
    std::int32_t absorbed;     // the longest alphanumeric run a byte segment takes in (below)
    explicit CostModel(std::int32_t version) {
        for (std::int32_t m = 0; m < modefacts::kModeCount; ++m) {
            const std::int32_t width = modefacts::CountWidth(m, version);
            open[m] = modefacts::kIndicatorBits + width + modefacts::kFirstCharBits[m];
            maxCount[m] = modefacts::MaxCount(m, version);
        }
        const std::int32_t openOther = open[1] < open[2] ? open[1] : open[2];
        absorbed = (openOther + open[0] - 12) / 5;
    }
};

// One row of the search: per mode the cost of the cheapest stream whose last segment is in
// that mode and ends at this byte, and the characters of that segment so far. Which cell of
// the row before each cell came from is not kept here but in the table (one byte per row,
// two bits per mode), which is all the back-track needs.
struct Row {
    std::int32_t cost[4];
    std::int32_t run[4];
};

inline void SetInfeasible(Row& h, std::int32_t m) {
    h.cost[m] = InfeasibleCost;
    h.run[m] = 0;
}

// The cheapest and second cheapest cells of a row, each the first of its cost in mode order.
struct RowMinima {
    std::int32_t min1, mode1, min2, mode2;
};

RowMinima FindMinima(const Row& row) {
    RowMinima r{row.cost[0], 0, 0x7FFFFFFF, -1};
    for (std::int32_t j = 1; j < 4; ++j) {
        if (row.cost[j] < r.min1) {
            r.min2 = r.min1;
            r.mode2 = r.mode1;
            r.min1 = row.cost[j];
            r.mode1 = j;
        } else if (row.cost[j] < r.min2) {
            r.min2 = row.cost[j];
            r.mode2 = j;
        }
    }
    return r;
}

// Cell of mode m from the row p before its character: the first cheapest of the four
// candidates in predecessor mode order, as a scan taking only strictly cheaper candidates
// finds it. Every candidate but the one in the cell's own mode costs its cell plus the
// opening cost, so only the own-mode candidate and the cheapest other cell need comparing.
// Returns the predecessor's mode.
template <std::int32_t m>
std::uint32_t BestCell(const Row& p, const RowMinima& min, const CostModel& c, Row& h) {
    const bool continues = p.run[m] < c.maxCount[m];
    const std::int32_t own = p.cost[m] + (continues ? ContinuingBits(m, p.run[m]) : c.open[m]);
    const std::int32_t otherMode = m != min.mode1 ? min.mode1 : min.mode2;
    const std::int32_t other = (m != min.mode1 ? min.min1 : min.min2) + c.open[m];
    if (own < other || (own == other && m < otherMode)) {
        h.cost[m] = own;
        h.run[m] = continues ? p.run[m] + 1 : 1;
        return m;
    }
    h.cost[m] = other;
    h.run[m] = 1;
    return static_cast<std::uint32_t>(otherMode);
}

// Row 0: each possible mode opens the first segment.
void FillFirstRow(Row& h, std::int32_t charClass, const CostModel& c) {
    for (std::int32_t m = 0; m < 4; ++m) {
        h.cost[m] = c.open[m];
        h.run[m] = 1;
    }
    if (charClass != 1) SetInfeasible(h, 1);
    if (charClass == 0) SetInfeasible(h, 2);
    SetInfeasible(h, 3);
}

// Row i >= 1 (h) from the rows of bytes i-1 (p) and i-2 (p2, null for i = 1); returns the
// predecessor modes packed two bits per mode (0 for an impossible cell or none).
[[gnu::always_inline]] inline std::uint32_t FillRow(Row& h, const Row& p, const Row* p2,
                                                    std::int32_t charClass, bool kanji,
                                                    const CostModel& c) {
    if (!kanji && p.cost[3] == InfeasibleCost) {
        // BestCell<0..2> with the Kanji candidates left out, spelt out for speed: with no
        // Kanji cell in this row or the one before, a Kanji candidate costs more than the
        // infeasible mark and never wins. Must choose exactly what BestCell chooses; the
        // differential test and the bit-stream fuzzer compare it with the plain search.
        const std::int32_t b = p.cost[0], n = p.cost[1], a = p.cost[2];
        std::uint32_t from;
        {  // byte: its own candidate wins ties, being mode 0
            const bool continues = p.run[0] < c.maxCount[0];
            const std::int32_t own = b + (continues ? 8 : c.open[0]);
            const std::int32_t other = (n <= a ? n : a) + c.open[0];
            if (own <= other) {
                h.cost[0] = own;
                h.run[0] = continues ? p.run[0] + 1 : 1;
                from = 0;
            } else {
                h.cost[0] = other;
                h.run[0] = 1;
                from = n <= a ? 1 : 2;
            }
        }
        if (charClass == 1) {  // numeric: ties go to byte before it, not to alphanumeric
            const std::int32_t run = p.run[1];
            const bool continues = run < c.maxCount[1];
            const std::int32_t own = n + (continues ? (run % 3 == 0 ? 4 : 3) : c.open[1]);
            const std::int32_t other = (b <= a ? b : a) + c.open[1];
            if (own < other || (own == other && b > a)) {
                h.cost[1] = own;
                h.run[1] = continues ? run + 1 : 1;
                from |= 1u << 2;
            } else {
                h.cost[1] = other;
                h.run[1] = 1;
                from |= (b <= a ? 0u : 2u) << 2;
            }
        } else {
            SetInfeasible(h, 1);
        }
        if (charClass != 0) {  // alphanumeric: ties go to the lower modes
            const std::int32_t run = p.run[2];
            const bool continues = run < c.maxCount[2];
            const std::int32_t own = a + (continues ? (run % 2 == 0 ? 6 : 5) : c.open[2]);
            const std::int32_t other = (b <= n ? b : n) + c.open[2];
            if (own < other) {
                h.cost[2] = own;
                h.run[2] = continues ? run + 1 : 1;
                from |= 2u << 4;
            } else {
                h.cost[2] = other;
                h.run[2] = 1;
                from |= (b <= n ? 0u : 1u) << 4;
            }
        } else {
            SetInfeasible(h, 2);
        }
        SetInfeasible(h, 3);
        return from;
    }
    const RowMinima min = FindMinima(p);
    std::uint32_t from = BestCell<0>(p, min, c, h);
    if (charClass == 1)
        from |= BestCell<1>(p, min, c, h) << 2;
    else
        SetInfeasible(h, 1);
    if (charClass != 0)
        from |= BestCell<2>(p, min, c, h) << 4;
    else
        SetInfeasible(h, 2);
    if (!kanji) {
        SetInfeasible(h, 3);
    } else if (p2 == nullptr) {
        h.cost[3] = c.open[3];  // the Kanji character is the first of the data
        h.run[3] = 1;
    } else {
        from |= BestCell<3>(*p2, FindMinima(*p2), c, h) << 6;
    }
    return from;
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
bool SteadyDigits(const Row& p, const CostModel& c) {
    const std::int32_t n = p.cost[1];
    return p.cost[3] == InfeasibleCost && p.run[1] < c.maxCount[1] &&
           n + c.open[0] < p.cost[0] + 8 && n + c.open[2] <= p.cost[2] + 5;
}

// The row that the settled state gives at t digits into a stretch that began after a
// numeric cell of cost n0 and run r0: the numeric cell before it cost n0 plus the bits of
// digits r0+1 .. r0+t.
void SteadyDigitRow(Row& h, std::int32_t n0, std::int32_t r0, std::int32_t t, const CostModel& c) {
    using modefacts::DataBits;
    const std::int32_t base = n0 - DataBits(clsQRCode::ModeNumeric, r0);
    const std::int32_t before = base + DataBits(clsQRCode::ModeNumeric, r0 + t);
    h.cost[0] = before + c.open[0];
    h.run[0] = 1;
    h.cost[1] = base + DataBits(clsQRCode::ModeNumeric, r0 + t + 1);
    h.run[1] = r0 + t + 1;
    h.cost[2] = before + c.open[2];
    h.run[2] = 1;
    SetInfeasible(h, 3);
}

// Table byte of a settled digit row: all three cells come from the numeric cell.
constexpr std::uint8_t kSteadyDigitFrom = 0b00'01'01'01;

// ---- Which bytes are alphanumeric characters and which lead bytes, 64 at a time.

// Eight bytes a word (characters::ByteKindTops), one multiplication gathering their top bits.
void ByteKindsPortable(const std::uint8_t* data, std::int32_t count, std::int32_t from,
                       std::uint64_t* alphanumeric, std::uint64_t* lead) {
    constexpr std::uint64_t kGather = 0x0102040810204080ull;  // bit 7 of byte k to bit 56 + k
    std::uint64_t a = 0, l = 0;
    const std::int32_t n = count - from < 64 ? count - from : 64;
    for (std::int32_t j = 0; j < n; j += 8) {
        std::uint64_t x = 0;
        if (n - j >= 8)
            std::memcpy(&x, data + from + j, 8);
        else
            std::memcpy(&x, data + from + j, static_cast<std::size_t>(n - j));
        std::uint64_t digits, others, leads;
        characters::ByteKindTops(x, &digits, &others, &leads);
        a |= ((((digits | others) >> 7) * kGather) >> 56) << j;
        l |= (((leads >> 7) * kGather) >> 56) << j;
    }
    *alphanumeric = a;
    *lead = l;
}

#if defined(__x86_64__)
// Bytes from lo to lo + span.
[[gnu::target("avx512f,avx512bw")]] inline __mmask64 InRange(__m512i x, int lo, int span) {
    return _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, _mm512_set1_epi8(static_cast<char>(lo))),
                                  _mm512_set1_epi8(static_cast<char>(span)));
}

// Bytes in one of the runs R.
template <const characters::ByteRuns& R, std::size_t... I>
[[gnu::target("avx512f,avx512bw")]] inline __mmask64 InRuns(__m512i x, std::index_sequence<I...>) {
    return (InRange(x, R.run[I].lo, R.run[I].hi - R.run[I].lo) | ...);
}
template <const characters::ByteRuns& R>
[[gnu::target("avx512f,avx512bw")]] inline __mmask64 InRuns(__m512i x) {
    return InRuns<R>(x, std::make_index_sequence<R.count>{});
}

// 64 bytes at once: compare masks.
[[gnu::target("avx512f,avx512bw")]] void ByteKindsVector(const std::uint8_t* data,
                                                         std::int32_t count, std::int32_t from,
                                                         std::uint64_t* alphanumeric,
                                                         std::uint64_t* lead) {
    const std::int32_t n = count - from < 64 ? count - from : 64;
    const __mmask64 keep = n >= 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1;
    const __m512i x = _mm512_maskz_loadu_epi8(keep, data + from);
    *alphanumeric = keep & InRuns<characters::kAlphanumericRuns>(x);
    *lead = keep & InRuns<characters::kSjisLeadRuns>(x);
}
#endif

// The kinds of the data's bytes (segmentation::ByteKinds) word by word as the search reaches
// them, the last two words kept; lead bytes only with Kanji allowed.
struct ByteWords {
    const std::uint8_t* data;
    std::int32_t count;
    bool kanjiAllowed;
    symbol::Path path;
    std::int32_t word[2] = {-1, -1};
    std::uint64_t alphanumeric[2] = {}, lead[2] = {};

    void Get(std::int32_t w, std::uint64_t* a, std::uint64_t* l) {
        const std::int32_t k = w & 1;
        if (word[k] != w) {
            segmentation::ByteKinds(data, count, 64 * w, &alphanumeric[k], &lead[k], path);
            if (!kanjiAllowed) lead[k] = 0;
            word[k] = w;
        }
        *a = alphanumeric[k];
        *l = lead[k];
    }
};

// In text the byte segment goes on through short runs of alphanumeric characters (a space, a
// colon, a few capitals or digits): where only the byte cell is possible in the row before
// byte i, it stays the cheapest way on, and every other cell a dead end, up to the first
// byte where that is not sure. Let b be the byte cell's cost before a run of r alphanumeric
// bytes between bytes only byte mode takes. The byte cell costs b + 8 per byte; any other
// cell at the k-th byte of the run (k from 0) costs at least b + open (the cheaper of
// numeric and alphanumeric) + 3k, as a segment opens from the byte cell and no character
// costs less than 3 bits. So the byte cell continues on every byte of the run and on the
// byte after it whenever 5r < open + open(byte) - 11 (with room left in the byte segment,
// which the caller sees to), and after that byte only the byte cell is possible again.
// With Kanji allowed, lead bytes end the stretch (after a lead byte, or before a run that a
// lead byte follows), so that no Kanji pair starts or ends in it. Returns the end of the
// stretch (at least i + 1). Word by word: the first run longer than `absorbed`, the first run
// that a lead byte or the end of the data follows, the first lead byte after a byte that is
// not alphanumeric.
std::int32_t ByteStretchEnd(ByteWords& words, std::int32_t i, std::int32_t absorbed) {
    const std::int32_t count = words.count;
    std::int32_t w = i >> 6;
    std::uint64_t a, l, nextA, nextL;
    words.Get(w, &a, &l);
    // Byte i is not alphanumeric, so no run reaches back before it.
    bool carry = false;         // byte 64w - 1 is alphanumeric
    std::int32_t runStart = 0;  // where the run that reaches into word w began
    std::uint64_t from = ~std::uint64_t{0} << (i & 63);  // positions looked at in word w
    for (;; ++w) {
        const std::int32_t base = 64 * w;
        nextA = nextL = 0;
        if (base + 64 < count) words.Get(w + 1, &nextA, &nextL);
        const std::uint64_t before = (a << 1) | std::uint64_t{carry};  // byte p - 1 alphanumeric
        const std::uint64_t starts = a & ~before;
        // Bytes p .. p + absorbed all alphanumeric: a run longer than absorbed starts at the
        // first such p that starts a run.
        std::uint64_t longRun = a;
        for (std::int32_t k = 1; k <= absorbed; ++k) longRun &= (a >> k) | (nextA << (64 - k));
        // Past the data: the end of the last run.
        const std::uint64_t past = count - base >= 64  ? 0
                                   : count - base <= 0 ? ~std::uint64_t{0}
                                                       : ~std::uint64_t{0} << (count - base);
        // Byte p ends a run (p - 1 alphanumeric, p not) and is a lead byte or past the data
        // (position 64 of the word too, when the data end there).
        const std::uint64_t badEnd = ~a & before & (l | past) & from;
        const bool lastRunAtEnd = base + 64 == count && (a >> 63) != 0;
        std::int32_t end = count;
        if (const std::uint64_t bits = longRun & starts & from; bits != 0)
            end = base + std::countr_zero(bits);
        if (badEnd != 0 || lastRunAtEnd) {
            const std::int32_t e = badEnd != 0 ? std::countr_zero(badEnd) : 64;
            const std::uint64_t runStarts =
                e == 64 ? starts : starts & ((std::uint64_t{1} << e) - 1);
            const std::int32_t s =
                runStarts != 0 ? base + 63 - std::countl_zero(runStarts) : runStart;
            if (s < end) end = s;
        }
        if (const std::uint64_t bits = l & ~before & from; bits != 0) {
            const std::int32_t q = base + std::countr_zero(bits) + 1;
            if (q < end) end = q;
        }
        if (end < count || base + 64 >= count) return end;
        if (starts != 0) runStart = base + 63 - std::countl_zero(starts);
        carry = (a >> 63) & 1;
        a = nextA;
        l = nextL;
        from = ~std::uint64_t{0};
    }
}

// The search over all rows. With a table (kKeepTable), row i's predecessor modes go to
// table[i]. The last row's cells are copied to last.
template <bool kKeepTable>
void Search(const std::uint8_t* data, std::int32_t count, bool kanjiAllowed, const CostModel& c,
            std::uint8_t* table, Row& last, symbol::Path path) {
    ByteWords words{data, count, kanjiAllowed, path};
    Row rows[3];
    Row* p2 = &rows[2];  // not read for row 1
    Row* p = &rows[0];
    Row* h = &rows[1];
    FillFirstRow(*p, kCharClass[data[0]], c);
    if constexpr (kKeepTable) table[0] = 0;
    bool trail = false;  // byte i-1 (here byte 0) is the trail byte of a two-byte character
    std::int32_t i = 1;
    while (i < count) {
        const std::int32_t charClass = kCharClass[data[i]];
        if (charClass == 1 && SteadyDigits(*p, c)) {
            // Settled: it stays so while digits follow and the numeric segment has room; row
            // i + t needs run + t below the limit.
            const std::int32_t n0 = p->cost[1], r0 = p->run[1];
            const std::int32_t room = c.maxCount[1] - r0;
            const std::int32_t stop = count - i < room ? count : i + room;
            std::int32_t end = i + 1;
            // Eight bytes at a time while all are digits: no byte below '0' (0x30) after
            // taking 0x30 away without borrows from the top bits, none above '9'.
            for (; end + 8 <= stop; end += 8) {
                std::uint64_t word;
                std::memcpy(&word, data + end, 8);
                constexpr std::uint64_t kEach = 0x0101010101010101ull,
                                        kHigh = 0x8080808080808080ull;
                const std::uint64_t low = (word | kHigh) - 0x30 * kEach;    // high bit kept: >= '0'
                const std::uint64_t high = (word & ~kHigh) + 0x46 * kEach;  // high bit set: > '9'
                if (((~low | high | word) & kHigh) != 0) break;
            }
            while (end < stop && kCharClass[data[end]] == 1) ++end;
            if constexpr (kKeepTable) std::memset(table + i, kSteadyDigitFrom, end - i);
            // Only the last two rows are read again.
            const std::int32_t length = end - i;
            if (length >= 2)
                SteadyDigitRow(*p2, n0, r0, length - 2, c);
            else
                std::swap(p2, p);
            SteadyDigitRow(*p, n0, r0, length - 1, c);
            i = end;
            trail = false;  // a digit is a character of its own
            continue;
        }
        if (charClass == 0 && p->cost[1] == InfeasibleCost && p->cost[2] == InfeasibleCost &&
            p->cost[3] == InfeasibleCost && !(kanjiAllowed && (kSjisByte[data[i - 1]] & 1))) {
            // Only the byte cell is possible in the row before and here (no Kanji pair ends
            // here: the byte before is no lead byte): the byte segment goes on.
            const std::int32_t first = i, run0 = p->run[0];
            if (run0 + (count - i) < c.maxCount[0]) {
                // The segment cannot fill up.
                i = ByteStretchEnd(words, i, c.absorbed);
            } else {
                // One byte at a time while only byte mode can take them; a full segment
                // ends and a new one opens.
                std::int32_t b = p->cost[0], run = run0, b2 = 0, run2 = 0;
                do {
                    b2 = b;
                    run2 = run;
                    if (run < c.maxCount[0]) {
                        b += 8;
                        ++run;
                    } else {
                        b += c.open[0];
                        run = 1;
                    }
                    ++i;
                } while (i < count && kCharClass[data[i]] == 0 &&
                         !(kanjiAllowed && (kSjisByte[data[i - 1]] & 1)));
                *p2 = *p;
                if (i - first >= 2) {
                    p2->cost[0] = b2;
                    p2->run[0] = run2;
                }
                p->cost[0] = b;
                p->run[0] = run;
                if constexpr (kKeepTable) std::memset(table + first, 0, i - first);
                trail = false;
                continue;
            }
            const std::int32_t length = i - first;
            if constexpr (kKeepTable) std::memset(table + first, 0, length);
            *p2 = *p;
            if (length >= 2) {
                p2->cost[0] = p->cost[0] + 8 * (length - 1);
                p2->run[0] = run0 + length - 1;
            }
            p->cost[0] += 8 * length;
            p->run[0] = run0 + length;
            trail = false;
            continue;
        }
        trail = kanjiAllowed && TrailByte(data, i, trail);
        const bool kanji = trail && KanjiPair(data[i - 1], data[i]);
        const std::uint32_t from = FillRow(*h, *p, i >= 2 ? p2 : nullptr, charClass, kanji, c);
        if constexpr (kKeepTable) table[i] = static_cast<std::uint8_t>(from);
        Row* const done = p2;
        p2 = p;
        p = h;
        h = done;
        ++i;
    }
    last = *p;
}

// The cheapest cell of the last row, ties to the lowest mode number.
std::int32_t FinalMode(const Row& last) {
    std::int32_t best = 0;
    for (std::int32_t m = 1; m < modefacts::kModeCount; ++m)
        if (last.cost[m] < last.cost[best]) best = m;
    return best;
}

}  // namespace

namespace segmentation {

void ByteKinds(const std::uint8_t* data, std::int32_t count, std::int32_t from,
               std::uint64_t* alphanumeric, std::uint64_t* lead, symbol::Path path) {
#if defined(__x86_64__)
    if (path == symbol::Path::Vector) return ByteKindsVector(data, count, from, alphanumeric, lead);
#else
    (void)path;
#endif
    ByteKindsPortable(data, count, from, alphanumeric, lead);
}

std::int32_t MeasureBits(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                         bool kanjiAllowed, symbol::Path path) {
    const CostModel costs(version);
    Row last;
    Search<false>(data, count, kanjiAllowed, costs, nullptr, last, path);
    return last.cost[FinalMode(last)];
}

std::int32_t SearchWithTable(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                             bool kanjiAllowed, std::uint8_t* table, std::int32_t* lastMode,
                             symbol::Path path) {
    const CostModel costs(version);
    Row last;
    Search<true>(data, count, kanjiAllowed, costs, table, last, path);
    *lastMode = FinalMode(last);
    return last.cost[*lastMode];
}

}  // namespace segmentation
