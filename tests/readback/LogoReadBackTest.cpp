// A logo on the symbol, read by both readers from the very picture the job writes: at level H
// every size up to the largest reads as typed; a logo of 30 % at level L covers more than L
// restores, reads in neither, and the advice given (a smaller logo, a higher level) reads.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>

#include "common/SymbolJob.h"
#include "readback/ReadBack.h"

namespace {

// A dark logo with a light disc, like a typical badge.
std::shared_ptr<const qrdesk::LoadedLogo> Badge(int side) {
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
    auto logo = std::make_shared<qrdesk::LoadedLogo>();
    logo->image = {side, side, std::vector<std::uint32_t>(side * side)};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) logo->image.argb[y * side + x] = image.pixel(x, y);
    logo->format = qrdesk::LogoFormat::Png;
    return logo;
}

qrdesk::SymbolResult WithLogo(const std::string& text, int level, int percent, int pixels) {
    static const qrdesk::Readers readers;
    clsQRCode encoder;
    qrdesk::SymbolSettings settings;
    settings.text = std::u16string(text.begin(), text.end());
    settings.level = level;
    settings.size = pixels;
    settings.logo = Badge(128);
    settings.logoPercent = percent;
    return qrdesk::MakeSymbol(encoder, settings, readers.All());
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
            const qrdesk::SymbolResult made = WithLogo(c.text, c.level, c.percent, pixels);
            ASSERT_TRUE(made.logo);
            for (const qrdesk::ReaderVerdict& reader : made.verdicts) {
                EXPECT_EQ(reader.read, c.reads) << reader.name;
                EXPECT_EQ(reader.textAsTyped, c.reads) << reader.name;
            }
            if (c.reads) continue;
            // Advice is given only once it was seen to read.
            const qrdesk::SymbolAdvice& advice = made.advice;
            ASSERT_TRUE(advice.level > c.level || advice.logoPercent != 0);
            if (advice.logoPercent != 0) {
                EXPECT_LT(advice.logoPercent, c.percent);
                EXPECT_TRUE(WithLogo(c.text, c.level, advice.logoPercent, pixels).AllAsTyped());
            }
            if (advice.level != 0) {
                EXPECT_TRUE(WithLogo(c.text, advice.level, c.percent, pixels).AllAsTyped());
            }
        }
}

}  // namespace
