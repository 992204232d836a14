#include "readback/ReadBack.h"

#include <ZXing/ReadBarcode.h>

#include <memory>

#include "ZbarScan.h"
#include "common/Symbol.h"

namespace qrdesk {
namespace {

// zxing-cpp: first as a pure symbol (straight, quiet zone around it, as it is drawn), then
// with the general detector. Its text follows the ECI, or its guess among ISO-8859-1, Shift
// JIS and UTF-8 without one.
void ReadWithZxing(const std::vector<std::uint8_t>& grey, const Image& image, ReaderResult& out) {
    const ZXing::ImageView view(grey.data(), image.width, image.height, ZXing::ImageFormat::Lum);
    for (const bool pure : {true, false}) {
        const auto hints =
            ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(pure);
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid()) continue;
        const ZXing::ByteArray& bytes = result.bytes();
        out.read = true;
        out.bytes.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        out.text = result.text();
        return;
    }
}

// zbar misses symbols whose modules are a pixel or two wide, which a camera never sees:
// such small pictures are enlarged (pixel replication) before it looks.
void ReadWithZbar(const Image& image, ReaderResult& out) {
    constexpr int kSmallestSide = 200;
    const int scale =
        image.width >= kSmallestSide ? 1 : (kSmallestSide + image.width - 1) / image.width;
    const Image seen =
        scale == 1 ? Image() : Stretch(image, image.width * scale, image.height * scale);
    const Image& used = scale == 1 ? image : seen;
    const std::vector<std::uint8_t> grey = Luminance(used);
    const auto raw = ZbarScanAll(grey.data(), used.width, used.height, true);
    if (raw.empty()) return;
    out.read = true;
    out.bytes = raw.front().data;
    const auto shown = ZbarScanAll(grey.data(), used.width, used.height, false);
    if (!shown.empty()) out.text = shown.front().data;
}

}  // namespace

ReadBack ReadBackImage(const Image& image, std::string_view encoded, std::string_view typed) {
    ReadBack out;
    out.readers[0].name = "zxing-cpp";
    out.readers[1].name = "zbar";
    if (image.Empty()) return out;
    ReadWithZxing(Luminance(image), image, out.readers[0]);
    ReadWithZbar(image, out.readers[1]);
    for (ReaderResult& r : out.readers) {
        r.bytesExact = r.read && r.bytes == encoded;
        r.textAsTyped = r.read && r.text == typed;
    }
    return out;
}

SymbolCheck CheckSymbol(std::string_view encoded, std::string_view typed, const Image& unscaled,
                        const Image& saved, std::span<const int> sizes) {
    SymbolCheck check;
    check.size = saved.width;
    check.readBack = ReadBackImage(saved, encoded, typed);
    if (check.readBack.AllRead() || unscaled.Empty()) return check;
    // A larger picture is not always better (nearest-neighbour stretching makes modules of
    // uneven width), so each larger size is tried.
    for (const int size : sizes) {
        if (size <= check.size) continue;
        if (ReadBackImage(Stretch(unscaled, size, size), encoded, typed).AllRead()) {
            check.readableSize = size;
            break;
        }
    }
    return check;
}

bool ReadsAsTyped(clsQRCode& encoder, std::string_view bytes, std::string_view typed,
                  const clsQRCode::EncodeOptions& options, int size) {
    const Symbol symbol = EncodeSymbol(encoder, bytes, options);
    if (!symbol.picture || size < symbol.picture->Width()) return false;
    const Image picture = Stretch(FromPicture(*symbol.picture), size, size);
    return ReadBackImage(picture, bytes, typed).AllAsTyped();
}

}  // namespace qrdesk
