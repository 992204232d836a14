#pragma once
// The command line of qrdesk-cli: its options, their parsing and the help text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

// Conventional exit codes; a batch exits with the highest code among its failed lines.
enum ExitCode : int { kOk = 0, kDoesNotFit = 1, kUsage = 2, kInputOutput = 3 };

enum class ImageFormat { Bmp, Png };

// --eci: none, chosen by the text (UTF-8's or the code page's designator for text that is
// not plain ASCII), or the designator given.
enum class EciChoice { Off, Auto, Given };

// --info: nothing, lines of text, or one JSON object.
enum class InfoFormat { None, Text, Json };

// The largest --size: a 10,000-pixel square is 300 MB as BMP already.
constexpr int kMaxSize = 10000;
// The smallest symbol, version 1: 21 modules and the 4-module quiet zone on each side.
constexpr int kMinSymbolPixels = 29;

struct CliOptions {
    bool help = false;
    bool showVersion = false;

    // One symbol: the TEXT argument's bytes, or standard input ("-").
    bool haveText = false;
    bool textFromStdin = false;
    std::string text;
    std::string output = "qrcode.bmp";
    ImageFormat outputFormat = ImageFormat::Bmp;
    bool outputGiven = false;

    // The encoder's options as given (version 0 automatic, level 2 M, mask -1 automatic);
    // kanjiAllowed follows the encoding and code page, eci follows eciChoice once the text's
    // bytes are known.
    clsQRCode::EncodeOptions symbol{0, 2, -1, false, 0};
    EciChoice eciChoice = EciChoice::Off;
    TextEncoding encoding = TextEncoding::Utf8;
    std::string codePage = kDefaultAnsiCodePage;

    int size = 600;
    bool sizeGiven = false;
    bool unscaled = false;
    InfoFormat info = InfoFormat::None;

    // Batch.
    bool batch = false;
    std::string batchFile;  // "-" reads the lines from standard input
    std::string outDir;
    std::string nameTemplate = "qr-{line}.bmp";
    ImageFormat nameFormat = ImageFormat::Bmp;
    bool force = false;
    int jobs = 0;  // 0: one worker per core
};

struct ParseResult {
    std::optional<CliOptions> options;  // set on success
    std::string error;                  // one line naming the cause otherwise
};

// Parses the arguments after the program name. Every option takes "--name value" or
// "--name=value"; "--" ends the options; "-" alone is the TEXT read from standard input.
ParseResult ParseArguments(const std::vector<std::string>& args);

// The designator --eci asks for with the text's bytes: the given one; with auto, UTF-8's or
// the code page's for bytes that are not plain ASCII (0 where the code page has none); 0 off.
std::int32_t ResolveEci(const CliOptions& options, std::string_view bytes);

// The image format for a file name's extension (.bmp or .png, any case); nullopt otherwise.
std::optional<ImageFormat> FormatFromName(const std::string& name);

std::string HelpText();
std::string VersionText();

}  // namespace qrdesk::cli
