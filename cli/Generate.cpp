#include "cli/Generate.h"

#include "cli/Describe.h"
#include "common/Image.h"
#include "common/QtImage.h"
#include "common/ReadBack.h"
#include "common/Report.h"
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

}  // namespace

SymbolFile MakeSymbolFile(clsQRCode& encoder, std::string_view utf8, const CliOptions& options,
                          ImageFormat format, bool describe) {
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);  // a byte-order mark
    // A sequence cut off at the end is an error too, not state kept for more input that
    // never comes (which dropped it silently).
    const auto text = DecodeUtf8(utf8);
    if (!text) return Failure(kInputOutput, "the text is not valid UTF-8");
    if (text->empty()) return Failure(kUsage, "the text is empty");

    std::string error;
    const auto bytes = TextToBytes(*text, options.encoding, options.codePage, &error);
    if (!bytes) return Failure(kUsage, error);

    const Symbol symbol = EncodeSymbol(encoder, *bytes, options.symbol);
    if (!symbol.picture) return Failure(kDoesNotFit, DoesNotFit(encoder, *bytes, options.symbol));

    const int size = options.unscaled ? 0 : options.size;
    const int width = symbol.picture->Width();
    if (size != 0 && size < width)
        return Failure(kUsage, "--size " + std::to_string(size) +
                                   " is smaller than the symbol: version " +
                                   std::to_string(VersionFromPictureSize(width)) +
                                   " needs at least " + std::to_string(width) + " pixels");

    SymbolFile result;
    const Image unscaled = FromPicture(*symbol.picture);
    const Image image = size == 0 ? unscaled : Stretch(unscaled, size, size);
    result.bytes = format == ImageFormat::Png ? EncodePng(image) : EncodeBmp(image);
    if (result.bytes.empty())
        return Failure(kInputOutput, std::string("the image could not be encoded as ") +
                                         (format == ImageFormat::Png ? "PNG" : "BMP"));
    if (describe) {
        result.info = symbol.report;
        const std::string typed(utf8);
        result.report =
            ReportLines(symbol.report, CheckSymbol(*bytes, unscaled, image, kSizeOptionPixels),
                        typed, options.encoding);
    }
    return result;
}

}  // namespace qrdesk::cli
