// The read-back with two readers: whether zxing-cpp and zbar read the picture a save writes,
// the bytes each hands back and the text each shows, against what was encoded and typed. The
// expectations are the readers' behaviour as measured here (the README's table of readers
// and encodings); the code page designators are held to it one by one.

#include <gtest/gtest.h>

#include <ZXing/CharacterSet.h>

#include <string>
#include <vector>

#include "common/Symbol.h"
#include "common/TextBytes.h"
#include "readback/ReadBack.h"
#include "support/qt/Hex.h"

using qrdesk::TextEncoding;

namespace {

constexpr int kSizes[] = {200, 400, 600};

struct Made {
    std::string bytes;
    qrdesk::Symbol symbol;
    qrdesk::Image unscaled;
};

Made Make(clsQRCode& encoder, const std::string& bytes, clsQRCode::EncodeOptions options) {
    Made made{bytes, qrdesk::EncodeSymbol(encoder, bytes, options), {}};
    if (made.symbol.picture) made.unscaled = qrdesk::FromPicture(*made.symbol.picture);
    return made;
}

qrdesk::SymbolCheck CheckAt(const Made& made, const std::string& typed, int size) {
    return qrdesk::CheckSymbol(made.bytes, typed, made.unscaled,
                               qrdesk::Stretch(made.unscaled, size, size), kSizes);
}

std::string Utf8(const std::u16string& text) {
    return *qrdesk::TextToBytes(text, TextEncoding::Utf8, "");
}

}  // namespace

// Whether each reader reads the picture at the size saved, and the larger size named when one
// does not. Nearest-neighbour stretching makes modules of uneven width, which zxing-cpp's
// pure-symbol reader and zbar take differently.
TEST(ReadBack, EachReaderOnThePictureAsSaved) {
    struct Case {
        const char* name;
        std::string text;
        std::int32_t version;
        int size;
        bool zxingReads, zbarReads;
        int readableSize;  // the larger size both read, when one of them does not
    };
    const std::string long1200(1200, 'x');
    const Case cases[] = {
        {"small symbol at 200", "abc", 0, 200, true, true, 0},
        {"small symbol at 600", "abc", 0, 600, true, true, 0},
        // 185 pixels of symbol on 200: modules of one pixel, every eleventh doubled.
        {"version 40 at 200", "abc", 40, 200, false, false, 400},
        {"version 40 at 400", "abc", 40, 400, true, true, 0},
        // 1,200 bytes make version 29: at 600 pixels modules of 4 and 5 pixels mixed.
        {"version 29 at 600", long1200, 0, 600, false, true, 0},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Made made = Make(encoder, c.text, {c.version, 2, -1, false, 0});
        ASSERT_TRUE(made.symbol.picture);
        const auto check = CheckAt(made, c.text, c.size);
        EXPECT_EQ(check.size, c.size);
        const auto& [zxing, zbar] = check.readBack.readers;
        EXPECT_STREQ(zxing.name, "zxing-cpp");
        EXPECT_STREQ(zbar.name, "zbar");
        EXPECT_EQ(zxing.read, c.zxingReads);
        EXPECT_EQ(zbar.read, c.zbarReads);
        for (const auto& reader : check.readBack.readers) {
            EXPECT_EQ(reader.bytesExact, reader.read) << reader.name;  // ASCII reads as itself
            EXPECT_EQ(reader.textAsTyped, reader.read) << reader.name;
        }
        EXPECT_EQ(check.readableSize, c.readableSize);
        if (c.readableSize != 0) {  // the size named reads in both when tried on its own
            EXPECT_TRUE(qrdesk::ReadsAsTyped(encoder, c.text, c.text, {c.version, 2, -1, false, 0},
                                             c.readableSize));
        }
    }
}

TEST(ReadBack, OtherBytesOrNoSymbol) {
    clsQRCode encoder;
    const Made made = Make(encoder, "abc", {1, 2, -1, false, 0});
    const auto other =
        qrdesk::ReadBackImage(qrdesk::Stretch(made.unscaled, 200, 200), "abd", "abd");
    for (const auto& reader : other.readers) {
        EXPECT_TRUE(reader.read) << reader.name;
        EXPECT_EQ(reader.bytes, "abc") << reader.name;
        EXPECT_FALSE(reader.bytesExact) << reader.name;
        EXPECT_FALSE(reader.textAsTyped) << reader.name;
    }
    EXPECT_TRUE(other.AllRead());
    EXPECT_FALSE(other.AllAsTyped());

    qrdesk::Image blank;
    blank.width = blank.height = 200;
    blank.palette[0] = 0xFFFFFFFF;
    blank.pixels.assign(200 * 200, 0);
    for (const qrdesk::Image& image : {blank, qrdesk::Image()}) {
        const auto none = qrdesk::ReadBackImage(image, "abc", "abc");
        EXPECT_FALSE(none.readers[0].read);
        EXPECT_FALSE(none.readers[1].read);
        EXPECT_FALSE(none.AllRead());
    }
}

