// The generate command: refusals, option mapping, text bytes, pictures and their sizes.

#include <QStandardItemModel>

#include "WindowFixture.h"
#include "support/qt/Hex.h"
#include "ui/QtImage.h"
#include "ui/WindowVocabulary.h"

namespace {

// The encoder's own picture for the options, as the window shows it unscaled.
QImage Expected(const std::string& bytes, int version, int level, int mask, bool kanji) {
    clsQRCode encoder;
    const auto picture =
        encoder.Encode(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<std::int32_t>(bytes.size()), version, level, mask, kanji);
    return picture ? qrdesk::ToQImage(qrdesk::FromPicture(*picture)) : QImage();
}

bool OnlyBlackAndWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (p != 0 && p != 0xFFFFFF) return false;
        }
    return true;
}

// "最低罚分" (lowest penalty) shows the scored symbol and names its penalty; the scoring itself is
// checked against an independent encoder in the encoder's tests.
TEST_F(WindowTest, LowestPenaltyShowsTheScoredSymbol) {
    const std::string text = "https://example.com/lowest-penalty";
    List(2)->setCurrentIndex(qrdesk::kLowestPenaltyIndex);
    Generate(QByteArray::fromStdString(text));
    clsQRCode encoder;
    clsQRCode::EncodeOptions options;
    options.scoredMask = true;
    clsQRCode::EncodeReport report;
    const auto picture = encoder.Encode(reinterpret_cast<const std::uint8_t*>(text.data()),
                                        static_cast<std::int32_t>(text.size()), options, &report);
    ASSERT_TRUE(picture);
    ASSERT_GE(report.penalty, 0);
    EXPECT_EQ(Image1()->Picture(), qrdesk::ToQImage(qrdesk::FromPicture(*picture)));
    EXPECT_TRUE(window->StatusLines()[0].contains(
        QString::fromUtf8("掩码 %1（罚分 %2）").arg(report.mask).arg(report.penalty)));
}

TEST_F(WindowTest, EmptyTextIsRefusedAndChangesNothing) {
    Click("Command1");
    EXPECT_EQ(messages, std::vector<QString>{kNoText});
    EXPECT_EQ(window->IsCreate(), "no");
    EXPECT_EQ(window->Encoder(), nullptr);
    EXPECT_TRUE(Picture1()->Picture().isNull());

    Generate("abc");
    const QImage before = Picture1()->Picture();
    ASSERT_FALSE(before.isNull());
    Text1()->clear();
    QTest::keyClick(Find("Command1"), Qt::Key_Space);  // keyboard activation too
    EXPECT_EQ(messages, (std::vector<QString>{kNoText, kNoText}));
    EXPECT_EQ(Picture1()->Picture(), before);
    EXPECT_EQ(window->IsCreate(), "ok");
}

TEST_F(WindowTest, BlanksAndLineBreaksAreEncoded) {
    Generate(" \n ");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), QByteArray(" \n "));
}

TEST_F(WindowTest, ListIndexesMapToEncoderOptions) {
    struct Case {
        int versionIndex, levelIndex, maskIndex;
        int version, level, mask;
        const char* ecLevel;
    };
    const Case cases[] = {
        {0, 1, 0, 0, 2, -1, "M"},  {40, 0, 1, 40, 1, 0, "L"}, {1, 3, 8, 1, 4, 7, "H"},
        {10, 2, 5, 10, 3, 4, "Q"}, {2, 0, 3, 2, 1, 2, "L"},
    };
    const QByteArray text = "HELLO 123";
    for (const Case& c : cases) {
        List(0)->setCurrentIndex(c.versionIndex);
        List(1)->setCurrentIndex(c.levelIndex);
        List(2)->setCurrentIndex(c.maskIndex);
        Generate(text);
        const QImage expected = Expected(text.toStdString(), c.version, c.level, c.mask, false);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(Image1()->Picture(), expected) << c.versionIndex << " " << c.maskIndex;
        const QImage shown = Picture1()->Picture();
        EXPECT_EQ(DecodedBytes(DecodeImage(shown)), text);
        clsQRCode decoderCheck;
        if (c.version > 0) {
            EXPECT_EQ(Image1()->Picture().width(), decoderCheck.GetSymbolSize(c.version) + 8);
        }
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->IsCreate(), "ok");
}

