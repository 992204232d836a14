// The data bit stream: each chosen segment as its mode indicator, character count and data
// bits, most significant bit first, one bit per byte of the buffer; then the terminator.

#include <array>
#include <new>
#include <vector>

#include "BitPack.h"
#include "ModeFacts.h"
#include "Segmentation.h"

namespace {

constexpr auto kAlphanumericValue = [] {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 45; ++v)
        table[static_cast<std::uint8_t>(modefacts::kAlphanumericCharset[v])] = v;
    return table;
}();

// The standard's rule: subtract 0x8140 (leads 0x81-0x9F) or 0xC140 (leads 0xE0-0xEB), then
// most significant byte times 0xC0 plus least significant byte.
std::int32_t KanjiValue(std::uint8_t lead, std::uint8_t trail) {
    const std::int32_t base = lead <= 0x9F ? 0x81 : 0xC1;
    return (lead - base) * 0xC0 + (trail - 0x40);
}

// Puts fields into a bit buffer that ends at end: 16 entries at a time (two table look-ups)
// while 16 more entries are the stream's own, bit by bit near the end.
class BitWriter {
  public:
    BitWriter(std::uint8_t* bits, std::int32_t position, std::int32_t end)
        : bits_(bits), position_(position), end_(end) {}
    std::int32_t Position() const { return position_; }

    // The low width (<= 16) bits of value, most significant first.
    void Put(std::int32_t value, std::int32_t width) {
        if (position_ + 16 <= end_) {
            const std::uint32_t aligned = static_cast<std::uint32_t>(value) << (16 - width);
            bitpack::SpreadByte(bits_ + position_, static_cast<std::uint8_t>(aligned >> 8));
            bitpack::SpreadByte(bits_ + position_ + 8, static_cast<std::uint8_t>(aligned));
            position_ += width;
        } else {
            for (std::int32_t k = width - 1; k >= 0; --k) bits_[position_++] = (value >> k) & 1;
        }
    }

  private:
    std::uint8_t* bits_;
    std::int32_t position_;
    std::int32_t end_;
};

}  // namespace

std::int32_t clsQRCode::GetAlphanumericValue(std::uint8_t byte) {
    return kAlphanumericValue[byte];
}

namespace segmentation {

std::int32_t WriteSegments(std::uint8_t* bits, std::int32_t position, std::int32_t end,
                           const std::uint8_t* data, const std::vector<Segment>& segments,
                           std::int32_t version) {
    BitWriter out(bits, position, end);
    for (const Segment& segment : segments) {
        const std::int32_t m = segment.mode, n = segment.characters;
        out.Put(modefacts::kIndicator[m], modefacts::kIndicatorBits);
        out.Put(n, modefacts::CountWidth(m, version));
        const std::uint8_t* d = data + segment.start;
        std::int32_t k = 0;
        switch (m) {
            case clsQRCode::ModeByte:
                for (; k < n; ++k) out.Put(d[k], 8);
                break;
            case clsQRCode::ModeNumeric:
                for (; k + 3 <= n; k += 3)
                    out.Put((d[k] & 0x0F) * 100 + (d[k + 1] & 0x0F) * 10 + (d[k + 2] & 0x0F), 10);
                if (n - k == 1) out.Put(d[k] & 0x0F, 4);
                if (n - k == 2) out.Put((d[k] & 0x0F) * 10 + (d[k + 1] & 0x0F), 7);
                break;
            case clsQRCode::ModeAlphanumeric:
                for (; k + 2 <= n; k += 2)
                    out.Put(kAlphanumericValue[d[k]] * 45 + kAlphanumericValue[d[k + 1]], 11);
                if (k < n) out.Put(kAlphanumericValue[d[k]], 6);
                break;
            default:
                for (; k < n; ++k) out.Put(KanjiValue(d[2 * k], d[2 * k + 1]), 13);
                break;
        }
    }
    return out.Position();
}

std::int32_t WriteEci(std::uint8_t* bits, std::int32_t designator) {
    if (designator == 0) return 0;
    const std::int32_t width = modefacts::EciDesignatorBits(designator);
    // The length prefix (0, 10 or 110) sits above the designator's own bits.
    const std::int32_t prefix = width == 8 ? 0 : width == 16 ? 0b10 << 14 : 0b110 << 21;
    std::int32_t position = 0;
    auto put = [&](std::int32_t value, std::int32_t count) {
        for (std::int32_t k = count - 1; k >= 0; --k) bits[position++] = (value >> k) & 1;
    };
    put(modefacts::kEciIndicator, modefacts::kIndicatorBits);
    put(prefix | designator, width);
    return position;
}

}  // namespace segmentation

std::int32_t clsQRCode::BuildBitStream(std::uint8_t* bitBuffer, std::int32_t bufferSize,
                                       const std::uint8_t* data, std::int32_t count,
                                       std::int32_t version, bool measureOnly,
                                       bool kanjiAllowed) const {
    constexpr std::int32_t kTerminator = modefacts::kTerminatorBits;
    if (count <= 0 || data == nullptr) {
        // The terminator alone, in either mode.
        if (bitBuffer != nullptr && bufferSize >= kTerminator)
            for (std::int32_t k = 0; k < kTerminator; ++k) bitBuffer[k] = 0;
        return kTerminator;
    }
    if (measureOnly)
        return segmentation::MeasureBits(data, count, version, kanjiAllowed) + kTerminator;

    std::vector<segmentation::Segment> segments;
    std::int32_t bits;
    try {
        bits = segmentation::ChooseSegments(data, count, version, kanjiAllowed, segments);
    } catch (const std::bad_alloc&) {
        return 0;  // no stream: nothing is written
    }
    const std::int32_t bitCount = bits + kTerminator;
    // A stream the buffer cannot hold is not written: the caller sees it cannot fit.
    if (bitBuffer == nullptr || bitCount > bufferSize) return bitCount;
    const std::int32_t end =
        segmentation::WriteSegments(bitBuffer, 0, bits, data, segments, version);
    for (std::int32_t k = 0; k < kTerminator; ++k) bitBuffer[end + k] = 0;
    return end + kTerminator;
}
