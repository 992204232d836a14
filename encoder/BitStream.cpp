// Segmentation of the data into numeric, alphanumeric, byte and Kanji segments by a
// cheapest-bit-stream search, and the data bit stream it gives.

#include <vector>

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

// Writes the low width bits of value, most significant first.
void WriteBits(std::uint8_t* bits, std::int32_t& position, std::int32_t value, std::int32_t width) {
    for (std::int32_t k = width - 1; k >= 0; --k) bits[position++] = (value >> k) & 1;
}

std::int32_t KanjiValue(std::uint8_t lead, std::uint8_t trail) {
    const std::int32_t base = lead <= 0x9F ? 0x81 : 0xC1;
    return (lead - base) * 0xC0 + (trail - 0x40);
}

}  // namespace

std::int32_t clsQRCode::GetCharClass(std::uint8_t byte) {
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

std::int32_t clsQRCode::GetAlphanumericValue(std::uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - 0x30;
    if (byte >= 'A' && byte <= 'Z') return byte - 0x37;
    switch (byte) {
        case ' ':
            return 36;
        case '$':
            return 37;
        case '%':
            return 38;
        case '*':
            return 39;
        case '+':
            return 40;
        case '-':
            return 41;
        case '.':
            return 42;
        case '/':
            return 43;
        case ':':
            return 44;
        default:
            return 0;
    }
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
    std::int32_t openCost[kModeCount];
    for (std::int32_t m = 0; m < kModeCount; ++m) {
        maxCount[m] = (1 << width[m]) - 1;
        openCost[m] = 4 + width[m] + kCharBits[m];
    }

    // Row i, column m: cheapest stream for bytes 0..i whose last segment is mode m.
    std::vector<SegmentCell> table(static_cast<std::size_t>(count) * kModeCount);
    auto cell = [&](std::int32_t row, std::int32_t mode) -> SegmentCell& {
        return table[static_cast<std::size_t>(row) * kModeCount + mode];
    };
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t charClass = GetCharClass(data[i]);
        const bool possible[kModeCount] = {
            true, charClass == 1, charClass != 0,
            kanjiAllowed && i >= 1 && IsKanjiPair(data[i - 1], data[i])};
        for (std::int32_t m = 0; m < kModeCount; ++m) {
            SegmentCell& here = cell(i, m);
            if (!possible[m]) {
                here = {0, InfeasibleCost, 0};
                continue;
            }
            const std::int32_t p = i - (m == ModeKanji ? 2 : 1);  // row before this character
            if (p < 0) {
                here = {-1, openCost[m], 1};
                continue;
            }
            std::int32_t best = 0x7FFFFFFF, bestMode = 0, bestRun = 1;
            // Candidates in mode order, taken only when strictly cheaper: ties go to the
            // lowest predecessor mode, even over continuing the current segment.
            for (std::int32_t j = 0; j < kModeCount; ++j) {
                const SegmentCell& before = cell(p, j);
                const bool continues = j == m && before.runLength < maxCount[m];
                const std::int32_t candidate =
                    before.cost + (continues ? ContinuingCost(m, before.runLength) : openCost[m]);
                if (candidate < best) {
                    best = candidate;
                    bestMode = j;
                    bestRun = continues ? before.runLength + 1 : 1;
                }
            }
            here = {bestMode, best, bestRun};
        }
    }

    std::int32_t finalMode = 0;
    for (std::int32_t m = 1; m < kModeCount; ++m)
        if (cell(count - 1, m).cost < cell(count - 1, finalMode).cost) finalMode = m;
    const std::int32_t bitCount = cell(count - 1, finalMode).cost + kTerminator;
    if (measureOnly) return bitCount;
    // A stream the buffer cannot hold is not written: the caller sees it cannot fit.
    if (bitBuffer == nullptr || bitCount > bufferSize) return bitCount;

    // Back-track the chosen path; both bytes of a Kanji character carry the Kanji mode.
    std::vector<std::uint8_t> byteModes(static_cast<std::size_t>(count));
    for (std::int32_t i = count - 1, m = finalMode; i >= 0;) {
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
    table = {};
    maxCount[ModeKanji] *= 2;  // now in bytes

    std::int32_t position = 0;
    for (std::int32_t s = 0; s < count;) {
        const std::int32_t m = byteModes[s];
        std::int32_t n = 1;
        while (s + n < count && byteModes[s + n] == m && n < maxCount[m]) ++n;

        WriteBits(bitBuffer, position, kIndicator[m], 4);
        WriteBits(bitBuffer, position, m == ModeKanji ? n / 2 : n, width[m]);
        const std::uint8_t* segment = data + s;
        switch (m) {
            case ModeByte:
                for (std::int32_t k = 0; k < n; ++k) WriteBits(bitBuffer, position, segment[k], 8);
                break;
            case ModeNumeric: {
                std::int32_t k = 0;
                for (; k + 3 <= n; k += 3)
                    WriteBits(bitBuffer, position,
                              (segment[k] & 0x0F) * 100 + (segment[k + 1] & 0x0F) * 10 +
                                  (segment[k + 2] & 0x0F),
                              10);
                if (n - k == 1) WriteBits(bitBuffer, position, segment[k] & 0x0F, 4);
                if (n - k == 2)
                    WriteBits(bitBuffer, position,
                              (segment[k] & 0x0F) * 10 + (segment[k + 1] & 0x0F), 7);
                break;
            }
            case ModeAlphanumeric: {
                std::int32_t k = 0;
                for (; k + 2 <= n; k += 2)
                    WriteBits(bitBuffer, position,
                              GetAlphanumericValue(segment[k]) * 45 +
                                  GetAlphanumericValue(segment[k + 1]),
                              11);
                if (k < n) WriteBits(bitBuffer, position, GetAlphanumericValue(segment[k]), 6);
                break;
            }
            default:
                for (std::int32_t k = 0; k + 1 < n; k += 2)
                    WriteBits(bitBuffer, position, KanjiValue(segment[k], segment[k + 1]), 13);
                break;
        }
        s += n;
    }
    WriteBits(bitBuffer, position, 0, kTerminator);
    return position;
}
