// The logo: where it goes (checked against the function modules as the standard places them,
// stated here, not the encoder's drawing), how logo files decode (made by Qt's own PNG and
// JPEG writers), what the overlay changes in the picture, and the SVG with the logo drawn by
// an independent renderer.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "common/Logo.h"
#include "common/Symbol.h"
#include "support/KnownAnswers.h"
#include "support/qt/ImageDecode.h"

using qrdesk::LogoBox;
using qrdesk::LogoFormat;

namespace {

// Finder patterns with separators and format areas, timing patterns, alignment patterns
// (those not on a finder), version areas and the dark module, as the standard places them.
bool IsFunctionModule(int version, int x, int y) {
    const int n = 17 + 4 * version;
    if ((x <= 8 && y <= 8) || (x >= n - 8 && y <= 8) || (x <= 8 && y >= n - 8)) return true;
    if (x == 6 || y == 6) return true;
    const std::vector<int> centres = qrtest::AlignmentCentres(version);
    for (const int cx : centres)
        for (const int cy : centres) {
            const bool onFinder = (cx == 6 && cy == 6) || (cx == 6 && cy == centres.back()) ||
                                  (cx == centres.back() && cy == 6);
            if (!onFinder && std::abs(x - cx) <= 2 && std::abs(y - cy) <= 2) return true;
        }
    if (version >= 7 && ((x >= n - 11 && y <= 5) || (x <= 5 && y >= n - 11))) return true;
    return false;
}

QByteArray Saved(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// A logo of four quarters: red, green, blue and transparent.
QImage Quarters(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(0, 0, side / 2, side / 2, QColor(255, 0, 0));
    painter.fillRect(side / 2, 0, side - side / 2, side / 2, QColor(0, 255, 0));
    painter.fillRect(0, side / 2, side / 2, side - side / 2, QColor(0, 0, 255));
    return image;
}

// The modules of text's symbol at level H.
qrdesk::Modules ModulesAtH(clsQRCode& encoder, const std::string& text) {
    clsQRCode::EncodeOptions options;
    options.level = 4;
    return qrdesk::ModulesOf(*qrdesk::EncodeSymbol(encoder, text, options).picture);
}

}  // namespace

TEST(Logo, BoxCoversDataModulesOnlyAndKeepsToTheCentre) {
    clsQRCode encoder;
    for (int version = 1; version <= 40; ++version) {
        const int n = 17 + 4 * version;
        for (const int percent : {5, 20, 30}) {
            const LogoBox box = qrdesk::PlaceLogo(encoder, n, percent);
            SCOPED_TRACE(testing::Message() << "version " << version << ", " << percent << "%");
            if (box.Empty()) {
                EXPECT_LT(percent * n, 350) << "only a box under 3.5 modules may be refused";
                continue;
            }
            EXPECT_LE(box.side, (percent * n + 50) / 100);
            ASSERT_TRUE(box.x >= 0 && box.y >= 0 && box.x + box.side <= n && box.y + box.side <= n);
            for (int y = box.y; y < box.y + box.side; ++y)
                for (int x = box.x; x < box.x + box.side; ++x)
                    ASSERT_FALSE(IsFunctionModule(version, x, y)) << x << "," << y;
            // Where a centred box of full size is free, that is the box.
            const int full = (percent * n + 50) / 100, centred = (n - full) / 2;
            bool free = true;
            for (int y = centred; y < centred + full; ++y)
                for (int x = centred; x < centred + full; ++x)
                    free = free && !IsFunctionModule(version, x, y);
            if (free) {
                EXPECT_EQ(box.side, full);
                EXPECT_LE(std::abs(2 * box.x + box.side - n), 1);
                EXPECT_LE(std::abs(2 * box.y + box.side - n), 1);
            }
        }
        // The default size always finds room.
        EXPECT_FALSE(qrdesk::PlaceLogo(encoder, n, 20).Empty()) << version;
    }
    EXPECT_TRUE(qrdesk::PlaceLogo(encoder, 22, 20).Empty());  // no version's size
}

TEST(Logo, DecodesPngAndJpegAndRefusesWhatItCannotUse) {
    const QImage quarters = Quarters(40);
    const auto png = qrdesk::DecodeLogo(View(Saved(quarters, "PNG")), nullptr);
    ASSERT_TRUE(png);
    ASSERT_EQ(png->width, 40);
    EXPECT_EQ(png->argb[0], 0xFFFF0000u);
    EXPECT_EQ(png->argb[39], 0xFF00FF00u);
    EXPECT_EQ(png->argb[39 * 40], 0xFF0000FFu);
    EXPECT_EQ(png->argb[40 * 40 - 1] >> 24, 0u);  // transparent stays transparent

    const auto jpeg = qrdesk::DecodeLogo(
        View(Saved(quarters.convertToFormat(QImage::Format_RGB32), "JPEG", 95)), nullptr);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->height, 40);
    const std::uint32_t red = jpeg->argb[5 * 40 + 5];
    EXPECT_GT(red >> 16 & 0xFF, 230u);
    EXPECT_LT(red >> 8 & 0xFF, 30u);

