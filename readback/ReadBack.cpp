#include "readback/ReadBack.h"

// zbar first: zxing-cpp defines a macro that one of zbar's C++ headers uses as a name.
#include <zbar.h>
// In C++ zbar declares its C interface inside namespace zbar.
using namespace zbar;

#include <ZXing/ReadBarcode.h>

#include <memory>

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

// The first QR Code zbar finds in the grey pixels, with its binary mode on (the raw bytes)
// or off (the text it shows); false when it finds none.
bool ZbarScan(const std::vector<std::uint8_t>& grey, int width, int height, bool binary,
              std::string& data) {
    const std::unique_ptr<zbar_image_scanner_t, void (*)(zbar_image_scanner_t*)> scanner(
        zbar_image_scanner_create(), zbar_image_scanner_destroy);
    const std::unique_ptr<zbar_image_t, void (*)(zbar_image_t*)> image(zbar_image_create(),
                                                                       zbar_image_destroy);
    if (!scanner || !image) return false;
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, binary ? 1 : 0);
    zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image.get(), static_cast<unsigned>(width), static_cast<unsigned>(height));
    zbar_image_set_data(image.get(), grey.data(), grey.size(), nullptr);  // zbar only reads it
    if (zbar_scan_image(scanner.get(), image.get()) <= 0) return false;
    for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image.get()); symbol;
         symbol = zbar_symbol_next(symbol)) {
        if (zbar_symbol_get_type(symbol) != ZBAR_QRCODE) continue;
        data.assign(zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol));
        return true;
    }
    return false;
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
    if (!ZbarScan(grey, used.width, used.height, true, out.bytes)) return;
    out.read = true;
    if (!ZbarScan(grey, used.width, used.height, false, out.text)) out.text.clear();
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
