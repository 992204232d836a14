#include "readback/ReadBack.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <memory>

#include "ZbarScan.h"
#include "readback/ReadSymbols.h"

namespace qrdesk {
namespace {

// zbar enlarges a picture narrower than this when helped.
constexpr std::int32_t kSmallestSeenSide = 200;

// What zbar reads from the grey pixels: the first QR Code's raw bytes (binary mode) and the
// text it shows.
Reading ZbarRead(const GreyView& image) {
    Reading reading;
    const auto raw = ZbarScanAll(image.pixels, image.width, image.height, true);
    if (raw.empty()) return reading;
    reading.decoded = true;
    reading.bytes = raw.front().data;
    const auto shown = ZbarScanAll(image.pixels, image.width, image.height, false);
    if (!shown.empty()) {
        reading.shown = true;
        reading.text = shown.front().data;
    }
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

Reading WeChatReader::Read(const GreyView& image, bool helped) const {
    if (helped || image.pixels == nullptr || image.width <= 0 || image.height <= 0) return {};
    try {
        const auto found = ReadWeChat(image);
        if (!found || found->empty()) return {};
        Reading reading;
        reading.decoded = reading.shown = true;
        reading.bytes = std::move(found->front().bytes);
        reading.text = std::move(found->front().text);
        return reading;
    } catch (...) {
        return {};
    }
}

Readers::Readers() {
    owned_.push_back(std::make_unique<ZxingReader>());
    owned_.push_back(std::make_unique<ZbarReader>());
    owned_.push_back(std::make_unique<WeChatReader>());
}

std::span<const SymbolReader* const> Readers::All() const {
    std::call_once(loaded_, [this] {
        const bool wechat = WeChatAvailable(&missing_);
        for (const auto& reader : owned_)
            if (wechat || dynamic_cast<const WeChatReader*>(reader.get()) == nullptr)
                pointers_.push_back(reader.get());
    });
    return pointers_;
}

}  // namespace qrdesk
