// The symbol report: the read-back verdict on the picture a save writes, what a reader shows,
// and the segments it names, checked against the bit stream and the standard's examples.

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "common/SymbolReport.h"
#include "common/TextBytes.h"
#include "support/TestSupport.h"

using qrdesk::ReadBackVerdict;
using qrdesk::TextEncoding;

namespace {

struct Made {
    QByteArray bytes;
    qrdesk::EncodedSymbol symbol;
    QImage unscaled;
};

Made Make(clsQRCode& encoder, const QByteArray& bytes, std::int32_t version, bool kanji = false) {
    Made made{bytes, qrdesk::EncodeSymbol(encoder, bytes, {version, 2, -1}, kanji), {}};
    if (made.symbol.picture) made.unscaled = qrdesk::PictureToImage(*made.symbol.picture);
    return made;
}

qrdesk::SymbolReport CheckAt(const Made& made, int size) {
    return qrdesk::CheckSymbol(*made.symbol.info, made.bytes, made.unscaled,
                               qrdesk::StretchImage(made.unscaled, size, size));
}

}  // namespace

TEST(SymbolReport, VerdictOnThePictureAsSaved) {
    struct Case {
        const char* name;
        QByteArray bytes;
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
        ASSERT_TRUE(made.symbol.info);
        const auto report = CheckAt(made, c.size);
        EXPECT_EQ(report.size, c.size);
        EXPECT_EQ(report.readBack.verdict, c.verdict);
        EXPECT_EQ(report.readableSize, c.readableSize);
        if (c.verdict == ReadBackVerdict::Readable) {
            EXPECT_EQ(report.readBack.bytes, c.bytes);
            EXPECT_EQ(report.readBack.readerText, QString::fromLatin1(c.bytes));
        } else {
            EXPECT_TRUE(report.readBack.bytes.isEmpty());
        }
        // The option named reads back when tried on its own.
        if (c.readableSize != 0) {
            EXPECT_EQ(
                qrdesk::ReadBackImage(
                    qrdesk::StretchImage(made.unscaled, c.readableSize, c.readableSize), c.bytes)
                    .verdict,
                ReadBackVerdict::Readable);
        }
    }
}

TEST(SymbolReport, ReadBackOfOtherBytesOrNoSymbol) {
    clsQRCode encoder;
    const Made made = Make(encoder, "abc", 1);
    const QImage saved = qrdesk::StretchImage(made.unscaled, 200, 200);
    const auto other = qrdesk::ReadBackImage(saved, "abd");
    EXPECT_EQ(other.verdict, ReadBackVerdict::Mismatch);
    EXPECT_EQ(other.bytes, QByteArray("abc"));

    QImage blank(200, 200, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_EQ(qrdesk::ReadBackImage(blank, "abc").verdict, ReadBackVerdict::Unreadable);
    EXPECT_EQ(qrdesk::ReadBackImage(QImage(), "abc").verdict, ReadBackVerdict::Unreadable);

    qrdesk::SymbolReport mismatch;
    mismatch.symbol = *made.symbol.info;
    mismatch.size = 200;
    mismatch.readBack = other;
    const QStringList lines = qrdesk::ReportLines(mismatch, "abd", TextEncoding::Utf8);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_FALSE(lines[0].contains(QString::fromUtf8("可识别")));
    EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8("警告")));
}

