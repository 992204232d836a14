#include "Values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli/Options.h"
#include "common/FileWrite.h"

namespace qrdesk::cli {

std::string Quoted(const std::string& value) {
    return "\"" + Printable(value) + "\"";
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A whole decimal number in [low, high], digits only: no blanks, no sign.
std::optional<int> ParseNumber(const std::string& value, int low, int high) {
    int number = 0;
    const char* end = value.data() + value.size();
    if (value.empty() || !std::isdigit(static_cast<unsigned char>(value[0]))) return std::nullopt;
    const auto [last, error] = std::from_chars(value.data(), end, number);
    if (error != std::errc() || last != end || number < low || number > high) return std::nullopt;
    return number;
}

// RRGGBB or RRGGBBAA in hexadecimal digits, as 0xAARRGGBB.
std::optional<std::uint32_t> ParseColour(const std::string& value) {
    if (value.size() != 6 && value.size() != 8) return std::nullopt;
    std::uint32_t colour = 0;
    const auto [last, error] =
        std::from_chars(value.data(), value.data() + value.size(), colour, 16);
    if (error != std::errc() || last != value.data() + value.size()) return std::nullopt;
    return value.size() == 6 ? 0xFF000000u | colour : (colour >> 8) | (colour << 24);
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::string lower = Lower(text);
    const std::size_t n = std::char_traits<char>::length(suffix);
    return lower.size() > n && lower.compare(lower.size() - n, n, suffix) == 0;
}

std::optional<int> LineFieldWidth(std::string_view field) {
    if (field == "{line}") return 0;
    if (!field.starts_with("{line:0") || !field.ends_with('}')) return std::nullopt;
    return ParseNumber(std::string(field.substr(7, field.size() - 8)), 1, 20);
}

bool HasLineField(const std::string& name) {
    for (std::size_t open = name.find("{line"); open != std::string::npos;
         open = name.find("{line", open + 1)) {
        const std::size_t close = name.find('}', open);
        if (close == std::string::npos) return false;
        if (LineFieldWidth(std::string_view(name).substr(open, close - open + 1))) return true;
    }
    return false;
}

bool IsStream(const std::string& path) {
    return IsStreamTarget(path);
}

std::optional<OutputType> TypeFromName(const std::string& name) {
    if (EndsWithNoCase(name, ".png")) return OutputType::Png;
    if (EndsWithNoCase(name, ".bmp")) return OutputType::Bmp;
    if (EndsWithNoCase(name, ".svg")) return OutputType::Svg;
    if (EndsWithNoCase(name, ".txt")) return OutputType::Utf8;
    return std::nullopt;
}

const char* TypeName(OutputType type) {
    switch (type) {
        case OutputType::Png:
            return "PNG";
        case OutputType::Bmp:
            return "BMP";
        case OutputType::Svg:
            return "SVG";
        case OutputType::Utf8:
            return "UTF-8 text";
        case OutputType::Ansi:
            return "ANSI text";
        default:
            return "ASCII text";
    }
}

bool IsTerminalType(OutputType type) {
    return type == OutputType::Utf8 || type == OutputType::Ansi || type == OutputType::Ascii;
}

}  // namespace qrdesk::cli

namespace qrdesk::cli {

std::string Printable(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && c != '\\') {
            shown += c;
            continue;
        }
        static constexpr char kNamed[] = "0abtnvfr";  // \0 and \a to \r
        char escape[5];
        if (byte == 0 || (byte >= 7 && byte <= 13))
            std::snprintf(escape, sizeof escape, "\\%c", kNamed[byte == 0 ? 0 : byte - 6]);
        else if (c == '\\')
            std::snprintf(escape, sizeof escape, "\\\\");
        else
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
        shown += escape;
    }
    return shown;
}

}  // namespace qrdesk::cli
