// Every symbol in a picture, as three readers read it: symbols drawn at known places, so
// that where each reader locates them, in what order they come and what each reader hands
// back can be held to what was drawn and encoded; WeChat's reader as measured here.

#include <gtest/gtest.h>

#include <limits>

#include "SymbolGrid.h"
#include "common/Image.h"
#include "common/Symbol.h"
#include "common/TextBytes.h"
#include "readback/ReadSymbols.h"

using qrdesk::GreyImage;
using qrdesk::Quad;
using qrdesk::ReaderId;

namespace {

constexpr int kScale = 4;

struct Drawn {
    std::string bytes;
    Quad corners;  // the symbol's own corners (quiet zone excluded), from its top-left finder
};

GreyImage White(int width, int height) {
    return {width, height, std::vector<std::uint8_t>(std::size_t(width) * height, 255)};
}

// Draws the symbol of bytes with its quiet zone, top-left at (left, top).
Drawn Draw(GreyImage& canvas, const std::string& bytes, clsQRCode::EncodeOptions options, int left,
           int top) {
    clsQRCode encoder;
    const qrdesk::Symbol symbol = qrdesk::EncodeSymbol(encoder, bytes, options);
    EXPECT_TRUE(symbol.picture);
    const qrdesk::Modules modules = qrdesk::ModulesOf(*symbol.picture);
    const qrdesk::Image picture = qrdesk::Render(modules, 4, kScale);
    const std::vector<std::uint8_t> grey = qrdesk::Luminance(picture);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(&grey[std::size_t(y) * picture.width], picture.width,
                    &canvas.pixels[std::size_t(top + y) * canvas.width + left]);
    const float x0 = float(left + 4 * kScale), y0 = float(top + 4 * kScale);
    const float side = float(modules.size * kScale);
    return {bytes, {{{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}}}};
}

// The picture turned a quarter clockwise: the pixel at (x, y) goes to (height - 1 - y, x),
// and so a corner (between pixels) at (x, y) to (height - y, x).
GreyImage TurnedRight(const GreyImage& image, std::vector<Drawn>& drawn) {
    GreyImage out = White(image.height, image.width);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            out.pixels[std::size_t(x) * out.width + (image.height - 1 - y)] =
                image.pixels[std::size_t(y) * image.width + x];
    for (Drawn& d : drawn)
        for (qrdesk::Corner& c : d.corners) c = {float(image.height) - c.y, c.x};
    return out;
}

void ExpectAt(const std::optional<Quad>& found, const Quad& drawn, const char* reader) {
    ASSERT_TRUE(found) << reader;
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR((*found)[k].x, drawn[k].x, kScale) << reader << " corner " << k;
        EXPECT_NEAR((*found)[k].y, drawn[k].y, kScale) << reader << " corner " << k;
    }
}

}  // namespace

// Three symbols: two side by side (the right one a little lower), one below. Each reader
// reads each; zxing-cpp and zbar locate them where they were drawn; zxing-cpp says the level
// and the ECI. Turned a quarter, the corners turn with the symbol.
TEST(ReadSymbols, EverySymbolInReadingOrder) {
    GreyImage canvas = White(420, 380);
    const std::string greeting = *qrdesk::TextToBytes(u"Grüße", qrdesk::TextEncoding::Utf8, "");
    std::vector<Drawn> drawn = {
        Draw(canvas, "first", {1, 1, 0, false, 0}, 10, 10),
        Draw(canvas, greeting, {2, 3, 5, false, 26}, 200, 40),
        Draw(canvas, "third: \xE4\xB8\xAD\xE6\x96\x87", {0, 4, -1, false, 0}, 20, 200),
    };
    const char levels[] = {'L', 'Q', 'H'};
    const int ecis[] = {-1, 26, -1};
    std::string why;
    ASSERT_TRUE(qrdesk::WeChatAvailable(&why)) << why;
    for (const bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned" : "upright");
        GreyImage picture = canvas;
        if (turned) {
            picture = TurnedRight(canvas, drawn);
            // Turned right, the lower symbol is on the left and comes first.
            std::rotate(drawn.begin(), drawn.begin() + 2, drawn.end());
        }
        const qrdesk::PictureReading reading = qrdesk::ReadSymbols(picture);
        EXPECT_EQ(reading.wechatMissing, "");
        ASSERT_EQ(reading.symbols.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(drawn[i].bytes);
            const auto& readings = reading.symbols[i].readings;
            for (int r = 0; r < qrdesk::kReaderCount; ++r) {
                EXPECT_TRUE(readings[r].read) << qrdesk::kReaderNames[r];
                EXPECT_EQ(readings[r].bytes, drawn[i].bytes) << qrdesk::kReaderNames[r];
                EXPECT_EQ(readings[r].text, drawn[i].bytes) << qrdesk::kReaderNames[r];
            }
            ExpectAt(readings[int(ReaderId::Zxing)].position, drawn[i].corners, "zxing-cpp");
            ExpectAt(readings[int(ReaderId::Zbar)].position, drawn[i].corners, "zbar");
            const std::size_t k = turned ? (i + 2) % 3 : i;  // the symbol as drawn upright
            EXPECT_EQ(readings[int(ReaderId::Zxing)].level, levels[k]);
            EXPECT_EQ(readings[int(ReaderId::Zxing)].eci, ecis[k]);
        }
    }
}

