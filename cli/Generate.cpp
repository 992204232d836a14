#include "cli/Generate.h"

#include <vector>

#include "cli/Describe.h"
#include "cli/Output.h"
#include "cli/Readers.h"
#include "common/Image.h"
#include "common/Symbol.h"
#include "common/TextBytes.h"

namespace qrdesk::cli {
namespace {

SymbolFile Failure(int code, std::string error) {
    SymbolFile result;
    result.code = code;
    result.error = std::move(error);
    return result;
}

// Sizes to try when a reader cannot read the picture: whole pixels per module, from the
// first at least as large as the picture on.
std::vector<int> LargerSizes(int side, int modulesWithQuietZone) {
    std::vector<int> sizes;
    for (int k = (side + modulesWithQuietZone - 1) / modulesWithQuietZone;
         sizes.size() < 4 && k * modulesWithQuietZone <= kMaxSize; ++k)
        if (k * modulesWithQuietZone > side) sizes.push_back(k * modulesWithQuietZone);
    return sizes;
}

// The options that make both readers show the text as typed, when some reader shows other
// text: --eci auto where it writes a designator, else UTF-8 with it; "" when neither helps.
std::string EciAdvice(const ReadBackModule& readers, clsQRCode& encoder, const std::u16string& text,
                      std::string_view typed, const CliOptions& options, int size) {
    const std::string bytes =
        TextToBytes(text, options.encoding, options.codePage).value_or(std::string());
    clsQRCode::EncodeOptions symbol = options.symbol;
    CliOptions automatic = options;
    automatic.eciChoice = EciChoice::Auto;
    symbol.eci = ResolveEci(automatic, bytes);
    if (options.eciChoice != EciChoice::Auto && symbol.eci != 0 &&
        readers.readsAsTyped(encoder, bytes, typed, symbol, size))
        return "--eci auto";
    if (options.encoding == TextEncoding::Ansi) {
        symbol.kanjiAllowed = false;
        symbol.eci = IsPlainAscii(typed) ? 0 : kUtf8Eci;
        if (readers.readsAsTyped(encoder, typed, typed, symbol, size))
            return "--encoding utf-8 --eci auto";
    }
    return {};
}

}  // namespace

SymbolFile MakeSymbolFile(clsQRCode& encoder, std::string_view utf8, const CliOptions& options,
                          OutputType type, bool describe) {
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);  // a byte-order mark
    // A sequence cut off at the end is an error too, not state kept for more input that
    // never comes (which dropped it silently).
    const auto text = DecodeUtf8(utf8);
    if (!text) return Failure(kInputOutput, "the text is not valid UTF-8");
    if (text->empty()) return Failure(kUsage, "the text is empty");

    std::string error;
    const auto bytes = TextToBytes(*text, options.encoding, options.codePage, &error);
    if (!bytes) return Failure(kUsage, error);

    clsQRCode::EncodeOptions symbolOptions = options.symbol;
    symbolOptions.eci = ResolveEci(options, *bytes);
    const Symbol symbol = EncodeSymbol(encoder, *bytes, symbolOptions);
    if (!symbol.picture) return Failure(kDoesNotFit, DoesNotFit(encoder, *bytes, symbolOptions));

    Output output = RenderOutput(*symbol.picture, options, type, describe);
    if (!output.error.empty()) {
        const bool tooSmall = output.error.find("smaller") != std::string::npos;
        return Failure(tooSmall || options.scale > 0 ? kUsage : kInputOutput, output.error);
    }
    SymbolFile result;
    result.bytes = std::move(output.bytes);
    if (!describe) return result;

    result.info = symbol.report;
    result.eci = symbolOptions.eci;
    result.pixels = output.seen.width;
    const ReadBackModule* readers = LoadReadBack(&error);
    if (!readers) return Failure(kInputOutput, error);
    const std::string typed(utf8);
    // Larger sizes are offered only where the picture is stretched.
    const std::vector<int> sizes = options.scale > 0 || IsTerminalType(type)
                                       ? std::vector<int>{}
                                       : LargerSizes(output.seen.width, output.unscaled.width);
    const SymbolCheck check =
        readers->checkSymbol(*bytes, typed, output.unscaled, output.seen, sizes);
    Advice advice;
    advice.size = check.readableSize;
    if (!check.readBack.AllRead() && advice.size == 0 && !sizes.empty())
        advice.triedUpTo = sizes.back();
    if (check.readBack.AllRead() && !check.readBack.AllAsTyped())
        advice.options = EciAdvice(*readers, encoder, *text, typed, options, output.seen.width);
    result.readBack = check.readBack;
    result.report = ReaderLines(check, advice);
    return result;
}

}  // namespace qrdesk::cli
