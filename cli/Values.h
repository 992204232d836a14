#pragma once
// How the command line reads option values: one way throughout (keywords in any case, numbers
// as digits only, colours as hex), and the few checks on them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrdesk::cli {

// The value in double quotes, for messages (control characters escaped, see Printable).
std::string Quoted(const std::string& value);
// ASCII letters in lower case: keywords are taken in any case.
std::string Lower(std::string text);

// A whole decimal number in [low, high], digits only: no blanks, no sign.
std::optional<int> ParseNumber(const std::string& value, int low, int high);

// RRGGBB or RRGGBBAA in hexadecimal digits, as 0xAARRGGBB.
std::optional<std::uint32_t> ParseColour(const std::string& value);

// Whether text ends with suffix (lower case), ignoring case, with something before it.
bool EndsWithNoCase(const std::string& text, const char* suffix);

// The padding of a batch file-name template's field: 0 for "{line}", N for "{line:0N}" (N 1 to
// 20); nullopt for any other text, which stays in the name as written.
std::optional<int> LineFieldWidth(std::string_view field);
// Whether a batch's file-name template has a {line} or {line:0N} field.
bool HasLineField(const std::string& name);

// A FIFO, character device, socket or open descriptor (/dev/stdout, /dev/fd/N; a link to one
// included): written into like standard output, and like it PNG unless -t says otherwise.
bool IsStream(const std::string& path);

}  // namespace qrdesk::cli

namespace qrdesk::cli {

// text for a one-line message: control characters and backslashes as C escapes ("\n",
// "\x1b", "\0"), so that a name with a newline or NUL shows whole and on one line.
std::string Printable(std::string_view text);

}  // namespace qrdesk::cli
