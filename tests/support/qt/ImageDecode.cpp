#include "support/qt/ImageDecode.h"

#include <QProcess>
#include <vector>

std::optional<DecodedSymbol> DecodeImage(const QImage& image) {
    if (image.isNull()) return std::nullopt;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = grey.width(), height = grey.height();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        std::copy_n(grey.constScanLine(y), width,
                    pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    return DecodeLuminance(pixels.data(), width, height);
}

std::optional<DecodedSymbol> DecodeImage(const qrdesk::Image& image) {
    if (image.Empty()) return std::nullopt;
    // The symbol's colours are black and white: any one channel is the grey.
    std::vector<std::uint8_t> pixels(image.pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(image.palette[image.pixels[i]] & 0xFF);
    return DecodeLuminance(pixels.data(), image.width, image.height);
}

std::optional<DecodedSymbol> DecodeFile(const QByteArray& contents) {
    QImage image;
    if (!image.loadFromData(contents)) return std::nullopt;
    return DecodeImage(image);
}

QByteArray DecodedBytes(const std::optional<DecodedSymbol>& symbol) {
    if (!symbol) return {};
    return QByteArray(reinterpret_cast<const char*>(symbol->bytes.data()),
                      static_cast<qsizetype>(symbol->bytes.size()));
}

QImage RenderSvg(const QByteArray& svg, int pixels) {
    QProcess rsvg;
    rsvg.start("rsvg-convert", {"-w", QString::number(pixels), "-h", QString::number(pixels)});
    if (!rsvg.waitForStarted(10000)) return {};
    rsvg.write(svg);
    rsvg.closeWriteChannel();
    if (!rsvg.waitForFinished(30000) || rsvg.exitCode() != 0) return {};
    return QImage::fromData(rsvg.readAllStandardOutput(), "PNG");
}
