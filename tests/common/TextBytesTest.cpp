// Text to the bytes a symbol carries, as the window and the command line both convert it,
// and the command line's strict reading of UTF-8.

#include <gtest/gtest.h>

#include <QString>

#include <iterator>
#include <string>

#include "common/TextBytes.h"
#include "support/qt/Hex.h"

using qrdesk::TextEncoding;

namespace {

const std::u16string kLoneHigh = {char16_t(0xD800), u'a'};
const std::u16string kEmoji = u"\U0001F600";

TEST(TextBytes, ConvertsAsThePlatformConverters) {
    struct Case {
        std::u16string text;
        TextEncoding encoding;
        const char* codePage;
        const char* hex;
    };
    const Case cases[] = {
        {u"abc", TextEncoding::Utf8, "GBK", "616263"},
        {u"二", TextEncoding::Utf8, "GBK", "e4ba8c"},
        {kEmoji, TextEncoding::Utf8, "GBK", "f09f9880"},     // a surrogate pair: four bytes
        {kLoneHigh, TextEncoding::Utf8, "GBK", "efbfbd61"},  // U+FFFD for a lone surrogate
        {u"二维码", TextEncoding::Ansi, "GBK", "b6feceacc2eb"},
        {kEmoji, TextEncoding::Ansi, "GBK", "3f"},  // not in the code page: "?"
        {kLoneHigh, TextEncoding::Ansi, "GBK", "3f61"},
        {u"aé€b", TextEncoding::Ansi, "ISO-8859-1", "61e93f62"},  // no euro sign in Latin-1
        {u"漢字", TextEncoding::Ansi, "SHIFT_JIS", "8abf8e9a"},
        {std::u16string(1, u'\0') + u"x", TextEncoding::Ansi, "GBK", "0078"},
        {u"", TextEncoding::Ansi, "GBK", ""},
        // The code page's own "?": two bytes in UCS-2; in ISO-2022-JP back in ASCII first
        // (ESC ( B) and the shift to JIS X 0208 (ESC $ B) again for the next character.
        {u"a\U0001F600b", TextEncoding::Ansi, "UCS-2LE", "61003f006200"},
        {u"日\U0001F600本", TextEncoding::Ansi, "ISO-2022-JP",
         "1b2442467c1b28423f1b24424b5c1b2842"},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        const auto bytes = qrdesk::TextToBytes(c.text, c.encoding, c.codePage);
        ASSERT_TRUE(bytes) << k;
        EXPECT_EQ(*bytes, HexBytes(c.hex)) << k << " " << c.codePage;
    }
}

TEST(TextBytes, UnknownCodePageIsAnError) {
    std::string error;
    EXPECT_FALSE(qrdesk::TextToBytes(u"abc", TextEncoding::Ansi, "NO-SUCH-PAGE", &error));
    EXPECT_NE(error.find("NO-SUCH-PAGE"), std::string::npos) << error;
    EXPECT_FALSE(qrdesk::IsCodePageSupported("NO-SUCH-PAGE"));
    EXPECT_TRUE(qrdesk::IsCodePageSupported("GBK"));
    // iconv's suffixes are not code pages (//IGNORE made the conversion read past its input).
    for (const char* name : {"ISO-8859-1//IGNORE", "latin1//TRANSLIT", "SHIFT_JIS//", "ASCII/"}) {
        EXPECT_FALSE(qrdesk::IsCodePageSupported(name)) << name;
        EXPECT_FALSE(qrdesk::TextToBytes(u"a\u20AC", TextEncoding::Ansi, name)) << name;
    }
}

// Long texts are converted a few characters per iconv call (one call for the whole text made
// each unconvertible character cost a pass over the rest). Every character keeps its own
// bytes, wherever the calls split the text: a two-byte character, an unconvertible one or a
// surrogate pair at any position.
TEST(TextBytes, LongMixedTextKeepsEveryCharacter) {
    struct Piece {
        std::u16string text;
        std::string gbk;
    };
    const Piece pieces[] = {
        {u"a", "a"},
        {u"码", HexBytes("c2eb")},
        {u"ก", "?"},                // Thai: not in GBK
        {kEmoji, "?"},              // a surrogate pair
        {{char16_t(0xDC00)}, "?"},  // a lone surrogate
        {std::u16string(1, u'\0'), std::string(1, '\0')},
    };
    for (int stride = 1; stride <= 7; ++stride) {
        std::u16string text;
        std::string expected;
        for (int i = 0; i < 3000; ++i) {
            const Piece& p = pieces[(i * stride + i / 5) % std::size(pieces)];
            text += p.text;
            expected += p.gbk;
        }
        const auto bytes = qrdesk::TextToBytes(text, TextEncoding::Ansi, "GBK");
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->size(), expected.size()) << stride;
        EXPECT_TRUE(*bytes == expected) << stride;
    }
}

