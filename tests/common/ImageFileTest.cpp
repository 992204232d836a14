// The symbol's picture as an image and as files: nearest-neighbour stretching to a size,
// whole-pixel modules with a margin, and the BMP, PNG and SVG files that the window and the command
// line write, read back by Qt (and rsvg-convert for SVG) and decoded with zxing-cpp.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

#include "common/Image.h"
#include "common/Symbol.h"
#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"

namespace {

qrdesk::Modules ModulesOfText(const std::string& text, int version = 0) {
    clsQRCode encoder;
    const auto symbol = qrdesk::EncodeSymbol(encoder, text, {version, 2, -1, false, 0});
    return symbol.picture ? qrdesk::ModulesOf(*symbol.picture) : qrdesk::Modules();
}

// Every pixel of a file as Qt reads it against the image's colours (alpha included).
void ExpectSamePixels(const QImage& reread, const qrdesk::Image& image) {
    ASSERT_EQ(reread.size(), QSize(image.width, image.height));
    const QImage argb = reread.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            ASSERT_EQ(argb.pixel(x, y), image.Colour(x, y)) << x << "," << y;
}

// Reads a 32-bit little-endian field of a file.
std::uint32_t Field32(const std::string& file, std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(file[at + k]);
    return v;
}

// Stretching, alone and inside the BMP and PNG writers: target pixel (x, y) shows source pixel
// (x * sourceWidth / width, y * sourceHeight / height), rounded down, as the window always
// stretched; enlarged, shrunk and by odd factors, widths that do not fill whole bytes.
TEST(ImageFile, StretchTakesTheNearestPixelBelow) {
    qrdesk::Image source;
    source.width = 29;
    source.height = 31;
    source.palette[0] = 0xFF000000;
    source.palette[1] = 0xFFFFFFFF;
    std::uint32_t seed = 12345;
    for (int i = 0; i < source.width * source.height; ++i) {
        seed = seed * 1103515245 + 12345;
        source.pixels.push_back(static_cast<std::uint8_t>(seed >> 16 & 1));
    }
    const QSize sizes[] = {{600, 600}, {200, 203}, {605, 17}, {29, 31}, {13, 7}, {1, 1}, {9, 64}};
    for (const QSize& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        QImage expected(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                expected.setPixel(x, y,
                                  source.Colour(x * source.width / size.width(),
                                                y * source.height / size.height()));
        const qrdesk::Image stretched = qrdesk::Stretch(source, size.width(), size.height());
        ExpectSamePixels(expected, stretched);
        for (const char* format : {"BMP", "PNG"}) {
            const std::string file =
                format[0] == 'B' ? qrdesk::EncodeBmp(source, size.width(), size.height(), 0)
                                 : qrdesk::EncodePng(source, size.width(), size.height(), 0);
            QImage reread;
            ASSERT_TRUE(reread.loadFromData(QByteArray::fromStdString(file), format));
            ASSERT_EQ(reread.convertToFormat(QImage::Format_ARGB32), expected) << format;
        }
    }
    EXPECT_TRUE(qrdesk::Stretch(qrdesk::Image(), 10, 10).Empty());
    EXPECT_TRUE(qrdesk::Stretch(source, 0, 10).Empty());
}

// Whole-pixel modules: (modules + 2 x margin) x scale pixels, every module the same square.
TEST(ImageFile, RenderDrawsWholeModulesWithTheMargin) {
    const qrdesk::Modules modules = ModulesOfText("HELLO");
    ASSERT_EQ(modules.size, 21);
    for (const auto& [margin, scale] : {std::pair{4, 1}, {0, 3}, {2, 5}}) {
        SCOPED_TRACE(std::to_string(margin) + " " + std::to_string(scale));
        const qrdesk::Image image =
            qrdesk::Render(modules, margin, scale, {0xFF112233, 0xFFEEDDCC});
        ASSERT_EQ(image.width, (21 + 2 * margin) * scale);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const int mx = x / scale - margin, my = y / scale - margin;
                const bool dark = mx >= 0 && my >= 0 && mx < 21 && my < 21 && modules.Dark(mx, my);
                ASSERT_EQ(image.Colour(x, y), dark ? 0xFF112233u : 0xFFEEDDCCu) << x << "," << y;
            }
    }
    // The encoder's own picture is margin 4 at scale 1.
    clsQRCode encoder;
    const auto symbol = qrdesk::EncodeSymbol(encoder, "HELLO", {0, 2, -1, false, 0});
    const qrdesk::Image own = qrdesk::FromPicture(*symbol.picture);
    const qrdesk::Image drawn = qrdesk::Render(modules, 4, 1);
    for (int y = 0; y < own.height; ++y)
        for (int x = 0; x < own.width; ++x) ASSERT_EQ(own.Colour(x, y), drawn.Colour(x, y));
}

// A PNG whose pixels fit in one 4 KiB block unpacked, few rows alike, stores them (deflate's
// block type 0); a larger one, or a stretched one, deflates them. Both read back pixel for pixel
// through Qt's decoder.
TEST(ImageFile, SmallPngsAreStoredLargeOnesDeflated) {
    const struct {
        int version, side;
        bool stored;
    } cases[] = {{1, 0, true},   {5, 0, true},    {10, 0, true},
                 {40, 0, false}, {1, 600, false}, {1, 87, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + " " + std::to_string(c.side));
        const qrdesk::Image unscaled = qrdesk::Render(ModulesOfText("SIZES", c.version), 4, 1);
        const qrdesk::Image image =
            c.side > 0 ? qrdesk::Stretch(unscaled, c.side, c.side) : unscaled;
        const std::string file = qrdesk::EncodePng(image);
        const std::size_t idat = file.find("IDAT");
        ASSERT_NE(idat, std::string::npos);
        // After the chunk type: the zlib header's two bytes, then the first block's header,
        // whose bits 1-2 are its type.
        const int blockType = (static_cast<unsigned char>(file[idat + 6]) >> 1) & 3;
        EXPECT_EQ(blockType == 0, c.stored) << "block type " << blockType;
        if (c.stored) {
            EXPECT_LE(file.size(), 4096u);
        }
        QImage reread;
        ASSERT_TRUE(reread.loadFromData(QByteArray::fromStdString(file), "PNG"));
        ExpectSamePixels(reread, image);
    }
}

TEST(ImageFile, SavedFilesAreWhatTheyClaimAndDecode) {
    const std::string text = "HELLO WORLD";
    const qrdesk::Modules modules = ModulesOfText(text, 1);
    const qrdesk::Image stretched = qrdesk::Stretch(qrdesk::Render(modules, 4, 1), 600, 600);
    struct Case {
        const char* format;
        std::function<std::string(const qrdesk::Image&)> encode;
    };
    const Case cases[] = {
        {"BMP", [](const qrdesk::Image& i) { return qrdesk::EncodeBmp(i); }},
        {"PNG", [](const qrdesk::Image& i) { return qrdesk::EncodePng(i); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string file = c.encode(stretched);
        if (std::string(c.format) == "BMP") {
            ASSERT_EQ(file.size(), 54u + 600 * 600 * 3);  // rows of 1800 bytes, no padding
            EXPECT_EQ(file.substr(0, 2), "BM");
            EXPECT_EQ(static_cast<unsigned char>(file[28]), 24);  // bits per pixel
            EXPECT_EQ(file[30], 0);                               // no compression
        } else {
            EXPECT_EQ(file[24], 1);  // bit depth 1: two colours, a palette of two
            EXPECT_EQ(file[25], 3);  // colour type: palette
        }
        QImage reread;
        ASSERT_TRUE(reread.loadFromData(QByteArray::fromStdString(file), c.format));
        ExpectSamePixels(reread, stretched);
        const auto decoded = DecodeImage(reread);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(DecodedBytes(decoded).toStdString(), text);
        EXPECT_TRUE(c.encode(qrdesk::Image()).empty());
    }
}

// Resolution, colours and transparency as written into the files.
TEST(ImageFile, DpiColoursAndTransparency) {
    const qrdesk::Modules modules = ModulesOfText("colours");
    const qrdesk::Image image = qrdesk::Render(modules, 4, 2, {0xFF1F3A68, 0x00FFFFFF});
    // BMP: 300 dpi is 11811 pixels per metre; no alpha in a 24-bit file.
    const std::string bmp = qrdesk::EncodeBmp(image, 300);
    EXPECT_EQ(Field32(bmp, 38), 11811u);
    EXPECT_EQ(Field32(bmp, 42), 11811u);
    EXPECT_EQ(Field32(qrdesk::EncodeBmp(image), 38), 3937u);
    // PNG: a pHYs chunk of 11811 per metre, and the transparent background through tRNS.
    const std::string png = qrdesk::EncodePng(image, 300);
    const std::size_t phys = png.find("pHYs");
    ASSERT_NE(phys, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(png[phys + 4]) << 24 |
                  static_cast<unsigned char>(png[phys + 5]) << 16 |
                  static_cast<unsigned char>(png[phys + 6]) << 8 |
                  static_cast<unsigned char>(png[phys + 7]),
              11811);
    EXPECT_EQ(qrdesk::EncodePng(image).find("pHYs"), std::string::npos);
    QImage reread;
    ASSERT_TRUE(reread.loadFromData(QByteArray::fromStdString(png), "PNG"));
    ExpectSamePixels(reread, image);
}

// SVG: whole modules in a viewBox of modules, drawn by an independent renderer at two sizes
// and read back.
TEST(ImageFile, SvgOfWholeModulesRendersAndDecodes) {
    const std::string text = "https://example.org/svg";
    const qrdesk::Modules modules = ModulesOfText(text);
    const std::string svg = qrdesk::EncodeSvg(modules, 4, 300, {0xFF000000, 0xFFFFFFFF});
    const std::string box = std::to_string(modules.size + 8);
    EXPECT_NE(svg.find("viewBox=\"0 0 " + box + " " + box + "\""), std::string::npos);
    EXPECT_NE(svg.find("width=\"300\""), std::string::npos);
    EXPECT_EQ(svg.find("<path"), svg.rfind("<path"));  // one path
    QTemporaryDir dir;
    WriteFile(dir.filePath("q.svg"), QByteArray::fromStdString(svg));
    for (const int pixels : {modules.size + 8, 450}) {
        SCOPED_TRACE(pixels);
        QProcess rsvg;
        rsvg.start("rsvg-convert", {"-w", QString::number(pixels), "-h", QString::number(pixels),
                                    "-o", dir.filePath("q.png"), dir.filePath("q.svg")});
        ASSERT_TRUE(rsvg.waitForFinished(30000));
        ASSERT_EQ(rsvg.exitCode(), 0) << rsvg.readAllStandardError().toStdString();
        QImage drawn(dir.filePath("q.png"));
        ASSERT_EQ(drawn.width(), pixels);
        if (pixels == modules.size + 8)  // one pixel per module: exactly the modules
            ExpectSamePixels(drawn, qrdesk::Render(modules, 4, 1));
        const auto decoded = DecodeImage(drawn);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(DecodedBytes(decoded).toStdString(), text);
    }
    EXPECT_TRUE(qrdesk::EncodeSvg(qrdesk::Modules(), 4, 300).empty());
}

}  // namespace
