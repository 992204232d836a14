// The symbol's picture as an image file: pixel replication to a size, and the BMP and PNG
// files that the window and the command line write, read back by Qt and zxing-cpp.

#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "common/Image.h"
#include "common/QtImage.h"
#include "common/Symbol.h"
#include "support/qt/ImageDecode.h"

namespace {

TEST(ImageFile, StretchReplicatesPixels) {
    qrdesk::Image source;
    source.width = source.height = 2;
    source.palette[1] = 0xFFFFFF;
    source.pixels = {0, 1, 1, 0};  // black, white / white, black
    const qrdesk::Image big = qrdesk::Stretch(source, 5, 4);
    ASSERT_EQ(big.width, 5);
    ASSERT_EQ(big.height, 4);
    // Columns 0..2 come from source column 0 (x * 2 / 5), rows 0..1 from row 0.
    const char* expected[] = {"###..", "###..", "...##", "...##"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(big.Colour(x, y) == 0, expected[y][x] == '#') << x << "," << y;
    EXPECT_TRUE(qrdesk::Stretch(qrdesk::Image(), 10, 10).Empty());
    EXPECT_TRUE(qrdesk::Stretch(source, 0, 10).Empty());
}

TEST(ImageFile, SavedFilesAreWhatTheyClaimAndDecode) {
    clsQRCode encoder;
    const std::string text = "HELLO WORLD";
    const auto symbol = qrdesk::EncodeSymbol(encoder, text, {1, 2, -1, false});
    ASSERT_TRUE(symbol.picture);
    const qrdesk::Image stretched = qrdesk::Stretch(qrdesk::FromPicture(*symbol.picture), 600, 600);
    struct Case {
        const char* format;
        std::function<std::string(const qrdesk::Image&)> encode;
    };
    const Case cases[] = {{"BMP", qrdesk::EncodeBmp}, {"PNG", qrdesk::EncodePng}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string file = c.encode(stretched);
        if (std::string(c.format) == "BMP") {
            ASSERT_EQ(file.size(), 54u + 600 * 600 * 3);  // rows of 1800 bytes, no padding
            EXPECT_EQ(file.substr(0, 2), "BM");
            EXPECT_EQ(static_cast<unsigned char>(file[28]), 24);  // bits per pixel
            EXPECT_EQ(file[30], 0);                               // no compression
        }
        QImage reread;
        ASSERT_TRUE(reread.loadFromData(QByteArray::fromStdString(file), c.format));
        ASSERT_EQ(reread.size(), QSize(600, 600));
        EXPECT_EQ(reread.convertToFormat(QImage::Format_RGB32), qrdesk::ToQImage(stretched));
        const auto decoded = DecodeImage(reread);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(DecodedBytes(decoded).toStdString(), text);
        EXPECT_TRUE(c.encode(qrdesk::Image()).empty());
    }
}

}  // namespace
