// The content templates: each text made is read back from its symbol with zxing-cpp and
// taken apart by a parser written here from the format's own description (the Wi-Fi
// format's "K:value;" pairs with backslash escapes, RFC 2426 for vCard, RFC 6068 for mailto:,
// RFC 5545 for VEVENT, RFC 5870 for geo:), so a fault in the escaping shows as a field that
// does not come back as typed.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/Content.h"
#include "common/Symbol.h"
#include "support/ZxingDecode.h"

using qrdesk::ContentFields;
using qrdesk::ContentProblem;
using qrdesk::ContentType;
using Fields = std::map<std::string, std::string>;

namespace {

// The text as a reader shows it after a round trip through a symbol.
std::string ReadBack(const std::string& text) {
    clsQRCode encoder;
    clsQRCode::EncodeOptions options;
    options.level = 2;
    const qrdesk::Symbol symbol = qrdesk::EncodeSymbol(encoder, text, options);
    if (!symbol.picture) return "(no symbol)";
    const auto decoded = DecodePicture(*symbol.picture);
    return decoded ? decoded->text : "(not read)";
}

// Wi-Fi: "WIFI:" then "K:value;" pairs, ending with ";"; in a value the special characters
// \ ; , : " stand only after a backslash, which makes the next character literal.
Fields ParseWifi(const std::string& text) {
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
std::vector<std::pair<std::string, std::string>> ContentLines(const std::string& text) {
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
std::vector<std::string> Components(const std::string& value, char separator) {
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

Fields ParseVcard(const std::string& text) {
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
Fields ParseMailto(const std::string& text) {
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

Fields ParseEvent(const std::string& text) {
    Fields out;
    for (const auto& [name, value] : ContentLines(text))
        out[name] = name.starts_with("DT") ? value : Components(value, '\x01').at(0);
    return out;
}

TEST(Content, FieldsComeBackThroughAReaderAndTheFormatsParser) {
    struct Case {
        ContentType type;
        ContentFields fields;
        Fields (*parse)(const std::string&);
        Fields expected;
    };
    const std::string body = "Line one,\nline two; 50% off & more";
    // clang-format off
    const Case cases[] = {
        {ContentType::Wifi,
         {{"ssid", "My;Net:\"x\"\\ 5G"}, {"password", "p,a;s:s\"\\w0rd"}, {"security", "WPA"},
          {"hidden", "yes"}},
         ParseWifi,
         {{"T", "WPA"}, {"S", "My;Net:\"x\"\\ 5G"}, {"P", "p,a;s:s\"\\w0rd"}, {"H", "true"}}},
        {ContentType::Wifi, {{"ssid", "Café"}}, ParseWifi, {{"T", "nopass"}, {"S", "Café"}}},
        // Blanks around a network's name and password belong to them.
        {ContentType::Wifi, {{"ssid", " Lab "}, {"password", " pass word "}, {"security", " wep "}},
         ParseWifi, {{"T", "WEP"}, {"S", " Lab "}, {"P", " pass word "}}},
        {ContentType::Contact,
         {{"name", "Zoë Ångström; Jr."}, {"org", "R&D, Inc."}, {"title", "Chief\\Engineer"},
          {"phone", "+49 30 1234"}, {"email", "zoe@example.org"},
          {"url", "https://example.org/a;b,c"}, {"address", "Main St 1\nBerlin"},
          {"note", "a\r\nb, c; d\\e"}},
         ParseVcard,
         {{"BEGIN", "VCARD"}, {"VERSION", "3.0"}, {"N.family", "Zoë Ångström; Jr."},
          {"FN", "Zoë Ångström; Jr."}, {"ORG", "R&D, Inc."}, {"TITLE", "Chief\\Engineer"},
          {"TEL", "+49 30 1234"}, {"EMAIL", "zoe@example.org"},
          {"URL", "https://example.org/a;b,c"}, {"ADR.street", "Main St 1\nBerlin"},
          {"NOTE", "a\nb, c; d\\e"}, {"END", "VCARD"}}},
        {ContentType::Email,
         {{"to", "ann@example.org, bo+x@example.com"}, {"subject", "Hello & welcome? 100%"},
          {"body", body}},
         ParseMailto,
         {{"to", "ann@example.org,bo+x@example.com"}, {"subject", "Hello & welcome? 100%"},
          {"body", "Line one,\r\nline two; 50% off & more"}}},
        {ContentType::Email, {{"to", "李@例子.中国"}, {"subject", "你好 #1"}}, ParseMailto,
         {{"to", "李@例子.中国"}, {"subject", "你好 #1"}}},
        {ContentType::Event,
         {{"summary", "Launch; party, v2\\final"}, {"start", "20240229T180000"},
          {"end", "20240229T235960"}, {"location", "Hall 3, Floor 2"}},
         ParseEvent,
         {{"BEGIN", "VEVENT"}, {"SUMMARY", "Launch; party, v2\\final"},
          {"DTSTART", "20240229T180000"}, {"DTEND", "20240229T235960"},
          {"LOCATION", "Hall 3, Floor 2"}, {"END", "VEVENT"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto made = qrdesk::MakeContent(c.type, c.fields);
        ASSERT_TRUE(made.Ok()) << made.field;
        const std::string read = ReadBack(made.text);
        EXPECT_EQ(read, made.text);
        EXPECT_EQ(c.parse(read), c.expected) << read;
    }
}

TEST(Content, SimpleFormatsAsTheirDescriptionsWriteThem) {
    struct Case {
        ContentType type;
        ContentFields fields;
        const char* text;
    };
    const Case cases[] = {
        {ContentType::Url, {{"url", "example.org/a b"}}, "https://example.org/a%20b"},
        {ContentType::Url, {{"url", "localhost:8080/x"}}, "https://localhost:8080/x"},
        {ContentType::Url, {{"url", " HTTP://x.org "}}, "HTTP://x.org"},
        {ContentType::Url, {{"url", "mailto:a@b.c"}}, "mailto:a@b.c"},
        {ContentType::Sms,
         {{"number", "+1 (555) 010-99"}, {"body", "Hi: there\r\nyou"}},
         "SMSTO:+1(555)010-99:Hi: there\nyou"},
        {ContentType::Tel, {{"number", " 0049 30.1234 "}}, "tel:004930.1234"},
        {ContentType::Geo, {{"lat", "+48.2082"}, {"lon", "-016.3738"}}, "geo:48.2082,-16.3738"},
        {ContentType::Geo, {{"lat", "-90.000"}, {"lon", "180"}}, "geo:-90.000,180"},
        {ContentType::Text, {{"text", "  as typed\n"}}, "  as typed\n"},
    };
    for (const Case& c : cases) {
        const auto made = qrdesk::MakeContent(c.type, c.fields);
        EXPECT_TRUE(made.Ok()) << c.text;
        EXPECT_EQ(made.text, c.text);
        EXPECT_EQ(ReadBack(made.text), c.text);
    }
}

TEST(Content, RefusesFieldsTheFormatCannotTakeAndSaysWhy) {
    struct Case {
        ContentType type;
        ContentFields fields;
        ContentProblem problem;
        const char* field;
    };
    const ContentFields event = {{"summary", "x"}, {"start", "20240101T000000"}};
    const auto with = [](ContentFields f, const char* k, const char* v) {
        f[k] = v;
        return f;
    };
    using P = ContentProblem;
    // clang-format off
    const Case cases[] = {
        {ContentType::Geo, {{"lat", "90.0001"}, {"lon", "0"}}, P::OutOfRange, "lat"},
        {ContentType::Geo, {{"lat", "0"}, {"lon", "-180.5"}}, P::OutOfRange, "lon"},
        {ContentType::Geo, {{"lat", "1e5"}, {"lon", "0"}}, P::NotANumber, "lat"},
        {ContentType::Geo, {{"lat", "12."}, {"lon", "0"}}, P::NotANumber, "lat"},
        {ContentType::Geo, {{"lat", "0"}}, P::Missing, "lon"},
        {ContentType::Event, with(event, "start", "20230229T120000"), P::NotADate, "start"},
        {ContentType::Event, with(event, "start", "21000229T120000"), P::NotADate, "start"},
        {ContentType::Event, with(event, "start", "20240431T120000"), P::NotADate, "start"},
        {ContentType::Event, with(event, "start", "20240101T240000"), P::NotADate, "start"},
        {ContentType::Event, with(event, "start", "2024-01-01T10:00"), P::NotADate, "start"},
        {ContentType::Event, with(event, "end", "20231231T235959"), P::EndBeforeStart, "end"},
        {ContentType::Event, with(event, "end", "20240102T000000Z"), P::MixedTimes, "end"},
        {ContentType::Wifi, {{"ssid", "a"}, {"security", "WPA"}}, P::Missing, "password"},
        {ContentType::Wifi, {{"ssid", "a"}, {"password", "x"}, {"security", "nopass"}},
         P::Contradiction, "password"},
        {ContentType::Wifi, {{"ssid", "a"}, {"security", "WPA4"}}, P::NotAChoice, "security"},
        {ContentType::Wifi, {{"ssid", "a"}, {"hidden", "maybe"}}, P::NotAChoice, "hidden"},
        {ContentType::Wifi, {{"ssid", "a\nb"}}, P::LineBreak, "ssid"},
        {ContentType::Wifi, {{"ssid", "a"}, {"pin", "1"}}, P::UnknownField, "pin"},
        {ContentType::Email, {{"to", "ann@example.org, bob"}}, P::NotAnAddress, "to"},
        {ContentType::Email, {{"to", "@example.org"}}, P::NotAnAddress, "to"},
        {ContentType::Tel, {{"number", "555:1"}}, P::NotAPhoneNumber, "number"},
        {ContentType::Sms, {{"number", "1+2"}}, P::NotAPhoneNumber, "number"},
        {ContentType::Contact, {{"name", "  "}}, P::Missing, "name"},
        {ContentType::Url, {}, P::Missing, "url"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto made = qrdesk::MakeContent(c.type, c.fields);
        EXPECT_EQ(made.problem, c.problem) << c.field << ": " << made.text;
        EXPECT_EQ(made.field, c.field);
        EXPECT_TRUE(made.text.empty());
        EXPECT_FALSE(qrdesk::DescribeProblem(c.type, made, c.fields).empty());
    }
}

}  // namespace
