// The ECI designator segment and Kanji pairs of whole Shift JIS characters: the bits against
// the standard's rule and an independent encoder (qrcodegen), the version choice and report,
// and symbols that read back as written.

#include <gtest/gtest.h>

#include <qrcodegen/qrcodegen.hpp>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/Bytes.h"
#include "support/ReferenceSegmentation.h"
#include "support/StreamReader.h"
#include "support/SymbolReader.h"
#include "support/ZxingDecode.h"

using qrtest::Bytes;
using qrtest::FromHex;

namespace {

// The first bits of the symbol's data codewords.
std::string LeadingBits(const clsQRCode& qr, const Picture& picture, std::size_t count) {
    const qrtest::Symbol symbol = qrtest::ReadSymbol(picture);
    const Bytes codewords = qrtest::ReadCodewords(qr, symbol, 0);
    std::string bits;
    for (std::size_t i = 0; i < count; ++i)
        bits += (codewords[i / 8] >> (7 - i % 8) & 1) ? '1' : '0';
    return bits;
}

std::shared_ptr<Picture> EncodeWith(clsQRCode& qr, const Bytes& data, clsQRCode::EncodeOptions o,
                                    clsQRCode::EncodeReport* report = nullptr) {
    return qr.Encode(data.data(), static_cast<std::int32_t>(data.size()), o, report);
}

}  // namespace

// The standard's example: ECI 000009 (ISO 8859-7) and the Greek letters A1 to A5 in a byte
// segment, at version 1 (two single-version symbols; one block, so the codewords are in
// stream order).
TEST(Eci, StandardExampleBitForBit) {
    clsQRCode qr;
    const auto picture = EncodeWith(qr, FromHex("A1 A2 A3 A4 A5"), {1, 2, 0, true, 9});
    ASSERT_TRUE(picture);
    EXPECT_EQ(LeadingBits(qr, *picture, 68),
              qrtest::WithoutSpaces("0111 00001001 0100 00000101 10100001 10100010 10100011 "
                                    "10100100 10100101 0000"));
}

// 8, 16 or 24 designator bits, at each boundary, as qrcodegen writes them.
TEST(Eci, DesignatorWidthsAsAnIndependentEncoderWritesThem) {
    clsQRCode qr;
    for (const long designator : {1L, 26L, 127L, 128L, 899L, 16383L, 16384L, 999999L}) {
        SCOPED_TRACE(designator);
        std::string expected = "0111";
        const qrcodegen::QrSegment segment = qrcodegen::QrSegment::makeEci(designator);
        for (const bool bit : segment.getData()) expected += bit ? '1' : '0';
        clsQRCode::EncodeReport report;
        const auto picture =
            EncodeWith(qr, qrtest::FromText("a"),
                       {1, 1, 0, true, static_cast<std::int32_t>(designator)}, &report);
        ASSERT_TRUE(picture);
        EXPECT_EQ(LeadingBits(qr, *picture, expected.size() + 4), expected + "0100");
        ASSERT_FALSE(report.segments.empty());
        EXPECT_EQ(report.segments[0].mode, clsQRCode::ModeEci);
        EXPECT_EQ(report.segments[0].length, designator);
        EXPECT_EQ(report.dataBits, static_cast<std::int32_t>(expected.size()) + 4 + 8 + 8);
    }
}

TEST(Eci, HeaderCountsInTheVersionChoiceAndOutOfRangeGivesNoPicture) {
    clsQRCode qr;
    // 17 bytes fill 1-L exactly (4 + 8 + 136 = 148 of 152 bits): the 12 header bits do not fit.
    const Bytes data(17, 'a');
    clsQRCode::EncodeReport report;
    ASSERT_TRUE(EncodeWith(qr, data, {0, 1, 0, true, 0}, &report));
    EXPECT_EQ(report.version, 1);
    ASSERT_TRUE(EncodeWith(qr, data, {0, 1, 0, true, 26}, &report));
    EXPECT_EQ(report.version, 2);
    EXPECT_EQ(EncodeWith(qr, data, {1, 1, 0, true, 26}), nullptr);
    for (const std::int32_t bad : {-1, 1000000})
        EXPECT_EQ(EncodeWith(qr, data, {0, 2, 0, true, bad}), nullptr);
}

