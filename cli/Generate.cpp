#include "cli/Generate.h"

#include "cli/Describe.h"
#include "cli/Output.h"
#include "cli/Readers.h"
#include "common/TextBytes.h"

namespace qrdesk::cli {
namespace {

SymbolFile Failure(int code, std::string error) {
    SymbolFile result;
    result.code = code;
    result.error = std::move(error);
    return result;
}

// The exit code and message of a symbol the job could not make as asked.
SymbolFile Refusal(const CliOptions& options, SymbolResult symbol) {
    switch (symbol.status) {
        case SymbolStatus::EmptyText:
            return Failure(kUsage, "the text is empty");
        case SymbolStatus::UnknownCodePage:
            return Failure(kUsage, symbol.error);
        case SymbolStatus::DoesNotFit:
            return Failure(kDoesNotFit, DoesNotFit(symbol.fit));
        case SymbolStatus::SideTooSmall:
            return Failure(kUsage, "--size " + std::to_string(symbol.side) +
                                       " is smaller than the symbol: version " +
                                       std::to_string(symbol.report.version) + " needs at least " +
                                       std::to_string(symbol.across) + " pixels");
        case SymbolStatus::SideTooLarge:
            return Failure(kUsage, "--scale " + std::to_string(options.scale) +
                                       " makes a picture of " + std::to_string(symbol.side) +
                                       " pixels, more than " + std::to_string(kMaxSide));
        default:
            return Failure(kInputOutput, "out of memory making the picture");
    }
}

FileFormat FormatOf(OutputType type) {
    switch (type) {
        case OutputType::Png:
            return FileFormat::Png;
        case OutputType::Bmp:
            return FileFormat::Bmp;
        default:
            return FileFormat::Svg;
    }
}

}  // namespace

SymbolSettings SettingsFor(const CliOptions& options, std::u16string text, OutputType type) {
    SymbolSettings settings;
    settings.text = std::move(text);
    settings.encoding = options.encoding;
    settings.codePage = options.codePage;
    settings.version = options.symbol.version;
    settings.level = options.symbol.level;
    settings.mask = options.symbol.mask;
    settings.scoredMask = options.symbol.scoredMask;
    settings.eci = options.eciChoice;
    settings.eciDesignator = options.symbol.eci;
    settings.scale = options.scale;
    settings.size = options.size;
    settings.margin = options.margin;
    settings.colours = options.colours;
    settings.logo = options.logo;
    settings.logoPercent = options.logoPercent;
    settings.surface = IsTerminalType(type) ? Surface::Terminal : Surface::Image;
    return settings;
}

SymbolFile SymbolMaker::Make(std::string_view utf8, const CliOptions& options, OutputType type,
                             bool describe) {
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);  // a byte-order mark
    // A sequence cut off at the end is an error too, not state kept for more input that
    // never comes (which dropped it silently).
    auto text = DecodeUtf8(utf8);
    if (!text) return Failure(kInputOutput, "the text is not valid UTF-8");

    std::span<const SymbolReader* const> readers;
    std::string error;
    if (describe) {
        readers = LoadReaders(&error);
        if (readers.empty()) return Failure(kInputOutput, error);
    }
    SymbolFile file;
    file.symbol = MakeSymbol(encoder_, SettingsFor(options, std::move(*text), type), readers);
    if (!file.symbol.Made()) return Refusal(options, std::move(file.symbol));
    file.bytes = IsTerminalType(type) ? TerminalText(file.symbol.modules, file.symbol.margin, type,
                                                     file.symbol.colours)
                                      : SymbolFileBytes(file.symbol, FormatOf(type), options.dpi);
    if (file.bytes.empty())
        return Failure(kInputOutput,
                       std::string("the image could not be encoded as ") + TypeName(type));
    return file;
}

}  // namespace qrdesk::cli
