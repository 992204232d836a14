#include "common/Content.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <tuple>

namespace qrdesk {
namespace {

constexpr ContentField kTextFields[] = {{"text", true, true}};
constexpr ContentField kUrlFields[] = {{"url", true, false}};
constexpr ContentField kWifiFields[] = {{"ssid", true, false, true},
                                        {"password", false, false, true},
                                        {"security", false, false},
                                        {"hidden", false, false}};
constexpr ContentField kContactFields[] = {{"name", true, false},    {"org", false, false},
                                           {"title", false, false},  {"phone", false, false},
                                           {"email", false, false},  {"url", false, false},
                                           {"address", false, true}, {"note", false, true}};
constexpr ContentField kEmailFields[] = {
    {"to", true, false}, {"subject", false, false}, {"body", false, true}};
constexpr ContentField kSmsFields[] = {{"number", true, false}, {"body", false, true}};
constexpr ContentField kTelFields[] = {{"number", true, false}};
constexpr ContentField kGeoFields[] = {{"lat", true, false}, {"lon", true, false}};
constexpr ContentField kEventFields[] = {{"summary", true, false},
                                         {"start", true, false},
                                         {"end", false, false},
                                         {"location", false, false}};

constexpr ContentKind kKinds[] = {
    {ContentType::Text, "text", kTextFields},    {ContentType::Url, "url", kUrlFields},
    {ContentType::Wifi, "wifi", kWifiFields},    {ContentType::Contact, "contact", kContactFields},
    {ContentType::Email, "email", kEmailFields}, {ContentType::Sms, "sms", kSmsFields},
    {ContentType::Tel, "tel", kTelFields},       {ContentType::Geo, "geo", kGeoFields},
    {ContentType::Event, "event", kEventFields},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Line breaks of any platform (CRLF, CR, LF) as eol.
std::string NormalisedLines(std::string_view text, std::string_view eol) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += eol;
        } else if (text[i] == '\n') {
            out += eol;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Each byte of special with a backslash before it.
std::string BackslashEscaped(std::string_view text, std::string_view special) {
    std::string out;
    for (const char c : text) {
        if (special.find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

// A TEXT value of vCard 3.0 (RFC 2426 5.4) and iCalendar (RFC 5545 3.3.11): backslash,
// comma and semicolon escaped, each line break as "\n".
std::string TextValue(std::string_view text) {
    return NormalisedLines(BackslashEscaped(text, "\\,;"), "\\n");
}

// Bytes outside keep as %XX (upper-case hex, RFC 3986 2.1); UTF-8 text so becomes its bytes.
std::string PercentEncoded(std::string_view bytes, std::string_view keep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) && b < 0x80) {
            out += c;
        } else if (keep.find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

// RFC 3986's unreserved characters besides letters and digits.
constexpr std::string_view kUnreserved = "-._~";

class Maker {
  public:
    Maker(ContentType type, const ContentFields& fields) : type_(type), fields_(fields) {}

    // The field's value, blanks around it removed unless it is multi-line or verbatim.
    std::string_view Get(const char* name) const {
        const auto it = fields_.find(name);
        if (it == fields_.end()) return {};
        const ContentField* field = FieldOf(type_, name);
        return field && (field->multiLine || field->verbatim) ? std::string_view(it->second)
                                                              : Trimmed(it->second);
    }
    // Checks the fields of the type that every format shares: known, present when required,
    // one line when not multiLine. False after setting the result's problem.
    bool CheckCommon() {
        for (const auto& [name, value] : fields_)
            if (!FieldOf(type_, name)) return Fail(ContentProblem::UnknownField, name);
        for (const ContentField& field : KindOf(type_).fields) {
            if (field.required && Get(field.name).empty())
                return Fail(ContentProblem::Missing, field.name);
            if (!field.multiLine && HasLineBreak(Get(field.name)))
                return Fail(ContentProblem::LineBreak, field.name);
        }
        return true;
    }
    bool Fail(ContentProblem problem, std::string_view field) {
        if (result_.Ok()) {
            result_.problem = problem;
            result_.field = std::string(field);
        }
        return false;
    }
    ContentResult Done(std::string text) {
        if (result_.Ok()) result_.text = std::move(text);
        return std::move(result_);
    }
    bool Ok() const { return result_.Ok(); }

  private:
    ContentType type_;
    const ContentFields& fields_;
    ContentResult result_;
};

// A phone number for tel: and SMSTO: digits, a leading "+", the visual separators of RFC
// 3966 ("-", ".", "(", ")"); blanks are dropped. nullopt for anything else or no digit.
std::optional<std::string> PhoneNumber(std::string_view text) {
    std::string out;
    bool digit = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t') continue;
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (!(c == '+' && out.empty()) &&
                   std::string_view("-.()").find(c) == std::string_view::npos) {
            return std::nullopt;
        }
        out += c;
    }
    if (!digit) return std::nullopt;
    return out;
}

// A decimal number as RFC 5870 writes it ("-" and digits, a "." and digits), from text that
// may carry a leading "+"; nullopt when the text is no such number or beyond limit.
enum class Number { Good, NotANumber, OutOfRange };
Number Coordinate(std::string_view text, int limit, std::string* out) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    const std::size_t dot = digits.find('.');
    const std::string_view whole = digits.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : digits.substr(dot + 1);
    const auto allDigits = [](std::string_view s) {
        return !s.empty() &&
               std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!allDigits(whole) || (dot != std::string_view::npos && !allDigits(fraction)))
        return Number::NotANumber;
    // Compared as text, so that no digit is lost to a floating-point conversion.
    std::string_view significant = whole;
    while (significant.size() > 1 && significant.front() == '0') significant.remove_prefix(1);
    const std::string bound = std::to_string(limit);
    const bool fractionZero =
        std::all_of(fraction.begin(), fraction.end(), [](char c) { return c == '0'; });
    if (significant.size() > bound.size() ||
        (significant.size() == bound.size() &&
         (significant > bound || (significant == bound && !fractionZero))))
        return Number::OutOfRange;
    *out = (negative ? "-" : "") + std::string(significant);
    if (dot != std::string_view::npos) *out += "." + std::string(fraction);
    return Number::Good;
}

// A local or UTC date-time of RFC 5545 3.3.5 that exists: YYYYMMDDTHHMMSS, "Z" after it for
// UTC; a second of 60 is a leap second.
bool IsDateTime(std::string_view text) {
    if (text.size() != 15 && !(text.size() == 16 && text[15] == 'Z')) return false;
    if (text[8] != 'T') return false;
    for (std::size_t i = 0; i < 15; ++i)
        if (i != 8 && (text[i] < '0' || text[i] > '9')) return false;
    const auto number = [&](std::size_t at, std::size_t length) {
        int n = 0;
        for (std::size_t i = at; i < at + length; ++i) n = n * 10 + (text[i] - '0');
        return n;
    };
    const int year = number(0, 4), month = number(4, 2), day = number(6, 2);
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
    return number(9, 2) <= 23 && number(11, 2) <= 59 && number(13, 2) <= 60;
}

// An address of the to field: something, "@", something, without blanks.
bool IsAddress(std::string_view text) {
    const std::size_t at = text.rfind('@');
    return at != std::string_view::npos && at > 0 && at + 1 < text.size() &&
           text.find_first_of(" \t") == std::string_view::npos;
}

// Whether text begins with a URI scheme (RFC 3986 3.1) rather than a host and its port
// ("example.org:8080/x", "localhost:3000").
bool HasScheme(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    // A port: digits up to the end, "/", "?" or "#".
    std::size_t end = colon + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    const bool port =
        end > colon + 1 &&
        (end == text.size() || std::string_view("/?#").find(text[end]) != std::string_view::npos);
    return !port;
}

ContentResult MakeUrl(Maker& m) {
    if (!m.CheckCommon()) return m.Done({});
    std::string url(m.Get("url"));
    if (!HasScheme(url)) url = "https://" + url;
    // Blanks have no place in a URI; the reader's browser would stop at the first.
    std::string out;
    for (const char c : url) out += c == ' ' ? std::string("%20") : std::string(1, c);
    return m.Done(out);
}

ContentResult MakeWifi(Maker& m) {
    if (!m.CheckCommon()) return m.Done({});
    const std::string_view password = m.Get("password");
    std::string security = Lower(m.Get("security"));
    if (security.empty()) security = password.empty() ? "nopass" : "wpa";
    static constexpr std::pair<const char*, const char*> kSecurity[] = {
        {"wpa", "WPA"},  {"wpa2", "WPA"},      {"wep", "WEP"},    {"sae", "SAE"},
        {"wpa3", "SAE"}, {"nopass", "nopass"}, {"none", "nopass"}};
    const char* written = nullptr;
    for (const auto& [name, value] : kSecurity)
        if (security == name) written = value;
    if (!written) m.Fail(ContentProblem::NotAChoice, "security");
    const std::string hidden = Lower(m.Get("hidden"));
    const bool isHidden = hidden == "yes" || hidden == "true" || hidden == "1";
    if (!isHidden && !hidden.empty() && hidden != "no" && hidden != "false" && hidden != "0")
        m.Fail(ContentProblem::NotAChoice, "hidden");
    const bool open = written && std::string_view(written) == "nopass";
    if (open && !password.empty()) m.Fail(ContentProblem::Contradiction, "password");
    if (!open && password.empty()) m.Fail(ContentProblem::Missing, "password");
    if (!m.Ok()) return m.Done({});
    // The special characters of the format, each after a backslash.
    constexpr std::string_view kSpecial = "\\;,:\"";
    std::string text =
        "WIFI:T:" + std::string(written) + ";S:" + BackslashEscaped(m.Get("ssid"), kSpecial) + ";";
    if (!open) text += "P:" + BackslashEscaped(password, kSpecial) + ";";
    if (isHidden) text += "H:true;";
    return m.Done(text + ";");
}

ContentResult MakeContact(Maker& m) {
    if (!m.CheckCommon()) return m.Done({});
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    const std::string name = TextValue(m.Get("name"));
    // N is required and structured (family;given;additional;prefixes;suffixes); one name
    // field cannot be split reliably, so it stands whole as the family name and FN shows it.
    text += "N:" + name + ";;;;\r\nFN:" + name + "\r\n";
    static constexpr std::pair<const char*, const char*> kLines[] = {
        {"org", "ORG"}, {"title", "TITLE"}, {"phone", "TEL"}, {"email", "EMAIL"}};
    for (const auto& [field, property] : kLines)
        if (!m.Get(field).empty())
            text += std::string(property) + ":" + TextValue(m.Get(field)) + "\r\n";
    // A URI value is not TEXT: written as it is (a one-line field).
    if (!m.Get("url").empty()) text += "URL:" + std::string(m.Get("url")) + "\r\n";
    // The address as the street part of ADR (box;extended;street;city;region;code;country).
    if (!m.Get("address").empty()) text += "ADR:;;" + TextValue(m.Get("address")) + ";;;;\r\n";
    if (!m.Get("note").empty()) text += "NOTE:" + TextValue(m.Get("note")) + "\r\n";
    return m.Done(text + "END:VCARD\r\n");
}

ContentResult MakeEmail(Maker& m) {
    if (!m.CheckCommon()) return m.Done({});
    // RFC 6068: addresses keep "@"; everything else that is no unreserved character is
    // percent-encoded as UTF-8, line breaks of the body as %0D%0A.
    std::string to;
    std::string_view list = m.Get("to");
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view address = Trimmed(list.substr(0, comma));
        if (!IsAddress(address)) {
            m.Fail(ContentProblem::NotAnAddress, "to");
            return m.Done({});
        }
        if (!to.empty()) to += ',';
        to += PercentEncoded(address, std::string(kUnreserved) + "@");
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    std::string text = "mailto:" + to;
    char separator = '?';
    if (!m.Get("subject").empty()) {
        text += separator + std::string("subject=") + PercentEncoded(m.Get("subject"), kUnreserved);
        separator = '&';
    }
    if (!m.Get("body").empty())
        text += separator + std::string("body=") +
                PercentEncoded(NormalisedLines(m.Get("body"), "\r\n"), kUnreserved);
    return m.Done(text);
}

ContentResult MakeSms(Maker& m, bool sms) {
    if (!m.CheckCommon()) return m.Done({});
    const auto number = PhoneNumber(m.Get("number"));
    if (!number) {
        m.Fail(ContentProblem::NotAPhoneNumber, "number");
        return m.Done({});
    }
    if (!sms) return m.Done("tel:" + *number);
    return m.Done("SMSTO:" + *number + ":" + NormalisedLines(m.Get("body"), "\n"));
}

ContentResult MakeGeo(Maker& m) {
    if (!m.CheckCommon()) return m.Done({});
    std::string lat, lon;
    for (const auto& [field, limit, out] :
         {std::tuple<const char*, int, std::string*>{"lat", 90, &lat}, {"lon", 180, &lon}}) {
        const Number n = Coordinate(m.Get(field), limit, out);
        if (n != Number::Good)
            m.Fail(
                n == Number::NotANumber ? ContentProblem::NotANumber : ContentProblem::OutOfRange,
                field);
    }
    return m.Done("geo:" + lat + "," + lon);
}

ContentResult MakeEvent(Maker& m) {
    if (!m.CheckCommon()) return m.Done({});
    const std::string_view start = m.Get("start"), end = m.Get("end");
    if (!IsDateTime(start)) return m.Fail(ContentProblem::NotADate, "start"), m.Done({});
    if (!end.empty()) {
        if (!IsDateTime(end)) return m.Fail(ContentProblem::NotADate, "end"), m.Done({});
        if ((start.size() == 16) != (end.size() == 16))
            return m.Fail(ContentProblem::MixedTimes, "end"), m.Done({});
        // The same form: text order is time order.
        if (end < start) return m.Fail(ContentProblem::EndBeforeStart, "end"), m.Done({});
    }
    std::string text = "BEGIN:VEVENT\r\nSUMMARY:" + TextValue(m.Get("summary")) + "\r\n";
    text += "DTSTART:" + std::string(start) + "\r\n";
    if (!end.empty()) text += "DTEND:" + std::string(end) + "\r\n";
    if (!m.Get("location").empty()) text += "LOCATION:" + TextValue(m.Get("location")) + "\r\n";
    return m.Done(text + "END:VEVENT\r\n");
}

}  // namespace

std::span<const ContentKind> ContentKinds() {
    return kKinds;
}

const ContentKind& KindOf(ContentType type) {
    return kKinds[static_cast<std::size_t>(type)];
}

std::optional<ContentType> ContentTypeByName(std::string_view name) {
    const std::string lower = Lower(name);
    for (const ContentKind& kind : kKinds)
        if (lower == kind.name) return kind.type;
    return std::nullopt;
}

const ContentField* FieldOf(ContentType type, std::string_view name) {
    for (const ContentField& field : KindOf(type).fields)
        if (name == field.name) return &field;
    return nullptr;
}

ContentResult MakeContent(ContentType type, const ContentFields& fields) {
    Maker m(type, fields);
    switch (type) {
        case ContentType::Text:
            if (!m.CheckCommon()) return m.Done({});
            return m.Done(std::string(m.Get("text")));
        case ContentType::Url:
            return MakeUrl(m);
        case ContentType::Wifi:
            return MakeWifi(m);
        case ContentType::Contact:
            return MakeContact(m);
        case ContentType::Email:
            return MakeEmail(m);
        case ContentType::Sms:
            return MakeSms(m, true);
        case ContentType::Tel:
            return MakeSms(m, false);
        case ContentType::Geo:
            return MakeGeo(m);
        case ContentType::Event:
            return MakeEvent(m);
    }
    return m.Done({});
}

std::string DescribeProblem(ContentType type, const ContentResult& result,
                            const ContentFields& fields) {
    const std::string kind = KindOf(type).name;
    const std::string field = "--field " + result.field;
    const auto it = fields.find(result.field);
    const std::string quoted = "\"" + (it == fields.end() ? std::string() : it->second) + "\"";
    switch (result.problem) {
        case ContentProblem::None:
            return {};
        case ContentProblem::UnknownField: {
            std::string names;
            for (const ContentField& f : KindOf(type).fields)
                names += std::string(names.empty() ? "" : ", ") + f.name;
            return "--content " + kind + " has no field " + result.field +
                   " (its fields: " + names + ")";
        }
        case ContentProblem::Missing:
            return "--content " + kind + " needs " + field + "=VALUE";
        case ContentProblem::NotAChoice:
            return field +
                   (result.field == "security" ? " must be WPA, WEP, SAE or nopass"
                                               : " must be yes or no") +
                   ", not " + quoted;
        case ContentProblem::NotANumber:
        case ContentProblem::OutOfRange:
            return field + " must be a number from " +
                   (result.field == "lat" ? "-90 to 90" : "-180 to 180") + " in degrees, not " +
                   quoted;
        case ContentProblem::NotADate:
            return field + " must be a date and time YYYYMMDDTHHMMSS (Z after it for UTC), not " +
                   quoted;
        case ContentProblem::EndBeforeStart:
            return field + " is earlier than --field start";
        case ContentProblem::MixedTimes:
            return "--field start and --field end must both be UTC (Z) or both local";
        case ContentProblem::NotAPhoneNumber:
            return field +
                   " must be a phone number (digits, a leading +, - . ( ) and blanks), not " +
                   quoted;
        case ContentProblem::NotAnAddress:
            return field + " must be mail addresses (name@domain, separated by commas), not " +
                   quoted;
        case ContentProblem::LineBreak:
            return field + " must be one line";
        case ContentProblem::Contradiction:
            return "--field password is given for an open network (security nopass)";
    }
    return {};
}

}  // namespace qrdesk
