// Encode's report of what it made: the segments the search chose (the standard's stream
// examples), the version, level and mask actually used, and the bits used of the capacity;
// asking for it changes no picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModeFacts.h"
#include "encoder/clsQRCode.h"
#include "support/KnownAnswers.h"
#include "support/StreamReader.h"
#include "support/SymbolReader.h"

namespace {

using Report = clsQRCode::EncodeReport;

qrtest::Layout Of(const Report& report) {
    qrtest::Layout out;
    for (const auto& s : report.segments) out.emplace_back(s.mode, s.length);
    return out;
}

}  // namespace

TEST(EncodeReport, SegmentsAndBitsOfKnownStreams) {
    clsQRCode encoder;
    for (const auto& e : qrtest::StreamExamples()) {
        SCOPED_TRACE(e.name);
        // The last version of the example's count-width class, at level L, holds the most.
        const int cls = modefacts::CountWidthClass(e.version);
        const int version = modefacts::kClassLast[cls];
        if (e.bitCount - modefacts::kTerminatorBits > 8 * qrtest::kDataCodewords[version - 1][0])
            continue;
        Report report;
        clsQRCode::EncodeOptions options;
        options.version = version;
        options.level = 1;
        options.mask = 3;
        options.kanjiAllowed = e.kanjiAllowed;
        const auto count = static_cast<std::int32_t>(e.data.size());
        ASSERT_TRUE(encoder.Encode(e.data.data(), count, options, &report));
        EXPECT_EQ(Of(report), e.segments);
        EXPECT_EQ(report.dataBits, e.bitCount - modefacts::kTerminatorBits);
        // The same segments as the stream BuildBitStream writes.
        const auto stream = qrtest::BuildBoth(encoder, e.data, version, e.kanjiAllowed);
        EXPECT_EQ(stream.written, e.bitCount);
        EXPECT_EQ(qrtest::LayoutOf(qrtest::ParseStream(stream.bits, version)), e.segments);
    }
}

TEST(EncodeReport, TellsTheOptionsActuallyUsed) {
    struct Case {
        std::int32_t version, level, mask;
        std::int32_t reportedVersion, reportedLevel, reportedMask;
    };
    const Case cases[] = {
        {0, 2, -1, 1, 2, 0},  // automatic version, automatic mask = pattern 0
        {41, 0, 8, 1, 2, 0},  // out-of-range options normalised
        {5, 3, 7, 5, 3, 7},
        {40, 1, 4, 40, 1, 4},
    };
    clsQRCode encoder;
    const auto data = qrtest::FromText("HELLO WORLD");
    for (const Case& c : cases) {
        Report report;
        const auto withReport =
            encoder.Encode(data.data(), 11, c.version, c.level, c.mask, true, &report);
        const auto without = encoder.Encode(data.data(), 11, c.version, c.level, c.mask, true);
        ASSERT_TRUE(withReport && without);
        EXPECT_EQ(report.version, c.reportedVersion);
        EXPECT_EQ(report.level, c.reportedLevel);
        EXPECT_EQ(report.mask, c.reportedMask);
        EXPECT_EQ(report.capacityBits,
                  8 * qrtest::kDataCodewords[c.reportedVersion - 1][c.reportedLevel - 1]);
        // 11 alphanumerics: 61 data bits after the mode indicator and the count.
        EXPECT_EQ(report.dataBits,
                  modefacts::kIndicatorBits +
                      modefacts::CountWidth(clsQRCode::ModeAlphanumeric, c.reportedVersion) + 61);
        EXPECT_TRUE(qrtest::SamePicture(*withReport, *without));
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
