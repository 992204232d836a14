// Encode's report of what it made: the segments the search chose (known answers from the
// standard's cost rules), the version, level and mask actually used, and the bits used of
// the capacity; asking for it changes no picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/TestSupport.h"

namespace {

using Report = clsQRCode::EncodeReport;
using Segments = std::vector<std::pair<clsQRCode::Mode, std::int32_t>>;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> Hex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Segments Of(const Report& report) {
    Segments out;
    for (const auto& s : report.segments) out.emplace_back(s.mode, s.length);
    return out;
}

}  // namespace

TEST(EncodeReport, SegmentsAndBitsOfKnownStreams) {
    using M = clsQRCode::Mode;
    struct Case {
        std::vector<std::uint8_t> data;
        bool kanji;
        Segments segments;
        std::int32_t bitCount;  // at versions 1-9, terminator included
    };
    const Case cases[] = {
        {Bytes("01234567"), true, {{M::ModeNumeric, 8}}, 45},
        {Bytes("AC-42"), true, {{M::ModeAlphanumeric, 5}}, 45},
        {Bytes("hello"), true, {{M::ModeByte, 5}}, 56},
        {Bytes("a111"), true, {{M::ModeByte, 4}}, 48},
        {Bytes("abc1234"), true, {{M::ModeByte, 3}, {M::ModeNumeric, 4}}, 68},
        {Bytes("123456789012a"), true, {{M::ModeNumeric, 12}, {M::ModeByte, 1}}, 78},
        {Hex("935fe4aa"), true, {{M::ModeKanji, 2}}, 42},
        {Hex("e4ba8ce7bbb4e7a081e7949fe68890e599a8"),
         true,
         {{M::ModeByte, 6}, {M::ModeKanji, 6}},
         154},
        {Hex("e4ba8ce7bbb4e7a081e7949fe68890e599a8"),
         false,
         {{M::ModeByte, 18}},
         4 + 4 + 8 + 18 * 8},
        {std::vector<std::uint8_t>(180, 'a'), true, {{M::ModeByte, 180}}, 4 + 8 + 180 * 8 + 4},
        {{}, true, {}, 4},
    };
    clsQRCode encoder;
    std::vector<std::uint8_t> bits(clsQRCode::BitBufferSize);
    for (const Case& c : cases) {
        const auto count = static_cast<std::int32_t>(c.data.size());
        SCOPED_TRACE(count);
        Report report;
        // Version 9 keeps every case in the first count-width class.
        ASSERT_TRUE(encoder.Encode(c.data.data(), count, 9, 2, 3, c.kanji, &report));
        EXPECT_EQ(Of(report), c.segments);
        EXPECT_EQ(report.dataBits, c.bitCount - 4);
        // The same segments as the stream BuildBitStream writes.
        const std::int32_t n = encoder.BuildBitStream(bits.data(), clsQRCode::BitBufferSize,
                                                      c.data.data(), count, 9, false, c.kanji);
        EXPECT_EQ(n, c.bitCount);
        const auto parsed =
            qrtest::ParseStream(std::vector<std::uint8_t>(bits.begin(), bits.begin() + n), 9);
        ASSERT_TRUE(parsed.ok);
        Segments written;
        for (const auto& s : parsed.segments) {
            const auto mode = s.indicator == 1   ? clsQRCode::ModeNumeric
                              : s.indicator == 2 ? clsQRCode::ModeAlphanumeric
                              : s.indicator == 8 ? clsQRCode::ModeKanji
                                                 : clsQRCode::ModeByte;
            written.emplace_back(mode, s.count);
        }
        EXPECT_EQ(written, c.segments);
    }
}

TEST(EncodeReport, TellsTheOptionsActuallyUsed) {
    struct Case {
        std::int32_t version, level, mask;
        std::int32_t reportedVersion, reportedLevel, reportedMask, capacityBits;
    };
    const Case cases[] = {
        {0, 2, -1, 1, 2, 0, 8 * 16},  // automatic version, automatic mask = pattern 0
        {41, 0, 8, 1, 2, 0, 8 * 16},  // out-of-range options normalised
        {5, 3, 7, 5, 3, 7, 8 * 62},   // 5-Q: 62 data codewords
        {40, 1, 4, 40, 1, 4, 8 * 2956},
    };
    clsQRCode encoder;
    const auto data = Bytes("HELLO WORLD");
    for (const Case& c : cases) {
        Report report;
        const auto withReport =
            encoder.Encode(data.data(), 11, c.version, c.level, c.mask, true, &report);
        const auto without = encoder.Encode(data.data(), 11, c.version, c.level, c.mask, true);
        ASSERT_TRUE(withReport && without);
        EXPECT_EQ(report.version, c.reportedVersion);
        EXPECT_EQ(report.level, c.reportedLevel);
        EXPECT_EQ(report.mask, c.reportedMask);
        EXPECT_EQ(report.capacityBits, c.capacityBits);
        // 11 alphanumerics: 61 data bits after a 4-bit indicator and a 9/11/13-bit count.
        const std::int32_t countBits = c.reportedVersion < 10   ? 9
                                       : c.reportedVersion < 27 ? 11
                                                                : 13;
        EXPECT_EQ(report.dataBits, 4 + countBits + 61);
        ASSERT_EQ(withReport->Width(), without->Width());
        for (std::int32_t y = 0; y < without->Height(); ++y)
            for (std::int32_t x = 0; x < without->Width(); ++x)
                ASSERT_EQ(withReport->Pixel(x, y), without->Pixel(x, y));
    }
}

TEST(EncodeReport, UntouchedWithoutAPicture) {
    clsQRCode encoder;
    const std::vector<std::uint8_t> data(100, 'a');
    Report report;
    report.version = -7;
    EXPECT_FALSE(encoder.Encode(data.data(), 100, 1, 1, 0, true, &report));
    EXPECT_FALSE(encoder.Encode(data.data(), 100, -1, 1, 0, true, &report));
    EXPECT_EQ(report.version, -7);
    EXPECT_TRUE(report.segments.empty());
}
