#pragma once
// What people encode besides free text: a web address, a Wi-Fi login, a contact card, a mail,
// an SMS, a phone number, a place and an event, each made from named fields into the text
// that readers recognise, with that format's escaping. Field values and the text made are
// UTF-8; the text then goes through the ordinary settings like typed text.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qrdesk {

// In the order of the window's content-type list.
enum class ContentType { Text, Url, Wifi, Contact, Email, Sms, Tel, Geo, Event };

struct ContentField {
    const char* name;  // as the command line's --field NAME=VALUE takes it
    bool required;
    bool multiLine;  // may hold line breaks (a note, an address, a message body)
    // Taken exactly as given: a network's name and password may begin or end with blanks.
    // Other one-line fields lose the blanks around them.
    bool verbatim = false;
};

struct ContentKind {
    ContentType type;
    const char* name;  // as --content takes it
    std::span<const ContentField> fields;
};

// Every type, in ContentType's order (index = static_cast<int>(type)).
std::span<const ContentKind> ContentKinds();
const ContentKind& KindOf(ContentType type);
// The type of a --content name (any case); nullopt for an unknown one.
std::optional<ContentType> ContentTypeByName(std::string_view name);
// The field of a type by name (exact); nullptr when the type has no such field.
const ContentField* FieldOf(ContentType type, std::string_view name);

// Why fields make no text.
enum class ContentProblem {
    None,
    UnknownField,     // not a field of this type
    Missing,          // a required field is empty
    NotAChoice,       // security, hidden: not one of the listed values
    NotANumber,       // lat, lon: not a decimal number
    OutOfRange,       // lat beyond +-90, lon beyond +-180
    NotADate,         // start, end: not YYYYMMDDTHHMMSS[Z] or no such day or time
    EndBeforeStart,   // end earlier than start
    MixedTimes,       // one of start and end in UTC (Z), the other local
    NotAPhoneNumber,  // number: a character other than digits, a leading + and - . ( ) blanks
    NotAnAddress,     // to: an address without a local part, "@" and a domain
    LineBreak,        // a line break in a one-line field
    Contradiction,    // a password for an open network (security nopass)
};

struct ContentResult {
    std::string text;  // the text made; empty with a problem
    ContentProblem problem = ContentProblem::None;
    std::string field;  // the field at fault

    bool Ok() const { return problem == ContentProblem::None; }
};

using ContentFields = std::map<std::string, std::string, std::less<>>;

// The text of a type made from its fields (absent fields are empty). Text gives the field
// "text" unchanged. The first problem found, in the type's field order, is reported.
ContentResult MakeContent(ContentType type, const ContentFields& fields);

// The problem in one English line for the command line, e.g.
// "--field lat must be a number from -90 to 90, not "91.5"".
std::string DescribeProblem(ContentType type, const ContentResult& result,
                            const ContentFields& fields);

}  // namespace qrdesk
