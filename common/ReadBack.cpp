#include "common/ReadBack.h"

#include <ZXing/ReadBarcode.h>

namespace qrdesk {

ReadBack ReadBackImage(const Image& image, std::string_view encoded) {
    ReadBack out;
    if (image.Empty()) return out;
    const std::vector<std::uint8_t> grey = Luminance(image);
    const ZXing::ImageView view(grey.data(), image.width, image.height, ZXing::ImageFormat::Lum);
    ZXing::Result result;
    for (const bool pure : {true, false}) {
        const auto hints =
            ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(pure);
        result = ZXing::ReadBarcode(view, hints);
        if (result.isValid()) break;
    }
    if (!result.isValid()) return out;

    const ZXing::ByteArray& bytes = result.bytes();
    out.bytes.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    out.readerText = result.text();
    out.verdict = out.bytes == encoded ? ReadBackVerdict::Readable : ReadBackVerdict::Mismatch;
    return out;
}

SymbolCheck CheckSymbol(std::string_view bytes, const Image& unscaled, const Image& saved,
                        std::span<const int> sizes) {
    SymbolCheck check;
    check.size = saved.width;
    check.readBack = ReadBackImage(saved, bytes);
    if (check.readBack.verdict == ReadBackVerdict::Readable || unscaled.Empty()) return check;
    // A larger picture is not always better (nearest-neighbour stretching makes modules of
    // uneven width), so each larger size is tried.
    for (const int size : sizes) {
        if (size <= check.size) continue;
        if (ReadBackImage(Stretch(unscaled, size, size), bytes).verdict ==
            ReadBackVerdict::Readable) {
            check.readableSize = size;
            break;
        }
    }
    return check;
}

}  // namespace qrdesk
