// Segmentation and the data bit stream: the standard's streams bit for bit, segment limits,
// the tie-breaks, Kanji on and off, measuring against writing, and the buffer bound of the
// writer.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ModeFacts.h"
#include "encoder/clsQRCode.h"
#include "support/Content.h"
#include "support/KnownAnswers.h"
#include "support/StreamReader.h"

using qrtest::Bytes;
using qrtest::FromText;

TEST(BitStream, KnownStreamsBitForBit) {
    const clsQRCode qr;
    for (const auto& e : qrtest::StreamExamples()) {
        SCOPED_TRACE(e.name);
        const auto stream = qrtest::BuildBoth(qr, e.data, e.version, e.kanjiAllowed);
        EXPECT_EQ(stream.measured, e.bitCount);
        EXPECT_EQ(stream.written, e.bitCount);
        if (*e.bits) {
            EXPECT_EQ(qrtest::BitsToString(stream.bits), qrtest::WithoutSpaces(e.bits));
        }
        const auto parsed = qrtest::ParseStream(stream.bits, e.version);
        ASSERT_TRUE(parsed.ok);
        EXPECT_EQ(qrtest::LayoutOf(parsed), e.segments);
        EXPECT_EQ(parsed.data, e.data);
    }
    // The Kanji characters of the UTF-8 example are the pairs that straddle its characters.
    const Bytes utf8 = qrtest::FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8");
    const auto parsed = qrtest::ParseStream(qrtest::BuildBoth(qr, utf8, 1).bits, 1);
    ASSERT_EQ(parsed.segments.size(), 2u);
    EXPECT_EQ(parsed.segments[1].bytes, qrtest::FromHex("e7a0 81e7 949f e688 90e5 99a8"));
}

// The search table for "a111": each cell's cost is the sum of its path's segments, and the
// cheapest cell of each row is what the encoder measures for that prefix.
TEST(BitStream, A111TableAgreesWithMeasuredPrefixesAndSegmentCosts) {
    const auto& table = qrtest::kA111Search;
    auto segmentBits = [](int mode, int run) {
        return modefacts::kIndicatorBits + modefacts::CountWidth(mode, 1) +
               modefacts::DataBits(mode, run);
    };
    const clsQRCode qr;
    const Bytes data = FromText("a111");
    for (int row = 0; row < 4; ++row) {
        int cheapest = 1 << 30;
        for (int mode = 0; mode < 3; ++mode) {
            const auto& cell = table[row][mode];
            if (cell.cost < 0) continue;
            cheapest = std::min(cheapest, cell.cost);
            // Walk the path back and add up its segments' costs.
            int cost = 0, r = row, m = mode;
            while (r >= 0) {
                const auto& here = table[r][m];
                cost += segmentBits(m, here.run);
                r -= here.run;
                m = r >= 0 ? table[r + 1][m].prevMode : m;
                ASSERT_TRUE(r < 0 || m >= 0);
            }
            EXPECT_EQ(cost, cell.cost) << "row " << row << " mode " << mode;
        }
        const Bytes prefix(data.begin(), data.begin() + row + 1);
        EXPECT_EQ(qrtest::BuildBoth(qr, prefix, 1).measured, cheapest + modefacts::kTerminatorBits)
            << "prefix " << row;
    }
}

TEST(BitStream, KanjiDisallowedNeverOpensAKanjiSegment) {
    const clsQRCode qr;
    for (const auto& e : qrtest::StreamExamples()) {
        SCOPED_TRACE(e.name);
        for (int version : {1, 10, 27}) {
            const auto stream = qrtest::BuildBoth(qr, e.data, version, false);
            EXPECT_EQ(stream.measured, stream.written);
            const auto parsed = qrtest::ParseStream(stream.bits, version);
            ASSERT_TRUE(parsed.ok);
            for (const auto& segment : parsed.segments)
                EXPECT_NE(segment.mode, clsQRCode::ModeKanji);
            EXPECT_EQ(parsed.data, e.data);
        }
    }
}

