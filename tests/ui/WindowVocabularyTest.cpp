// The window's lists held to an independent statement: the symbol made for the items shown is,
// as a reader written from the standard (module count, format information) and zxing-cpp
// (level, ECI header) read it, the symbol those items name.

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

TEST_F(WindowTest, ListItemsMakeTheSymbolsTheyName) {
    struct Case {
        const char* items[4];  // as the lists show them
        int version;           // N = 4 V + 17 modules a side
        int level;             // 1 L .. 4 H
        int mask;
        bool eci;
    };
    const Case cases[] = {
        {{"Automatic", "L - 7%", "Automatic", "UTF-8"}, 1, 1, 0, false},
        {{"7", "Q - 25%", "5", "UTF-8"}, 7, 3, 5, false},
        {{"40", "H - 30%", "7", "UTF-8+ECI"}, 40, 4, 7, true},
        {{"1", "M - 15%", "0", "ANSI"}, 1, 2, 0, false},
        {{"2", "M - 15%", "3", "UTF-8"}, 2, 2, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items[0] + std::string("|") + c.items[1] + "|" + c.items[2]);
        for (int i = 0; i < 4; ++i) {
            const int index = List(i)->findText(c.items[i]);
            ASSERT_GE(index, 0) << c.items[i];
            List(i)->setCurrentIndex(index);
        }
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