TEST_F(WindowTest, TextBecomesTheChosenBytesWithKanjiOnlyForShiftJis) {
    struct Case {
        const char* codePage;
        int encodingIndex;
        const char* text;
        const char* hex;
        bool kanji;
        bool telling;  // the other Kanji choice gives another symbol
    };
    const Case cases[] = {
        {"GBK", 1, "abc", "616263", false, false},
        {"GBK", 1, "二", "e4ba8c", false, false},
        {"GBK", 1, "😀", "f09f9880", false, false},
        {"GBK", 1, "ああああ", "e38182e38182e38182e38182", false, true},  // pairs like Kanji
        {"GBK", 0, "二维码", "b6feceacc2eb", false, false},
        {"GBK", 0, "丂", "8140", false, true},   // 81 40 would pass for a Kanji pair
        {"GBK", 0, "a😀", "613f", false, false},  // not in the code page: "?"
        {"SHIFT_JIS", 0, "漢字", "8abf8e9a", true, true},
        {"SHIFT_JIS", 1, "ああああ", "e38182e38182e38182e38182", false, true},
        {"CP932", 0, "漢字", "8abf8e9a", true, true},
    };
    for (const Case& c : cases) {
        qrdesk::ProgramOptions options;
        options.ansiCodePage = c.codePage;
        Open(options);
        List(3)->setCurrentIndex(c.encodingIndex);
        Generate(QString::fromUtf8(c.text));
        const std::string bytes = HexBytes(c.hex);
        const QImage expected = Expected(bytes, 0, 2, -1, c.kanji);
        EXPECT_EQ(Image1()->Picture(), expected) << c.codePage << " " << c.text;
        if (!c.kanji) {
            EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())).toHex(), c.hex) << c.text;
        }
        if (c.telling) {
            EXPECT_NE(expected, Expected(bytes, 0, 2, -1, !c.kanji)) << c.text;
        }
    }
}

// "UTF-8+ECI" and "ANSI+ECI" reach the encoder as the designator before the bytes, and
// "ANSI+ECI" is offered only where the code page has a designator both readers honour.
TEST_F(WindowTest, EciItemsReachTheEncoder) {
    struct Case {
        const char* codePage;
        int encodingIndex;
        const char* text;
        const char* hex;  // the bytes the symbol carries
        int eci;
    };
    const Case cases[] = {
        {"GBK", 2, "你好", "e4bda0e5a5bd", 26},
        {"ISO-8859-1", 3, "Grüße", "4772fcdf65", 3},
        {"SHIFT_JIS", 3, "漢字", "8abf8e9a", 20},
        {"ISO-8859-7", 3, "Ελλάδα", "c5ebebdce4e1", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        qrdesk::ProgramOptions options;
        options.ansiCodePage = c.codePage;
        Open(options);
        const auto* model = qobject_cast<const QStandardItemModel*>(List(3)->model());
        ASSERT_TRUE(model);
        EXPECT_EQ(model->item(3)->isEnabled(), c.encodingIndex == 3);
        List(3)->setCurrentIndex(c.encodingIndex);
        Generate(QString::fromUtf8(c.text));
        ASSERT_TRUE(messages.empty());
        const std::string bytes = HexBytes(c.hex);
        clsQRCode encoder;
        const auto picture =
            encoder.Encode(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::int32_t>(bytes.size()), {0, 2, -1, c.eci == 20, c.eci});
        ASSERT_TRUE(picture);
        EXPECT_EQ(Image1()->Picture(), qrdesk::ToQImage(qrdesk::FromPicture(*picture)));
        EXPECT_TRUE(window->StatusLines()[0].contains(QStringLiteral("ECI %1").arg(c.eci)));
        // WeChat's reader shows only UTF-8 as typed, whatever the designator.
        EXPECT_TRUE(window->StatusLines()[1].startsWith(
            QString::fromUtf8("zxing-cpp：读取正确 · zbar：读取正确 · 微信：")));
        EXPECT_EQ(window->StatusLines()[1].endsWith(QString::fromUtf8("微信：读取正确")),
                  c.eci == 26);
    }
    // GBK has no designator that both readers honour: the item is there, but cannot be
    // chosen, and says why.
    Open({});
    const auto* model = qobject_cast<const QStandardItemModel*>(List(3)->model());
    ASSERT_TRUE(model);
    EXPECT_FALSE(model->item(3)->isEnabled());
    EXPECT_EQ(List(3)->itemData(3, Qt::ToolTipRole).toString(),
              "GBK has no ECI designator that both zxing-cpp and zbar honour");
}

TEST_F(WindowTest, PicturesAreStretchedToTheDisplaySize) {
    struct Case {
        int option;  // -1: none chosen
        int edge;
    };
    const Case cases[] = {{-1, 600}, {0, 200}, {1, 400}, {2, 600}};
    for (const Case& c : cases) {
        Open({});
        if (c.option >= 0) QTest::mouseClick(SizeOption(c.option), Qt::LeftButton);
        Generate("abc");
        EXPECT_EQ(Image1()->Picture().size(), QSize(29, 29));  // version 1 and its quiet zone
        EXPECT_EQ(Image1()->size(), QSize(29, 29));            // takes the picture's size
        const QImage shown = Picture1()->Picture();
        EXPECT_EQ(shown.size(), QSize(c.edge, c.edge)) << c.option;
        EXPECT_TRUE(OnlyBlackAndWhite(shown)) << c.option;  // replicated, not smoothed
        EXPECT_EQ(DecodedBytes(DecodeImage(shown)), QByteArray("abc")) << c.option;
    }
}

TEST_F(WindowTest, OneEncoderForTheWindowAndBothPicturesReplaced) {
    Generate("abc");
    const clsQRCode* first = window->Encoder();
    ASSERT_NE(first, nullptr);
    const QImage firstShown = Picture1()->Picture();
    List(0)->setCurrentIndex(5);
    List(1)->setCurrentIndex(3);
    Generate("second text");
    EXPECT_EQ(window->Encoder(), first);
    EXPECT_EQ(Image1()->Picture().size(), QSize(45, 45));
    EXPECT_NE(Picture1()->Picture(), firstShown);
    EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), QByteArray("second text"));
}