// WeChat's reader hands back the payload's bytes whatever the ECI says or the mode (Kanji
// segments come back as their Shift JIS bytes): only UTF-8 shows as typed.
TEST(ReadSymbols, WhatWeChatShows) {
    using qrdesk::TextEncoding;
    struct Case {
        std::u16string typed;
        TextEncoding encoding;
        const char* codePage;
        std::int32_t eci;
        bool asTyped;
    };
    const Case cases[] = {
        {u"Grüße aus Köln", TextEncoding::Utf8, "", 0, true},
        {u"中文 汉字", TextEncoding::Utf8, "", 26, true},
        {u"Grüße aus Köln", TextEncoding::Ansi, "ISO-8859-1", 3, false},
        {u"Ελληνικά", TextEncoding::Ansi, "ISO-8859-7", 9, false},
        {u"日本語のテキスト", TextEncoding::Ansi, "SHIFT_JIS", 0, false},
        {u"日本語のテキスト", TextEncoding::Ansi, "SHIFT_JIS", 20, false},
        {u"中文 汉字", TextEncoding::Ansi, "GBK", 0, false},
        {u"繁體中文", TextEncoding::Ansi, "BIG5", 28, false},
    };
    for (const Case& c : cases) {
        const std::string bytes = *qrdesk::TextToBytes(c.typed, c.encoding, c.codePage);
        const std::string typed = *qrdesk::TextToBytes(c.typed, TextEncoding::Utf8, "");
        SCOPED_TRACE(typed + " in " + c.codePage);
        GreyImage picture = White(300, 300);
        Draw(picture, bytes, {0, 2, -1, qrdesk::KanjiAllowed(c.encoding, c.codePage), c.eci}, 10,
             10);
        const auto reading = qrdesk::ReadSymbols(picture);
        ASSERT_EQ(reading.symbols.size(), 1u);
        const qrdesk::SymbolReading& wechat = reading.symbols[0].readings[int(ReaderId::WeChat)];
        ASSERT_TRUE(wechat.read);
        EXPECT_EQ(wechat.bytes, bytes);
        EXPECT_EQ(wechat.text == typed, c.asTyped) << wechat.text;
        EXPECT_EQ(wechat.text, qrdesk::ValidUtf8(bytes));
        EXPECT_FALSE(wechat.position);  // no detector model: it does not say where
    }
}

TEST(ReadSymbols, NothingInABlankPicture) {
    EXPECT_TRUE(qrdesk::ReadSymbols(White(640, 480)).symbols.empty());
    EXPECT_TRUE(qrdesk::ReadSymbols(GreyImage{}).symbols.empty());
}

// Rows from the top, each from the left; a symbol beside another when each reaches past the
// other's middle height; unknown places last.
TEST(ReadSymbols, ReadingOrder) {
    const auto box = [](float left, float top, float side) -> std::optional<Quad> {
        return Quad{
            {{left, top}, {left + side, top}, {left + side, top + side}, {left, top + side}}};
    };
    const std::vector<std::optional<Quad>> positions = {
        box(0, 300, 100),   // third row
        std::nullopt,       // last
        box(300, 0, 100),   // first row, on the right, a little higher
        box(10, 40, 100),   // first row, on the left
        box(200, 160, 50),  // second row: its middle is below the first row's symbols
    };
    EXPECT_EQ(qrdesk::ReadingOrder(positions), (std::vector<std::size_t>{3, 2, 4, 0, 1}));
}

