#include "common/TextBytes.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace qrdesk {
namespace {

// Owns an iconv descriptor from UTF-32LE to a code page.
class Converter {
  public:
    explicit Converter(const QString& codePage)
        : cd_(iconv_open(codePage.toLatin1().constData(), "UTF-32LE")) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// Above the Unicode range: iconv refuses it, so a lone surrogate becomes "?" too.
constexpr char32_t kUnconvertible = 0xFFFFFFFF;

// Code points handed to iconv per call (see TextToBytes).
constexpr std::size_t kCharactersPerCall = 64;

// Qt writes "?" for a lone surrogate; the platform's UTF-8 converter writes U+FFFD.
QByteArray ToUtf8(const QString& text) {
    QString fixed;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            if (fixed.isNull()) fixed = text;
            fixed[i] = QChar::ReplacementCharacter;
        }
    }
    return (fixed.isNull() ? text : fixed).toUtf8();
}

}  // namespace

TextEncoding EncodingFromIndex(int index) {
    return index == 1 ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

bool IsCodePageSupported(const QString& codePage) {
    return !codePage.isEmpty() && Converter(codePage).ok();
}

bool IsShiftJisCodePage(const QString& codePage) {
    const QString name = codePage.trimmed().toUpper();
    return name == "SHIFT_JIS" || name == "SHIFT-JIS" || name == "CP932" || name == "SJIS" ||
           name == "WINDOWS-31J" || name == "MS_KANJI";
}

bool KanjiAllowed(TextEncoding encoding, const QString& codePage) {
    return encoding == TextEncoding::Ansi && IsShiftJisCodePage(codePage);
}

std::optional<QByteArray> TextToBytes(const QString& text, TextEncoding encoding,
                                      const QString& codePage, QString* error) {
    if (encoding == TextEncoding::Utf8) return ToUtf8(text);

    Converter converter(codePage);
    if (codePage.isEmpty() || !converter.ok()) {
        if (error) *error = QStringLiteral("unknown code page \"%1\"").arg(codePage);
        return std::nullopt;
    }
    // Code points, lone surrogates marked so that they come out as "?".
    std::vector<char32_t> input;
    input.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            input.push_back(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            input.push_back(c.isSurrogate() ? kUnconvertible : char32_t{c.unicode()});
        }
    }

    QByteArray out;
    char* in = reinterpret_cast<char*>(input.data());
    std::size_t inLeft = input.size() * sizeof(char32_t);
    char buffer[4096];
    while (inLeft > 0) {
        // A few characters per call: after an unconvertible character glibc converts the
        // call's whole input again up to it, which made a long text full of such
        // characters take seconds (a million of them: 10 s).
        std::size_t given = std::min(inLeft, kCharactersPerCall * sizeof(char32_t));
        const std::size_t before = given;
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(converter.get(), &in, &given, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
        inLeft -= before - given;
        if (rc != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // Not representable (or not a character): the default character, then go on.
        out.append('?');
        in += sizeof(char32_t);
        inLeft -= sizeof(char32_t);
    }
    // Flush a stateful code page's shift sequence back to the initial state.
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
    return out;
}

}  // namespace qrdesk
