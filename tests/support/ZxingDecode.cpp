#include "support/ZxingDecode.h"

#include <ZXing/ReadBarcode.h>

std::optional<DecodedSymbol> DecodeLuminance(const std::uint8_t* pixels, int width, int height) {
    const ZXing::ImageView view(pixels, width, height, ZXing::ImageFormat::Lum);
    const auto hints =
        ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(true);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid()) return std::nullopt;
    const auto& bytes = result.bytes();
    return DecodedSymbol{{bytes.begin(), bytes.end()}, result.ecLevel(), result.text()};
}

std::optional<DecodedSymbol> DecodePicture(const Picture& picture) {
    const int width = picture.Width(), height = picture.Height();
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grey[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>(picture.Pixel(x, y) & 0xFF);
    return DecodeLuminance(grey.data(), width, height);
}
