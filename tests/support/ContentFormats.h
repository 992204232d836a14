#pragma once
// Parsers of the content formats written in the tests from each format's own description
// (the Wi-Fi format's "K:value;" pairs with backslash escapes, RFC 2426 for vCard, RFC 6068
// for mailto:, RFC 5545 for VEVENT): a fault in the program's escaping shows as a field that
// does not come back as typed.

#include <cctype>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qrdesk::test {

using Fields = std::map<std::string, std::string>;

// Wi-Fi: "WIFI:" then "K:value;" pairs, ending with ";"; in a value the special characters
// \ ; , : " stand only after a backslash, which makes the next character literal.
inline Fields ParseWifi(const std::string& text) {
    Fields out;
    if (text.rfind("WIFI:", 0) != 0 || text.size() < 7 || text.substr(text.size() - 2) != ";;")
        return {{"error", "frame"}};
    std::size_t i = 5;
    while (i < text.size() && text[i] != ';') {
        const std::size_t colon = text.find(':', i);
        const std::string key = text.substr(i, colon - i);
        std::string value;
        for (i = colon + 1; i < text.size() && text[i] != ';'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            else if (std::string_view(",:\"").find(text[i]) != std::string_view::npos)
                return {{"error", "unescaped " + text.substr(i, 1)}};
            value += text[i];
        }
        out[key] = value;
        ++i;  // the ";"
    }
    return out;
}

// Lines of a vCard or VEVENT: CRLF-terminated "NAME:value"; bare LF is an error.
inline std::vector<std::pair<std::string, std::string>> ContentLines(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) return {{"error", "unterminated line"}};
        const std::string line = text.substr(at, end - at);
        if (line.find('\n') != std::string::npos) return {{"error", "bare LF"}};
        const std::size_t colon = line.find(':');
        lines.emplace_back(line.substr(0, colon), line.substr(colon + 1));
        at = end + 2;
    }
    return lines;
}

// A TEXT value split at unescaped separators, each part unescaped ("\\", "\,", "\;", "\n").
inline std::vector<std::string> Components(const std::string& value, char separator) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            parts.back() += next == 'n' || next == 'N' ? '\n' : next;
        } else if (value[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

inline Fields ParseVcard(const std::string& text) {
    Fields out;
    for (const auto& [name, value] : ContentLines(text)) {
        if (name == "N")
            out["N.family"] = Components(value, ';').at(0);
        else if (name == "ADR")
            out["ADR.street"] = Components(value, ';').at(2);
        else if (name == "URL")
            out["URL"] = value;
        else
            out[name] = Components(value, '\x01').at(0);
    }
    return out;
}

// RFC 6068: "mailto:" addresses "?" name=value pairs joined by "&"; only unreserved
// characters, "%XX" and the listed delimiters may stand unencoded.
inline Fields ParseMailto(const std::string& text) {
    const std::string allowed = "-._~!$'()*+,;:@%?&=";
    for (const char c : text.substr(7))
        if (!std::isalnum(static_cast<unsigned char>(c)) && allowed.find(c) == std::string::npos)
            return {{"error", std::string("unencoded ") + c}};
    const auto decode = [](const std::string& s) {
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (s[i] == '%')
                out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)), i += 2;
            else
                out += s[i];
        return out;
    };
    Fields out;
    const std::size_t query = text.find('?');
    out["to"] = decode(text.substr(7, query - 7));
    if (query == std::string::npos) return out;
    std::size_t at = query + 1;
    while (at <= text.size()) {
        std::size_t end = text.find('&', at);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(at, end - at);
        const std::size_t eq = pair.find('=');
        out[decode(pair.substr(0, eq))] = decode(pair.substr(eq + 1));
        at = end + 1;
    }
    return out;
}

inline Fields ParseEvent(const std::string& text) {
    Fields out;
    for (const auto& [name, value] : ContentLines(text))
        out[name] = name.starts_with("DT") ? value : Components(value, '\x01').at(0);
    return out;
}

}  // namespace qrdesk::test
