// The data bit stream as the public interface gives it: one bit per byte of the caller's
// buffer, most significant bit first, then the terminator. The stream itself is written
// packed by the encoder's one stream writer (Codewords.cpp) and spread out here.

#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "ModeFacts.h"
#include "Segmentation.h"
#include "Symbol.h"

namespace {

// kSpread[b]: the 8 bits of b as 8 entries of 0 or 1 in memory order, most significant first.
constexpr auto kSpread = [] {
    std::array<std::uint64_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        for (int k = 0; k < 8; ++k)
            table[b] |= static_cast<std::uint64_t>((b >> (7 - k)) & 1) << (8 * k);
    return table;
}();

}  // namespace

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
        return segmentation::MeasureBits(data, count, version, kanjiAllowed, symbol::BestPath()) +
               kTerminator;

    std::vector<segmentation::Segment> segments;
    std::vector<std::uint8_t> packed;
    std::int32_t bits;
    try {
        bits = segmentation::ChooseSegments(data, count, version, kanjiAllowed, segments,
                                            symbol::BestPath());
        // A stream the buffer cannot hold is not written: the caller sees it cannot fit.
        if (bitBuffer == nullptr || bits + kTerminator > bufferSize) return bits + kTerminator;
        packed.resize(static_cast<std::size_t>(bits) / 8 + 9);
    } catch (const std::bad_alloc&) {
        return 0;  // no stream: nothing is written
    }
    symbol::WriteStream(packed.data(), 0, data, segments.data(),
                        static_cast<std::int32_t>(segments.size()), version);
    // Whole bytes eight entries at a time, the last bits and the terminator one by one, so
    // that nothing past the stream's own entries is touched.
    const std::int32_t whole = bits / 8;
    for (std::int32_t i = 0; i < whole; ++i) std::memcpy(bitBuffer + 8 * i, &kSpread[packed[i]], 8);
    for (std::int32_t k = 8 * whole; k < bits; ++k)
        bitBuffer[k] = (packed[whole] >> (7 - (k - 8 * whole))) & 1;
    for (std::int32_t k = 0; k < kTerminator; ++k) bitBuffer[bits + k] = 0;
    return bits + kTerminator;
}