// Readers take a Kanji segment for Shift JIS whatever the ECI says: under another character
// set's designator no Kanji segment is written.
TEST(Eci, KanjiOnlyWithoutAnEciOrUnderShiftJis) {
    clsQRCode qr;
    const Bytes kanji = FromHex("93 FA 96 7B 8C EA");  // three whole Shift JIS characters
    for (const auto& [eci, expectKanji] :
         std::vector<std::pair<int, bool>>{{0, true}, {20, true}, {26, false}, {3, false}}) {
        clsQRCode::EncodeReport report;
        ASSERT_TRUE(EncodeWith(qr, kanji, {0, 2, 0, true, eci}, &report));
        bool sawKanji = false;
        for (const auto& s : report.segments) sawKanji = sawKanji || s.mode == clsQRCode::ModeKanji;
        EXPECT_EQ(sawKanji, expectKanji) << eci;
    }
}

TEST(Eci, SymbolsReadBackWithTheirText) {
    clsQRCode qr;
    const Bytes utf8 = qrtest::FromText(
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE4\xB8\xAD\xE6\x96\x87");
    const auto picture = EncodeWith(qr, utf8, {0, 2, 0, false, 26});
    ASSERT_TRUE(picture);
    const auto decoded = DecodePicture(*picture);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bytes, utf8);
    EXPECT_EQ(decoded->text, std::string(utf8.begin(), utf8.end()));
}

// A Kanji pair is a whole Shift JIS character, walked from the start of the text: pairs that
// would straddle two characters are not taken, whatever they would save.
TEST(ShiftJis, KanjiPairsAreWholeCharacters) {
    const clsQRCode qr;
    struct Case {
        const char* name;
        const char* hex;
        std::vector<std::pair<clsQRCode::Mode, int>> layout;
    };
    const Case cases[] = {
        // CP932's extension character FA 81, three times: as pairs, 81 FA would straddle.
        {"CP932 extension", "FA 81 FA 81 FA 81", {{clsQRCode::ModeByte, 6}}},
        // A stray trail byte first ("_"), then six whole characters.
        {"stray trail byte",
         "5F 93 5F E4 AA 93 5F E4 AA 93 5F E4 AA",
         {{clsQRCode::ModeByte, 1}, {clsQRCode::ModeKanji, 6}}},
        // 89 81 then 81 40: the trail 81 could lead a pair 81 81, but it belongs to 89 81.
        {"trail that looks like a lead",
         "89 81 81 40 89 81 81 40 89 81 81 40",
         {{clsQRCode::ModeKanji, 6}}},
        // A lead byte without a valid trail stands alone; the walk goes on after it.
        {"lead without trail",
         "93 20 93 5F E4 AA 93 5F E4 AA 93 5F",
         {{clsQRCode::ModeByte, 2}, {clsQRCode::ModeKanji, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = FromHex(c.hex);
        const auto stream = qrtest::BuildBoth(qr, data, 1, true);
        const auto parsed = qrtest::ParseStream(stream.bits, 1);
        ASSERT_TRUE(parsed.ok);
        EXPECT_EQ(qrtest::LayoutOf(parsed), c.layout);
        EXPECT_EQ(parsed.data, data);
        EXPECT_EQ(stream.bits, reference::BitStream(
                                   data.data(), static_cast<std::int32_t>(data.size()), 1, true));
    }
}

TEST(ShiftJis, ExtensionCharactersReadBackExactly) {
    clsQRCode qr;
    const Bytes text = FromHex("FA 81 FA 81 FA 81 FA 81 FA 81 FA 81 FA 81 FA 81 FA 81 FA 81");
    const auto picture = EncodeWith(qr, text, {0, 2, 0, true, 0});
    ASSERT_TRUE(picture);
    const auto decoded = DecodePicture(*picture);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bytes, text);
}
