#include "readback/ReadBack.h"

// zbar first: zxing-cpp defines a macro that one of zbar's C++ headers uses as a name.
#include <zbar.h>
// In C++ zbar declares its C interface inside namespace zbar.
using namespace zbar;

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <memory>

namespace qrdesk {
namespace {

// zbar enlarges a picture narrower than this when helped.
constexpr std::int32_t kSmallestSeenSide = 200;

// The first QR Code zbar finds in the grey pixels, with its binary mode on (the raw bytes)
// or off (the text it shows); false when it finds none.
bool ZbarScan(const GreyView& image, bool binary, std::string& data) {
    const std::unique_ptr<zbar_image_scanner_t, void (*)(zbar_image_scanner_t*)> scanner(
        zbar_image_scanner_create(), zbar_image_scanner_destroy);
    const std::unique_ptr<zbar_image_t, void (*)(zbar_image_t*)> zimage(zbar_image_create(),
                                                                        zbar_image_destroy);
    if (!scanner || !zimage) return false;
    if (binary) zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, 1);
    zbar_image_set_format(zimage.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(zimage.get(), static_cast<unsigned>(image.width),
                        static_cast<unsigned>(image.height));
    // zbar only reads the pixels.
    zbar_image_set_data(zimage.get(), image.pixels,
                        static_cast<unsigned long>(image.width) * image.height, nullptr);
    if (zbar_scan_image(scanner.get(), zimage.get()) <= 0) return false;
    for (const zbar_symbol_t* symbol = zbar_image_first_symbol(zimage.get()); symbol;
         symbol = zbar_symbol_next(symbol)) {
        if (zbar_symbol_get_type(symbol) != ZBAR_QRCODE) continue;
        data.assign(zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol));
        return true;
    }
    return false;
}

Reading ZbarRead(const GreyView& image) {
    Reading reading;
    reading.decoded = ZbarScan(image, true, reading.bytes);
    if (reading.decoded) reading.shown = ZbarScan(image, false, reading.text);
    return reading;
}

}  // namespace

Reading ZxingReader::Read(const GreyView& image, bool helped) const {
    Reading reading;
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) return reading;
    try {
        const ZXing::ImageView view(image.pixels, image.width, image.height,
                                    ZXing::ImageFormat::Lum);
        ZXing::Results results;
        if (helped)
            results.push_back(ZXing::ReadBarcode(
                view,
                ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(true)));
        else
            results = ZXing::ReadBarcodes(view);
        for (const ZXing::Result& result : results) {
            if (!result.isValid() || result.format() != ZXing::BarcodeFormat::QRCode) continue;
            const ZXing::ByteArray& bytes = result.bytes();
            reading.decoded = reading.shown = true;
            reading.bytes.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            reading.text = result.text();
            break;
        }
    } catch (...) {
        return {};  // out of memory inside the reader: nothing read
    }
    return reading;
}

Reading ZbarReader::Read(const GreyView& image, bool helped) const {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) return {};
    try {
        if (!helped) return ZbarRead(image);
        if (image.width >= kSmallestSeenSide) return {};  // enlarging is no help here
        const std::int32_t scale = (kSmallestSeenSide + image.width - 1) / image.width;
        const std::int32_t width = image.width * scale, height = image.height * scale;
        std::vector<std::uint8_t> enlarged(static_cast<std::size_t>(width) * height);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* in =
                image.pixels + static_cast<std::size_t>(y / scale) * image.width;
            std::uint8_t* out = enlarged.data() + static_cast<std::size_t>(y) * width;
            for (std::int32_t x = 0; x < width; ++x) out[x] = in[x / scale];
        }
        return ZbarRead({enlarged.data(), width, height});
    } catch (...) {
        return {};
    }
}

Readers::Readers() {
    owned_.push_back(std::make_unique<ZxingReader>());
    owned_.push_back(std::make_unique<ZbarReader>());
    for (const auto& reader : owned_) pointers_.push_back(reader.get());
}

}  // namespace qrdesk