// What a reader shows for the bytes, against what was typed: text in the legacy code page
// carries no marker of it, so a reader takes GBK bytes for Latin-1.
TEST(SymbolReport, ReaderDisplayAgainstTheTypedText) {
    struct Case {
        const char* name;
        QString typed;
        TextEncoding encoding;
        const char* codePage;
        bool differs;
        bool suggestsUtf8;
    };
    const QString loneHigh = QString(QChar(0xD800)) + "a";
    const Case cases[] = {
        {"GBK Chinese", QString::fromUtf8("你好，世界"), TextEncoding::Ansi, "GBK", true, true},
        {"UTF-8 Chinese", QString::fromUtf8("你好，世界"), TextEncoding::Utf8, "GBK", false, false},
        {"ASCII in GBK", "hello, world", TextEncoding::Ansi, "GBK", false, false},
        {"Shift JIS Kanji", QString::fromUtf8("漢字"), TextEncoding::Ansi, "SHIFT_JIS", false,
         false},
        // A character the code page lacks became "?".
        {"GBK lacks it", QString::fromUtf8("a😀"), TextEncoding::Ansi, "GBK", true, true},
        // Already UTF-8: the lone surrogate was replaced; nothing better to suggest.
        {"lone surrogate", loneHigh, TextEncoding::Utf8, "GBK", true, false},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = qrdesk::TextToBytes(c.typed, c.encoding, c.codePage);
        ASSERT_TRUE(bytes);
        const Made made = Make(encoder, *bytes, 0, qrdesk::KanjiAllowed(c.encoding, c.codePage));
        ASSERT_TRUE(made.symbol.info);
        const auto report = CheckAt(made, 600);
        ASSERT_EQ(report.readBack.verdict, ReadBackVerdict::Readable);
        const QStringList lines = qrdesk::ReportLines(report, c.typed, c.encoding);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines[0].endsWith(QString::fromUtf8(" · 可识别"))) << lines[0].toStdString();
        EXPECT_EQ(report.readBack.readerText != c.typed, c.differs);
        ASSERT_EQ(lines.size(), c.differs ? 2 : 1);
        if (c.differs) {
            EXPECT_EQ(lines[1].contains("UTF-8"), c.suggestsUtf8) << lines[1].toStdString();
        }
    }
    // The GBK bytes of 你好，世界 taken one by one as Latin-1 characters.
    const auto gbk =
        qrdesk::TextToBytes(QString::fromUtf8("你好，世界"), TextEncoding::Ansi, "GBK");
    const auto report = CheckAt(Make(encoder, *gbk, 0), 600);
    EXPECT_EQ(report.readBack.readerText, QString::fromLatin1(*gbk));
    const QStringList lines =
        qrdesk::ReportLines(report, QString::fromUtf8("你好，世界"), TextEncoding::Ansi);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].contains(QString::fromLatin1(*gbk))) << lines[1].toStdString();
}

// The standard's segmentation examples: the report names the segments the bit stream holds,
// read with the test suite's own stream reader, and the bits they take.
TEST(SymbolReport, SegmentsAreThoseOfTheBitStream) {
    struct Case {
        const char* name;
        qrtest::Bytes data;
        const char* segments;  // as the report words them
        std::int32_t bits;     // without the terminator
    };
    const Case cases[] = {
        {"01234567", qrtest::FromText("01234567"), "数字 8", 41},
        {"AC-42", qrtest::FromText("AC-42"), "字母数字 5", 41},
        {"hello", qrtest::FromText("hello"), "字节 5", 52},
        {"abc1234", qrtest::FromText("abc1234"), "字节 3 · 数字 4", 64},
        {"123456789012a", qrtest::FromText("123456789012a"), "数字 12 · 字节 1", 74},
        {"Shift JIS 93 5F E4 AA", qrtest::FromHex("93 5F E4 AA"), "汉字 2", 38},
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
        const QByteArray bytes(reinterpret_cast<const char*>(c.data.data()),
                               static_cast<qsizetype>(c.data.size()));
        const Made made = Make(encoder, bytes, 0, true);
        ASSERT_TRUE(made.symbol.info);
        const qrdesk::SymbolInfo& info = *made.symbol.info;
        EXPECT_EQ(info.version, 1);

        const auto stream = qrtest::BuildBoth(encoder, c.data, info.version, true);
        const auto parsed = qrtest::ParseStream(stream.bits, info.version);
        ASSERT_TRUE(parsed.ok);
        ASSERT_EQ(info.segments.size(), parsed.segments.size());
        for (std::size_t k = 0; k < parsed.segments.size(); ++k) {
            EXPECT_EQ(info.segments[k].mode, modeOf(parsed.segments[k].indicator)) << k;
            EXPECT_EQ(info.segments[k].length, parsed.segments[k].count) << k;
        }
        EXPECT_EQ(info.dataBits, stream.written - 4);
        EXPECT_EQ(info.dataBits, c.bits);

        const QStringList lines =
            qrdesk::ReportLines(CheckAt(made, 200), QString::fromLatin1(bytes), TextEncoding::Utf8);
        EXPECT_EQ(lines[0], QString::fromUtf8("1-M · 掩码 0 · %1 · 数据 %2 / 128 位 · 可识别")
                                .arg(QString::fromUtf8(c.segments))
                                .arg(c.bits));
    }
}
