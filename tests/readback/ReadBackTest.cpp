// The readers behind the symbol job: what zxing-cpp and zbar read from a written picture and
// show, their helping settings, and the module's C interface that the command line loads.
// The expectations on character sets are the readers' behaviour as measured here (the
// README's table of readers and encodings).

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <ZXing/CharacterSet.h>

#include <string>
#include <vector>

#include "common/ReaderModule.h"
#include "common/SymbolJob.h"
#include "readback/ReadBack.h"

using qrdesk::TextEncoding;

namespace {

std::string Utf8(const std::u16string& text) {
    return *qrdesk::TextToBytes(text, TextEncoding::Utf8, "");
}

qrdesk::SymbolResult Make(const qrdesk::SymbolSettings& settings) {
    static clsQRCode encoder;
    static const qrdesk::Readers readers;
    return qrdesk::MakeSymbol(encoder, settings, readers.All());
}

// The grey pixels of a made symbol's written picture.
std::vector<std::uint8_t> Grey(const qrdesk::SymbolResult& symbol) {
    return qrdesk::Luminance(symbol.written);
}

}  // namespace

// Each reader alone, as an app calls it and with its helping setting: pictures of a pixel or
// two per module read in zbar only when enlarged, a version 40 symbol at 2 pixels a module in
// zxing-cpp only as a pure symbol; a blank picture in neither.
TEST(ReadBack, EachReaderPlainAndHelped) {
    struct Case {
        const char* name;
        std::int32_t version, scale;
        bool zxingPlain, zxingPure, zbarPlain, zbarEnlarged;
    };
    const Case cases[] = {
        {"version 2 at 1 pixel a module", 0, 1, true, true, false, true},
        {"version 40 at 2 pixels a module", 40, 2, false, true, true, false},
        {"version 2 at 8 pixels a module", 0, 8, true, true, true, false},
    };
    const qrdesk::ZxingReader zxing;
    const qrdesk::ZbarReader zbar;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qrdesk::SymbolSettings settings;
        settings.text = u"https://example.org";
        settings.version = c.version;
        settings.scale = c.scale;
        settings.keepWritten = true;
        const auto symbol = Make(settings);
        ASSERT_TRUE(symbol.Made());
        const auto grey = Grey(symbol);
        const qrdesk::GreyView view{grey.data(), symbol.written.width, symbol.written.height};
        EXPECT_EQ(zxing.Read(view, false).decoded, c.zxingPlain);
        EXPECT_EQ(zxing.Read(view, true).decoded, c.zxingPure);
        EXPECT_EQ(zbar.Read(view, false).decoded, c.zbarPlain);
        // Enlarging is no help to a picture of 200 pixels or more.
        EXPECT_EQ(zbar.Read(view, true).decoded, c.zbarEnlarged);
    }
    const std::vector<std::uint8_t> blank(100 * 100, 255);
    for (const bool helped : {false, true}) {
        EXPECT_FALSE(zxing.Read({blank.data(), 100, 100}, helped).decoded);
        EXPECT_FALSE(zbar.Read({blank.data(), 100, 100}, helped).decoded);
    }
}