    QByteArray bomb = Saved(QImage(1, 1, QImage::Format_RGB32), "PNG");
    // IHDR's width and height (bytes 16..23) raised to 20000 x 20000; the CRC then fails too,
    // but the size is refused first.
    for (int k : {16, 20}) {
        bomb[k] = 0;
        bomb[k + 1] = 0;
        bomb[k + 2] = static_cast<char>(20000 >> 8);
        bomb[k + 3] = static_cast<char>(20000 & 0xFF);
    }
    const QByteArray wholePng = Saved(quarters, "PNG");
    const QByteArray wholeJpeg = Saved(quarters.convertToFormat(QImage::Format_RGB32), "JPEG");
    struct Case {
        const char* name;
        QByteArray file;
        const char* reason;
    };
    const Case cases[] = {
        {"bomb", bomb, "larger than"},
        {"png cut", wholePng.left(wholePng.size() / 2), "damaged PNG"},
        {"jpeg cut", wholeJpeg.left(wholeJpeg.size() / 2), "damaged JPEG"},
        {"gif", QByteArray("GIF89a\x01\x00\x01\x00", 10), "not a PNG, JPEG or SVG"},
        {"empty", QByteArray(), "not a PNG, JPEG or SVG"},
        {"svg", QByteArray("<?xml version=\"1.0\"?>\n<!-- x -->\n<svg/>"), "SVG"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(qrdesk::DecodeLogo(View(c.file), &error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
    EXPECT_EQ(qrdesk::SniffLogoFormat("\xEF\xBB\xBF <!DOCTYPE svg>\n<svg xmlns=\"x\"/>"),
              LogoFormat::Svg);
}

TEST(Logo, DamagedFilesDecodeOrAreRefusedNeverMore) {
    // Bytes changed at random in valid files (the sanitizer build watches every access):
    // each decodes to a picture of the header's size or is refused with a reason.
    const QImage quarters = Quarters(48);
    const QByteArray files[] = {Saved(quarters, "PNG"),
                                Saved(quarters.convertToFormat(QImage::Format_RGB32), "JPEG")};
    std::uint32_t state = 12345;
    const auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (const QByteArray& file : files)
        for (int trial = 0; trial < 300; ++trial) {
            QByteArray damaged = file;
            for (int k = 0; k < 1 + trial % 8; ++k)
                damaged[next() % damaged.size()] = static_cast<char>(next() >> 24);
            if (trial % 5 == 0) damaged.truncate(next() % damaged.size());
            std::string error;
            const auto logo = qrdesk::DecodeLogo(View(damaged), &error);
            if (logo) {
                EXPECT_EQ(logo->argb.size(), static_cast<std::size_t>(logo->width) * logo->height);
            } else {
                EXPECT_FALSE(error.empty());
            }
        }
}

TEST(Logo, OverlayDrawsThePadAndLogoInTheBoxAndNothingElse) {
    clsQRCode encoder;
    const qrdesk::Modules modules = ModulesAtH(encoder, "https://example.org/logo");
    const int across = modules.size + 8;
    const qrdesk::LogoBox box = qrdesk::PlaceLogo(encoder, modules.size, 30);
    const auto logo = qrdesk::DecodeLogo(View(Saved(Quarters(64), "PNG")), nullptr);
    ASSERT_TRUE(logo);
    // A size whose modules are of uneven width, as the window's stretch makes them.
    const qrdesk::Colours colours{0xFF102030, 0xFFF0E0D0};
    const qrdesk::Image before = qrdesk::Stretch(qrdesk::Render(modules, 4, 1, colours), 600, 600);
    qrdesk::Image after = before;
    ASSERT_TRUE(qrdesk::OverlayLogo(after, across, 4, box, *logo));
    const double module = 600.0 / across;
    // Outside the box (give or take the pixel a module edge may fall on) nothing changes.
    const auto inBox = [&](int x, int y) {
        const double left = (4 + box.x) * module, right = (4 + box.x + box.side) * module;
        const double top = (4 + box.y) * module, bottom = (4 + box.y + box.side) * module;
        return x >= left - 1 && x < right + 1 && y >= top - 1 && y < bottom + 1;
    };
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            if (!inBox(x, y)) {
                ASSERT_EQ(after.Colour(x, y), before.Colour(x, y)) << x << "," << y;
            }
    // The pad's ring, a pixel inside the box's edge, is light; the logo's quarters are its
    // colours, its transparent quarter shows the pad.
    const int left = static_cast<int>((4 + box.x) * module) + 2;
    const int top = static_cast<int>((4 + box.y) * module) + 2;
    const int side = static_cast<int>(box.side * module);
    EXPECT_EQ(after.Colour(left, top), 0xFFF0E0D0u);
    EXPECT_EQ(after.Colour(left + side - 5, top + side - 5), 0xFFF0E0D0u);
    const int quarter = side / 4;
    EXPECT_EQ(after.Colour(left + quarter + 2, top + quarter + 2), 0xFFFF0000u);
    EXPECT_EQ(after.Colour(left + 3 * quarter - 4, top + quarter + 2), 0xFF00FF00u);
    EXPECT_EQ(after.Colour(left + quarter + 2, top + 3 * quarter - 4), 0xFF0000FFu);
    EXPECT_EQ(after.Colour(left + 3 * quarter - 4, top + 3 * quarter - 4), 0xFFF0E0D0u);

    // The logo fills the box less its pad and sits in its middle.
    int minX = 600, maxX = -1, minY = 600, maxY = -1;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            if (after.pixels[static_cast<std::size_t>(y) * 600 + x] >= 3) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    const double centre = (4 + box.x + box.side / 2.0) * module;
    EXPECT_NEAR((minX + maxX + 1) / 2.0, centre, 1.0);
    EXPECT_NEAR((minY + maxY + 1) / 2.0, (4 + box.y + box.side / 2.0) * module, 1.0);
    EXPECT_NEAR(maxX + 1 - minX, (box.side - 2) * module, 2.0);

    qrdesk::Image many = before;
    qrdesk::LogoImage gradient{256, 256, std::vector<std::uint32_t>(256 * 256)};
    for (int i = 0; i < 256 * 256; ++i)
        gradient.argb[i] = 0xFF000000u | static_cast<std::uint32_t>(i % 256) << 16 |
                           static_cast<std::uint32_t>(i / 256) << 8 | 0x80;
    EXPECT_TRUE(qrdesk::OverlayLogo(many, across, 4, box, gradient))
        << "more colours than the palette";
    EXPECT_FALSE(qrdesk::OverlayLogo(many, across, 4, {across, 0, 6}, gradient));
    EXPECT_FALSE(qrdesk::OverlayLogo(many, across, 4, box, {}));
}

TEST(Logo, SvgEmbedsTheLogoOverWholeModules) {
    clsQRCode encoder;
    const qrdesk::Modules modules = ModulesAtH(encoder, "https://example.org/svg");
    const LogoBox box = qrdesk::PlaceLogo(encoder, modules.size, 20);
    const QByteArray png = Saved(Quarters(32), "PNG");
    const std::string plain = qrdesk::EncodeSvg(modules, 4, 400);
    const std::string svg =
        qrdesk::AddLogoToSvg(plain, 4, box, View(png), LogoFormat::Png, 0xFFFFFFFF);
    EXPECT_EQ(svg.substr(0, svg.find("<rect x=")), plain.substr(0, plain.rfind("</svg>")))
        << "the modules' path stays as it was";
    const QImage drawn = RenderSvg(QByteArray::fromStdString(svg), 400);
    ASSERT_FALSE(drawn.isNull());
    const double module = 400.0 / (modules.size + 8);
    const int x = static_cast<int>((4 + box.x + 1.0 + (box.side - 2) / 4.0) * module);
    const int y = static_cast<int>((4 + box.y + 1.0 + (box.side - 2) / 4.0) * module);
    EXPECT_EQ(drawn.pixelColor(x, y).rgb(), QColor(255, 0, 0).rgb());
    EXPECT_EQ(DecodedBytes(DecodeImage(drawn)), "https://example.org/svg");
}
