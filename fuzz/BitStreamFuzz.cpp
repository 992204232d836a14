// BuildBitStream with arbitrary bytes: measuring and writing agree on the length and with
// the plain reference search bit for bit, nothing is written at or past the buffer's end,
// the stream reads back into segments that carry the data exactly, and with Kanji not
// allowed no Kanji segment appears.

#include <cstdlib>
#include <vector>

#include "FuzzInput.h"
#include "encoder/clsQRCode.h"
#include "support/ReferenceSegmentation.h"
#include "support/StreamReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
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
        const std::vector<std::uint8_t> stream(buffer.begin(), buffer.begin() + written);
        Check(stream == expected);
        const auto parsed = qrtest::ParseStream(stream, version);
        Check(parsed.ok);
        Check(parsed.data == std::vector<std::uint8_t>(bytes, bytes + count));
        for (const auto& segment : parsed.segments) {
            Check(segment.count > 0);
            Check(kanjiAllowed || segment.mode != clsQRCode::ModeKanji);
        }
    }
    return 0;
}
