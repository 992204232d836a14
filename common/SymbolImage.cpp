#include "common/SymbolImage.h"

#include <QBuffer>
#include <QSaveFile>
#include <vector>

namespace qrdesk {

SymbolOptions OptionsFromIndexes(int versionIndex, int levelIndex, int maskIndex) {
    // The list indexes are 16-bit values; the sums are formed in 16 bits.
    return {static_cast<std::int16_t>(versionIndex), static_cast<std::int16_t>(levelIndex + 1),
            static_cast<std::int16_t>(maskIndex - 1)};
}

std::shared_ptr<Picture> EncodeBytes(clsQRCode& encoder, const QByteArray& bytes,
                                     const SymbolOptions& options, bool kanjiAllowed,
                                     clsQRCode::EncodeReport* report) {
    if (bytes.size() > INT32_MAX) return nullptr;
    return encoder.Encode(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::int32_t>(bytes.size()), options.version, options.level,
                          options.mask, kanjiAllowed, report);
}

QImage PictureToImage(const Picture& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    const auto& palette = picture.Palette();
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* in = picture.Row(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) out[x] = 0xFF000000u | palette[in[x]];
    }
    return image;
}

QImage StretchImage(const QImage& source, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) return {};
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    QImage target(width, height, QImage::Format_RGB32);
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        column[x] = static_cast<int>(std::int64_t{x} * src.width() / width);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(
            src.constScanLine(static_cast<int>(std::int64_t{y} * src.height() / height)));
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) out[x] = in[column[x]];
    }
    return target;
}

QByteArray EncodeImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Qt writes 32-bit RGB images as 24-bit BMP files.
    if (image.isNull() || !image.save(&buffer, format)) return {};
    return bytes;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    auto fail = [&](const QString& reason) {
        file.cancelWriting();
        if (error) *error = reason;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    // Check every step: a buffered write that fails on a full disk would otherwise only
    // show at the end, and commit() alone is not trusted to report it. A short write is
    // continued: only the next call reports the cause (a full disk), which the message
    // should name rather than "Unknown error".
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return fail(file.errorString());
        done += n;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) return fail(file.errorString());
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool SaveImage(const QImage& image, const QString& path, const char* format, QString* error) {
    const QByteArray bytes = EncodeImage(image, format);
    if (bytes.isEmpty()) {
        if (error) *error = QStringLiteral("the image could not be encoded as %1").arg(format);
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}

}  // namespace qrdesk
