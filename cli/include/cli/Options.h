#pragma once
// The command line of qrdesk-cli: its options, their parsing and the help text.

#include <optional>
#include <string>
#include <vector>

#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

// Conventional exit codes; a batch exits with the highest code among its failed lines.
enum ExitCode : int { kOk = 0, kDoesNotFit = 1, kUsage = 2, kInputOutput = 3 };

enum class ImageFormat { Bmp, Png };

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
    // kanjiAllowed follows the encoding and code page.
    clsQRCode::EncodeOptions symbol{0, 2, -1, false};
    TextEncoding encoding = TextEncoding::Utf8;
    std::string codePage = kDefaultAnsiCodePage;

    int size = 600;
    bool sizeGiven = false;
    bool unscaled = false;
    bool info = false;

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

// The image format for a file name's extension (.bmp or .png, any case); nullopt otherwise.
std::optional<ImageFormat> FormatFromName(const std::string& name);

std::string HelpText();
std::string VersionText();

}  // namespace qrdesk::cli
