#include "cli/Describe.h"

#include <algorithm>
#include <cstdio>

#include "common/Symbol.h"
#include "common/TextBytes.h"

namespace qrdesk::cli {

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

namespace {

std::string JsonOrNull(const std::string& text) {
    return text.empty() ? "null" : JsonString(text);
}

// "both readers" for two, "every reader" otherwise.
std::string Everyone(const SymbolResult& symbol) {
    return symbol.verdicts.size() == 2 ? "both readers" : "every reader";
}

// The options of the character-set advice; "" for none.
std::string CharsetOptions(SymbolAdvice::Charset charset) {
    switch (charset) {
        case SymbolAdvice::Charset::Eci:
            return "--eci auto";
        case SymbolAdvice::Charset::Utf8Eci:
            return "--encoding utf-8 --eci auto";
        default:
            return {};
    }
}

// "--size 564 (-s 4)" for a side at whole pixels per module, "-s 4 (564 pixels)" where the
// picture was asked for by its scale, "--size 400" for an offered side.
std::string SideOption(const SymbolResult& symbol, std::int32_t side, std::int32_t scale) {
    const std::string pixels = std::to_string(side);
    if (scale == 0) return "--size " + pixels;
    const std::string s = "-s " + std::to_string(scale);
    return symbol.scale > 0 ? s + " (" + pixels + " pixels)" : "--size " + pixels + " (" + s + ")";
}

// The sides that read, smallest first: "--size 564 (-s 4) or --size 705 (-s 5)".
std::string SideList(const SymbolResult& symbol) {
    const SymbolAdvice& a = symbol.advice;
    std::vector<std::pair<std::int32_t, std::int32_t>> sides;  // side, scale
    for (const std::int32_t scale : {a.smallerScale, a.largerScale})
        if (scale != 0) sides.emplace_back(scale * symbol.across, scale);
    if (a.offeredSide != 0 && std::none_of(sides.begin(), sides.end(),
                                           [&](const auto& s) { return s.first == a.offeredSide; }))
        sides.emplace_back(a.offeredSide, 0);
    std::sort(sides.begin(), sides.end());
    std::string list;
    for (std::size_t k = 0; k < sides.size(); ++k) {
        if (k > 0) list += k + 1 == sides.size() ? " or " : ", ";
        list += SideOption(symbol, sides[k].first, sides[k].second);
    }
    return list;
}

std::string VerdictLine(const SymbolResult& symbol, const ReaderVerdict& reader) {
    if (reader.read && reader.textAsTyped) return reader.name + ": reads the text as typed";
    if (reader.read) return reader.name + ": shows " + JsonString(reader.text);
    if (reader.decoded) return reader.name + ": reads the symbol but shows no text";
    std::string line =
        reader.name + ": cannot read the " + std::to_string(symbol.side) + "-pixel picture";
    if (reader.helpedBy == "pure") return line + " (only as a pure symbol)";
    if (!reader.helpedBy.empty()) return line + " (only " + reader.helpedBy + ")";
    return line;
}

}  // namespace

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

std::string DoesNotFit(const FitFigures& fit) {
    const std::string count = std::to_string(fit.bytes);
    if (fit.neededBits < 0)
        return "the data do not fit: " + count + " bytes are more than any symbol holds";
    std::string line =
        "the data do not fit " +
        (fit.fixedVersion ? "version " + std::to_string(fit.version) : std::string("any version")) +
        " at level " + LevelName(fit.level) + ": " + count + " bytes need " +
        std::to_string(fit.neededBits) + " bits, " + (fit.fixedVersion ? "it" : "version 40") +
        " holds " + std::to_string(fit.capacityBits);
    if (fit.largerVersion != 0)
        line += "; version " + std::to_string(fit.largerVersion) + " holds them";
    else if (fit.lowerLevel != 0)
        line += std::string("; level ") + LevelName(fit.lowerLevel) + " holds them";
    return line;
}

std::vector<std::string> ReaderLines(const SymbolResult& symbol) {
    std::vector<std::string> lines;
    for (const ReaderVerdict& reader : symbol.verdicts)
        lines.push_back(VerdictLine(symbol, reader));
    const SymbolAdvice& advice = symbol.advice;
    const std::string everyone = Everyone(symbol);
    const bool both = symbol.verdicts.size() == 2;  // "both readers read", "every reader reads"
    const std::string read = both ? " read it" : " reads it", show = both ? " show" : " shows";
    if (const std::string options = CharsetOptions(advice.charset); !options.empty())
        lines.push_back("advice: with " + options + " " + everyone + show + " the text as typed");
    if (const std::string sides = SideList(symbol); !sides.empty())
        lines.push_back("advice: at " + sides + " " + everyone + read);
    if (advice.level != 0)
        lines.push_back(std::string("advice: with --level ") + LevelName(advice.level) + " " +
                        everyone + read + " at " + std::to_string(symbol.side) + " pixels");
    if (advice.logoPercent != 0)
        lines.push_back("advice: with --logo-size " + std::to_string(advice.logoPercent) + " " +
                        everyone + read + " at " + std::to_string(symbol.side) + " pixels");
    if (!symbol.AllDecoded() && advice.charset == SymbolAdvice::Charset::None &&
        advice.smallerScale == 0 && advice.largerScale == 0 && advice.offeredSide == 0 &&
        advice.level == 0 && advice.logoPercent == 0 &&
        (advice.noneUpTo != 0 || advice.triedLevels)) {
        std::vector<std::string> tried;
        if (advice.noneUpTo != 0)
            tried.push_back("other size up to " + std::to_string(advice.noneUpTo) + " pixels");
        if (advice.triedLevels)
            tried.push_back(symbol.logo ? "other level or smaller logo" : "other level");
        lines.push_back("advice: no " + tried[0] + (tried.size() > 1 ? " and no " + tried[1] : "") +
                        " reads in " + everyone + " either");
    }
    return lines;
}

std::vector<std::string> MadeLines(const SymbolResult& symbol, const std::string* made) {
    std::vector<std::string> lines;
    if (made) lines.push_back("text: " + JsonString(*made));
    if (symbol.logo)
        lines.push_back("logo: " + std::to_string(symbol.logoBox.side) + " of " +
                        std::to_string(symbol.modules.size) + " modules across (" +
                        std::to_string(symbol.logoBox.Percent(symbol.modules.size)) +
                        " %), its light pad included");
    return lines;
}

std::string InfoJson(const SymbolResult& symbol, const std::string* made) {
    auto boolean = [](bool value) { return value ? "true" : "false"; };
    const clsQRCode::EncodeReport& report = symbol.report;
    std::string json = "{\"version\":" + std::to_string(report.version) + ",\"level\":\"" +
                       LevelName(report.level) + "\",\"mask\":" + std::to_string(report.mask) +
                       ",\"penalty\":" + std::to_string(report.penalty) +
                       ",\"eci\":" + std::to_string(symbol.eci) + ",\"segments\":[";
    for (std::size_t k = 0; k < report.segments.size(); ++k) {
        const auto& s = report.segments[k];
        json += std::string(k ? "," : "") + "{\"mode\":\"" + ModeName(s.mode) +
                "\",\"count\":" + std::to_string(s.length) + "}";
    }
    json += "],\"dataBits\":" + std::to_string(report.dataBits) +
            ",\"capacityBits\":" + std::to_string(report.capacityBits) +
            ",\"pixels\":" + std::to_string(symbol.side);
    if (made) json += ",\"text\":" + JsonString(*made);
    if (symbol.logo)
        json += ",\"logoModules\":" + std::to_string(symbol.logoBox.side) +
                ",\"logoPercent\":" + std::to_string(symbol.logoBox.Percent(symbol.modules.size));
    json += ",\"readers\":[";
    for (std::size_t k = 0; k < symbol.verdicts.size(); ++k) {
        const ReaderVerdict& r = symbol.verdicts[k];
        json += std::string(k ? "," : "") + "{\"name\":" + JsonString(r.name) +
                ",\"read\":" + boolean(r.read) + ",\"bytesExact\":" + boolean(r.bytesExact) +
                ",\"textAsTyped\":" + boolean(r.textAsTyped) + ",\"text\":" + JsonString(r.text) +
                ",\"decoded\":" + boolean(r.decoded) + ",\"helpedBy\":" + JsonOrNull(r.helpedBy) +
                "}";
    }
    const SymbolAdvice& a = symbol.advice;
    auto side = [&](std::int32_t scale) { return std::to_string(scale * symbol.across); };
    json += "],\"advice\":{\"options\":" + JsonOrNull(CharsetOptions(a.charset)) +
            ",\"smallerSize\":" + side(a.smallerScale) +
            ",\"smallerScale\":" + std::to_string(a.smallerScale) +
            ",\"largerSize\":" + side(a.largerScale) +
            ",\"largerScale\":" + std::to_string(a.largerScale) +
            ",\"offeredSize\":" + std::to_string(a.offeredSide) + ",\"level\":" +
            (a.level != 0 ? std::string("\"") + LevelName(a.level) + "\"" : "null") +
            ",\"triedLevels\":" + boolean(a.triedLevels) +
            ",\"noneUpTo\":" + std::to_string(a.noneUpTo);
    if (symbol.logo) json += ",\"logoSize\":" + std::to_string(a.logoPercent);
    json += "}";
    return json + "}";
}

}  // namespace qrdesk::cli
