#pragma once
// The encoder's picture as a Qt image, its stretched copy, and safe writing to files.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>

#include "encoder/clsQRCode.h"
#include "render/Picture.h"

namespace qrdesk {

// The encoder's options from the window's list indexes: version = index (0 automatic),
// level = index + 1 (1 L .. 4 H), mask = index - 1 (-1 automatic, pattern 0).
struct SymbolOptions {
    std::int32_t version = 0;
    std::int32_t level = 2;
    std::int32_t mask = -1;
};
SymbolOptions OptionsFromIndexes(int versionIndex, int levelIndex, int maskIndex);

// Encodes bytes with the options; null when they do not fit. With a picture, *report (when
// given) tells what the encoder made.
std::shared_ptr<Picture> EncodeBytes(clsQRCode& encoder, const QByteArray& bytes,
                                     const SymbolOptions& options, bool kanjiAllowed,
                                     clsQRCode::EncodeReport* report = nullptr);

// The picture, pixel for pixel, as a 32-bit RGB image.
QImage PictureToImage(const Picture& picture);

// The image enlarged or reduced to width x height by pixel replication (nearest
// neighbour, no smoothing), the whole source mapped onto the whole target.
QImage StretchImage(const QImage& source, int width, int height);

// The image in a file format Qt writes ("BMP": uncompressed 24-bit; "PNG"), in memory.
// Empty on failure.
QByteArray EncodeImage(const QImage& image, const char* format);

// Writes bytes to path through a temporary file renamed into place, so a failure (missing
// folder, no permission, full disk) leaves no truncated file and an existing file intact.
// On failure returns false and sets *error to the reason.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

// EncodeImage then WriteFileAtomically.
bool SaveImage(const QImage& image, const QString& path, const char* format, QString* error);

}  // namespace qrdesk
