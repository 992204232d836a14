#include "cli/Describe.h"

#include <cstdio>

#include "common/Symbol.h"
#include "common/TextBytes.h"

namespace qrdesk::cli {
namespace {

// A JSON string: quotes, backslashes and control characters escaped; bytes that are not
// UTF-8 become U+FFFD, so that the output is always valid JSON.
std::string JsonString(std::string_view text) {
    const std::string valid = ValidUtf8(text);
    std::string out = "\"";
    for (const char c : valid) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::int32_t VersionFromPictureSize(std::int32_t pixels) {
    const std::int32_t modules = pixels - 8;
    if (modules < 21 || modules > 177 || (modules - 17) % 4 != 0) return 0;
    return (modules - 17) / 4;
}

std::string FormatSymbolInfo(const clsQRCode::EncodeReport& report) {
    std::string segments;
    for (const auto& s : report.segments) {
        if (!segments.empty()) segments += " + ";
        segments += std::string(ModeName(s.mode)) + " " + std::to_string(s.length);
    }
    return "version " + std::to_string(report.version) + ", level " + LevelName(report.level) +
           ", mask " + std::to_string(report.mask) + ", segments " +
           (segments.empty() ? "none" : segments) + ", bits " + std::to_string(report.dataBits) +
           " of " + std::to_string(report.capacityBits);
}

std::string DoesNotFit(const clsQRCode& encoder, std::string_view bytes,
                       const clsQRCode::EncodeOptions& options) {
    const std::int32_t level = options.level >= 1 && options.level <= 4 ? options.level : 2;
    const bool fixed = options.version >= 1 && options.version <= 40;
    const std::int32_t version = fixed ? options.version : 40;
    const std::int32_t bits =
        bytes.size() > static_cast<std::size_t>(INT32_MAX)
            ? -1
            : encoder.MeasureDataBits(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      static_cast<std::int32_t>(bytes.size()), version, options);
    const std::string count = std::to_string(bytes.size());
    if (bits < 0) return "the data do not fit: " + count + " bytes are more than any symbol holds";
    return "the data do not fit " +
           (fixed ? "version " + std::to_string(version) : std::string("any version")) +
           " at level " + LevelName(level) + ": " + count + " bytes need " + std::to_string(bits) +
           " bits, " + (fixed ? "it" : "version 40") + " holds " +
           std::to_string(8 * encoder.GetDataCodewordCount(version, level));
}

std::vector<std::string> ReaderLines(const SymbolCheck& check, const Advice& advice) {
    std::vector<std::string> lines;
    for (const ReaderResult& reader : check.readBack.readers) {
        const std::string name = reader.name;
        if (!reader.read)
            lines.push_back(name + ": cannot read the " + std::to_string(check.size) +
                            "-pixel picture");
        else if (reader.textAsTyped)
            lines.push_back(name + ": reads the text as typed");
        else
            lines.push_back(name + ": shows " + JsonString(reader.text));
    }
    if (advice.size != 0)
        lines.push_back("advice: at --size " + std::to_string(advice.size) +
                        " both readers read it");
    else if (!check.readBack.AllRead() && advice.triedUpTo != 0)
        lines.push_back("advice: no --size up to " + std::to_string(advice.triedUpTo) +
                        " reads in both readers either");
    else if (!advice.options.empty())
        lines.push_back("advice: with " + advice.options + " both readers show the text as typed");
    return lines;
}

std::string InfoJson(const clsQRCode::EncodeReport& report, std::int32_t eci, int pixels,
                     const ReadBack& readBack) {
    auto boolean = [](bool value) { return value ? "true" : "false"; };
    std::string json = "{\"version\":" + std::to_string(report.version) + ",\"level\":\"" +
                       LevelName(report.level) + "\",\"mask\":" + std::to_string(report.mask) +
                       ",\"penalty\":" + std::to_string(report.penalty) +
                       ",\"eci\":" + std::to_string(eci) + ",\"segments\":[";
    for (std::size_t k = 0; k < report.segments.size(); ++k) {
        const auto& s = report.segments[k];
        json += std::string(k ? "," : "") + "{\"mode\":\"" + ModeName(s.mode) +
                "\",\"count\":" + std::to_string(s.length) + "}";
    }
    json += "],\"dataBits\":" + std::to_string(report.dataBits) +
            ",\"capacityBits\":" + std::to_string(report.capacityBits) +
            ",\"pixels\":" + std::to_string(pixels) + ",\"readers\":[";
    for (std::size_t k = 0; k < readBack.readers.size(); ++k) {
        const ReaderResult& r = readBack.readers[k];
        json += std::string(k ? "," : "") + "{\"name\":\"" + r.name +
                "\",\"read\":" + boolean(r.read) + ",\"bytesExact\":" + boolean(r.bytesExact) +
                ",\"textAsTyped\":" + boolean(r.textAsTyped) + ",\"text\":" + JsonString(r.text) +
                "}";
    }
    return json + "]}";
}

}  // namespace qrdesk::cli