TEST(TextBytes, KanjiOnlyForShiftJisAnsiText) {
    struct Case {
        TextEncoding encoding;
        const char* codePage;
        bool kanji;
    };
    const Case cases[] = {
        {TextEncoding::Ansi, "SHIFT_JIS", true},  {TextEncoding::Ansi, "cp932", true},
        {TextEncoding::Ansi, "SJIS", true},       {TextEncoding::Ansi, "WINDOWS-31J", true},
        {TextEncoding::Ansi, "GBK", false},       {TextEncoding::Ansi, "EUC-JP", false},
        {TextEncoding::Utf8, "SHIFT_JIS", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qrdesk::KanjiAllowed(c.encoding, c.codePage), c.kanji) << c.codePage;
}

// Well-formed UTF-8 as the Unicode standard's table of byte sequences gives it; anything
// else is refused, not repaired; shown as UTF-8, each byte that starts no sequence is U+FFFD.
TEST(TextBytes, DecodesOnlyWellFormedUtf8) {
    struct Case {
        const char* hex;
        std::u16string text;  // empty with ok false: refused
        bool ok;
        const char* shown = "";  // ValidUtf8 of a refused one (R: U+FFFD's bytes)
    };
    const Case cases[] = {
        {"", u"", true},
        {"41 00 7f", {u'A', u'\0', char16_t(0x7F)}, true},
        {"c2 80 df bf", {char16_t(0x80), char16_t(0x7FF)}, true},
        {"e0 a0 80 ed 9f bf ee 80 80 ef bf bf",
         {char16_t(0x800), char16_t(0xD7FF), char16_t(0xE000), char16_t(0xFFFF)},
         true},
        {"f0 9f 98 80 f4 8f bf bf", u"\U0001F600\U0010FFFF", true},
        {"80", u"", false, "R"},                 // a continuation byte alone
        {"c0 af", u"", false, "R R"},            // an overlong "/"
        {"e0 9f bf", u"", false, "R R R"},       // an overlong U+07FF
        {"ed a0 80", u"", false, "R R R"},       // a surrogate, U+D800
        {"f4 90 80 80", u"", false, "R R R R"},  // above U+10FFFF
        {"f5 80 80 80", u"", false, "R R R R"},
        {"e4 ba", u"", false, "R R"},        // cut off at the end
        {"e4 41 8c", u"", false, "R 41 R"},  // a sequence broken by another character
        {"c3 bc fc 41", u"", false, "c3 bc R 41"},
    };
    for (const Case& c : cases) {
        const std::string bytes = HexBytes(c.hex);
        const auto text = qrdesk::DecodeUtf8(bytes);
        ASSERT_EQ(text.has_value(), c.ok) << c.hex;
        if (c.ok) {
            EXPECT_TRUE(*text == c.text) << c.hex;
        }
        const QString shown = QString(c.shown).replace("R", "ef bf bd");
        EXPECT_EQ(qrdesk::ValidUtf8(bytes), c.ok ? bytes : HexBytes(shown.toLatin1().constData()))
            << c.hex;
    }
}

}  // namespace
