#pragma once
// The data bit stream from the outside: a reader written from the standard's description
// (not from the encoder) that takes a stream apart into its segments and the bytes they
// stand for, and the stream's length against a symbol's capacity. Mode indicators and count
// widths come from the encoder's mode facts; the known streams of KnownAnswers.h pin them.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ModeFacts.h"
#include "encoder/clsQRCode.h"
#include "support/Bytes.h"
#include "support/KnownAnswers.h"

namespace qrtest {

// The stream measured (without a buffer) and written for the same input.
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
    s.measured = qr.BuildBitStream(nullptr, 0, data.data(), count, version, true, kanjiAllowed);
    s.written = qr.BuildBitStream(buffer.data(), clsQRCode::BitBufferSize, data.data(), count,
                                  version, false, kanjiAllowed);
    if (s.written > 0 && s.written <= clsQRCode::BitBufferSize)
        s.bits.assign(buffer.begin(), buffer.begin() + s.written);
    return s;
}

struct Segment {
    int indicator = 0;  // 1 numeric, 2 alphanumeric, 4 byte, 8 Kanji
    clsQRCode::Mode mode = clsQRCode::ModeByte;
    int count = 0;  // characters, as in the count field
    Bytes bytes;    // the bytes the segment stands for (Kanji back in Shift JIS)
};

struct ParsedStream {
    bool ok = false;  // well formed and ended by a 4-bit terminator at the very end
    std::vector<Segment> segments;
    Bytes data;  // all segments' bytes in order
};

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
    auto push = [](Segment& seg, char c) { seg.bytes.push_back(static_cast<std::uint8_t>(c)); };
    while (!overrun) {
        const int indicator = read(modefacts::kIndicatorBits);
        if (overrun) return out;
        if (indicator == 0) {
            out.ok = pos == bits.size();
            return out;
        }
        const auto* known = std::find(std::begin(modefacts::kIndicator),
                                      std::end(modefacts::kIndicator), indicator);
        if (known == std::end(modefacts::kIndicator)) return out;
        const auto mode = static_cast<clsQRCode::Mode>(known - std::begin(modefacts::kIndicator));
        Segment seg{indicator, mode, read(modefacts::CountWidth(mode, version)), {}};
        if (mode == clsQRCode::ModeNumeric) {
            for (int left = seg.count; left > 0; left -= 3) {
                const int digits = std::min(left, 3);
                const int value = read(digits == 3 ? 10 : (digits == 2 ? 7 : 4));
                const std::string text = std::to_string(value + (digits == 3 ? 1000 : 100));
                for (int d = 0; d < digits; ++d) push(seg, text[text.size() - digits + d]);
            }
        } else if (mode == clsQRCode::ModeAlphanumeric) {
            for (int left = seg.count; left > 0; left -= 2) {
                if (left >= 2) {
                    const int value = read(11);
                    push(seg, kAlphanumericCharset[(value / 45) % 45]);
                    push(seg, kAlphanumericCharset[value % 45]);
                } else {
                    push(seg, kAlphanumericCharset[read(6) % 45]);
                }
            }
        } else if (mode == clsQRCode::ModeByte) {
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

// The segments as (mode, characters).
inline Layout LayoutOf(const ParsedStream& parsed) {
    Layout out;
    for (const auto& s : parsed.segments) out.emplace_back(s.mode, s.count);
    return out;
}

// Whether the first `length` bytes of data fit (version, level): the stream without its
// terminator within the data capacity.
inline bool Fits(const clsQRCode& qr, const Bytes& data, std::size_t length, int version,
                 int level) {
    const std::int32_t bits = qr.BuildBitStream(nullptr, 0, data.data(),
                                                static_cast<std::int32_t>(length), version, true);
    return bits - modefacts::kTerminatorBits <= 8 * qr.GetDataCodewordCount(version, level);
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
