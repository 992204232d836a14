#include "cli/Options.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

#ifndef QRDESK_VERSION
#define QRDESK_VERSION "unknown"
#endif

namespace qrdesk::cli {
namespace {

QString Quoted(const std::string& value) {
    return QStringLiteral("\"%1\"").arg(QString::fromUtf8(value));
}

// A whole decimal number in [low, high]; nullopt otherwise.
std::optional<int> ParseNumber(const std::string& value, int low, int high) {
    bool ok = false;
    const int number = QByteArray::fromStdString(value).toInt(&ok, 10);
    if (!ok || value.empty() || value[0] == '+' || number < low || number > high)
        return std::nullopt;
    return number;
}

}  // namespace

std::optional<ImageFormat> FormatFromName(const QString& name) {
    if (name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) && name.size() > 4)
        return ImageFormat::Bmp;
    if (name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) && name.size() > 4)
        return ImageFormat::Png;
    return std::nullopt;
}

const char* FormatName(ImageFormat format) {
    return format == ImageFormat::Png ? "PNG" : "BMP";
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
    CliOptions o;
    ParseResult result;
    auto fail = [&](const QString& message) {
        result.error = message;
        return result;
    };

    // Options that take a value; each returns an error message, empty when the value is good.
    using Setter = std::function<QString(const std::string&)>;
    const std::map<std::string, Setter> valued = {
        {"-o",
         [&](const std::string& v) {
             o.output = QFile::decodeName(QByteArray::fromStdString(v));
             o.outputGiven = true;
             const auto format = FormatFromName(o.output);
             if (!format)
                 return QStringLiteral("-o %1: the file name must end in .bmp or .png")
                     .arg(Quoted(v));
             o.outputFormat = *format;
             return QString();
         }},
        {"--symbol-version",
         [&](const std::string& v) {
             if (v == "auto") {
                 o.versionIndex = 0;
             } else if (const auto n = ParseNumber(v, 1, 40)) {
                 o.versionIndex = *n;
             } else {
                 return QStringLiteral("--symbol-version must be auto or 1 to 40, not %1")
                     .arg(Quoted(v));
             }
             return QString();
         }},
        {"--level",
         [&](const std::string& v) {
             static const std::string levels = "LMQH";
             const auto at = v.size() == 1 ? levels.find(static_cast<char>(
                                                 std::toupper(static_cast<unsigned char>(v[0]))))
                                           : std::string::npos;
             if (at == std::string::npos)
                 return QStringLiteral("--level must be L, M, Q or H, not %1").arg(Quoted(v));
             o.levelIndex = static_cast<int>(at);
             return QString();
         }},
        {"--mask",
         [&](const std::string& v) {
             if (v == "auto") {
                 o.maskIndex = 0;
             } else if (const auto n = ParseNumber(v, 0, 7)) {
                 o.maskIndex = *n + 1;
             } else {
                 return QStringLiteral("--mask must be auto or 0 to 7, not %1").arg(Quoted(v));
             }
             return QString();
         }},
        {"--encoding",
         [&](const std::string& v) {
             const QString name = QString::fromUtf8(v).toLower();
             if (name == "utf-8" || name == "utf8") {
                 o.encoding = TextEncoding::Utf8;
             } else if (name == "ansi") {
                 o.encoding = TextEncoding::Ansi;
             } else {
                 return QStringLiteral("--encoding must be utf-8 or ansi, not %1").arg(Quoted(v));
             }
             return QString();
         }},
        {"--ansi-codepage",
         [&](const std::string& v) {
             o.codePage = QString::fromUtf8(v);
             if (!IsCodePageSupported(o.codePage))
                 return QStringLiteral("unknown code page %1 (iconv cannot convert to it)")
                     .arg(Quoted(v));
             return QString();
         }},
        {"--size",
         [&](const std::string& v) {
             const auto n = ParseNumber(v, kMinSymbolPixels, kMaxSize);
             if (!n)
                 return QStringLiteral(
                            "--size must be a number of pixels from %1 (the smallest symbol with "
                            "its quiet zone) to %2, not %3")
                     .arg(kMinSymbolPixels)
                     .arg(kMaxSize)
                     .arg(Quoted(v));
             o.size = *n;
             o.sizeGiven = true;
             return QString();
         }},
        {"--batch",
         [&](const std::string& v) {
             o.batch = true;
             o.batchFile = QFile::decodeName(QByteArray::fromStdString(v));
             return QString();
         }},
        {"--out-dir",
         [&](const std::string& v) {
             o.outDir = QFile::decodeName(QByteArray::fromStdString(v));
             return v.empty() ? QStringLiteral("--out-dir needs a folder") : QString();
         }},
        {"--name",
         [&](const std::string& v) {
             o.nameTemplate = QFile::decodeName(QByteArray::fromStdString(v));
             if (!o.nameTemplate.contains(QLatin1String("{line}")))
                 return QStringLiteral("--name %1 must contain {line}").arg(Quoted(v));
             if (o.nameTemplate.contains('/'))
                 return QStringLiteral("--name %1 must be a file name without a folder")
                     .arg(Quoted(v));
             const auto format = FormatFromName(o.nameTemplate);
             if (!format)
                 return QStringLiteral("--name %1: the file name must end in .bmp or .png")
                     .arg(Quoted(v));
             o.nameFormat = *format;
             return QString();
         }},
        {"--jobs",
         [&](const std::string& v) {
             const auto n = ParseNumber(v, 1, 256);
             if (!n) return QStringLiteral("--jobs must be 1 to 256, not %1").arg(Quoted(v));
             o.jobs = *n;
             return QString();
         }},
    };
    const std::map<std::string, bool*> flags = {
        {"--unscaled", &o.unscaled},
        {"--info", &o.info},
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
            if (const auto flag = flags.find(name); flag != flags.end()) {
                if (value)
                    return fail(QStringLiteral("option %1 takes no value").arg(name.c_str()));
                *flag->second = true;
                given.push_back(name);
                continue;
            }
            const auto setter = valued.find(name);
            if (setter == valued.end())
                return fail(QStringLiteral("unknown option %1; try --help").arg(Quoted(arg)));
            if (!value) {
                if (i + 1 >= args.size())
                    return fail(QStringLiteral("option %1 needs a value").arg(name.c_str()));
                value = args[++i];
            }
            if (const QString error = setter->second(*value); !error.isEmpty()) return fail(error);
            given.push_back(name);
            continue;
        }
        if (o.haveText)
            return fail(QStringLiteral("unexpected argument %1: give one TEXT (quote a text "
                                       "with spaces)")
                            .arg(Quoted(arg)));
        o.haveText = true;
        o.textFromStdin = arg == "-";
        if (!o.textFromStdin) o.text = QByteArray::fromStdString(arg);
    }

    auto has = [&](const char* name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    if (o.unscaled && o.sizeGiven) return fail("--size and --unscaled exclude each other");
    if (o.batch) {
        if (o.haveText) return fail("--batch takes its texts from the file, not from TEXT");
        if (has("-o")) return fail("-o is for one symbol; --batch writes to --out-dir");
        if (o.info) return fail("--info is for one symbol, not --batch");
        if (o.outDir.isEmpty()) return fail("--batch needs --out-dir DIR");
    } else {
        for (const char* name : {"--out-dir", "--name", "--force", "--jobs"})
            if (has(name)) return fail(QStringLiteral("%1 needs --batch FILE").arg(name));
        if (!o.haveText)
            return fail("missing TEXT (or - to read it from standard input); try --help");
    }
    result.options = o;
    return result;
}

QString VersionText() {
    return QStringLiteral("qrdesk-cli %1").arg(QRDESK_VERSION);
}

QString HelpText() {
    return QStringLiteral(R"(Usage: qrdesk-cli [OPTIONS] TEXT
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
                            size, modules + 8, and at most %1
  --unscaled                one pixel per module with the 4-module quiet zone (the picture
                            the window copies to the clipboard)
  --info                    print one line: version, level, mask, segments, bits used of
                            the capacity (data bits without the terminator)
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
)")
        .arg(kMaxSize);
}

}  // namespace qrdesk::cli
