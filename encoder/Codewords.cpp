// The data codewords: the segments' stream packed eight bits to a byte, the terminator and
// the padding.

#include <array>
#include <cstring>

#include "BigEndian.h"
#include "ModeFacts.h"
#include "Symbol.h"

namespace {

// ---- The packed writer.

// Fields most significant bit first; whole 32-bit words go out as they fill.
class PackedWriter {
  public:
    explicit PackedWriter(std::uint8_t* out) : out_(out) {}
    // The low width (<= 32) bits of value, the bits above them zero.
    void Put(std::uint32_t value, std::int32_t width) {
        acc_ = (acc_ << width) | value;
        pending_ += width;
        if (pending_ >= 32) {
            pending_ -= 32;
            bigendian::Store32(out_ + bytes_, static_cast<std::uint32_t>(acc_ >> pending_));
            bytes_ += 4;
        }
    }
    std::int32_t Bits() const { return 8 * bytes_ + pending_; }
    // Writes what is pending followed by zeros: 8 bytes from the next byte on.
    void FlushWithZeros() {
        const std::uint64_t rest = pending_ == 0 ? 0 : acc_ << (64 - pending_);
        bigendian::Store64(out_ + bytes_, rest);
    }

  private:
    std::uint8_t* out_;
    std::uint64_t acc_ = 0;
    std::int32_t pending_ = 0;
    std::int32_t bytes_ = 0;
};

constexpr auto kAlphanumericValue = [] {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 45; ++v)
        table[static_cast<std::uint8_t>(modefacts::kAlphanumericCharset[v])] = v;
    return table;
}();

}  // namespace

std::int32_t clsQRCode::GetAlphanumericValue(std::uint8_t byte) {
    return kAlphanumericValue[byte];
}

namespace symbol {

std::int32_t WriteStream(std::uint8_t* out, std::int32_t eci, const std::uint8_t* data,
                         const segmentation::Segment* segments, std::int32_t segmentCount,
                         std::int32_t version) {
    PackedWriter w(out);
    if (eci != 0) {
        const std::int32_t width = modefacts::EciDesignatorBits(eci);
        // The length prefix (0, 10 or 110) sits above the designator's own bits.
        const std::int32_t prefix = width == 8 ? 0 : width == 16 ? 0b10 << 14 : 0b110 << 21;
        w.Put(modefacts::kEciIndicator, modefacts::kIndicatorBits);
        w.Put(static_cast<std::uint32_t>(prefix | eci), width);
    }
    for (std::int32_t s = 0; s < segmentCount; ++s) {
        const segmentation::Segment& segment = segments[s];
        const std::int32_t m = segment.mode, n = segment.characters;
        w.Put(static_cast<std::uint32_t>(modefacts::kIndicator[m]), modefacts::kIndicatorBits);
        w.Put(static_cast<std::uint32_t>(n), modefacts::CountWidth(m, version));
        const std::uint8_t* d = data + segment.start;
        std::int32_t k = 0;
        switch (m) {
            case clsQRCode::ModeByte:
                for (; k + 4 <= n; k += 4) w.Put(bigendian::Load32(d + k), 32);
                for (; k < n; ++k) w.Put(d[k], 8);
                break;
            case clsQRCode::ModeNumeric: {
                auto digit = [&](std::int32_t i) { return static_cast<std::uint32_t>(d[i] - '0'); };
                auto group = [&](std::int32_t i) {
                    return digit(i) * 100 + digit(i + 1) * 10 + digit(i + 2);
                };
                for (; k + 9 <= n; k += 9)  // three groups of 10 bits at once
                    w.Put(group(k) << 20 | group(k + 3) << 10 | group(k + 6), 30);
                for (; k + 3 <= n; k += 3) w.Put(group(k), 10);
                if (n - k == 1) w.Put(digit(k), 4);
                if (n - k == 2) w.Put(digit(k) * 10 + digit(k + 1), 7);
                break;
            }
            case clsQRCode::ModeAlphanumeric:
                for (; k + 2 <= n; k += 2)
                    w.Put(kAlphanumericValue[d[k]] * 45u + kAlphanumericValue[d[k + 1]], 11);
                if (k < n) w.Put(kAlphanumericValue[d[k]], 6);
                break;
            default:
                for (; k < n; ++k) {
                    const std::uint8_t lead = d[2 * k], trail = d[2 * k + 1];
                    const std::int32_t base = lead <= 0x9F ? 0x81 : 0xC1;
                    w.Put(static_cast<std::uint32_t>((lead - base) * 0xC0 + (trail - 0x40)), 13);
                }
                break;
        }
    }
    w.FlushWithZeros();
    return w.Bits();
}

void WriteDataCodewords(std::uint8_t* out, std::int32_t dataCodewords, std::int32_t eci,
                        const std::uint8_t* data, const segmentation::Segment* segments,
                        std::int32_t segmentCount, std::int32_t version) {
    const std::int32_t written = WriteStream(out, eci, data, segments, segmentCount, version);
    // Terminator and zero bits to the byte boundary (cut at the capacity; the stream is
    // followed by zeros), then the pad codewords 0xEC, 0x11 alternately.
    std::int32_t c = (written + modefacts::kTerminatorBits + 7) / 8;
    for (std::int32_t pad = 0; c < dataCodewords; ++c, pad ^= 1) out[c] = pad == 0 ? 0xEC : 0x11;
}

}  // namespace symbol
