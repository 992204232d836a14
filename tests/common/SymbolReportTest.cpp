// The symbol report: the read-back verdict on the picture a save writes, what a reader shows,
// and the segments it names, checked against the bit stream and the standard's examples.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Report.h"
#include "common/Symbol.h"
#include "common/TextBytes.h"
#include "support/TestSupport.h"
#include "support/qt/Hex.h"

using qrdesk::ReadBackVerdict;
using qrdesk::TextEncoding;

namespace {

struct Made {
    std::string bytes;
    qrdesk::Symbol symbol;
    qrdesk::Image unscaled;
};

Made Make(clsQRCode& encoder, const std::string& bytes, std::int32_t version, bool kanji = false) {
    Made made{bytes, qrdesk::EncodeSymbol(encoder, bytes, {version, 2, -1, kanji}), {}};
    if (made.symbol.picture) made.unscaled = qrdesk::FromPicture(*made.symbol.picture);
    return made;
}

qrdesk::SymbolCheck CheckAt(const Made& made, int size) {
    return qrdesk::CheckSymbol(made.bytes, made.unscaled,
                               qrdesk::Stretch(made.unscaled, size, size),
                               qrdesk::kSizeOptionPixels);
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

TEST(SymbolReport, VerdictOnThePictureAsSaved) {
    struct Case {
        const char* name;
        std::string bytes;
        std::int32_t version;
        int size;
        ReadBackVerdict verdict;
        int readableSize;  // the larger option named when the saved size does not read
    };
    const Case cases[] = {
        {"small symbol, every size", "abc", 0, 200, ReadBackVerdict::Readable, 0},
        {"small symbol, large size", "abc", 0, 600, ReadBackVerdict::Readable, 0},
        // 185 pixels of symbol on 200: modules of one pixel, every eleventh doubled.
        {"version 40 at 200", "abc", 40, 200, ReadBackVerdict::Unreadable, 400},
        {"version 40 at 400", "abc", 40, 400, ReadBackVerdict::Readable, 0},
        {"version 40 at 600", "abc", 40, 600, ReadBackVerdict::Readable, 0},
        // Larger is not always better: 400 on 125 pixels mixes modules of 3 and 4 pixels.
        {"version 25 at 400", "abc", 25, 400, ReadBackVerdict::Unreadable, 600},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Made made = Make(encoder, c.bytes, c.version);
        ASSERT_TRUE(made.symbol.picture);
        const auto check = CheckAt(made, c.size);
        EXPECT_EQ(check.size, c.size);
        EXPECT_EQ(check.readBack.verdict, c.verdict);
        EXPECT_EQ(check.readableSize, c.readableSize);
        if (c.verdict == ReadBackVerdict::Readable) {
            EXPECT_EQ(check.readBack.bytes, c.bytes);
            EXPECT_EQ(check.readBack.readerText, c.bytes);  // ASCII reads as itself
        } else {
            EXPECT_TRUE(check.readBack.bytes.empty());
        }
        // The option named reads back when tried on its own.
        if (c.readableSize != 0) {
            EXPECT_EQ(qrdesk::ReadBackImage(
                          qrdesk::Stretch(made.unscaled, c.readableSize, c.readableSize), c.bytes)
                          .verdict,
                      ReadBackVerdict::Readable);
        }
    }
}

TEST(SymbolReport, ReadBackOfOtherBytesOrNoSymbol) {
    clsQRCode encoder;
    const Made made = Make(encoder, "abc", 1);
    const auto other = qrdesk::ReadBackImage(qrdesk::Stretch(made.unscaled, 200, 200), "abd");
    EXPECT_EQ(other.verdict, ReadBackVerdict::Mismatch);
    EXPECT_EQ(other.bytes, "abc");

    qrdesk::Image blank;
    blank.width = blank.height = 200;
    blank.palette[0] = 0xFFFFFF;
    blank.pixels.assign(200 * 200, 0);
    EXPECT_EQ(qrdesk::ReadBackImage(blank, "abc").verdict, ReadBackVerdict::Unreadable);
    EXPECT_EQ(qrdesk::ReadBackImage(qrdesk::Image(), "abc").verdict, ReadBackVerdict::Unreadable);

    const auto lines =
        qrdesk::ReportLines(made.symbol.report, {200, other, 0}, "abd", TextEncoding::Utf8);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(Contains(lines[0], "可识别")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("警告")) << lines[1];
}

// What a reader shows for the bytes, against what was typed: text in the legacy code page
// carries no marker of it, so a reader takes GBK bytes for Latin-1.
TEST(SymbolReport, ReaderDisplayAgainstTheTypedText) {
    struct Case {
        const char* name;
        std::u16string typed;
        std::string typedUtf8;  // as the report is given it
        TextEncoding encoding;
        const char* codePage;
        bool differs;
        bool suggestsUtf8;
    };
    const Case cases[] = {
        {"GBK Chinese", u"你好，世界", "你好，世界", TextEncoding::Ansi, "GBK", true, true},
        {"UTF-8 Chinese", u"你好，世界", "你好，世界", TextEncoding::Utf8, "GBK", false, false},
        {"ASCII in GBK", u"hello, world", "hello, world", TextEncoding::Ansi, "GBK", false, false},
        {"Shift JIS Kanji", u"漢字", "漢字", TextEncoding::Ansi, "SHIFT_JIS", false, false},
        // A character the code page lacks became "?".
        {"GBK lacks it", u"a😀", "a😀", TextEncoding::Ansi, "GBK", true, true},
        // Already UTF-8: the lone surrogate was replaced; nothing better to suggest. The
        // typed text keeps it (written as UTF-8 writes U+D800), so the reader's U+FFFD
        // differs.
        {"lone surrogate",
         {char16_t(0xD800), u'a'},
         HexBytes("eda080 61"),
         TextEncoding::Utf8,
         "GBK",
         true,
         false},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = qrdesk::TextToBytes(c.typed, c.encoding, c.codePage);
        ASSERT_TRUE(bytes);
        const Made made = Make(encoder, *bytes, 0, qrdesk::KanjiAllowed(c.encoding, c.codePage));
        ASSERT_TRUE(made.symbol.picture);
        const auto check = CheckAt(made, 600);
        ASSERT_EQ(check.readBack.verdict, ReadBackVerdict::Readable);
        const auto lines = qrdesk::ReportLines(made.symbol.report, check, c.typedUtf8, c.encoding);
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(lines[0].ends_with(" · 可识别")) << lines[0];
        EXPECT_EQ(check.readBack.readerText != c.typedUtf8, c.differs);
        ASSERT_EQ(lines.size(), c.differs ? 2u : 1u);
        if (c.differs) {
            EXPECT_EQ(Contains(lines[1], "UTF-8"), c.suggestsUtf8) << lines[1];
        }
    }
    // The GBK bytes of 你好，世界 taken one by one as Latin-1 characters.
    const std::string gbk = HexBytes("c4e3 bac3 a3ac cac0 bde7");
    EXPECT_EQ(qrdesk::TextToBytes(u"你好，世界", TextEncoding::Ansi, "GBK"), gbk);
    const auto check = CheckAt(Make(encoder, gbk, 0), 600);
    const std::string latin1 = "ÄãºÃ£¬ÊÀ½ç";
    EXPECT_EQ(check.readBack.readerText, latin1);
    const auto lines = qrdesk::ReportLines(Make(encoder, gbk, 0).symbol.report, check, "你好，世界",
                                           TextEncoding::Ansi);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(Contains(lines[1], latin1.c_str())) << lines[1];
}

// The standard's segmentation examples: the report names the segments the bit stream holds,
// read with the test suite's own stream reader, and the bits they take.
TEST(SymbolReport, SegmentsAreThoseOfTheBitStream) {
    struct Case {
        const char* name;
        std::string data;
        const char* segments;  // as the report words them
        std::int32_t bits;     // without the terminator
    };
    const Case cases[] = {
        {"01234567", "01234567", "数字 8", 41},
        {"AC-42", "AC-42", "字母数字 5", 41},
        {"hello", "hello", "字节 5", 52},
        {"abc1234", "abc1234", "字节 3 · 数字 4", 64},
        {"123456789012a", "123456789012a", "数字 12 · 字节 1", 74},
        {"Shift JIS 93 5F E4 AA", HexBytes("93 5F E4 AA"), "汉字 2", 38},
    };
    const auto modeOf = [](int indicator) {
        switch (indicator) {
            case 1:
                return clsQRCode::ModeNumeric;
            case 2:
                return clsQRCode::ModeAlphanumeric;
            case 8:
                return clsQRCode::ModeKanji;
            default:
                return clsQRCode::ModeByte;
        }
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Made made = Make(encoder, c.data, 0, true);
        ASSERT_TRUE(made.symbol.picture);
        const clsQRCode::EncodeReport& report = made.symbol.report;
        EXPECT_EQ(report.version, 1);

        const auto stream =
            qrtest::BuildBoth(encoder, qrtest::FromText(c.data), report.version, true);
        const auto parsed = qrtest::ParseStream(stream.bits, report.version);
        ASSERT_TRUE(parsed.ok);
        ASSERT_EQ(report.segments.size(), parsed.segments.size());
        for (std::size_t k = 0; k < parsed.segments.size(); ++k) {
            EXPECT_EQ(report.segments[k].mode, modeOf(parsed.segments[k].indicator)) << k;
            EXPECT_EQ(report.segments[k].length, parsed.segments[k].count) << k;
        }
        EXPECT_EQ(report.dataBits, stream.written - 4);
        EXPECT_EQ(report.dataBits, c.bits);

        const auto lines =
            qrdesk::ReportLines(report, CheckAt(made, 200), c.data, TextEncoding::Utf8);
        EXPECT_EQ(lines[0], "1-M · 掩码 0 · " + std::string(c.segments) + " · 数据 " +
                                std::to_string(c.bits) + " / 128 位 · 可识别");
    }
}

}  // namespace
