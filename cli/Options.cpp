#include "cli/Options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>

#ifndef QRDESK_VERSION
#define QRDESK_VERSION "unknown"
#endif

namespace qrdesk::cli {
namespace {

std::string Quoted(const std::string& value) {
    return "\"" + value + "\"";
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

// WCAG relative luminance of an sRGB colour.
double RelativeLuminance(std::uint32_t colour) {
    auto channel = [](std::uint32_t c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour >> 16 & 0xFF) + 0.7152 * channel(colour >> 8 & 0xFF) +
           0.0722 * channel(colour & 0xFF);
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const std::string lower = Lower(text);
    const std::size_t n = std::char_traits<char>::length(suffix);
    return lower.size() > n && lower.compare(lower.size() - n, n, suffix) == 0;
}

// The {line} or {line:0N} field of a batch's file-name template.
bool HasLineField(const std::string& name) {
    const std::size_t at = name.find("{line");
    if (at == std::string::npos) return false;
    if (name.compare(at, 6, "{line}") == 0) return true;
    const std::size_t close = name.find('}', at);
    return close != std::string::npos && name.compare(at, 7, "{line:0") == 0 &&
           ParseNumber(name.substr(at + 7, close - at - 7), 1, 20).has_value();
}

// A FIFO, character device or socket (a link to one included): written into like standard
// output, and like it PNG unless -t says otherwise.
bool IsStream(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 &&
           (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode));
}

struct Option {
    const char* name;  // long form
    char shortName;    // 0: none
    bool takesValue;
    std::function<std::string(const std::string&)> set;  // "" when the value is good
};

}  // namespace

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

ParseResult ParseArguments(const std::vector<std::string>& args, bool stdinIsTerminal) {
    CliOptions o;
    ParseResult result;
    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };
    bool haveText = false, unscaled = false;
    std::vector<std::string> given;  // option names seen, for the checks of combinations
    auto has = [&](const char* name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    auto colour = [](std::uint32_t& target, const char* name) {
        return [&target, name](const std::string& v) {
            const auto c = ParseColour(v);
            if (!c)
                return std::string(name) + " must be RRGGBB or RRGGBBAA in hex, not " + Quoted(v);
            target = *c;
            return std::string();
        };
    };

    const std::vector<Option> table = {
        {"--output", 'o', true,
         [&](const std::string& v) {
             o.output = v;
             o.outputGiven = true;
             return v.empty() ? std::string("-o needs a file name, or - for standard output")
                              : std::string();
         }},
        {"--type", 't', true,
         [&](const std::string& v) {
             static const std::pair<const char*, OutputType> kTypes[] = {
                 {"png", OutputType::Png},   {"bmp", OutputType::Bmp},
                 {"svg", OutputType::Svg},   {"utf8", OutputType::Utf8},
                 {"ansi", OutputType::Ansi}, {"ascii", OutputType::Ascii}};
             for (const auto& [name, type] : kTypes)
                 if (Lower(v) == name) {
                     o.type = type;
                     o.typeGiven = true;
                     return std::string();
                 }
             return "--type must be png, bmp, svg, utf8, ansi or ascii, not " + Quoted(v);
         }},
        {"--read", 'r', true,
         [&](const std::string& v) {
             o.textFile = v;
             return v.empty() ? std::string("-r needs a file name") : std::string();
         }},
        {"--symbol-version", 'v', true,
         [&](const std::string& v) {
             if (Lower(v) == "auto") {
                 o.symbol.version = 0;
             } else if (const auto n = ParseNumber(v, 1, 40)) {
                 o.symbol.version = *n;
             } else {
                 return "--symbol-version must be auto or 1 to 40, not " + Quoted(v);
             }
             return std::string();
         }},
        {"--level", 'l', true,
         [&](const std::string& v) {
             static const std::string kLevels = "lmqh";
             const std::size_t at = v.size() == 1 ? kLevels.find(Lower(v)[0]) : std::string::npos;
             if (at == std::string::npos) return "--level must be L, M, Q or H, not " + Quoted(v);
             o.symbol.level = static_cast<std::int32_t>(at) + 1;
             return std::string();
         }},
        {"--mask", 0, true,
         [&](const std::string& v) {
             if (Lower(v) == "auto") {
                 o.symbol.mask = -1;
             } else if (const auto n = ParseNumber(v, 0, 7)) {
                 o.symbol.mask = *n;
             } else {
                 return "--mask must be auto or 0 to 7, not " + Quoted(v);
             }
             return std::string();
         }},
        {"--encoding", 0, true,
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
        {"--ansi-codepage", 0, true,
         [&](const std::string& v) {
             o.codePage = v;
             if (!IsCodePageSupported(v))
                 return "unknown code page " + Quoted(v) + " (iconv cannot convert to it)";
             return std::string();
         }},
        {"--eci", 0, true,
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
        {"--scale", 's', true,
         [&](const std::string& v) {
             const auto n = ParseNumber(v, 1, kMaxSize / kMinSymbolPixels);
             if (!n)
                 return "--scale must be a number of pixels per module from 1 to " +
                        std::to_string(kMaxSize / kMinSymbolPixels) + ", not " + Quoted(v);
             o.scale = *n;
             return std::string();
         }},
        {"--margin", 'm', true,
         [&](const std::string& v) {
             const auto n = ParseNumber(v, 0, 100);
             if (!n) return "--margin must be a number of modules from 0 to 100, not " + Quoted(v);
             o.margin = *n;
             return std::string();
         }},
        {"--size", 0, true,
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
        {"--unscaled", 0, false,
         [&](const std::string&) {
             unscaled = true;
             return std::string();
         }},
        {"--dpi", 0, true,
         [&](const std::string& v) {
             const auto n = ParseNumber(v, 1, 100000);
             if (!n) return "--dpi must be a number from 1 to 100000, not " + Quoted(v);
             o.dpi = *n;
             return std::string();
         }},
        {"--foreground", 0, true, colour(o.colours.dark, "--foreground")},
        {"--background", 0, true, colour(o.colours.light, "--background")},
        {"--batch", 0, true,
         [&](const std::string& v) {
             o.batch = true;
             o.batchFile = v;
             return v.empty() ? std::string("--batch needs a file, or - for standard input")
                              : std::string();
         }},
        {"--batch-format", 0, true,
         [&](const std::string& v) {
             const std::string name = Lower(v);
             if (name == "lines") {
                 o.batchFormat = BatchFormat::Lines;
             } else if (name == "csv") {
                 o.batchFormat = BatchFormat::Csv;
             } else {
                 return "--batch-format must be lines or csv, not " + Quoted(v);
             }
             return std::string();
         }},
        {"--out-dir", 0, true,
         [&](const std::string& v) {
             o.outDir = v;
             return v.empty() ? std::string("--out-dir needs a folder") : std::string();
         }},
        {"--name", 0, true,
         [&](const std::string& v) {
             o.nameTemplate = v;
             o.nameGiven = true;
             if (!HasLineField(v))
                 return "--name " + Quoted(v) + " must contain {line} (or {line:0N}, padded)";
             if (v.find('/') != std::string::npos)
                 return "--name " + Quoted(v) + " must be a file name without a folder";
             return std::string();
         }},
        {"--force", 0, false,
         [&](const std::string&) {
             o.force = true;
             return std::string();
         }},
        {"--skip-existing", 0, false,
         [&](const std::string&) {
             o.skipExisting = true;
             return std::string();
         }},
        {"--jobs", 'j', true,
         [&](const std::string& v) {
             const auto n = ParseNumber(v, 1, 256);
             if (!n) return "--jobs must be 1 to 256, not " + Quoted(v);
             o.jobs = *n;
             return std::string();
         }},
        {"--shard", 0, true,
         [&](const std::string& v) {
             const std::size_t slash = v.find('/');
             const auto count = slash == std::string::npos
                                    ? std::nullopt
                                    : ParseNumber(v.substr(slash + 1), 1, 1000000);
             const auto index =
                 count ? ParseNumber(v.substr(0, slash), 0, *count - 1) : std::nullopt;
             if (!index) return "--shard must be K/N with 0 <= K < N, not " + Quoted(v);
             o.shardIndex = *index;
             o.shardCount = *count;
             return std::string();
         }},
    };

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (haveText)
                return fail("unexpected argument " + Quoted(arg) +
                            ": give one TEXT (quote a text with spaces)");
            haveText = true;
            if (arg == "-" && !optionsEnded) {
                o.source = CliOptions::Source::Stdin;
            } else {
                o.source = CliOptions::Source::Argument;
                o.text = arg;
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            result.options = o;
            return result;
        }
        if (arg == "--version" || arg == "-V") {
            o.showVersion = true;
            result.options = o;
            return result;
        }
        std::string name = arg;
        std::optional<std::string> value;
        const bool isLong = arg.starts_with("--");
        if (isLong) {
            if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            value = arg.substr(2);
        }
        if (name == "--info") {
            // "--info", "--info=json", or "--info json" (the word json right after it).
            std::string format = "text";
            if (value)
                format = Lower(*value);
            else if (i + 1 < args.size() && Lower(args[i + 1]) == "json")
                format = Lower(args[++i]);
            if (format != "text" && format != "json")
                return fail("--info takes json or nothing, not " + Quoted(*value));
            o.info = format == "json" ? InfoFormat::Json : InfoFormat::Text;
            given.push_back(name);
            continue;
        }
        const auto option = std::find_if(table.begin(), table.end(), [&](const Option& op) {
            return isLong ? name == op.name : op.shortName != 0 && name[1] == op.shortName;
        });
        if (option == table.end()) return fail("unknown option " + Quoted(arg) + "; try --help");
        const std::string shown = isLong ? name : name + " (" + option->name + ")";
        if (!option->takesValue) {
            if (value) return fail("option " + shown + " takes no value");
        } else if (!value) {
            if (i + 1 >= args.size()) return fail("option " + shown + " needs a value");
            value = args[++i];
        }
        if (const std::string error = option->set(value.value_or("")); !error.empty())
            return fail(error);
        given.push_back(option->name);
    }

    if (unscaled && (o.sizeGiven || o.scale > 1))
        return fail("--unscaled excludes --size and --scale");
    if (unscaled) o.scale = 1;
    if (o.sizeGiven && o.scale > 0) return fail("--size and --scale exclude each other");
    if (o.batch) {
        if (haveText) return fail("--batch takes its texts from the file, not from TEXT");
        if (has("--output")) return fail("-o is for one symbol; --batch writes to --out-dir");
        if (has("--read")) return fail("-r is for one symbol; --batch reads its own file");
        if (o.info != InfoFormat::None) return fail("--info is for one symbol, not --batch");
        if (o.outDir.empty()) return fail("--batch needs --out-dir DIR");
        if (o.force && o.skipExisting)
            return fail("--force and --skip-existing exclude each other");
        if (o.batchFormat == BatchFormat::Csv && o.nameGiven)
            return fail("--name is for --batch-format lines; CSV records carry their names");
        if (o.batchFormat == BatchFormat::Lines && !o.typeGiven) {
            const auto type = TypeFromName(o.nameTemplate);
            if (!type)
                return fail("--name " + Quoted(o.nameTemplate) +
                            ": the file name must end in .png, .bmp, .svg or .txt (or give -t)");
            o.type = *type;
        }
    } else {
        for (const char* name : {"--out-dir", "--name", "--force", "--skip-existing", "--jobs",
                                 "--batch-format", "--shard"})
            if (has(name)) return fail(std::string(name) + " needs --batch FILE");
        if (haveText && has("--read")) return fail("give either TEXT or -r FILE, not both");
        if (has("--read")) {
            o.source = o.textFile == "-" ? CliOptions::Source::Stdin : CliOptions::Source::File;
        } else if (!haveText) {
            if (stdinIsTerminal)
                return fail("missing TEXT (or -r FILE, or a text on standard input); try --help");
            o.source = CliOptions::Source::Stdin;
        }
        // Terminal text goes to standard output unless a file is named.
        if (!o.outputGiven && o.typeGiven && IsTerminalType(o.type)) o.output = "-";
        if (!o.typeGiven) {
            if (o.output == "-" || IsStream(o.output)) {
                o.type = OutputType::Png;
            } else if (const auto type = TypeFromName(o.output)) {
                o.type = *type;
            } else {
                return fail("-o " + Quoted(o.output) +
                            ": the file name must end in .png, .bmp, .svg or .txt (or give -t)");
            }
        }
    }
    if (o.margin < kStandardMargin)
        o.warnings.push_back("a quiet zone of " + std::to_string(o.margin) + " module" +
                             (o.margin == 1 ? "" : "s") +
                             " is below the 4 the standard asks for; some readers will not "
                             "find the symbol");
    const double dark = RelativeLuminance(o.colours.dark),
                 light = RelativeLuminance(o.colours.light);
    if (dark > light)
        o.warnings.push_back(
            "the dark modules are lighter than the background: many readers cannot read an "
            "inverted symbol");
    else if ((light + 0.05) / (dark + 0.05) < 3.0)
        o.warnings.push_back(
            "the colours' contrast ratio is below 3:1; readers may not tell the modules apart");
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
    return R"(Usage: qrdesk-cli [OPTIONS] TEXT
  or:  qrdesk-cli [OPTIONS] [-r FILE]       (the text from FILE or standard input)
  or:  qrdesk-cli [OPTIONS] --batch FILE --out-dir DIR

Writes the QR Code symbol of TEXT as an image file or as text for a terminal. Without
--scale the picture is the one the qrdesk window saves for the same text and options.

Text: TEXT, FILE and standard input are read as UTF-8 (a file and standard input whole,
including a final line break; a leading byte-order mark is dropped) and converted to the
chosen encoding; input that is not valid UTF-8 is refused. Without TEXT or -r the text is
read from standard input when it is not a terminal.

Output:
  -o, --output FILE         the file (default qrcode.bmp), - for standard output. A file is
                            replaced atomically; a FIFO, device or socket is written into;
                            a symbolic link's target is replaced, the link stays
  -t, --type TYPE           png, bmp, svg, or text for a terminal: utf8 (half blocks, light
                            on dark), ansi (colours), ascii; default from the file's
                            extension (.png .bmp .svg .txt), PNG for standard output, a FIFO
                            or a device; the text types go to standard output unless -o
                            names a file
  -s, --scale N             whole pixels per module: the picture is (modules + 2 x margin)
                            x N pixels, every module alike
      --size PIXELS         side of the picture, stretched without smoothing (default 600
                            without --scale; the window offers 200, 400, 600); 29 to 10000;
                            for SVG the width and height it asks for
      --unscaled            one pixel per module (--scale 1)
  -m, --margin N            the quiet zone in modules (default 4; less may not scan)
      --dpi N               the resolution written into PNG (pHYs) and BMP files
      --foreground RRGGBB[AA], --background RRGGBB[AA]
                            colours in hex (default 000000 and FFFFFF)

Symbol:
  -v, --symbol-version auto|1..40   (default auto: the smallest that holds the text)
  -l, --level L|M|Q|H       error-correction level (default M)
      --mask auto|0..7      mask pattern (default auto, which is pattern 0 as in the window)
      --encoding utf-8|ansi bytes the symbol carries (default utf-8)
      --ansi-codepage NAME  code page for --encoding ansi (default GBK), any iconv name;
                            characters it lacks become "?"; Kanji mode only for Shift JIS
      --eci auto|off|N      an ECI header naming the character set (default off): auto
                            writes 26 (UTF-8) or the code page's designator for text that
                            is not plain ASCII; some shop scanners print the header as text
      --info [json]         print version, level, mask, segments and bits used of the
                            capacity (data bits without the terminator), then what zxing-cpp
                            and zbar read from the written picture; json: one JSON object;
                            to standard error when the image goes to standard output

Batch (one symbol per line or CSV record of FILE, - for standard input):
      --batch FILE          the texts; empty lines are skipped and counted; a final \r is
                            dropped
      --batch-format lines|csv
                            csv: records "name,text" (RFC 4180 quoting), the file names from
                            the data; a first record "name,text" is a header
      --out-dir DIR         folder for the files (made when missing)
      --name TEMPLATE       file name with {line}, the line number from 1, or {line:05} for
                            one padded to 5 digits (default qr-{line}.bmp); its extension or
                            -t decides the type
      --force               replace existing files (otherwise such lines fail)
      --skip-existing       leave existing files alone and go on
  -j, --jobs N              worker threads (default: one per core)
      --shard K/N           only the lines whose number modulo N is K (0 <= K < N), under
                            the same names: N machines or jobs split one batch
  A progress bar on standard error when it is a terminal, a summary always, and each failed
  line in line order. SIGINT or SIGTERM stops taking lines, removes the files in flight,
  prints the summary and exits 130 or 143; the first "no space", read-only or quota error
  stops the batch.

  -h, --help                this text
  -V, --version             the program's version

Exit codes: 0 success, 1 the data does not fit, 2 usage error, 3 input or output error.
A batch with failed lines exits with the highest code among them.
)";
}

}  // namespace qrdesk::cli
