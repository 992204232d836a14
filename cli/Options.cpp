#include "cli/Options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>

#ifndef QRDESK_VERSION
#define QRDESK_VERSION "unknown"
#endif

namespace qrdesk::cli {
namespace {

std::string Quoted(const std::string& value) {
    return "\"" + value + "\"";
}

// A whole decimal number in [low, high]; nullopt otherwise. Blanks around it are allowed, a
// leading "+" is not.
std::optional<int> ParseNumber(const std::string& value, int low, int high) {
    const std::size_t first = value.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos || value[0] == '+') return std::nullopt;
    const std::size_t last = value.find_last_not_of(" \t\n\v\f\r");
    const std::string digits = value.substr(first, last - first + 1);
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(digits.c_str(), &end, 10);
    if (errno != 0 || end != digits.c_str() + digits.size() || number < low || number > high)
        return std::nullopt;
    return static_cast<int>(number);
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::char_traits<char>::length(suffix);
    if (text.size() < n) return false;
    for (std::size_t k = 0; k < n; ++k)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + k])) != suffix[k])
            return false;
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::optional<ImageFormat> FormatFromName(const std::string& name) {
    if (name.size() <= 4) return std::nullopt;
    if (EndsWithNoCase(name, ".bmp")) return ImageFormat::Bmp;
    if (EndsWithNoCase(name, ".png")) return ImageFormat::Png;
    return std::nullopt;
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
    CliOptions o;
    ParseResult result;
    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };

    // Options that take a value; each returns an error message, empty when the value is good.
    using Setter = std::function<std::string(const std::string&)>;
    const std::map<std::string, Setter> valued = {
        {"-o",
         [&](const std::string& v) {
             o.output = v;
             o.outputGiven = true;
             const auto format = FormatFromName(o.output);
             if (!format) return "-o " + Quoted(v) + ": the file name must end in .bmp or .png";
             o.outputFormat = *format;
             return std::string();
         }},
        {"--symbol-version",
         [&](const std::string& v) {
             if (v == "auto") {
                 o.symbol.version = 0;
             } else if (const auto n = ParseNumber(v, 1, 40)) {
                 o.symbol.version = *n;
             } else {
                 return "--symbol-version must be auto or 1 to 40, not " + Quoted(v);
             }
             return std::string();
         }},
        {"--level",
         [&](const std::string& v) {
             static const std::string levels = "LMQH";
             const auto at = v.size() == 1 ? levels.find(static_cast<char>(
                                                 std::toupper(static_cast<unsigned char>(v[0]))))
                                           : std::string::npos;
             if (at == std::string::npos) return "--level must be L, M, Q or H, not " + Quoted(v);
             o.symbol.level = static_cast<std::int32_t>(at) + 1;
             return std::string();
         }},
        {"--mask",
         [&](const std::string& v) {
             if (v == "auto") {
                 o.symbol.mask = -1;
             } else if (const auto n = ParseNumber(v, 0, 7)) {
                 o.symbol.mask = *n;
             } else {
                 return "--mask must be auto or 0 to 7, not " + Quoted(v);
             }
             return std::string();
         }},
        {"--encoding",
         [&](const std::string& v) {
             const std::string name = Lower(v);
             if (name == "utf-8" || name == "utf8") {
                 o.encoding = TextEncoding::Utf8;
             } else if (name == "ansi") {
                 o.encoding = TextEncoding::Ansi;
             } else {
                 return "--encoding must be utf-8 or ansi, not " + Quoted(v);
             }
             return std::string();
         }},
        {"--ansi-codepage",
         [&](const std::string& v) {
             o.codePage = v;
             if (!IsCodePageSupported(o.codePage))
                 return "unknown code page " + Quoted(v) + " (iconv cannot convert to it)";
             return std::string();
         }},
        {"--size",
         [&](const std::string& v) {
             const auto n = ParseNumber(v, kMinSymbolPixels, kMaxSize);
             if (!n)
                 return "--size must be a number of pixels from " +
                        std::to_string(kMinSymbolPixels) +
                        " (the smallest symbol with its quiet zone) to " +
                        std::to_string(kMaxSize) + ", not " + Quoted(v);
             o.size = *n;
             o.sizeGiven = true;
             return std::string();
         }},
        {"--batch",
         [&](const std::string& v) {
             o.batch = true;
             o.batchFile = v;
             return std::string();
         }},
        {"--out-dir",
         [&](const std::string& v) {
             o.outDir = v;
             return v.empty() ? std::string("--out-dir needs a folder") : std::string();
         }},
        {"--name",
         [&](const std::string& v) {
             o.nameTemplate = v;
             if (v.find("{line}") == std::string::npos)
                 return "--name " + Quoted(v) + " must contain {line}";
             if (v.find('/') != std::string::npos)
                 return "--name " + Quoted(v) + " must be a file name without a folder";
             const auto format = FormatFromName(v);
             if (!format) return "--name " + Quoted(v) + ": the file name must end in .bmp or .png";
             o.nameFormat = *format;
             return std::string();
         }},
        {"--eci",
         [&](const std::string& v) {
             const std::string name = Lower(v);
             if (name == "auto") {
                 o.eciChoice = EciChoice::Auto;
             } else if (name == "off") {
                 o.eciChoice = EciChoice::Off;
             } else if (const auto n = ParseNumber(v, 1, clsQRCode::MaxEci)) {
                 o.eciChoice = EciChoice::Given;
                 o.symbol.eci = *n;
             } else {
                 return "--eci must be auto, off or a designator from 1 to 999999, not " +
                        Quoted(v);
             }
             return std::string();
         }},
        {"--jobs",
         [&](const std::string& v) {
             const auto n = ParseNumber(v, 1, 256);
             if (!n) return "--jobs must be 1 to 256, not " + Quoted(v);
             o.jobs = *n;
             return std::string();
         }},
    };
    const std::map<std::string, bool*> flags = {
        {"--unscaled", &o.unscaled},
        {"--force", &o.force},
    };

    bool optionsEnded = false;
    std::vector<std::string> given;  // option names seen, for the checks of combinations
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            if (arg == "--help" || arg == "-h") {
                o.help = true;
                result.options = o;
                return result;
            }
            if (arg == "--version") {
                o.showVersion = true;
                result.options = o;
                return result;
            }
            std::string name = arg;
            std::optional<std::string> value;
            if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
            if (name == "--output") name = "-o";
            if (name == "--info") {
                // "--info", "--info=json", or "--info json" (the word json right after it).
                const std::string format = value ? Lower(*value)
                                           : i + 1 < args.size() && Lower(args[i + 1]) == "json"
                                               ? Lower(args[++i])
                                               : "text";
                if (format != "text" && format != "json")
                    return fail("--info takes json or nothing, not " + Quoted(*value));
                o.info = format == "json" ? InfoFormat::Json : InfoFormat::Text;
                given.push_back(name);
                continue;
            }
            if (const auto flag = flags.find(name); flag != flags.end()) {
                if (value) return fail("option " + name + " takes no value");
                *flag->second = true;
                given.push_back(name);
                continue;
            }
            const auto setter = valued.find(name);
            if (setter == valued.end())
                return fail("unknown option " + Quoted(arg) + "; try --help");
            if (!value) {
                if (i + 1 >= args.size()) return fail("option " + name + " needs a value");
                value = args[++i];
            }
            if (const std::string error = setter->second(*value); !error.empty())
                return fail(error);
            given.push_back(name);
            continue;
        }
        if (o.haveText)
            return fail("unexpected argument " + Quoted(arg) +
                        ": give one TEXT (quote a text with spaces)");
        o.haveText = true;
        o.textFromStdin = arg == "-";
        if (!o.textFromStdin) o.text = arg;
    }

    auto has = [&](const char* name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    if (o.unscaled && o.sizeGiven) return fail("--size and --unscaled exclude each other");
    if (o.batch) {
        if (o.haveText) return fail("--batch takes its texts from the file, not from TEXT");
        if (has("-o")) return fail("-o is for one symbol; --batch writes to --out-dir");
        if (o.info != InfoFormat::None) return fail("--info is for one symbol, not --batch");
        if (o.outDir.empty()) return fail("--batch needs --out-dir DIR");
    } else {
        for (const char* name : {"--out-dir", "--name", "--force", "--jobs"})
            if (has(name)) return fail(std::string(name) + " needs --batch FILE");
        if (!o.haveText)
            return fail("missing TEXT (or - to read it from standard input); try --help");
    }
    o.symbol.kanjiAllowed = KanjiAllowed(o.encoding, o.codePage);
    result.options = o;
    return result;
}

