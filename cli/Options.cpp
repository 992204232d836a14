#include "cli/Options.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

#include "Values.h"
#include "common/Warnings.h"

namespace qrdesk::cli {
namespace {

// The options as the arguments set them, and what only the validation step reads.
struct Parse {
    CliOptions o;
    bool haveText = false;
    bool unscaled = false;
    std::vector<std::string> given;     // the long names of the options seen
    std::vector<std::string> pictures;  // with --read, the arguments that are not options

    bool Has(const char* name) const {
        return std::find(given.begin(), given.end(), name) != given.end();
    }
};

// What an option takes: nothing, a value ("--name value", "--name=value", "-n value",
// "-nvalue"), or an optional word, which the next argument is only when it is that word.
enum class Takes { Nothing, Value, Word };

// A setter stores the value and returns "" when it is good, else the one-line error.
using Setter = std::string (*)(Parse&, const std::string& value);

struct Option {
    char shortName;  // 0: none
    const char* name;
    Takes takes;
    Setter set;
    // Takes::Word: the word, and the value when there is none.
    const char* word = nullptr;
    const char* absent = nullptr;
    // Ends the parsing at once, whatever follows (--help, --version).
    bool ends = false;
};

// The value of the keyword v names (in any case); nullopt for any other word.
template <class T>
std::optional<T> FromKeyword(const std::string& v,
                             std::initializer_list<std::pair<const char*, T>> words) {
    const std::string lower = Lower(v);
    for (const auto& [word, value] : words)
        if (lower == word) return value;
    return std::nullopt;
}

// A whole number from low to high into target; otherwise "<what>, not "<v>"".
std::string SetNumber(int& target, const std::string& v, int low, int high,
                      const std::string& what) {
    const auto n = ParseNumber(v, low, high);
    if (!n) return what + ", not " + Quoted(v);
    target = *n;
    return {};
}

std::string SetColour(std::uint32_t& target, const char* name, const std::string& v) {
    const auto c = ParseColour(v);
    if (!c) return std::string(name) + " must be RRGGBB or RRGGBBAA in hex, not " + Quoted(v);
    target = *c;
    return {};
}

std::string WarningText(SymbolWarning warning, int margin) {
    switch (warning) {
        case SymbolWarning::ThinMargin:
            return "a quiet zone of " + std::to_string(margin) + " module" +
                   (margin == 1 ? "" : "s") +
                   " is below the 4 the standard asks for; some readers will not find the symbol";
        case SymbolWarning::Inverted:
            return "the dark modules are lighter than the background: many readers cannot read "
                   "an inverted symbol";
        case SymbolWarning::LowContrast:
            return "the colours' contrast ratio is below 3:1; readers may not tell the modules "
                   "apart";
    }
    return {};
}

// The options, one row each; the checks of their combinations are in Validate.
const Option kOptions[] = {
    {'h', "--help", Takes::Nothing,
     [](Parse& p, const std::string&) {
         p.o.help = true;
         return std::string();
     },
     nullptr, nullptr, true},
    {'V', "--version", Takes::Nothing,
     [](Parse& p, const std::string&) {
         p.o.showVersion = true;
         return std::string();
     },
     nullptr, nullptr, true},
    {'o', "--output", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.output = v;
         p.o.outputGiven = true;
         return v.empty() ? std::string("-o needs a file name, or - for standard output")
                          : std::string();
     }},
    {'t', "--type", Takes::Value,
     [](Parse& p, const std::string& v) {
         const auto type = FromKeyword<OutputType>(v, {{"png", OutputType::Png},
                                                       {"bmp", OutputType::Bmp},
                                                       {"svg", OutputType::Svg},
                                                       {"utf8", OutputType::Utf8},
                                                       {"ansi", OutputType::Ansi},
                                                       {"ascii", OutputType::Ascii}});
         if (!type) return "--type must be png, bmp, svg, utf8, ansi or ascii, not " + Quoted(v);
         p.o.type = *type;
         p.o.typeGiven = true;
         return std::string();
     }},
    {'r', "--read-from", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.textFile = v;
         return v.empty() ? std::string("-r needs a file name") : std::string();
     }},
    {0, "--read", Takes::Nothing,
     [](Parse& p, const std::string&) {
         p.o.scan = true;
         return std::string();
     }},
    {'v', "--symbol-version", Takes::Value,
     [](Parse& p, const std::string& v) {
         if (Lower(v) == "auto") {
             p.o.symbol.version = 0;
         } else if (const auto n = ParseNumber(v, 1, 40)) {
             p.o.symbol.version = *n;
         } else {
             return "--symbol-version must be auto or 1 to 40, not " + Quoted(v);
         }
         return std::string();
     }},
    {'l', "--level", Takes::Value,
     [](Parse& p, const std::string& v) {
         static const std::string kLevels = "lmqh";
         const std::size_t at = v.size() == 1 ? kLevels.find(Lower(v)[0]) : std::string::npos;
         if (at == std::string::npos) return "--level must be L, M, Q or H, not " + Quoted(v);
         p.o.symbol.level = static_cast<std::int32_t>(at) + 1;
         return std::string();
     }},
    {0, "--mask", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.symbol.scoredMask = false;
         if (Lower(v) == "auto") {
             p.o.symbol.mask = -1;
         } else if (Lower(v) == "best") {
             p.o.symbol.mask = -1;
             p.o.symbol.scoredMask = true;
         } else if (const auto n = ParseNumber(v, 0, 7)) {
             p.o.symbol.mask = *n;
         } else {
             return "--mask must be auto, best or 0 to 7, not " + Quoted(v);
         }
         return std::string();
     }},
    {0, "--encoding", Takes::Value,
     [](Parse& p, const std::string& v) {
         const auto encoding = FromKeyword<TextEncoding>(v, {{"utf-8", TextEncoding::Utf8},
                                                             {"utf8", TextEncoding::Utf8},
                                                             {"ansi", TextEncoding::Ansi}});
         if (!encoding) return "--encoding must be utf-8 or ansi, not " + Quoted(v);
         p.o.encoding = *encoding;
         return std::string();
     }},
    {0, "--ansi-codepage", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.codePage = v;
         if (!IsCodePageSupported(v))
             return "unknown code page " + Quoted(v) +
                    " (a name iconv converts to, without //IGNORE or //TRANSLIT)";
         return std::string();
     }},
    {0, "--eci", Takes::Value,
     [](Parse& p, const std::string& v) {
         const std::string name = Lower(v);
         if (name == "auto") {
             p.o.eciChoice = EciChoice::Auto;
         } else if (name == "off") {
             p.o.eciChoice = EciChoice::Off;
         } else if (const auto n = ParseNumber(v, 1, clsQRCode::MaxEci)) {
             p.o.eciChoice = EciChoice::Given;
             p.o.symbol.eci = *n;
         } else {
             return "--eci must be auto, off or a designator from 1 to 999999, not " + Quoted(v);
         }
         return std::string();
     }},
    {0, "--info", Takes::Word,
     [](Parse& p, const std::string& v) {
         const std::string format = Lower(v);
         if (format != "text" && format != "json")
             return "--info takes json or nothing, not " + Quoted(v);
         p.o.info = format == "json" ? InfoFormat::Json : InfoFormat::Text;
         return std::string();
     },
     "json", "text"},
    {'s', "--scale", Takes::Value,
     [](Parse& p, const std::string& v) {
         return SetNumber(p.o.scale, v, 1, kMaxSize / kMinSymbolPixels,
                          "--scale must be a number of pixels per module from 1 to " +
                              std::to_string(kMaxSize / kMinSymbolPixels));
     }},
    {'m', "--margin", Takes::Value,
     [](Parse& p, const std::string& v) {
         return SetNumber(p.o.margin, v, 0, 100,
                          "--margin must be a number of modules from 0 to 100");
     }},
    {0, "--size", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.sizeGiven = true;
         return SetNumber(
             p.o.size, v, kMinSymbolPixels, kMaxSize,
             "--size must be a number of pixels from " + std::to_string(kMinSymbolPixels) +
                 " (the smallest symbol with its quiet zone) to " + std::to_string(kMaxSize));
     }},
    {0, "--unscaled", Takes::Nothing,
     [](Parse& p, const std::string&) {
         p.unscaled = true;
         return std::string();
     }},
    {0, "--dpi", Takes::Value,
     [](Parse& p, const std::string& v) {
         return SetNumber(p.o.dpi, v, 1, 100000, "--dpi must be a number from 1 to 100000");
     }},
    {0, "--foreground", Takes::Value,
     [](Parse& p, const std::string& v) { return SetColour(p.o.colours.dark, "--foreground", v); }},
    {0, "--background", Takes::Value,
     [](Parse& p, const std::string& v) {
         return SetColour(p.o.colours.light, "--background", v);
     }},
    {0, "--content", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.content = ContentTypeByName(v);
         if (p.o.content) return std::string();
         std::string names;
         for (const ContentKind& kind : ContentKinds())
             names += std::string(names.empty() ? "" : ", ") + kind.name;
         return "--content must be one of " + names + ", not " + Quoted(v);
     }},
    {0, "--field", Takes::Value,
     [](Parse& p, const std::string& v) {
         const std::size_t eq = v.find('=');
         if (eq == std::string::npos || eq == 0)
             return "--field must be NAME=VALUE, not " + Quoted(v);
         // A second value for a field would silently replace the first.
         if (!p.o.fields.emplace(v.substr(0, eq), v.substr(eq + 1)).second)
             return "--field " + Quoted(v.substr(0, eq)) + " is given twice";
         return std::string();
     }},
    {0, "--logo", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.logoFile = v;
         return v.empty() ? std::string("--logo needs a PNG, JPEG or SVG file") : std::string();
     }},
    {0, "--logo-size", Takes::Value,
     [](Parse& p, const std::string& v) {
         return SetNumber(p.o.logoPercent, v, kMinLogoPercent, kMaxLogoPercent,
                          "--logo-size must be a percentage of the symbol's width from " +
                              std::to_string(kMinLogoPercent) + " to " +
                              std::to_string(kMaxLogoPercent));
     }},
    {0, "--batch", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.batch = true;
         p.o.batchFile = v;
         return v.empty() ? std::string("--batch needs a file, or - for standard input")
                          : std::string();
     }},
    {0, "--batch-format", Takes::Value,
     [](Parse& p, const std::string& v) {
         const auto format = FromKeyword<BatchFormat>(
             v, {{"lines", BatchFormat::Lines}, {"csv", BatchFormat::Csv}});
         if (!format) return "--batch-format must be lines or csv, not " + Quoted(v);
         p.o.batchFormat = *format;
         return std::string();
     }},
    {0, "--out-dir", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.outDir = v;
         return v.empty() ? std::string("--out-dir needs a folder") : std::string();
     }},
    {0, "--name", Takes::Value,
     [](Parse& p, const std::string& v) {
         p.o.nameTemplate = v;
         p.o.nameGiven = true;
         if (!HasLineField(v))
             return "--name " + Quoted(v) + " must contain {line} (or {line:0N}, padded)";
         if (v.find('/') != std::string::npos)
             return "--name " + Quoted(v) + " must be a file name without a folder";
         return std::string();
     }},
    {0, "--force", Takes::Nothing,
     [](Parse& p, const std::string&) {
         p.o.force = true;
         return std::string();
     }},
    {0, "--skip-existing", Takes::Nothing,
     [](Parse& p, const std::string&) {
         p.o.skipExisting = true;
         return std::string();
     }},
    {'j', "--jobs", Takes::Value,
     [](Parse& p, const std::string& v) {
         return SetNumber(p.o.jobs, v, 1, 256, "--jobs must be 1 to 256");
     }},
    {0, "--shard", Takes::Value,
     [](Parse& p, const std::string& v) {
         const std::size_t slash = v.find('/');
         const auto count = slash == std::string::npos
                                ? std::nullopt
                                : ParseNumber(v.substr(slash + 1), 1, 1000000);
         const auto index = count ? ParseNumber(v.substr(0, slash), 0, *count - 1) : std::nullopt;
         if (!index) return "--shard must be K/N with 0 <= K < N, not " + Quoted(v);
         p.o.shardIndex = *index;
         p.o.shardCount = *count;
         return std::string();
     }},
};

