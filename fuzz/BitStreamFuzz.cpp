// BuildBitStream with arbitrary bytes: measuring and writing agree on the length and with
// the plain reference search bit for bit, nothing is written at or past the buffer's end,
// the stream parses back into segments that cover the data exactly, and with Kanji not
// allowed no Kanji segment appears.

#include <cstdlib>
#include <vector>

#include "encoder/clsQRCode.h"
#include "FuzzInput.h"
#include "support/ReferenceSegmentation.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::int32_t Read(const std::uint8_t* bits, std::int32_t& position, std::int32_t width) {
    std::int32_t value = 0;
    for (std::int32_t k = 0; k < width; ++k) value = value << 1 | bits[position++];
    return value;
}

// Walks the segments; returns the number of data bytes they carry.
std::int32_t ParseSegments(const std::uint8_t* bits, std::int32_t bitCount, std::int32_t version,
                           bool kanjiAllowed) {
    const std::int32_t cls = version < 10 ? 0 : version <= 26 ? 1 : 2;
    static constexpr std::int32_t kWidth[3][4] = {
        {8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};
    std::int32_t position = 0, bytes = 0;
    while (position < bitCount - 4) {
        const std::int32_t indicator = Read(bits, position, 4);
        std::int32_t mode;
        switch (indicator) {
            case 0b0100:
                mode = 0;
                break;
            case 0b0001:
                mode = 1;
                break;
            case 0b0010:
                mode = 2;
                break;
            case 0b1000:
                mode = 3;
                break;
            default:
                std::abort();
        }
        Check(kanjiAllowed || mode != 3);
        const std::int32_t n = Read(bits, position, kWidth[cls][mode]);
        Check(n > 0);
        switch (mode) {
            case 0:
                position += 8 * n;
                bytes += n;
                break;
            case 1:
                position += 10 * (n / 3) + (n % 3 == 0 ? 0 : n % 3 == 1 ? 4 : 7);
                bytes += n;
                break;
            case 2:
                position += 11 * (n / 2) + 6 * (n % 2);
                bytes += n;
                break;
            default:
                position += 13 * n;
                bytes += 2 * n;
                break;
        }
    }
    Check(position == bitCount - 4);
    for (std::int32_t k = 0; k < 4; ++k) Check(bits[position + k] == 0);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const clsQRCode encoder;  // tables only; BuildBitStream keeps no state
    FuzzInput in(data, size);
    const std::int32_t version = in.Range(-2, 42);
    const bool kanjiAllowed = in.Byte() & 1;
    // Small buffers too, to prove the writer stops at any end.
    const std::int32_t bufferSize = (in.Byte() & 1) ? clsQRCode::BitBufferSize : in.Range(0, 4096);
    const auto* bytes = in.Rest();
    const auto count = static_cast<std::int32_t>(in.RestSize());

    constexpr std::int32_t kGuard = 64;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bufferSize) + kGuard, 0xA5);
    const std::int32_t measured = encoder.BuildBitStream(buffer.data(), bufferSize, bytes, count,
                                                         version, true, kanjiAllowed);
    const std::int32_t written = encoder.BuildBitStream(buffer.data(), bufferSize, bytes, count,
                                                        version, false, kanjiAllowed);
    Check(measured == written);
    for (std::int32_t k = 0; k < kGuard; ++k) Check(buffer[bufferSize + k] == 0xA5);
    const auto expected = reference::BitStream(bytes, count, version, kanjiAllowed);
    Check(written == static_cast<std::int32_t>(expected.size()));
    if (written <= bufferSize) {
        for (std::int32_t k = 0; k < written; ++k) Check(buffer[k] == expected[k]);
        Check(ParseSegments(buffer.data(), written, version, kanjiAllowed) == count);
    }
    return 0;
}
