#pragma once
// Helpers shared by the encoder suites: byte and bit strings, and readers written from the
// standard's description (not from the encoder) that take a data bit stream or a finished
// symbol apart again, so tests can check the encoder's output at the bit and codeword level.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoder/clsQRCode.h"
#include "render/Picture.h"

namespace qrtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromText(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// "93 5F e4" -> {0x93, 0x5F, 0xE4}
inline Bytes FromHex(std::string_view hex) {
    Bytes out;
    std::string digits;
    for (char c : hex)
        if (c != ' ') digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string WithoutSpaces(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

inline std::string BitsToString(const std::vector<std::uint8_t>& bits) {
    std::string out;
    for (std::uint8_t b : bits) out += b == 0 ? '0' : (b == 1 ? '1' : '?');
    return out;
}

// The stream measured and written for the same input.
struct Stream {
    std::int32_t measured = 0;
    std::int32_t written = 0;
    std::vector<std::uint8_t> bits;  // the first `written` entries of the write buffer
};

inline Stream BuildBoth(const clsQRCode& qr, const Bytes& data, std::int32_t version,
                        bool kanjiAllowed = true) {
    Stream s;
    std::vector<std::uint8_t> buffer(clsQRCode::BitBufferSize, 0);
    const auto count = static_cast<std::int32_t>(data.size());
    s.measured = qr.BuildBitStream(buffer.data(), clsQRCode::BitBufferSize, data.data(), count,
                                   version, true, kanjiAllowed);
    s.written = qr.BuildBitStream(buffer.data(), clsQRCode::BitBufferSize, data.data(), count,
                                  version, false, kanjiAllowed);
    if (s.written > 0 && s.written <= clsQRCode::BitBufferSize)
        s.bits.assign(buffer.begin(), buffer.begin() + s.written);
    return s;
}

// ---- Data bit stream reader (mode indicators as in the standard: 1 numeric, 2 alphanumeric,
// 4 byte, 8 Kanji; 0 is the terminator).

struct Segment {
    int indicator = 0;
    int count = 0;  // characters, as in the count field
    Bytes bytes;    // the bytes the segment stands for (Kanji back in Shift JIS)
};

struct ParsedStream {
    bool ok = false;  // well formed and ended by a 4-bit terminator at the very end
    std::vector<Segment> segments;
    Bytes data;  // all segments' bytes in order
};

inline int CountWidth(int indicator, int version) {
    static constexpr int kWidths[4][3] = {{10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12}};
    const int cls = version < 10 ? 0 : (version <= 26 ? 1 : 2);
    const int row = indicator == 1 ? 0 : (indicator == 2 ? 1 : (indicator == 4 ? 2 : 3));
    return kWidths[row][cls];
}

inline ParsedStream ParseStream(const std::vector<std::uint8_t>& bits, int version) {
    ParsedStream out;
    std::size_t pos = 0;
    bool overrun = false;
    auto read = [&](int width) {
        int value = 0;
        for (int k = 0; k < width; ++k) {
            if (pos >= bits.size()) {
                overrun = true;
                return 0;
            }
            if (bits[pos] > 1) overrun = true;  // not a bit: the stream is malformed
            value = (value << 1) | (bits[pos++] & 1);
        }
        return value;
    };
    static const char kAlphanumeric[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    while (!overrun) {
        const int indicator = read(4);
        if (overrun) return out;
        if (indicator == 0) {
            out.ok = pos == bits.size();
            return out;
        }
        if (indicator != 1 && indicator != 2 && indicator != 4 && indicator != 8) return out;
        Segment seg{indicator, read(CountWidth(indicator, version)), {}};
        if (indicator == 1) {
            for (int left = seg.count; left > 0; left -= 3) {
                const int digits = left >= 3 ? 3 : left;
                const int value = read(digits == 3 ? 10 : (digits == 2 ? 7 : 4));
                const std::string text = std::to_string(value + (digits == 3 ? 1000 : 100));
                for (int d = 0; d < digits; ++d)
                    seg.bytes.push_back(static_cast<std::uint8_t>(text[text.size() - digits + d]));
            }
        } else if (indicator == 2) {
            for (int left = seg.count; left > 0; left -= 2) {
                if (left >= 2) {
                    const int value = read(11);
                    seg.bytes.push_back(
                        static_cast<std::uint8_t>(kAlphanumeric[(value / 45) % 45]));
                    seg.bytes.push_back(static_cast<std::uint8_t>(kAlphanumeric[value % 45]));
                } else {
                    seg.bytes.push_back(static_cast<std::uint8_t>(kAlphanumeric[read(6) % 45]));
                }
            }
        } else if (indicator == 4) {
            for (int k = 0; k < seg.count; ++k)
                seg.bytes.push_back(static_cast<std::uint8_t>(read(8)));
        } else {
            for (int k = 0; k < seg.count; ++k) {
                const int value = read(13);
                const int packed = (value / 0xC0) << 8 | (value % 0xC0);
                const int sjis = packed + (packed < 0x1F00 ? 0x8140 : 0xC140);
                seg.bytes.push_back(static_cast<std::uint8_t>(sjis >> 8));
                seg.bytes.push_back(static_cast<std::uint8_t>(sjis & 0xFF));
            }
        }
        if (overrun) return out;
        out.data.insert(out.data.end(), seg.bytes.begin(), seg.bytes.end());
        out.segments.push_back(std::move(seg));
    }
    return out;
}

// ---- Finished symbols.

// The module grid of an encoder picture: 1 dark, 0 light, read at (4 + x, 4 + y).
struct Symbol {
    int version = 0;
    int size = 0;
    std::vector<std::uint8_t> modules;
    int At(int x, int y) const { return modules[static_cast<std::size_t>(y) * size + x]; }
};

inline Symbol ReadSymbol(const Picture& picture) {
    Symbol s;
    s.size = picture.Width() - 8;
    s.version = (s.size - 17) / 4;
    s.modules.resize(static_cast<std::size_t>(s.size) * s.size);
    for (int y = 0; y < s.size; ++y)
        for (int x = 0; x < s.size; ++x)
            s.modules[static_cast<std::size_t>(y) * s.size + x] =
                picture.Pixel(4 + x, 4 + y) == 0x000000 ? 1 : 0;
    return s;
}

// The mask conditions of the standard, i = row, j = column.
inline bool MaskInverts(int mask, int i, int j) {
    switch (mask) {
        case 0:
            return (i + j) % 2 == 0;
        case 1:
            return i % 2 == 0;
        case 2:
            return j % 3 == 0;
        case 3:
            return (i + j) % 3 == 0;
        case 4:
            return (i / 2 + j / 3) % 2 == 0;
        case 5:
            return (i * j) % 2 + (i * j) % 3 == 0;
        case 6:
            return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
        default:
            return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
    }
}

// The free cells of a version in the standard's placement order: two-module columns from
// the right edge, alternately upward and downward, right module before left, skipping the
// vertical timing column. Which cells are free comes from DrawFunctionPatterns.
inline std::vector<std::pair<int, int>> PlacementOrder(const clsQRCode& qr, int version) {
    const int n = qr.GetSymbolSize(version), stride = n + 3;
    std::vector<std::uint8_t> matrix(static_cast<std::size_t>(stride) * stride, 0);
    qr.DrawFunctionPatterns(matrix.data(), stride, version);
    std::vector<std::pair<int, int>> cells;
    bool upward = true;
    for (int right = n - 1; right > 0; right -= 2) {
        if (right == 6) right = 5;
        for (int step = 0; step < n; ++step) {
            const int y = upward ? n - 1 - step : step;
            for (int x : {right, right - 1})
                if (matrix[static_cast<std::size_t>(y) * stride + x] == 0) cells.emplace_back(x, y);
        }
        upward = !upward;
    }
    return cells;
}

// All codewords of a symbol, unmasked, in transmission order (remainder bits dropped).
inline Bytes ReadCodewords(const clsQRCode& qr, const Symbol& symbol, int mask) {
    const auto order = PlacementOrder(qr, symbol.version);
    const int total = qr.GetTotalCodewordCount(symbol.version);
    Bytes out(static_cast<std::size_t>(total), 0);
    for (int bit = 0; bit < 8 * total; ++bit) {
        const auto [x, y] = order[static_cast<std::size_t>(bit)];
        const int value = symbol.At(x, y) ^ (MaskInverts(mask, y, x) ? 1 : 0);
        out[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(value << (7 - bit % 8));
    }
    return out;
}

// Data codewords as the standard finishes them: the stream cut at the capacity, zero bits to
// a codeword boundary, then 0xEC and 0x11 alternately.
inline Bytes FinishDataCodewords(const std::vector<std::uint8_t>& streamBits, int dataCodewords) {
    Bytes out;
    std::size_t limit = std::min<std::size_t>(streamBits.size(), 8u * dataCodewords);
    for (std::size_t i = 0; i < limit; i += 8) {
        int value = 0;
        for (std::size_t k = 0; k < 8; ++k)
            value = (value << 1) | (i + k < limit ? streamBits[i + k] : 0);
        out.push_back(static_cast<std::uint8_t>(value));
    }
    for (bool ec = true; out.size() < static_cast<std::size_t>(dataCodewords); ec = !ec)
        out.push_back(ec ? 0xEC : 0x11);
    return out;
}

// Splits an interleaved codeword sequence into blocks: blocks*ec error-correction codewords
// at the end, the data round-robin over the blocks, shorter blocks first.
struct Blocks {
    std::vector<Bytes> data;
    std::vector<Bytes> ec;
};

inline Blocks Deinterleave(const Bytes& codewords, int blocks, int ecPerBlock) {
    const int dataCount = static_cast<int>(codewords.size()) - blocks * ecPerBlock;
    const int shortLength = dataCount / blocks;
    const int longBlocks = dataCount % blocks;
    Blocks out{std::vector<Bytes>(blocks), std::vector<Bytes>(blocks)};
    std::size_t pos = 0;
    for (int round = 0; round <= shortLength; ++round)
        for (int b = 0; b < blocks; ++b) {
            const int length = b < blocks - longBlocks ? shortLength : shortLength + 1;
            if (round < length) out.data[b].push_back(codewords[pos++]);
        }
    for (int k = 0; k < ecPerBlock; ++k)
        for (int b = 0; b < blocks; ++b) out.ec[b].push_back(codewords[pos++]);
    return out;
}

// ---- Test content.

enum class Content { Numeric, Alphanumeric, Byte, Mixed };

// Deterministic content of the given kind. Byte content covers every byte value, NUL included;
// mixed content interleaves runs of digits, alphanumerics, lower-case text and Shift JIS Kanji.
inline Bytes MakeContent(Content kind, std::size_t length, std::uint32_t seed) {
    static const std::string kAlnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    Bytes out;
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    while (out.size() < length) {
        switch (kind) {
            case Content::Numeric:
                out.push_back(static_cast<std::uint8_t>('0' + next() % 10));
                break;
            case Content::Alphanumeric:
                out.push_back(static_cast<std::uint8_t>(kAlnum[next() % kAlnum.size()]));
                break;
            case Content::Byte:
                out.push_back(static_cast<std::uint8_t>(next() % 256));
                break;
            case Content::Mixed: {
                const std::uint32_t run = 1 + next() % 12, pick = next() % 4;
                for (std::uint32_t k = 0; k < run; ++k) {
                    if (pick == 0) out.push_back(static_cast<std::uint8_t>('0' + next() % 10));
                    if (pick == 1) out.push_back(static_cast<std::uint8_t>(kAlnum[next() % 45]));
                    if (pick == 2) out.push_back(static_cast<std::uint8_t>('a' + next() % 26));
                    if (pick == 3) {
                        out.push_back(static_cast<std::uint8_t>(0x88 + next() % 8));
                        out.push_back(static_cast<std::uint8_t>(0x40 + next() % 0x3F));
                    }
                }
                break;
            }
        }
    }
    out.resize(length);
    return out;
}

// Whether the first `length` bytes of data fit (version, level): the stream without its
// terminator within the data capacity.
inline bool Fits(const clsQRCode& qr, const Bytes& data, std::size_t length, int version,
                 int level) {
    const std::int32_t bits = qr.BuildBitStream(nullptr, 0, data.data(),
                                                static_cast<std::int32_t>(length), version, true);
    return bits - 4 <= 8 * qr.GetDataCodewordCount(version, level);
}

// The largest prefix length of data that fits while one byte more does not (data must be
// longer than anything that fits).
inline std::size_t LargestFittingLength(const clsQRCode& qr, const Bytes& data, int version,
                                        int level) {
    std::size_t low = 0, high = data.size();  // Fits(low); not Fits(high)
    while (high - low > 1) {
        const std::size_t mid = (low + high) / 2;
        (Fits(qr, data, mid, version, level) ? low : high) = mid;
    }
    // Stream lengths are not strictly monotone in the prefix length (a Kanji pair can be
    // cheaper than its lead byte alone), so settle on a length whose successor fails.
    while (low + 1 < data.size() && Fits(qr, data, low + 1, version, level)) ++low;
    return low;
}

}  // namespace qrtest
