#pragma once
// The command line of qrdesk-cli: its options, their parsing and the help text.

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "common/SymbolImage.h"
#include "common/TextBytes.h"

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
    QByteArray text;
    QString output = QStringLiteral("qrcode.bmp");
    ImageFormat outputFormat = ImageFormat::Bmp;
    bool outputGiven = false;

    // The window's list indexes: version 0 automatic or 1..40; level 0 L .. 3 H; mask 0
    // automatic or 1..8 for patterns 0..7. Mapped to the encoder by OptionsFromIndexes.
    int versionIndex = 0;
    int levelIndex = 1;
    int maskIndex = 0;
    TextEncoding encoding = TextEncoding::Utf8;
    QString codePage = QString::fromLatin1(kDefaultAnsiCodePage);

    int size = 600;
    bool sizeGiven = false;
    bool unscaled = false;
    bool info = false;

    // Batch.
    bool batch = false;
    QString batchFile;  // "-" reads the lines from standard input
    QString outDir;
    QString nameTemplate = QStringLiteral("qr-{line}.bmp");
    ImageFormat nameFormat = ImageFormat::Bmp;
    bool force = false;
    int jobs = 0;  // 0: one worker per core

    SymbolOptions Symbol() const { return OptionsFromIndexes(versionIndex, levelIndex, maskIndex); }
    bool Kanji() const { return KanjiAllowed(encoding, codePage); }
};

struct ParseResult {
    std::optional<CliOptions> options;  // set on success
    QString error;                      // one line naming the cause otherwise
};

// Parses the arguments after the program name. Every option takes "--name value" or
// "--name=value"; "--" ends the options; "-" alone is the TEXT read from standard input.
ParseResult ParseArguments(const std::vector<std::string>& args);

// The image format for a file name's extension (.bmp or .png, any case); nullopt otherwise.
std::optional<ImageFormat> FormatFromName(const QString& name);
const char* FormatName(ImageFormat format);  // "BMP" or "PNG", as Qt's writer names them

QString HelpText();
QString VersionText();

}  // namespace qrdesk::cli