std::int32_t ResolveEci(const CliOptions& options, std::string_view bytes) {
    switch (options.eciChoice) {
        case EciChoice::Given:
            return options.symbol.eci;
        case EciChoice::Auto:
            if (IsPlainAscii(bytes)) return 0;
            return options.encoding == TextEncoding::Utf8 ? kUtf8Eci
                                                          : EciOfCodePage(options.codePage);
        default:
            return 0;
    }
}

std::string VersionText() {
    return std::string("qrdesk-cli ") + QRDESK_VERSION;
}

std::string HelpText() {
    std::string text = R"(Usage: qrdesk-cli [OPTIONS] TEXT
       qrdesk-cli [OPTIONS] -                      (the text from standard input)
       qrdesk-cli [OPTIONS] --batch FILE --out-dir DIR

Writes the QR Code symbol of TEXT to an image file: the same file the qrdesk window saves
for the same text and options.

Text: TEXT and standard input are read as UTF-8 (standard input whole, including a
final line break; a leading byte-order mark is dropped) and converted to the chosen
encoding. With --encoding ansi the text is converted from UTF-8 to the code page through
iconv; characters the code page lacks become "?". Input that is not valid UTF-8 is refused.

Options:
  -o, --output FILE         output file (default qrcode.bmp), replaced atomically when it
                            exists; .bmp or .png decides the format
  --symbol-version auto|1..40
                            symbol version (default auto: the smallest that holds the text)
  --level L|M|Q|H           error-correction level (default M)
  --mask auto|0..7          mask pattern (default auto, which is pattern 0 as in the window)
  --encoding utf-8|ansi     bytes the symbol carries (default utf-8)
  --ansi-codepage NAME      code page for --encoding ansi (default GBK); Kanji mode is used
                            only for a Shift JIS code page (SHIFT_JIS, CP932, ...)
  --size PIXELS             side of the picture, stretched without smoothing (default 600;
                            the window offers 200, 400, 600); at least the symbol's own
                            size, modules + 8, and at most @MAX@
  --unscaled                one pixel per module with the 4-module quiet zone (the picture
                            the window copies to the clipboard)
  --eci auto|off|N          an ECI header naming the character set (default off): auto
                            writes 26 (UTF-8) or the code page's designator for text that
                            is not plain ASCII; some shop scanners print the header as text
  --info [json]             print version, level, mask, segments and bits used of the
                            capacity (data bits without the terminator), then what zxing-cpp
                            and zbar read from the file; json: one JSON object instead
  -h, --help                this text
  --version                 the program's version

Batch (one symbol per line of FILE, "-" for standard input; a final \r is dropped):
  --batch FILE              the lines to encode; empty lines are skipped and counted
  --out-dir DIR             folder for the files (made when missing)
  --name TEMPLATE           file name with {line}, the line number from 1
                            (default qr-{line}.bmp; .bmp or .png decides the format)
  --force                   replace existing files (otherwise such lines fail)
  --jobs N                  worker threads (default: one per core)
  A progress bar is shown on standard error when it is a terminal, a summary always, and
  every failed line with its number and reason.

Exit codes: 0 success, 1 the data does not fit, 2 usage error, 3 input or output error.
A batch with failed lines exits with the highest code among them.
)";
    text.replace(text.find("@MAX@"), 5, std::to_string(kMaxSize));
    return text;
}

}  // namespace qrdesk::cli
