// The encoder's segmentation against the plain reference search, bit for bit: on random
// data drawn to hit every mode, mode switches, ties, Kanji pairs across boundaries and
// segment limits, and on inputs built for the limits and the ties.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/Content.h"
#include "support/ReferenceSegmentation.h"

using qrtest::Bytes;
using qrtest::Content;
using qrtest::MakeContent;

namespace {

// Measures and writes data into bits (as large as the caller likes) and compares both with
// the reference stream.
void ExpectReferenceStream(const clsQRCode& encoder, std::vector<std::uint8_t>& bits,
                           const Bytes& data, std::int32_t version, bool kanji) {
    const auto count = static_cast<std::int32_t>(data.size());
    const auto size = static_cast<std::int32_t>(bits.size());
    const auto expected = reference::BitStream(data.data(), count, version, kanji);
    const std::int32_t measured =
        encoder.BuildBitStream(bits.data(), size, data.data(), count, version, true, kanji);
    const std::int32_t written =
        encoder.BuildBitStream(bits.data(), size, data.data(), count, version, false, kanji);
    ASSERT_EQ(measured, static_cast<std::int32_t>(expected.size()));
    ASSERT_EQ(written, measured);
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), bits.begin()));
}

}  // namespace

TEST(ReferenceSearch, RandomData) {
    const clsQRCode encoder;
    std::mt19937 rng(20261207);
    std::vector<std::uint8_t> bits(clsQRCode::BitBufferSize);
    for (std::uint32_t trial = 0; trial < 20000; ++trial) {
        // Mostly short data; now and then long enough to reach the segment limits.
        const std::size_t count = trial % 50 == 0 ? rng() % 4000 : rng() % 40;
        const std::int32_t version = std::array{1, 9, 10, 26, 27, 40}[rng() % 6];
        const bool kanji = rng() % 2;
        ASSERT_NO_FATAL_FAILURE(ExpectReferenceStream(
            encoder, bits, MakeContent(Content::SmallAlphabet, count, trial), version, kanji))
            << "trial " << trial;
    }
}

TEST(ReferenceSearch, LimitsAndTies) {
    const clsQRCode encoder;
    // Larger than the encoder's buffer, so that even the longest runs here are written.
    std::vector<std::uint8_t> bits(1 << 17);
    std::vector<Bytes> inputs;
    for (int count : {1, 2, 3, 4, 9, 30, 200, 1200, 2500})
        for (std::uint32_t seed = 1; seed <= 8; ++seed)
            inputs.push_back(MakeContent(Content::Mixed, count, seed * 131 + count));
    // Long runs that reach the segment limits of every class, and digits next to letters.
    inputs.push_back(Bytes(1030, '7'));
    for (int length : {1022, 1023, 1024, 4095, 4096, 4097, 16383, 16384}) {
        Bytes d = MakeContent(Content::Mixed, 37, length);
        for (int k = 0; k < length; ++k) d.push_back(static_cast<std::uint8_t>('0' + k % 10));
        const auto tail = MakeContent(Content::Mixed, 23, length + 1);
        d.insert(d.end(), tail.begin(), tail.end());
        inputs.push_back(d);
    }
    inputs.push_back(Bytes(600, 'Q'));
    inputs.push_back(qrtest::Repeat(qrtest::FromHex("93 5F"), 300));
    // Every string of up to 7 characters over a digit, a capital and a small letter: the
    // short cases where ties between modes decide.
    for (int length = 1; length <= 7; ++length) {
        int total = 1;
        for (int k = 0; k < length; ++k) total *= 3;
        for (int code = 0; code < total; ++code) {
            Bytes text;
            for (int k = 0, rest = code; k < length; ++k, rest /= 3)
                text.push_back("1Aa"[rest % 3]);
            inputs.push_back(text);
        }
    }
    for (const std::string text : {"a111", "abc123", "123abc", "AC-42", "1A", "A1", "12345A",
                                   "1234567890ABCDEFGHIJ1234567890abcdefgh12345"})
        inputs.push_back(qrtest::FromText(text));
    for (const auto& data : inputs)
        for (int version : {1, 10, 27})
            for (bool kanji : {true, false})
                ASSERT_NO_FATAL_FAILURE(ExpectReferenceStream(encoder, bits, data, version, kanji))
                    << data.size() << " bytes, version " << version << ", Kanji " << kanji;
}

TEST(ReferenceSearch, StreamBitsAtLeastIsALowerBound) {
    // Known answers: three digits take 10 bits, two capitals 11, two small letters 13 (half
    // a Kanji character each at best), one small letter 6.5, rounded down.
    const std::pair<const char*, std::int32_t> kKnown[] = {
        {"", 0}, {"123", 10}, {"AB", 11}, {"ab", 13}, {"a", 6}, {"1A", 8}, {"12345678", 26}};
    for (const auto& [text, bits] : kKnown) {
        const Bytes data = qrtest::FromText(text);
        EXPECT_EQ(
            clsQRCode::GetStreamBitsAtLeast(data.data(), static_cast<std::int32_t>(data.size())),
            bits)
            << text;
    }
    // Long enough for the counts to pass every limit of a word's eight counters.
    const Bytes digitsAndCapitals =
        qrtest::FromText(std::string(5000, '7') + std::string(3000, 'Q') + "xyz");
    EXPECT_EQ(clsQRCode::GetStreamBitsAtLeast(digitsAndCapitals.data(), 8003),
              (39 * 8003 - 19 * 5000 - 6 * 3000) / 6);
    // Never above the cheapest stream of any class.
    for (std::uint32_t trial = 0; trial < 300; ++trial) {
        const Bytes data = MakeContent(trial % 2 ? Content::Mixed : Content::SmallAlphabet,
                                       1 + trial % 97 * 13, trial);
        const auto count = static_cast<std::int32_t>(data.size());
        const std::int32_t least = clsQRCode::GetStreamBitsAtLeast(data.data(), count);
        for (int version : {1, 10, 27})
            ASSERT_LE(least, static_cast<std::int32_t>(
                                 reference::BitStream(data.data(), count, version, true).size()) -
                                 4)
                << "trial " << trial;
    }
}
