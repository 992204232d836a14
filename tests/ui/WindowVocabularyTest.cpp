// The window's lists held to an independent statement: each list shows its items at the
// indexes the program has always given them (version n at n, level L..H at 0..3, mask pattern
// k at k + 1, "ANSI" and "UTF-8" at 0 and 1; the added items after them), and the symbol made
// for the items selected is, as a reader written from the standard (module count, format
// information) and zxing-cpp (level, ECI header) read it, the symbol those items name.

#include <ZXing/ReadBarcode.h>

#include "WindowFixture.h"
#include "support/KnownAnswers.h"
#include "support/SymbolReader.h"

namespace {

// The modules of the unscaled picture (one pixel a module, four of quiet zone).
struct Grid {
    QImage picture;
    int At(int x, int y) const { return qGray(picture.pixel(4 + x, 4 + y)) < 128 ? 1 : 0; }
};

TEST_F(WindowTest, ListsShowTheirItemsAtTheirIndexes) {
    struct Item {
        int list;  // 0 version, 1 level, 2 mask, 3 encoding
        int index;
        const char* text;
    };
    const Item items[] = {
        {0, 0, "Automatic"}, {0, 1, "1"},       {0, 7, "7"},       {0, 40, "40"},
        {1, 0, "L - 7%"},    {1, 1, "M - 15%"}, {1, 2, "Q - 25%"}, {1, 3, "H - 30%"},
        {2, 0, "Automatic"}, {2, 1, "0"},       {2, 6, "5"},       {2, 8, "7"},
        {2, 9, "最低罚分"},  {3, 0, "ANSI"},    {3, 1, "UTF-8"},   {3, 2, "UTF-8+ECI"},
        {3, 3, "ANSI+ECI"},
    };
    for (const Item& item : items)
        EXPECT_EQ(List(item.list)->itemText(item.index), QString::fromUtf8(item.text))
            << item.list << " " << item.index;
    const int counts[4] = {41, 4, 10, 4};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(List(i)->count(), counts[i]) << i;
}

TEST_F(WindowTest, ListItemsMakeTheSymbolsTheyName) {
    struct Case {
        int indexes[4];  // version, level, mask, encoding, as the item list above states them
        int version;     // N = 4 V + 17 modules a side
        int level;       // 1 L .. 4 H
        int mask;
        bool eci;
    };
    const Case cases[] = {
        {{0, 0, 0, 1}, 1, 1, 0, false},   // Automatic, L - 7%, Automatic, UTF-8
        {{7, 2, 6, 1}, 7, 3, 5, false},   // 7, Q - 25%, 5, UTF-8
        {{40, 3, 8, 2}, 40, 4, 7, true},  // 40, H - 30%, 7, UTF-8+ECI
        {{1, 1, 1, 0}, 1, 2, 0, false},   // 1, M - 15%, 0, ANSI
        {{2, 1, 4, 1}, 2, 2, 3, false},   // 2, M - 15%, 3, UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.indexes[0] << "|" << c.indexes[1] << "|"
                                          << c.indexes[2] << "|" << c.indexes[3]);
        for (int i = 0; i < 4; ++i) List(i)->setCurrentIndex(c.indexes[i]);
        Generate("HELLO 123");
        ASSERT_TRUE(messages.empty());
        const Grid grid{Image1()->Picture()};
        const int n = grid.picture.width() - 8;
        EXPECT_EQ(n, 4 * c.version + 17);
        const std::string word = qrtest::ReadFormatWord(grid, n, 0);
        EXPECT_EQ(word, qrtest::kFormatWords[c.level - 1][c.mask]);

        const QImage grey = grid.picture.convertToFormat(QImage::Format_Grayscale8);
        const ZXing::Result read = ZXing::ReadBarcode(
            ZXing::ImageView(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                             static_cast<int>(grey.bytesPerLine())),
            ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(true));
        ASSERT_TRUE(read.isValid());
        EXPECT_EQ(read.ecLevel(), std::string(1, "LMQH"[c.level - 1]));
        EXPECT_EQ(read.hasECI(), c.eci);
        EXPECT_EQ(read.text(), "HELLO 123");
    }
}

}  // namespace