// Measuring (two rows of the search kept, no buffer) and writing (the whole table) give the
// same length, and the stream reads back to the data.
TEST(BitStream, MixedDataMeasuresAsWrittenAndReadsBack) {
    const clsQRCode qr;
    auto check = [&](const Bytes& data, int version) {
        for (bool kanji : {true, false}) {
            const auto stream = qrtest::BuildBoth(qr, data, version, kanji);
            ASSERT_EQ(stream.measured, stream.written) << data.size() << " v" << version;
            const auto parsed = qrtest::ParseStream(stream.bits, version);
            ASSERT_TRUE(parsed.ok) << data.size() << " v" << version;
            ASSERT_EQ(parsed.data, data) << data.size() << " v" << version;
        }
    };
    for (std::uint32_t trial = 0; trial < 300; ++trial) {
        const auto length = (trial * 2654435761u >> 8) % 400;
        check(qrtest::MakeContent(qrtest::Content::Mixed, length, trial), 1 + trial * 7 % 40);
    }
    for (int count : {1, 2, 3, 5, 17, 100, 255, 256, 600, 1500, 3000})
        for (std::uint32_t seed = 1; seed <= 6; ++seed)
            for (int version : {1, 10, 27})
                check(qrtest::MakeContent(qrtest::Content::Mixed, count, seed * 977 + count),
                      version);
}

TEST(BitStream, MeasuringLeavesTheBufferAloneExceptForEmptyData) {
    const clsQRCode qr;
    std::vector<std::uint8_t> buffer(64, 0xAA);
    const Bytes hello = FromText("hello");
    EXPECT_EQ(qr.BuildBitStream(buffer.data(), 64, hello.data(), 5, 1, true), 56);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, 0xAA));

    for (bool measureOnly : {true, false}) {
        std::fill(buffer.begin(), buffer.end(), 0xAA);
        EXPECT_EQ(qr.BuildBitStream(buffer.data(), 64, hello.data(), 0, 1, measureOnly), 4);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(buffer[i], 0) << i;
        EXPECT_EQ(buffer[4], 0xAA);
    }
}

TEST(BitStream, WriterNeverWritesPastTheGivenBufferSize) {
    const clsQRCode qr;
    constexpr std::uint8_t kGuard = 0xA5;
    const struct {
        const char* name;
        Bytes data;
        int version, bufferSize;
    } cases[] = {
        {"hello into 16", FromText("hello"), 1, 16},
        {"hello into 55", FromText("hello"), 1, 55},  // one bit short of its 56
        {"40000 digits", Bytes(40000, '9'), 40, clsQRCode::BitBufferSize},
        {"200000 bytes", Bytes(200000, 'q'), 40, clsQRCode::BitBufferSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.bufferSize) + 64, kGuard);
        const int length = qr.BuildBitStream(buffer.data(), c.bufferSize, c.data.data(),
                                             static_cast<int>(c.data.size()), c.version, false);
        EXPECT_GT(length, c.bufferSize);  // still reports how long the stream would be
        for (std::size_t i = static_cast<std::size_t>(c.bufferSize); i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kGuard) << "index " << i;
    }
    // A stream exactly the buffer's size is written whole, and nothing after it.
    std::vector<std::uint8_t> exact(56 + 8, kGuard);
    const Bytes hello = FromText("hello");
    EXPECT_EQ(qr.BuildBitStream(exact.data(), 56, hello.data(), 5, 1, false), 56);
    EXPECT_EQ(exact[55], 0);  // last terminator bit
    for (std::size_t i = 56; i < exact.size(); ++i) EXPECT_EQ(exact[i], kGuard);
}

TEST(BitStream, CharacterClassesAndValues) {
    const std::string alphanumeric = qrtest::kAlphanumericCharset;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const auto at = alphanumeric.find(static_cast<char>(b));
        const int expectedClass = at == std::string::npos ? 0 : (at < 10 ? 1 : 2);
        EXPECT_EQ(clsQRCode::GetCharClass(byte), expectedClass) << b;
        EXPECT_EQ(clsQRCode::GetAlphanumericValue(byte),
                  at == std::string::npos ? 0 : static_cast<int>(at))
            << b;
    }
}

TEST(BitStream, KanjiPairTest) {
    const struct {
        int first, second;
        bool kanji;
    } cases[] = {{0x81, 0x40, true},  {0x81, 0x3F, false}, {0x9F, 0xFF, true}, {0xA0, 0x80, false},
                 {0xE0, 0x40, true},  {0xEA, 0xFC, true},  {0xEB, 0xBF, true}, {0xEB, 0xC0, false},
                 {0xEC, 0x80, false}, {0x80, 0x80, false}, {0x93, 0x5F, true}};
    for (const auto& c : cases)
        EXPECT_EQ(clsQRCode::IsKanjiPair(static_cast<std::uint8_t>(c.first),
                                         static_cast<std::uint8_t>(c.second)),
                  c.kanji)
            << std::hex << c.first << " " << c.second;
}