// What each reader shows, measured: zbar takes UTF-8 without an ECI header for Shift JIS,
// zxing-cpp guesses right; with ECI 26 both show UTF-8 text as typed; GBK has no designator
// either honours and reads as mojibake in both; CP932's extension characters are in no
// reader's Shift JIS table: under ECI 20 zbar reads nothing at all.
TEST(ReadBack, WhatEachReaderShows) {
    struct Case {
        const char* name;
        std::u16string typed;
        TextEncoding encoding;
        const char* codePage;
        std::int32_t eci;
        bool zxingAsTyped, zbarAsTyped;
        bool zbarShows;       // zbar reads it and shows some text
        bool zbarBytesExact;  // zbar hands back the bytes converted when an ECI names them
    };
    const Case cases[] = {
        {"German UTF-8", u"Grüße aus Köln", TextEncoding::Utf8, "", 0, true, false, true, true},
        {"German UTF-8 + ECI", u"Grüße aus Köln", TextEncoding::Utf8, "", 26, true, true, true,
         true},
        {"Chinese UTF-8", u"https://example.org/产?id=12345", TextEncoding::Utf8, "", 0, true,
         false, true, true},
        {"Japanese UTF-8", u"日本語のテキスト", TextEncoding::Utf8, "", 0, true, true, true, true},
        {"GBK", u"中文 汉字", TextEncoding::Ansi, "GBK", 0, false, false, true, true},
        {"Shift JIS", u"日本語のテキスト", TextEncoding::Ansi, "SHIFT_JIS", 0, true, true, true,
         true},
        {"Shift JIS + ECI 20", u"日本語のテキスト", TextEncoding::Ansi, "SHIFT_JIS", 20, true, true,
         true, false},
        {"CP932 extension + ECI 20", u"冝冝冝冝冝冝冝冝冝冝", TextEncoding::Ansi, "CP932", 20,
         false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qrdesk::SymbolSettings settings;
        settings.text = c.typed;
        settings.encoding = c.encoding;
        settings.codePage = c.codePage;
        settings.eci = qrdesk::EciChoice::Given;
        settings.eciDesignator = c.eci;
        const auto symbol = Make(settings);
        ASSERT_TRUE(symbol.Made());
        ASSERT_EQ(symbol.verdicts.size(), 3u);
        const auto& zxing = symbol.verdicts[0];
        const auto& zbar = symbol.verdicts[1];
        // WeChat's reader shows the payload's bytes as UTF-8, whatever the designator says.
        const auto& wechat = symbol.verdicts[2];
        EXPECT_EQ(wechat.name, "wechat");
        EXPECT_TRUE(wechat.read);
        EXPECT_EQ(wechat.textAsTyped, c.encoding == TextEncoding::Utf8);
        EXPECT_EQ(zxing.name, "zxing-cpp");
        EXPECT_EQ(zbar.name, "zbar");
        EXPECT_TRUE(zxing.decoded);
        EXPECT_EQ(zbar.decoded, c.zbarShows);
        EXPECT_TRUE(zxing.bytesExact);
        EXPECT_EQ(zbar.bytesExact, c.zbarBytesExact);
        EXPECT_EQ(zbar.read, c.zbarShows) << zbar.text;
        EXPECT_EQ(zxing.textAsTyped, c.zxingAsTyped) << zxing.text;
        EXPECT_EQ(zbar.textAsTyped, c.zbarAsTyped) << zbar.text;
        EXPECT_EQ(symbol.AllAsTyped(),
                  c.zxingAsTyped && c.zbarAsTyped && c.encoding == TextEncoding::Utf8);
    }
    // zbar's mojibake of the example, as the issue of readers without ECI shows it.
    qrdesk::SymbolSettings url;
    url.text = u"https://example.org/产?id=12345";
    EXPECT_EQ(Make(url).verdicts[1].text, Utf8(u"https://example.org/莠ｧ?id=12345"));
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(qrdesk::EciOfCodePage(c.codePage), c.eci);
        if (std::string(c.codePage) != "latin1") {  // zxing-cpp knows the full names only
            EXPECT_NE(ZXing::CharacterSetFromString(c.codePage), ZXing::CharacterSet::Unknown);
        }
        qrdesk::SymbolSettings settings;
        settings.text = c.sample;
        settings.encoding = TextEncoding::Ansi;
        settings.codePage = c.codePage;
        settings.eci = qrdesk::EciChoice::Auto;
        const auto symbol = Make(settings);
        ASSERT_TRUE(symbol.Made());
        EXPECT_EQ(symbol.eci, c.eci);
        ASSERT_EQ(symbol.verdicts.size(), 3u);
        EXPECT_TRUE(symbol.verdicts[0].textAsTyped);
        EXPECT_TRUE(symbol.verdicts[1].textAsTyped);
        // WeChat's reader honours none: only UTF-8's bytes show as typed in it.
        EXPECT_EQ(symbol.verdicts[2].textAsTyped, c.eci == 26);
    }
    for (const char* none : {"GBK", "GB18030", "CP1252", "CP1251", "EUC-KR", "KOI8-R", ""})
        EXPECT_EQ(qrdesk::EciOfCodePage(none), 0) << none;
}

// The module as qrdesk-cli loads it: its interface checks, the readers it lists, and buffers
// too small for what was read, which get the length needed and as much as fits.
TEST(ReadBack, ModuleInterface) {
    void* handle = dlopen(QRDESK_READBACK_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(handle) << dlerror();
    using Entry = const qrdesk_readback* (*)();
    const auto entry = reinterpret_cast<Entry>(dlsym(handle, qrdesk::kReadBackEntry));
    ASSERT_TRUE(entry);
    const qrdesk_readback* module = entry();
    ASSERT_TRUE(module);
    EXPECT_EQ(module->abi, QRDESK_READBACK_ABI);
    EXPECT_EQ(module->size, sizeof(qrdesk_readback));
    ASSERT_EQ(module->reader_count, 3u);
    EXPECT_STREQ(module->name(0), "zxing-cpp");
    EXPECT_STREQ(module->name(1), "zbar");
    EXPECT_STREQ(module->name(2), "wechat");
    EXPECT_EQ(module->name(3), nullptr);
    EXPECT_STREQ(module->missing(), "");

    qrdesk::SymbolSettings settings;
    settings.text = u"https://example.org/module";
    settings.keepWritten = true;
    const auto symbol = Make(settings);
    const auto grey = Grey(symbol);
    const int side = symbol.written.width;
    for (std::uint32_t reader = 0; reader < 2; ++reader) {
        char bytes[8], text[8];
        qrdesk_reading out{0, 0, bytes, sizeof bytes, 0, text, sizeof text, 0};
        ASSERT_EQ(module->read(reader, grey.data(), side, side, 0, &out), 0);
        EXPECT_EQ(out.decoded, 1);
        EXPECT_EQ(out.shown, 1);
        EXPECT_EQ(out.bytes_length, 26u);
        EXPECT_EQ(out.text_length, 26u);
        EXPECT_EQ(std::string(bytes, sizeof bytes), "https://");
        // Bad arguments are refused, not read.
        EXPECT_EQ(module->read(reader, nullptr, side, side, 0, &out), -1);
        EXPECT_EQ(module->read(reader, grey.data(), 0, side, 0, &out), -1);
        EXPECT_EQ(module->read(reader, grey.data(), side, side, 0, nullptr), -1);
    }
    qrdesk_reading out{};
    EXPECT_EQ(module->read(3, grey.data(), side, side, 0, &out), -1);
    dlclose(handle);
}
