// Segmentation and the data bit stream: exact bit strings for known inputs, segment limits,
// the tie-breaks, Kanji on and off, and the buffer bound of the writer.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/TestSupport.h"

using qrtest::Bytes;
using qrtest::FromHex;
using qrtest::FromText;

namespace {

struct StreamCase {
    const char* name;
    Bytes data;
    int version;
    int bitCount;
    const char* bits;  // with spaces between fields; empty when only the length is known
};

std::vector<StreamCase> KnownStreams() {
    return {
        {"digits v1", FromText("01234567"), 1, 45,
         "0001 0000001000 0000001100 0101011001 1000011 0000"},
        {"digits v10", FromText("01234567"), 10, 47,
         "0001 000000001000 0000001100 0101011001 1000011 0000"},
        {"digits v27", FromText("01234567"), 27, 49,
         "0001 00000000001000 0000001100 0101011001 1000011 0000"},
        {"AC-42", FromText("AC-42"), 1, 45, "0010 000000101 00111001110 11100111001 000010 0000"},
        {"hello", FromText("hello"), 1, 56,
         "0100 00000101 01101000 01100101 01101100 01101100 01101111 0000"},
        {"1", FromText("1"), 1, 22, "0001 0000000001 0001 0000"},
        {"A", FromText("A"), 1, 23, "0010 000000001 001010 0000"},
        {"1A", FromText("1A"), 1, 28, "0010 000000010 00000110111 0000"},
        {"abc123", FromText("abc123"), 1, 64,
         "0100 00000110 01100001 01100010 01100011 00110001 00110010 00110011 0000"},
        {"123abc", FromText("123abc"), 1, 64,
         "0100 00000110 00110001 00110010 00110011 01100001 01100010 01100011 0000"},
        {"a111", FromText("a111"), 1, 48, "0100 00000100 01100001 00110001 00110001 00110001 0000"},
        {"abc1234", FromText("abc1234"), 1, 68,
         "0100 00000011 01100001 01100010 01100011 0001 0000000100 0001111011 0100 0000"},
        {"123456789012a", FromText("123456789012a"), 1, 78,
         "0001 0000001100 0001111011 0111001000 1100010101 0000001100 "
         "0100 00000001 01100001 0000"},
        {"kanji 935F E4AA", FromHex("93 5F E4 AA"), 1, 42,
         "1000 00000010 0110110011111 1101010101010 0000"},
        {"kanji 8140", FromHex("81 40"), 1, 29, "1000 00000001 0000000000000 0000"},
        {"kanji EBBF", FromHex("EB BF"), 1, 29, "1000 00000001 1111111111111 0000"},
        {"not kanji EBC0", FromHex("EB C0"), 1, 32, "0100 00000010 11101011 11000000 0000"},
        {"utf-8 across pairs", FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8"), 1,
         154, ""},
        {"256 a at v1", Bytes(256, 'a'), 1, 2076, ""},
        {"256 a at v10", Bytes(256, 'a'), 10, 2072, ""},
        {"1024 digits", Bytes(1024, '7'), 1, 3446, ""},
        {"512 A", Bytes(512, 'A'), 1, 2847, ""},
        {"256 kanji",
         [] {
             Bytes b;
             for (int i = 0; i < 256; ++i) b.insert(b.end(), {0x93, 0x5F});
             return b;
         }(),
         1, 3356, ""},
        {"empty", Bytes{}, 1, 4, "0000"},
        {"empty v40", Bytes{}, 40, 4, "0000"},
    };
}

// Segment layout as (indicator, character count) pairs.
std::vector<std::pair<int, int>> Layout(const qrtest::ParsedStream& parsed) {
    std::vector<std::pair<int, int>> out;
    for (const auto& s : parsed.segments) out.emplace_back(s.indicator, s.count);
    return out;
}

}  // namespace

TEST(BitStream, KnownStreamsMeasureAndWriteAlike) {
    const clsQRCode qr;
    for (const auto& c : KnownStreams()) {
        SCOPED_TRACE(c.name);
        const auto stream = qrtest::BuildBoth(qr, c.data, c.version);
        EXPECT_EQ(stream.measured, c.bitCount);
        EXPECT_EQ(stream.written, c.bitCount);
        if (*c.bits) {
            EXPECT_EQ(qrtest::BitsToString(stream.bits), qrtest::WithoutSpaces(c.bits));
        }
        const auto parsed = qrtest::ParseStream(stream.bits, c.version);
        EXPECT_TRUE(parsed.ok);
        EXPECT_EQ(parsed.data, c.data);
    }
}

