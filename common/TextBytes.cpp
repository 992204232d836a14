#include "common/TextBytes.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <vector>

namespace qrdesk {
namespace {

// Owns an iconv descriptor from UTF-32LE to a code page.
class Converter {
  public:
    explicit Converter(const std::string& codePage)
        : cd_(iconv_open(codePage.c_str(), "UTF-32LE")) {}
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
constexpr char32_t kReplacement = 0xFFFD;

// Code points handed to iconv per call (see TextToBytes).
constexpr std::size_t kCharactersPerCall = 64;

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code points of UTF-16 text; a lone surrogate becomes lone.
std::vector<char32_t> CodePoints(std::u16string_view text, char32_t lone) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            out.push_back(0x10000 + ((char32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            out.push_back(IsHigh(c) || IsLow(c) ? lone : char32_t{c});
        }
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// iconv takes "NAME//TRANSLIT", "NAME//IGNORE" and the like as well: what happens to
// characters a code page lacks is this converter's business ("?"), so only plain names are
// code pages here.
bool IsPlainCodePageName(const std::string& codePage) {
    return !codePage.empty() && codePage.find('/') == std::string::npos;
}

// The name in upper case without the blanks around it.
std::string Normalised(const std::string& codePage) {
    const std::size_t first = codePage.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos) return {};
    const std::size_t last = codePage.find_last_not_of(" \t\n\v\f\r");
    std::string name = codePage.substr(first, last - first + 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

bool IsCodePageSupported(const std::string& codePage) {
    return IsPlainCodePageName(codePage) && Converter(codePage).ok();
}

bool IsShiftJisCodePage(const std::string& codePage) {
    const std::string name = Normalised(codePage);
    return name == "SHIFT_JIS" || name == "SHIFT-JIS" || name == "CP932" || name == "SJIS" ||
           name == "WINDOWS-31J" || name == "MS_KANJI";
}

std::int32_t EciOfCodePage(const std::string& codePage) {
    std::string name;
    for (const char c : Normalised(codePage))
        if (c != '-' && c != '_') name += c;
    struct Entry {
        const char* name;
        std::int32_t eci;
    };
    // Measured with both readers: each of these shows text of its code page as written when
    // the symbol carries the designator.
    static constexpr Entry kTable[] = {
        {"ISO88591", 3},   {"LATIN1", 3},     {"ISO88592", 4},    {"LATIN2", 4},
        {"ISO88593", 5},   {"LATIN3", 5},     {"ISO88594", 6},    {"LATIN4", 6},
        {"ISO88595", 7},   {"CYRILLIC", 7},   {"ISO88596", 8},    {"ARABIC", 8},
        {"ISO88597", 9},   {"GREEK", 9},      {"ISO88598", 10},   {"HEBREW", 10},
        {"ISO88599", 11},  {"LATIN5", 11},    {"ISO885910", 12},  {"LATIN6", 12},
        {"ISO885911", 13}, {"ISO885913", 15}, {"LATIN7", 15},     {"ISO885914", 16},
        {"LATIN8", 16},    {"ISO885915", 17}, {"LATIN9", 17},     {"ISO885916", 18},
        {"LATIN10", 18},   {"CP437", 2},      {"IBM437", 2},      {"SHIFTJIS", 20},
        {"SJIS", 20},      {"CP932", 20},     {"WINDOWS31J", 20}, {"MSKANJI", 20},
        {"BIG5", 28},      {"CP950", 28},     {"ASCII", 27},      {"USASCII", 27},
        {"UTF8", 26},
    };
    for (const Entry& e : kTable)
        if (name == e.name) return e.eci;
    return 0;
}

bool IsPlainAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool KanjiAllowed(TextEncoding encoding, const std::string& codePage) {
    return encoding == TextEncoding::Ansi && IsShiftJisCodePage(codePage);
}

std::optional<std::string> TextToBytes(std::u16string_view text, TextEncoding encoding,
                                       const std::string& codePage, std::string* error) {
    if (encoding == TextEncoding::Utf8) {
        std::string out;
        out.reserve(text.size());
        for (const char32_t c : CodePoints(text, kReplacement)) AppendUtf8(out, c);
        return out;
    }

    Converter converter(codePage);
    if (!IsPlainCodePageName(codePage) || !converter.ok()) {
        if (error) *error = "unknown code page \"" + codePage + "\"";
        return std::nullopt;
    }
    std::vector<char32_t> input = CodePoints(text, kUnconvertible);
    std::string out;
    char buffer[4096];
    // Converts in [in, in + inLeft) through the converter, appending what it writes; returns
    // iconv's result (errno set when it is -1). The converter keeps its shift state between
    // calls, so a stateful code page stays consistent across them.
    auto convert = [&](char** in, std::size_t* inLeft) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(converter.get(), in, inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        errno = error;
        return rc;
    };
    char* in = reinterpret_cast<char*>(input.data());
    std::size_t inLeft = input.size() * sizeof(char32_t);
    while (inLeft > 0) {
        // A few characters per call: after an unconvertible character glibc converts the
        // call's whole input again up to it, which made a long text full of such
        // characters take seconds (a million of them: 10 s).
        std::size_t given = std::min(inLeft, kCharactersPerCall * sizeof(char32_t));
        const std::size_t before = given;
        const std::size_t rc = convert(&in, &given);
        inLeft -= before - given;
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG || given == 0) continue;
        // Not representable (or not a character): the code page's own "?" (two bytes in
        // UCS-2, in the right shift state in ISO-2022-JP), then go on.
        char32_t question = U'?';
        char* q = reinterpret_cast<char*>(&question);
        std::size_t qLeft = sizeof question;
        convert(&q, &qLeft);
        const std::size_t skip = std::min(inLeft, sizeof(char32_t));
        in += skip;
        inLeft -= skip;
    }
    // Back to the initial shift state at the end.
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return out;
}

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        char32_t c, least;
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2, c = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, c = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, c = b & 0x07, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + length > bytes.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return std::nullopt;
            c = c << 6 | (t & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

std::string ValidUtf8(std::string_view bytes) {
    std::string valid;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t length = 1;
        while (length <= 4 && i + length <= bytes.size() &&
               !DecodeUtf8(bytes.substr(i, length)).has_value())
            ++length;
        if (length > 4 || i + length > bytes.size()) {
            valid += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        valid += bytes.substr(i, length);
        i += length;
    }
    return valid;
}

}  // namespace qrdesk