// The message keeps its text and adds the figures: the bits the text needs (mode 4, count 8
// in versions 1-9 and 16 in 10-40 for bytes, 8 for Kanji; 8 a byte, 13 a Kanji; an ECI
// header 12), and 8 x the data codewords of ISO/IEC 18004 Table 7 (1-L 19, 2-L 34, 10-M 216,
// 11-M 254, 40-L 2956, 40-M 2334). The choice offered must then make a symbol.
TEST_F(WindowTest, TooLongTextClearsThePicturesAndTellsTheFigures) {
    struct Case {
        int version, level, encoding;  // the lists' indexes
        QString text;
        const char* figures;
        int fixList = -1, fixIndex = -1;  // the choice offered, as a list and its index
        const char* codePage = "GBK";
    } const cases[] = {
        {1, 0, 1, QString(18, 'a'), "需要 156 位，1-L 最多 152 位；选择版本 2 可容纳", 0, 2},
        {1, 0, 0, QString::fromUtf8("漢").repeated(11),
         "需要 155 位，1-L 最多 152 位；选择版本 2 可容纳", 0, 2, "SHIFT_JIS"},
        {10, 1, 1, QString(214, 'b'), "需要 1,732 位，10-M 最多 1,728 位；选择版本 11 可容纳", 0,
         11},
        {0, 1, 1, QString(2582, 'a'), "需要 20,676 位，40-M 最多 18,672 位；选择 L 可容纳", 1, 0},
        {0, 1, 2, QString(2580, 'a'), "需要 20,672 位，40-M 最多 18,672 位；选择 L 可容纳", 1, 0},
        {0, 0, 1, QString(2954, 'a'), "需要 23,652 位，40-L 最多 23,648 位"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.figures);
        qrdesk::ProgramOptions options;
        options.ansiCodePage = c.codePage;
        Open(options);
        Generate("abc");
        List(0)->setCurrentIndex(c.version);
        List(1)->setCurrentIndex(c.level);
        List(3)->setCurrentIndex(c.encoding);
        Generate(c.text);
        EXPECT_TRUE(Image1()->Picture().isNull());
        EXPECT_TRUE(Picture1()->Picture().isNull());
        EXPECT_EQ(window->IsCreate(), "ok");
        // Nothing is left to save under the new text's name, and the save says why.
        Click("Command2");
        const QString figures = QString::fromUtf8(c.figures);
        EXPECT_EQ(messages,
                  (std::vector<QString>{
                      kTooLong + '\n' + figures,
                      QString::fromUtf8("文本信息过长，未能生成二维码，没有可保存的图片。\n") +
                          figures}));
        EXPECT_TRUE(dialogCalls.empty());
        if (c.fixList < 0) continue;
        List(c.fixList)->setCurrentIndex(c.fixIndex);
        Generate(c.text);
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_FALSE(Picture1()->Picture().isNull());
    }
    // The largest that fits still makes a symbol.
    Open({});
    List(1)->setCurrentIndex(0);
    Generate(QString(2953, 'a'));
    EXPECT_EQ(Image1()->Picture().width(), 177 + 8);
}

TEST_F(WindowTest, ListWithoutSelectionStopsSilently) {
    Generate("abc");
    const QImage before = Picture1()->Picture();
    List(2)->setCurrentIndex(-1);
    Generate("xyz");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Picture1()->Picture(), before);

    Open({});
    List(0)->setCurrentIndex(-1);
    Generate("abc");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->IsCreate(), "ok");
    EXPECT_EQ(window->Encoder(), nullptr);
    EXPECT_TRUE(Picture1()->Picture().isNull());
    // "ok" without a picture: nothing to save.
    Click("Command2");
    EXPECT_EQ(messages, std::vector<QString>{kNothingToSave});
    EXPECT_TRUE(dialogCalls.empty());
}

}  // namespace

namespace {

// After a text that did not fit, an empty box's generate (which only says so) made nothing
// either: save and print answer for that last generate, not with the earlier text's figures.
TEST_F(WindowTest, SaveAndPrintFollowTheLastGenerate) {
    Generate(QString(3000, 'a'));
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(FirstLine(messages[0]), kTooLong);
    Text1()->clear();
    Text1()->setFocus();
    QTest::keyClick(Text1(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(Text1(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(Text1(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(messages,
              (std::vector<QString>{messages[0], kNoText, kNothingToSave, kNothingToSave}));
    EXPECT_TRUE(dialogCalls.empty());
    EXPECT_TRUE(printCalls.empty());
}

}  // namespace
