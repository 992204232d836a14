// The encoder's two paths on arbitrary bytes and options: the portable path and, where the
// processor has it, the vector path (AVX-512, GFNI, BMI2) must give the same picture, mask
// and penalty, and Encode (the best path) the same again; scored masks included.

#include <cstdlib>
#include <memory>

#include "FuzzInput.h"
#include "Symbol.h"
#include "encoder/clsQRCode.h"

namespace {

bool Same(const Picture* a, const Picture* b) {
    if ((a == nullptr) != (b == nullptr)) return false;
    if (a == nullptr) return true;
    if (a->Width() != b->Width() || a->Height() != b->Height()) return false;
    for (std::int32_t y = 0; y < a->Height(); ++y)
        for (std::int32_t x = 0; x < a->Width(); ++x)
            if (a->Row(y)[x] != b->Row(y)[x]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static clsQRCode encoder;
    static const auto portable = std::make_unique<clsQRCode::Workspace>();
    static const auto vector = std::make_unique<clsQRCode::Workspace>();
    FuzzInput in(data, size);
    clsQRCode::EncodeOptions options;
    options.version = in.Range(-1, 41);
    options.level = in.Range(0, 5);
    options.mask = in.Range(-2, 9);
    const std::uint8_t flags = in.Byte();
    options.kanjiAllowed = flags & 1;
    options.scoredMask = flags & 2;
    options.eci = (flags & 4) ? 26 : (flags & 8) ? 20 : 0;
    const auto count = static_cast<std::int32_t>(in.RestSize());
    clsQRCode::EncodeReport a, b, c;
    const auto p =
        encoder.EncodeWith(*portable, in.Rest(), count, options, &a, symbol::Path::Portable);
    const auto e = encoder.Encode(in.Rest(), count, options, &c);
    if (!Same(p.get(), e.get())) std::abort();
    if (p && (a.mask != c.mask || a.penalty != c.penalty)) std::abort();
    if (symbol::BestPath() == symbol::Path::Vector) {
        const auto v =
            encoder.EncodeWith(*vector, in.Rest(), count, options, &b, symbol::Path::Vector);
        if (!Same(p.get(), v.get())) std::abort();
        if (p && (a.mask != b.mask || a.penalty != b.penalty)) std::abort();
    }
    if (p && options.scoredMask && (options.mask < 0 || options.mask > 7) && a.penalty < 0)
        std::abort();
    return 0;
}
