#pragma once
// Text to the bytes a symbol carries: UTF-8, or the legacy "ANSI" code page through iconv,
// as the window and the command line both convert it.

#include <QByteArray>
#include <QString>
#include <optional>

namespace qrdesk {

enum class TextEncoding { Ansi, Utf8 };

// The encoding list's item index: 1 is UTF-8, every other index the ANSI code page.
TextEncoding EncodingFromIndex(int index);

// The default legacy code page (Simplified Chinese).
inline const char* const kDefaultAnsiCodePage = "GBK";

// True when iconv can convert to codePage.
bool IsCodePageSupported(const QString& codePage);

// True for the Shift JIS code pages (SHIFT_JIS, SHIFT-JIS, CP932, SJIS, WINDOWS-31J, MS_KANJI),
// the only text whose byte pairs readers decode correctly in Kanji mode.
bool IsShiftJisCodePage(const QString& codePage);

// Whether the encoder may put byte pairs into Kanji mode for text converted so.
bool KanjiAllowed(TextEncoding encoding, const QString& codePage);

// Converts text. UTF-8: Qt's converter (a lone surrogate becomes U+FFFD). ANSI: iconv to
// codePage, every character the code page cannot represent becoming "?". nullopt, with
// *error set, only when the code page is unknown.
std::optional<QByteArray> TextToBytes(const QString& text, TextEncoding encoding,
                                      const QString& codePage, QString* error = nullptr);

}  // namespace qrdesk
