#pragma once
// Text to the bytes a symbol carries: UTF-8, or a legacy "ANSI" code page through iconv, as
// the window and the command line both convert it. Text is UTF-16 (the window's own form),
// lone surrogates included; bytes are a std::string.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrdesk {

enum class TextEncoding { Ansi, Utf8 };

// The default legacy code page (Simplified Chinese).
inline constexpr const char* kDefaultAnsiCodePage = "GBK";

// True when iconv can convert to codePage, a plain name: iconv's suffixes ("//IGNORE",
// "//TRANSLIT") are not code pages.
bool IsCodePageSupported(const std::string& codePage);

// True for the Shift JIS code pages (SHIFT_JIS, SHIFT-JIS, CP932, SJIS, WINDOWS-31J, MS_KANJI,
// any case, blanks around ignored): the only text whose byte pairs readers decode correctly
// in Kanji mode.
bool IsShiftJisCodePage(const std::string& codePage);

// The ECI designator of UTF-8.
inline constexpr std::int32_t kUtf8Eci = 26;

// The ECI designator for text in codePage that zxing-cpp and zbar both honour (each shows
// such text as written): the ISO-8859 parts (3-18), CP437 (2), Shift JIS (20), Big5 (28),
// US-ASCII (27) and UTF-8 (26). 0 for a code page without one: GBK and GB18030, EUC-KR, the
// Windows code pages 1250-1256 have designators that zbar does not honour. Names as iconv
// takes them, any case, "-" and "_" ignored.
std::int32_t EciOfCodePage(const std::string& codePage);

// Whether every byte is below 0x80: such text reads the same in every character set.
bool IsPlainAscii(std::string_view bytes);

// Whether the encoder may put byte pairs into Kanji mode for text converted so.
bool KanjiAllowed(TextEncoding encoding, const std::string& codePage);

// Converts text. UTF-8: every lone surrogate becomes U+FFFD, as the platform's converter
// writes it. ANSI: iconv to codePage, every character the code page cannot represent (a lone
// surrogate included) becoming the code page's own "?" (nothing where it has none), a
// stateful code page ending in its initial state. nullopt, with *error set, only when the
// code page is unknown.
std::optional<std::string> TextToBytes(std::u16string_view text, TextEncoding encoding,
                                       const std::string& codePage, std::string* error = nullptr);

// Strict UTF-8 to UTF-16: nullopt for anything that is not UTF-8 (a sequence cut off at the
// end, an overlong form, a surrogate, a code point above U+10FFFF).
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);

// bytes taken as UTF-8, as a reader that decodes no other character set shows them: each
// byte that starts no valid sequence becomes U+FFFD, so the result is always UTF-8.
std::string ValidUtf8(std::string_view bytes);

}  // namespace qrdesk
