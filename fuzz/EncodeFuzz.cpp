// Encode with arbitrary bytes and options: no crash, no leak, and a picture, when one comes
// back, is (N + 8) pixels square for a valid symbol size N, black and white only.

#include <cstdlib>

#include "FuzzInput.h"
#include "encoder/clsQRCode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static clsQRCode encoder;  // reused across calls, as the window reuses its one
    FuzzInput in(data, size);
    const std::int32_t version = in.Range(-3, 43);
    const std::int32_t level = in.Range(-1, 6);
    const std::int32_t mask = in.Range(-2, 9);
    const bool kanjiAllowed = in.Byte() & 1;
    const auto picture = encoder.Encode(in.Rest(), static_cast<std::int32_t>(in.RestSize()),
                                        version, level, mask, kanjiAllowed);
    if (!picture) return 0;
    const std::int32_t n = picture->Width() - 8;
    if (picture->Height() != picture->Width() || n < 21 || n > 177 || (n - 17) % 4 != 0)
        std::abort();
    if (version >= 1 && version <= 40 && n != 4 * version + 17) std::abort();
    for (std::int32_t y = 0; y < picture->Height(); ++y)
        for (std::int32_t x = 0; x < picture->Width(); ++x) {
            const std::uint32_t pixel = picture->Pixel(x, y);
            if (pixel != 0 && pixel != 0xFFFFFF) std::abort();
        }
    return 0;
}