// What the modules say, held to what the encoder reports it made: version (7 and up with
// their version information), level, mask, ECI and segments. A stain over data modules
// leaves the version, level and mask read and the segments unknown; a picture too blurred
// for a clean grid says nothing it did not read.
TEST(ReadSymbols, FactsAsTheModulesSayThem) {
    struct Case {
        std::string bytes;
        clsQRCode::EncodeOptions options;
    };
    const Case cases[] = {
        {"HELLO WORLD", {1, 3, 0, false, 0}},
        {"0123456789012345678901234567890123456789abc", {7, 1, 5, false, 0}},
        {"\xE4\xB8\xAD\xE6\x96\x87 26 0123456789 ABCDEFGHIJKLMN", {10, 4, 7, false, 26}},
        {std::string(300, 'x') + "12345678901234567890", {0, 2, 3, false, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 20));
        clsQRCode encoder;
        clsQRCode::EncodeReport report;
        const auto picture = encoder.Encode(reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                            int(c.bytes.size()), c.options, &report);
        ASSERT_TRUE(picture);
        const qrdesk::Modules modules = qrdesk::ModulesOf(*picture);
        const qrdesk::Image image = qrdesk::Render(modules, 4, kScale);
        GreyImage grey{image.width, image.height, qrdesk::Luminance(image)};
        for (const bool stained : {false, true}) {
            SCOPED_TRACE(stained ? "stained" : "clean");
            if (stained)  // a 3 x 3-module blot in the lower right, among the first codewords
                for (int y = 0; y < 3 * kScale; ++y)
                    for (int x = 0; x < 3 * kScale; ++x)
                        grey.pixels[std::size_t(grey.height - 8 * kScale + y) * grey.width +
                                    grey.width - 8 * kScale + x] ^= 0xFF;
            const auto reading = qrdesk::ReadSymbols(grey);
            ASSERT_EQ(reading.symbols.size(), 1u);
            const qrdesk::SymbolFacts& f = reading.symbols[0].facts;
            EXPECT_EQ(f.version, report.version);
            EXPECT_EQ(f.level, qrdesk::LevelName(report.level)[0]);
            EXPECT_EQ(f.mask, report.mask);
            if (stained) {
                EXPECT_FALSE(f.segments);
                continue;
            }
            ASSERT_TRUE(f.segments);
            std::vector<std::pair<int, int>> expected, read;
            for (const auto& s : report.segments)
                expected.emplace_back(s.mode, s.mode == clsQRCode::ModeEci ? 0 : s.length);
            for (const auto& s : *f.segments) read.emplace_back(s.mode, s.count);
            EXPECT_EQ(read, expected);
        }
    }
    // Modules of a pixel and a half, smeared: the readers may still read it, the grid is not
    // claimed.
    GreyImage smeared = White(160, 160);
    Draw(smeared, "smeared", {3, 2, 1, false, 0}, 0, 0);
    for (int pass = 0; pass < 3; ++pass)
        for (std::size_t i = 1; i + 1 < smeared.pixels.size(); ++i)
            smeared.pixels[i] = std::uint8_t(
                (smeared.pixels[i - 1] + 2 * smeared.pixels[i] + smeared.pixels[i + 1]) / 4);
    for (const auto& symbol : qrdesk::ReadSymbols(smeared).symbols)
        if (symbol.facts.segments) {
            EXPECT_EQ(symbol.facts.version, 3);
        }
}

// Corners that are no place in the picture (a reader's degenerate quadrilateral) give no
// facts and sample nothing outside it: not numbers, far outside, all at one point, and the
// largest floats. The sanitizer build would stop at any conversion that does not fit.
TEST(ReadSymbols, FactsOfCornersThatAreNoPlace) {
    GreyImage canvas = White(200, 200);
    const Drawn drawn = Draw(canvas, "HELLO", {1, 2, 0, false, 0}, 10, 10);
    ASSERT_EQ(qrdesk::ReadSymbolFacts(canvas, drawn.corners).version, 1);  // the picture reads
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float big = std::numeric_limits<float>::max();
    const Quad cases[] = {
        {{{nan, nan}, {nan, nan}, {nan, nan}, {nan, nan}}},
        {{{1e30f, 1e30f}, {-1e30f, 1e30f}, {-1e30f, -1e30f}, {1e30f, -1e30f}}},
        {{{50, 50}, {50, 50}, {50, 50}, {50, 50}}},
        {{{0, 0}, {big, 0}, {big, big}, {0, big}}},
        {{{10, 10}, {nan, 10}, {100, 100}, {10, 100}}},
    };
    for (const Quad& corners : cases) {
        const qrdesk::SymbolFacts facts = qrdesk::ReadSymbolFacts(canvas, corners);
        EXPECT_EQ(facts.version, 0);
        EXPECT_FALSE(facts.segments);
    }
}
