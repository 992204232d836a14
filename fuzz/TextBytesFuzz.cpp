// Text to bytes with arbitrary text and code pages, names included: no crash, no leak, a
// code page is usable exactly when it is reported supported, UTF-8 reads back through the
// strict decoder as the text (a lone surrogate as U+FFFD), and what a known code page writes
// reads back through iconv the other way as valid text of that code page, its shift state
// closed, one character (or "?") for each of the text's.

#include <iconv.h>

#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "common/TextBytes.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Code pages with one character back for each character in: single-byte, double-byte,
// stateful and UCS ones.
constexpr const char* kCodePages[] = {"GBK",      "SHIFT_JIS", "ISO-8859-1",  "ISO-8859-7",
                                      "UCS-2LE",  "UTF-16",    "ISO-2022-JP", "BIG5",
                                      "EUC-KR",   "CP437",     "GB18030",     "ASCII",
                                      "UTF-32BE", "CP1252",    "KOI8-R",      "EUC-JP"};

// bytes in codePage back to UTF-32; false when they are not valid text of it.
bool BackToUtf32(const std::string& bytes, const char* codePage, std::u32string& out) {
    const iconv_t cd = iconv_open("UTF-32LE", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = bytes;
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    std::u32string buffer(in.size() + 4, U'\0');
    char* outPtr = reinterpret_cast<char*>(buffer.data());
    std::size_t outLeft = buffer.size() * sizeof(char32_t);
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    buffer.resize(buffer.size() - outLeft / sizeof(char32_t));
    out = buffer;
    return ok && inLeft == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t choice = in.Byte();
    std::string codePage;
    const bool named = choice & 0x80;
    if (named) {  // a name from the input, up to a NUL
        while (in.RestSize() > 0 && codePage.size() < 40) {
            const char c = static_cast<char>(in.Byte());
            if (c == '\0') break;
            codePage += c;
        }
    } else {
        codePage = kCodePages[choice % std::size(kCodePages)];
    }
    std::u16string text;
    while (in.RestSize() >= 2 && text.size() < 2000) {
        const std::uint32_t high = in.Byte();
        text += static_cast<char16_t>(high << 8 | in.Byte());
        // ESC, SO and SI are ISO-2022-JP's own shift bytes: text holding them cannot read back.
        if (codePage == "ISO-2022-JP" &&
            (text.back() == 0x1B || text.back() == 0x0E || text.back() == 0x0F))
            text.back() = u'x';
    }

    qrdesk::EciOfCodePage(codePage);
    qrdesk::IsShiftJisCodePage(codePage);
    const bool supported = qrdesk::IsCodePageSupported(codePage);
    const auto ansi = qrdesk::TextToBytes(text, qrdesk::TextEncoding::Ansi, codePage);
    Check(ansi.has_value() == supported);

    // UTF-8 reads back as the text, lone surrogates as U+FFFD.
    std::u16string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            expected += c;
            expected += text[++i];
        } else {
            expected += high || low ? u'\uFFFD' : c;
        }
    }
    const auto utf8 = qrdesk::TextToBytes(text, qrdesk::TextEncoding::Utf8, codePage);
    Check(utf8 && qrdesk::DecodeUtf8(*utf8) == expected);

    if (!named && ansi) {
        std::u32string back;
        Check(BackToUtf32(*ansi, codePage.c_str(), back));
        std::size_t characters = 0;
        for (std::size_t i = 0; i < expected.size(); ++i, ++characters)
            if (expected[i] >= 0xD800 && expected[i] <= 0xDBFF) ++i;
        Check(back.size() == characters);
    }
    return 0;
}
