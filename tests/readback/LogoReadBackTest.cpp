// A logo on the symbol, read by both readers from the very picture that is written: at level H
// every size up to the largest reads as typed; a logo of 30 % at level L covers more than L
// restores and reads in neither.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <string>

#include "common/Logo.h"
#include "common/Symbol.h"
#include "readback/ReadBack.h"

namespace {

// A dark logo with a light ring and a disc, like a typical badge.
qrdesk::LogoImage Badge(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(20, 60, 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(0, 0, side, side);
    painter.setBrush(QColor(250, 200, 40));
    painter.drawEllipse(side / 4, side / 4, side / 2, side / 2);
    painter.end();
    qrdesk::LogoImage logo{side, side, std::vector<std::uint32_t>(side * side)};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) logo.argb[y * side + x] = image.pixel(x, y);
    return logo;
}

qrdesk::ReadBack ReadWithLogo(const std::string& text, int level, int percent, int pixels) {
    clsQRCode encoder;
    clsQRCode::EncodeOptions options;
    options.level = static_cast<std::int16_t>(level);
    const auto symbol = qrdesk::EncodeSymbol(encoder, text, options);
    const qrdesk::Modules modules = qrdesk::ModulesOf(*symbol.picture);
    qrdesk::Image image = qrdesk::Stretch(qrdesk::Render(modules, 4, 1), pixels, pixels);
    const auto box = qrdesk::PlaceLogo(encoder, modules.size, percent);
    EXPECT_TRUE(qrdesk::OverlayLogo(image, modules.size + 8, 4, box, Badge(128)));
    return qrdesk::ReadBackImage(image, text, text);
}

TEST(LogoReadBack, BothReadersAtEachLevelAndSize) {
    const std::string url = "https://example.org/qrdesk/logo?id=12345";  // version 3 at L
    const std::string longer(150, 'x');  // version 7 or more: the centre holds an alignment pattern
    struct Case {
        const std::string& text;
        int level;
        int percent;
        bool reads;          // both readers show the text as typed; otherwise neither reads it
        int smallest = 200;  // the 200-pixel picture of a larger version has modules of 3 pixels
    };
    const Case cases[] = {
        {url, 4, 10, true},  {url, 4, 20, true},         {url, 4, 30, true},
        {url, 3, 30, true},  {url, 1, 10, true},         {url, 1, 30, false},
        {url, 2, 30, false}, {longer, 4, 30, true, 600}, {longer, 1, 30, false, 600},
    };
    for (const Case& c : cases)
        for (const int pixels : {c.smallest, 600}) {
            SCOPED_TRACE(testing::Message() << c.text.size() << " bytes, level " << c.level << ", "
                                            << c.percent << "%, " << pixels << " px");
            const qrdesk::ReadBack read = ReadWithLogo(c.text, c.level, c.percent, pixels);
            for (const qrdesk::ReaderResult& reader : read.readers) {
                EXPECT_EQ(reader.read, c.reads) << reader.name;
                EXPECT_EQ(reader.textAsTyped, c.reads) << reader.name;
            }
        }
}

}  // namespace