// What each reader shows, measured: zbar takes UTF-8 without an ECI header for Shift JIS,
// zxing-cpp guesses right; with ECI 26 both show UTF-8 text as typed; GBK has no designator
// either honours and reads as mojibake in both; CP932's extension characters are in no
// reader's Shift JIS table, so the bytes come back exactly but the text does not.
TEST(ReadBack, WhatEachReaderShows) {
    struct Case {
        const char* name;
        std::u16string typed;
        TextEncoding encoding;
        const char* codePage;
        std::int32_t eci;
        bool zxingAsTyped, zbarAsTyped;
        bool zbarBytesExact;  // zbar hands back the bytes converted when an ECI names them
    };
    const Case cases[] = {
        {"German UTF-8", u"Grüße aus Köln", TextEncoding::Utf8, "", 0, true, false, true},
        {"German UTF-8 + ECI", u"Grüße aus Köln", TextEncoding::Utf8, "", 26, true, true, true},
        {"Chinese UTF-8", u"https://example.org/产?id=12345", TextEncoding::Utf8, "", 0, true,
         false, true},
        {"Chinese UTF-8 + ECI", u"https://example.org/产?id=12345", TextEncoding::Utf8, "", 26,
         true, true, true},
        {"Japanese UTF-8", u"日本語のテキスト", TextEncoding::Utf8, "", 0, true, true, true},
        {"GBK", u"中文 汉字", TextEncoding::Ansi, "GBK", 0, false, false, true},
        {"Shift JIS", u"日本語のテキスト", TextEncoding::Ansi, "SHIFT_JIS", 0, true, true, true},
        {"Shift JIS + ECI 20", u"日本語のテキスト", TextEncoding::Ansi, "SHIFT_JIS", 20, true, true,
         false},
        {"CP932 extension characters", u"冝冝冝冝冝冝冝冝冝冝", TextEncoding::Ansi, "CP932", 0,
         false, false, true},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bytes = qrdesk::TextToBytes(c.typed, c.encoding, c.codePage);
        ASSERT_TRUE(bytes);
        const bool kanji = qrdesk::KanjiAllowed(c.encoding, c.codePage);
        const Made made = Make(encoder, *bytes, {0, 2, -1, kanji, c.eci});
        ASSERT_TRUE(made.symbol.picture);
        const auto check = CheckAt(made, Utf8(c.typed), 600);
        const auto& [zxing, zbar] = check.readBack.readers;
        ASSERT_TRUE(zxing.read);
        ASSERT_TRUE(zbar.read);
        EXPECT_TRUE(zxing.bytesExact);
        EXPECT_EQ(zbar.bytesExact, c.zbarBytesExact);
        EXPECT_EQ(zxing.textAsTyped, c.zxingAsTyped) << zxing.text;
        EXPECT_EQ(zbar.textAsTyped, c.zbarAsTyped) << zbar.text;
        EXPECT_EQ(check.readBack.AllAsTyped(), c.zxingAsTyped && c.zbarAsTyped);
    }
    // zbar's mojibake of the example, as the issue of readers without ECI shows it.
    const std::string url = Utf8(u"https://example.org/产?id=12345");
    const auto check = CheckAt(Make(encoder, url, {0, 2, -1, false, 0}), url, 600);
    EXPECT_EQ(check.readBack.readers[1].text, Utf8(u"https://example.org/莠ｧ?id=12345"));
}

// The designator the "ANSI+ECI" item and --eci auto write for a code page: each one makes
// both readers show text of that code page as typed, and zxing-cpp knows the code page by
// its name; a code page without one (GBK, the Windows pages, EUC-KR) gets 0.
TEST(ReadBack, CodePageDesignatorsBothReadersHonour) {
    struct Case {
        const char* codePage;
        std::int32_t eci;
        std::u16string sample;
    };
    const Case cases[] = {
        {"ISO-8859-1", 3, u"Grüße, café"},      {"latin1", 3, u"Grüße"},
        {"ISO-8859-2", 4, u"Łódź żółć"},        {"ISO-8859-5", 7, u"Привет"},
        {"ISO-8859-7", 9, u"Ελληνικά"},         {"ISO-8859-9", 11, u"İstanbul ğüş"},
        {"ISO-8859-15", 17, u"€ œuvre"},        {"CP437", 2, u"ÇüéâäÄ"},
        {"SHIFT_JIS", 20, u"日本語のテキスト"}, {"BIG5", 28, u"繁體中文"},
        {"UTF-8", 26, u"Grüße 中文"},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(qrdesk::EciOfCodePage(c.codePage), c.eci);
        if (std::string(c.codePage) != "latin1") {  // zxing-cpp knows the full names only
            EXPECT_NE(ZXing::CharacterSetFromString(c.codePage), ZXing::CharacterSet::Unknown);
        }
        const auto bytes = qrdesk::TextToBytes(c.sample, TextEncoding::Ansi, c.codePage);
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(qrdesk::ReadsAsTyped(encoder, *bytes, Utf8(c.sample),
                                         {0, 2, -1, c.eci == 20, c.eci}, 600));
    }
    for (const char* none : {"GBK", "GB18030", "CP1252", "CP1251", "EUC-KR", "KOI8-R", ""})
        EXPECT_EQ(qrdesk::EciOfCodePage(none), 0) << none;
}
