// The encoder's segmentation against the plain reference search, on random data drawn to
// hit every mode, mode switches, ties, Kanji pairs across boundaries and segment limits.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/ReferenceSegmentation.h"

namespace {

// Bytes from small alphabets, so that runs and switches between modes are frequent.
std::vector<std::uint8_t> RandomData(std::mt19937& rng, std::int32_t count) {
    static const std::vector<std::uint8_t> alphabets[] = {
        {'0', '1', '9'},
        {'A', 'Z', ' ', ':', '5'},
        {'a', '0', 'B', '7', '-'},
        {0x93, 0x5F, 0x81, 0x40, 0xEB, 0xBF, 0xC0, 0xE0, '1'},
        {0x00, 0xFF, 0x3F, 0x40, 0x9F, 0xEA, 'A', '3'},
    };
    const auto& alphabet = alphabets[rng() % std::size(alphabets)];
    std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
    for (auto& byte : data) byte = alphabet[rng() % alphabet.size()];
    return data;
}

}  // namespace

TEST(Differential, SegmentationMatchesTheReferenceSearch) {
    const clsQRCode encoder;
    std::mt19937 rng(20261207);
    std::vector<std::uint8_t> bits(clsQRCode::BitBufferSize);
    for (int trial = 0; trial < 20000; ++trial) {
        // Mostly short data; now and then long enough to reach the segment limits.
        const std::int32_t count = trial % 50 == 0 ? static_cast<std::int32_t>(rng() % 4000)
                                                   : static_cast<std::int32_t>(rng() % 40);
        const std::vector<std::uint8_t> data = RandomData(rng, count);
        const std::int32_t version = std::array{1, 9, 10, 26, 27, 40}[rng() % 6];
        const bool kanji = rng() % 2;
        const auto expected = reference::BitStream(data.data(), count, version, kanji);
        const std::int32_t measured = encoder.BuildBitStream(
            bits.data(), clsQRCode::BitBufferSize, data.data(), count, version, true, kanji);
        const std::int32_t written = encoder.BuildBitStream(
            bits.data(), clsQRCode::BitBufferSize, data.data(), count, version, false, kanji);
        ASSERT_EQ(measured, static_cast<std::int32_t>(expected.size())) << "trial " << trial;
        ASSERT_EQ(written, measured) << "trial " << trial;
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), bits.begin()))
            << "trial " << trial;
    }
}
