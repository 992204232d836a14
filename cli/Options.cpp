#include "cli/Options.h"

#include <algorithm>
#include <functional>

#include "Values.h"

namespace qrdesk::cli {
namespace {

struct Option {
    const char* name;  // long form
    char shortName;    // 0: none
    bool takesValue;
    std::function<std::string(const std::string&)> set;  // "" when the value is good
};

}  // namespace

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
             o.symbol.scoredMask = false;
             if (Lower(v) == "auto") {
                 o.symbol.mask = -1;
             } else if (Lower(v) == "best") {
                 o.symbol.mask = -1;
                 o.symbol.scoredMask = true;
             } else if (const auto n = ParseNumber(v, 0, 7)) {
                 o.symbol.mask = *n;
             } else {
                 return "--mask must be auto, best or 0 to 7, not " + Quoted(v);
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
                 return "unknown code page " + Quoted(v) +
                        " (a name iconv converts to, without //IGNORE or //TRANSLIT)";
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

}  // namespace qrdesk::cli