TEST(BitStream, SegmentLayouts) {
    const clsQRCode qr;
    Bytes kanji256;
    for (int i = 0; i < 256; ++i) kanji256.insert(kanji256.end(), {0x93, 0x5F});
    const struct {
        const char* name;
        Bytes data;
        int version;
        std::vector<std::pair<int, int>> layout;
    } cases[] = {
        {"abc1234", FromText("abc1234"), 1, {{4, 3}, {1, 4}}},
        {"123456789012a", FromText("123456789012a"), 1, {{1, 12}, {4, 1}}},
        {"utf-8 across pairs",
         FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8"),
         1,
         {{4, 6}, {8, 6}}},
        {"256 a at v1", Bytes(256, 'a'), 1, {{4, 255}, {4, 1}}},
        {"256 a at v10", Bytes(256, 'a'), 10, {{4, 256}}},
        {"1024 digits", Bytes(1024, '7'), 1, {{1, 1023}, {1, 1}}},
        {"512 A", Bytes(512, 'A'), 1, {{2, 511}, {2, 1}}},
        {"256 kanji", kanji256, 1, {{8, 255}, {8, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed =
            qrtest::ParseStream(qrtest::BuildBoth(qr, c.data, c.version).bits, c.version);
        ASSERT_TRUE(parsed.ok);
        EXPECT_EQ(Layout(parsed), c.layout);
        EXPECT_EQ(parsed.data, c.data);
    }
    // The Kanji characters of the UTF-8 example straddle its character boundaries.
    const auto utf8 = qrtest::ParseStream(
        qrtest::BuildBoth(qr, FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8"), 1)
            .bits,
        1);
    ASSERT_EQ(utf8.segments.size(), 2u);
    EXPECT_EQ(utf8.segments[1].bytes, FromHex("e7a0 81e7 949f e688 90e5 99a8"));
}

// The search table for "a111" at version 1: per row, the cost, previous mode and run length
// of the byte, numeric and alphanumeric cells (the Kanji cells are all impossible).
TEST(BitStream, A111TableAgreesWithMeasuredPrefixesAndSegmentCosts) {
    struct Cell {
        int cost, prevMode, run;
    };
    const Cell table[4][3] = {{{20, -1, 1}, {-1, 0, 0}, {-1, 0, 0}},
                              {{28, 0, 2}, {38, 0, 1}, {39, 0, 1}},
                              {{36, 0, 3}, {41, 1, 2}, {44, 2, 2}},
                              {{44, 0, 4}, {44, 1, 3}, {50, 2, 3}}};
    // Bits of a segment of `run` characters in mode m at versions 1-9.
    auto segmentBits = [](int mode, int run) {
        if (mode == 0) return 4 + 8 + 8 * run;
        if (mode == 1) return 4 + 10 + 10 * (run / 3) + (run % 3 == 0 ? 0 : 1 + 3 * (run % 3));
        return 4 + 9 + 11 * (run / 2) + 6 * (run % 2);
    };
    const clsQRCode qr;
    const Bytes data = FromText("a111");
    for (int row = 0; row < 4; ++row) {
        int cheapest = 1 << 30;
        for (int mode = 0; mode < 3; ++mode) {
            const Cell& cell = table[row][mode];
            if (cell.cost < 0) continue;
            cheapest = std::min(cheapest, cell.cost);
            // Walk the path back and add up its segments' costs.
            int cost = 0, r = row, m = mode;
            while (r >= 0) {
                const Cell& at = table[r][m];
                cost += segmentBits(m, at.run);
                r -= at.run;
                m = r >= 0 ? table[r + 1][m].prevMode : m;
                ASSERT_TRUE(r < 0 || m >= 0);
            }
            EXPECT_EQ(cost, cell.cost) << "row " << row << " mode " << mode;
        }
        const Bytes prefix(data.begin(), data.begin() + row + 1);
        EXPECT_EQ(qrtest::BuildBoth(qr, prefix, 1).measured, cheapest + 4) << "prefix " << row;
    }
    // The byte and numeric cells of the last row tie at 44: the byte cell wins.
    const auto parsed = qrtest::ParseStream(qrtest::BuildBoth(qr, data, 1).bits, 1);
    EXPECT_EQ(Layout(parsed), (std::vector<std::pair<int, int>>{{4, 4}}));
}

TEST(BitStream, KanjiDisallowedNeverOpensAKanjiSegment) {
    const clsQRCode qr;
    const struct {
        const char* name;
        Bytes data;
        int bitCount;  // every byte in one byte segment
    } cases[] = {
        {"utf-8 example", FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8"), 160},
        {"935F E4AA", FromHex("93 5F E4 AA"), 48},
        {"8140", FromHex("81 40"), 32},
        {"EBBF", FromHex("EB BF"), 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int version : {1, 10, 27}) {
            const auto stream = qrtest::BuildBoth(qr, c.data, version, false);
            EXPECT_EQ(stream.measured, stream.written);
            const auto parsed = qrtest::ParseStream(stream.bits, version);
            ASSERT_TRUE(parsed.ok);
            for (const auto& segment : parsed.segments) EXPECT_NE(segment.indicator, 8);
            EXPECT_EQ(parsed.data, c.data);
            if (version == 1) {
                EXPECT_EQ(stream.written, c.bitCount);
            }
        }
    }
}

TEST(BitStream, RandomMixedDataMeasuresAsWrittenAndReadsBack) {
    const clsQRCode qr;
    std::mt19937 random(2024);
    const std::string alphabet = "0123456789ABCDEFXYZ $%*+-./:abcxyz";
    const Bytes kanjiLeads = {0x81, 0x88, 0x93, 0x9F, 0xE0, 0xEA, 0xEB};
    for (int trial = 0; trial < 300; ++trial) {
        Bytes data;
        const int length = static_cast<int>(random() % 400);
        while (static_cast<int>(data.size()) < length) {
            const int pick = static_cast<int>(random() % 10);
            if (pick < 6) {
                data.push_back(static_cast<std::uint8_t>(alphabet[random() % alphabet.size()]));
            } else if (pick < 9) {
                data.push_back(kanjiLeads[random() % kanjiLeads.size()]);
                data.push_back(static_cast<std::uint8_t>(0x40 + random() % 0xBD));
            } else {
                data.push_back(static_cast<std::uint8_t>(random() % 256));
            }
        }
        const int version = 1 + static_cast<int>(random() % 40);
        for (bool kanji : {true, false}) {
            const auto stream = qrtest::BuildBoth(qr, data, version, kanji);
            ASSERT_EQ(stream.measured, stream.written) << "trial " << trial;
            const auto parsed = qrtest::ParseStream(stream.bits, version);
            ASSERT_TRUE(parsed.ok) << "trial " << trial;
            ASSERT_EQ(parsed.data, data) << "trial " << trial;
        }
    }
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
    const std::string alphanumeric = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
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
