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
#include "support/ContentFormats.h"
#include "support/ZxingDecode.h"

using qrdesk::ContentFields;
using qrdesk::ContentProblem;
using qrdesk::ContentType;
using qrdesk::test::Fields;
using qrdesk::test::ParseEvent;
using qrdesk::test::ParseMailto;
using qrdesk::test::ParseVcard;
using qrdesk::test::ParseWifi;

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
