#include "cli/Generate.h"

#include <QStringDecoder>

#include "common/SymbolImage.h"
#include "common/SymbolReport.h"
#include "common/TextBytes.h"

namespace qrdesk::cli {
namespace {

SymbolFile Failure(int code, const QString& error) {
    SymbolFile result;
    result.code = code;
    result.error = error;
    return result;
}

// Names what the data need and what the symbol holds.
QString DoesNotFit(const clsQRCode& encoder, const QByteArray& bytes, const SymbolOptions& symbol,
                   bool kanji) {
    const std::int32_t level = symbol.level >= 1 && symbol.level <= 4 ? symbol.level : 2;
    const bool fixed = symbol.version >= 1 && symbol.version <= 40;
    const std::int32_t version = fixed ? symbol.version : 40;
    const auto bits = MeasureDataBits(encoder, bytes, version, kanji);
    if (!bits)
        return QStringLiteral("the data do not fit: %1 bytes are more than any symbol holds")
            .arg(bytes.size());
    return QStringLiteral("the data do not fit %1 at level %2: %3 bytes need %4 bits, %5 holds %6")
        .arg(fixed ? QStringLiteral("version %1").arg(version) : QStringLiteral("any version"))
        .arg(LevelName(level))
        .arg(bytes.size())
        .arg(*bits)
        .arg(fixed ? QStringLiteral("it") : QStringLiteral("version 40"))
        .arg(8 * encoder.GetDataCodewordCount(version, level));
}

}  // namespace

SymbolFile MakeSymbolFile(clsQRCode& encoder, const QByteArray& utf8, const CliOptions& options,
                          ImageFormat format, bool describe) {
    // Stateless: a sequence cut off at the end is an error too, not state kept for more
    // input that never comes (which dropped it silently).
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(utf8);
    if (decoder.hasError()) return Failure(kInputOutput, "the text is not valid UTF-8");
    if (text.isEmpty()) return Failure(kUsage, "the text is empty");

    QString error;
    const auto bytes = TextToBytes(text, options.encoding, options.codePage, &error);
    if (!bytes) return Failure(kUsage, error);

    const SymbolOptions symbol = options.Symbol();
    const bool kanji = options.Kanji();
    const EncodedSymbol encoded = EncodeSymbol(encoder, *bytes, symbol, kanji);
    const std::shared_ptr<Picture>& picture = encoded.picture;
    if (!picture) return Failure(kDoesNotFit, DoesNotFit(encoder, *bytes, symbol, kanji));

    const int size = options.unscaled ? 0 : options.size;
    if (size != 0 && size < picture->Width())
        return Failure(kUsage,
                       QStringLiteral("--size %1 is smaller than the symbol: version %2 needs at "
                                      "least %3 pixels")
                           .arg(size)
                           .arg(VersionFromPictureSize(picture->Width()))
                           .arg(picture->Width()));

    SymbolFile result;
    const QImage unscaled = PictureToImage(*picture);
    const QImage image = size == 0 ? unscaled : StretchImage(unscaled, size, size);
    result.bytes = EncodeImage(image, FormatName(format));
    if (result.bytes.isEmpty())
        return Failure(
            kInputOutput,
            QStringLiteral("the image could not be encoded as %1").arg(FormatName(format)));
    if (describe && encoded.info) {
        result.info = encoded.info;
        result.report = ReportLines(CheckSymbol(*encoded.info, *bytes, unscaled, image), text,
                                    options.encoding);
    }
    return result;
}

}  // namespace qrdesk::cli
