#pragma once
// The command line of qrdesk-cli: its options, their parsing and the help text.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Content.h"
#include "common/Image.h"
#include "common/Logo.h"
#include "common/SymbolJob.h"
#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

// Conventional exit codes; a batch exits with the highest code among its failed lines, and
// an interrupted one with 128 + the signal's number.
enum ExitCode : int {
    kOk = 0,
    kDoesNotFit = 1,
    kUsage = 2,
    kInputOutput = 3,
    kNothingRead = 4,  // --read found no symbol (as zbarimg)
};

// What is written: image files, or text for a terminal (UTF-8 half blocks, ANSI colours,
// plain ASCII).
enum class OutputType { Png, Bmp, Svg, Utf8, Ansi, Ascii };

// --eci: off, auto or the designator given (the symbol job's choice).
using ::qrdesk::EciChoice;

// --info: nothing, lines of text, or one JSON object.
enum class InfoFormat { None, Text, Json };

// --batch-format: one text a line, or CSV records "name,text".
enum class BatchFormat { Lines, Csv };

// The largest picture side.
constexpr int kMaxSize = kMaxSide;
// The smallest symbol, version 1: 21 modules and the quiet zone on each side.
constexpr int kMinSymbolPixels = 21 + 2 * kQuietZone;
// The quiet zone the standard asks for, in modules.
constexpr int kStandardMargin = kQuietZone;

struct CliOptions {
    bool help = false;
    bool showVersion = false;

    // One symbol: the TEXT argument, a file (-r) or standard input.
    enum class Source { Argument, File, Stdin } source = Source::Argument;
    std::string text;                   // the argument's bytes
    std::string textFile;               // -r FILE
    std::string output = "qrcode.bmp";  // "-" is standard output
    bool outputGiven = false;
    OutputType type = OutputType::Bmp;
    bool typeGiven = false;

    // The encoder's options as given (version 0 automatic, level 2 M, mask -1 automatic);
    // kanjiAllowed follows the encoding and code page, eci follows eciChoice once the text's
    // bytes are known.
    clsQRCode::EncodeOptions symbol{0, 2, -1, false, 0};
    EciChoice eciChoice = EciChoice::Off;
    TextEncoding encoding = TextEncoding::Utf8;
    std::string codePage = kDefaultAnsiCodePage;

    // --content TYPE with its --field NAME=VALUE: the text is made from them (Text and
    // Source::Argument once the options are read).
    std::optional<ContentType> content;
    ContentFields fields;

    // --logo FILE, its box --logo-size percent of the symbol's width; the logo itself is read
    // once the options are known good.
    std::string logoFile;
    int logoPercent = kDefaultLogoPercent;
    std::shared_ptr<const LoadedLogo> logo;

    // Geometry: whole pixels per module (scale > 0), or the picture stretched to size.
    int scale = 0;
    int size = kDefaultSide;
    bool sizeGiven = false;
    int margin = kStandardMargin;
    int dpi = 0;
    Colours colours;
    InfoFormat info = InfoFormat::None;

    // --read: read the symbols in these picture files ("-": standard input) instead.
    bool scan = false;
    std::vector<std::string> pictures;

    // Batch.
    bool batch = false;
    std::string batchFile;  // "-" reads the lines from standard input
    BatchFormat batchFormat = BatchFormat::Lines;
    std::string outDir;
    std::string nameTemplate = "qr-{line}.bmp";
    bool nameGiven = false;
    bool force = false;
    bool skipExisting = false;
    int jobs = 0;  // 0: one worker per core
    int shardIndex = 0, shardCount = 1;

    // Warnings to print once the options are known good (a thin quiet zone, poor contrast).
    std::vector<std::string> warnings;
};

struct ParseResult {
    std::optional<CliOptions> options;  // set on success
    std::string error;                  // one line naming the cause otherwise
};

// Parses the arguments after the program name. Long options take "--name value" or
// "--name=value", short ones "-n value" or "-nvalue"; "--" ends the options; "-" alone is the
// text read from standard input. stdinIsTerminal decides whether a missing TEXT is read from
// standard input or is an error.
ParseResult ParseArguments(const std::vector<std::string>& args, bool stdinIsTerminal = true);

// The output type for a file name's extension (.png, .bmp, .svg, .txt for UTF-8 text, any
// case); nullopt otherwise.
std::optional<OutputType> TypeFromName(const std::string& name);
const char* TypeName(OutputType type);  // "PNG", "BMP", "SVG", "UTF-8 text"...
bool IsTerminalType(OutputType type);

std::string HelpText();
std::string VersionText();

}  // namespace qrdesk::cli