// --content and --field: the text made from the fields, or why none is.
std::string ValidateContent(Parse& p) {
    CliOptions& o = p.o;
    if (!o.content) return o.fields.empty() ? std::string() : "--field needs --content TYPE";
    if (p.haveText || p.Has("--read-from") || o.batch)
        return "--content makes the text from its fields: give no TEXT, -r or --batch";
    const ContentResult made = MakeContent(*o.content, o.fields);
    // The fields' names and values are the user's: their control characters are shown escaped.
    if (!made.Ok()) return Printable(DescribeProblem(*o.content, made, o.fields));
    o.text = made.text;
    o.source = CliOptions::Source::Argument;
    p.haveText = true;
    return {};
}

// The one check of what the options say together, once all are read; fills in what follows
// from them (the scale of --unscaled, the type from the file name, where the text comes
// from, the warnings). Returns "" or the one-line error.
std::string Validate(Parse& p, bool stdinIsTerminal) {
    CliOptions& o = p.o;
    if (o.scan) {
        // Every other option shapes or writes a symbol; taking one silently would let a
        // script believe it had an effect.
        for (const std::string& name : p.given)
            if (name != "--read" && name != "--info")
                return name + " is for making symbols; --read reads pictures";
        if (p.pictures.empty()) {
            if (stdinIsTerminal) return "--read needs picture files (or - for standard input)";
            p.pictures.push_back("-");
        }
        o.pictures = std::move(p.pictures);
        return {};
    }
    if (p.pictures.size() > 1)
        return "unexpected argument " + Quoted(p.pictures[1]) +
               ": give one TEXT (quote a text with spaces)";
    if (p.unscaled && (o.sizeGiven || o.scale > 1)) return "--unscaled excludes --size and --scale";
    if (p.unscaled) o.scale = 1;
    if (o.sizeGiven && o.scale > 0) return "--size and --scale exclude each other";
    if (const std::string error = ValidateContent(p); !error.empty()) return error;
    if (p.Has("--logo-size") && !p.Has("--logo")) return "--logo-size needs --logo FILE";
    // A logo covers modules that only the higher levels restore.
    if (p.Has("--logo") && !p.Has("--level")) o.symbol.level = 4;
    if (o.batch) {
        if (p.haveText) return "--batch takes its texts from the file, not from TEXT";
        if (p.Has("--output")) return "-o is for one symbol; --batch writes to --out-dir";
        if (p.Has("--read-from")) return "-r is for one symbol; --batch reads its own file";
        if (o.info != InfoFormat::None) return "--info is for one symbol, not --batch";
        if (o.outDir.empty()) return "--batch needs --out-dir DIR";
        if (o.force && o.skipExisting) return "--force and --skip-existing exclude each other";
        if (o.batchFormat == BatchFormat::Csv && o.nameGiven)
            return "--name is for --batch-format lines; CSV records carry their names";
        if (o.batchFormat == BatchFormat::Lines && !o.typeGiven) {
            const auto type = TypeFromName(o.nameTemplate);
            if (!type)
                return "--name " + Quoted(o.nameTemplate) +
                       ": the file name must end in .png, .bmp, .svg or .txt (or give -t)";
            o.type = *type;
        }
    } else {
        for (const char* name : {"--out-dir", "--name", "--force", "--skip-existing", "--jobs",
                                 "--batch-format", "--shard"})
            if (p.Has(name)) return std::string(name) + " needs --batch FILE";
        if (p.haveText && p.Has("--read-from")) return "give either TEXT or -r FILE, not both";
        if (p.Has("--read-from")) {
            o.source = o.textFile == "-" ? CliOptions::Source::Stdin : CliOptions::Source::File;
        } else if (!p.haveText) {
            if (stdinIsTerminal)
                return "missing TEXT (or -r FILE, or a text on standard input); try --help";
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
                return "-o " + Quoted(o.output) +
                       ": the file name must end in .png, .bmp, .svg or .txt (or give -t)";
            }
        }
    }
    if (p.Has("--logo") && IsTerminalType(o.type))
        return "--logo is for PNG, BMP and SVG files, not " + std::string(TypeName(o.type));
    for (const SymbolWarning warning : WarningsFor(o.margin, o.colours))
        o.warnings.push_back(WarningText(warning, o.margin));
    o.symbol.kanjiAllowed = KanjiAllowed(o.encoding, o.codePage);
    return {};
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args, bool stdinIsTerminal) {
    Parse p;
    ParseResult result;
    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            // With --read every such argument is a picture; without it, Validate refuses a
            // second TEXT.
            p.pictures.push_back(arg);
            p.haveText = true;
            if (arg == "-" && !optionsEnded) {
                p.o.source = CliOptions::Source::Stdin;
            } else {
                p.o.source = CliOptions::Source::Argument;
                p.o.text = arg;
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
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
        const Option* option =
            std::find_if(std::begin(kOptions), std::end(kOptions), [&](const Option& op) {
                return isLong ? name == op.name : op.shortName != 0 && name[1] == op.shortName;
            });
        if (option == std::end(kOptions) || (option->ends && value))
            return fail("unknown option " + Quoted(arg) + "; try --help");
        const std::string shown = isLong ? name : name + " (" + option->name + ")";
        switch (option->takes) {
            case Takes::Nothing:
                if (value) return fail("option " + shown + " takes no value");
                break;
            case Takes::Value:
                if (!value) {
                    if (i + 1 >= args.size()) return fail("option " + shown + " needs a value");
                    value = args[++i];
                }
                break;
            case Takes::Word:
                if (!value && i + 1 < args.size() && Lower(args[i + 1]) == option->word)
                    value = args[++i];
                if (!value) value = option->absent;
                break;
        }
        if (const std::string error = option->set(p, value.value_or("")); !error.empty())
            return fail(error);
        if (option->ends) {
            result.options = p.o;
            return result;
        }
        p.given.push_back(option->name);
    }
    if (const std::string error = Validate(p, stdinIsTerminal); !error.empty()) return fail(error);
    result.options = p.o;
    return result;
}

}  // namespace qrdesk::cli
