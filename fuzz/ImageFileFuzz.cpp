// Picture files as untrusted bytes: whatever they hold, decoding returns a picture whose size
// matches its pixels and stays within the limits, or a reason, without reading or writing
// outside any buffer (AddressSanitizer) and without allocating for a size it then refuses.
// The limit here is small, so that the fuzzer explores formats rather than allocations.

#include <cstdlib>

#include "readback/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qrdesk::ImageLimits limits;
    limits.maxPixels = 1 << 20;
    limits.maxDecoderBytes = 64 << 20;
    const qrdesk::DecodedImage decoded = qrdesk::DecodeImageFile({data, size}, limits);
    if (decoded.Ok()) {
        const qrdesk::GreyImage& image = decoded.image;
        if (image.Empty() || std::int64_t{image.width} * image.height > limits.maxPixels ||
            image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
            std::abort();
    } else if (decoded.error.empty() || !decoded.image.pixels.empty()) {
        std::abort();
    }
    return 0;
}
