// Prints one line per case, "<case> <hash>", for 1,280 fixed-version symbols (every version,
// level and mask, each filled to near its capacity) and 10,000 random inputs with random
// options (automatic and fixed versions, every level, fixed, automatic and scored masks, ECI,
// Kanji on and off), then "total <hash>". The hash covers every pixel, the palette and every
// field of the report. Two builds print the same lines exactly when the encoder's output has
// not changed, and a diff of their outputs names the cases that did:
//     diff <(old/tests/tools/encoder_digest) <(new/tests/tools/encoder_digest)

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "encoder/clsQRCode.h"
#include "support/Content.h"

namespace {

struct Fnv {
    std::uint64_t h = 1469598103934665603ull;
    void Add(std::uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            h ^= (value >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    }
};

std::uint64_t Digest(clsQRCode& qr, const qrtest::Bytes& data,
                     const clsQRCode::EncodeOptions& options) {
    clsQRCode::EncodeReport report;
    const auto picture =
        qr.Encode(data.data(), static_cast<std::int32_t>(data.size()), options, &report);
    Fnv f;
    if (!picture) {
        f.Add(0xDEAD);
        return f.h;
    }
    f.Add(static_cast<std::uint64_t>(picture->Width()));
    f.Add(static_cast<std::uint64_t>(picture->Height()));
    for (std::int32_t y = 0; y < picture->Height(); ++y)
        for (std::int32_t x = 0; x < picture->Width(); ++x) f.Add(picture->Pixel(x, y));
    for (const std::uint32_t colour : picture->Palette()) f.Add(colour);
    f.Add(static_cast<std::uint64_t>(report.version));
    f.Add(static_cast<std::uint64_t>(report.level));
    f.Add(static_cast<std::uint64_t>(report.mask));
    f.Add(static_cast<std::uint64_t>(static_cast<std::int64_t>(report.penalty)));
    for (const auto& s : report.segments) {
        f.Add(static_cast<std::uint64_t>(s.mode));
        f.Add(static_cast<std::uint64_t>(s.length));
    }
    f.Add(static_cast<std::uint64_t>(report.dataBits));
    f.Add(static_cast<std::uint64_t>(report.capacityBits));
    return f.h;
}

}  // namespace

int main() {
    clsQRCode qr;
    Fnv total;
    constexpr qrtest::Content kKinds[] = {qrtest::Content::Numeric, qrtest::Content::Alphanumeric,
                                          qrtest::Content::Byte, qrtest::Content::Mixed};
    int index = 0;
    // Every version, level and mask, with content that fills most of the symbol.
    for (std::int32_t version = 1; version <= 40; ++version)
        for (std::int32_t level = 1; level <= 4; ++level)
            for (std::int32_t mask = 0; mask <= 7; ++mask, ++index) {
                const std::int32_t bytes = qr.GetDataCodewordCount(version, level) - 3;
                const auto data =
                    qrtest::MakeContent(qrtest::Content::Byte, static_cast<std::size_t>(bytes),
                                        static_cast<std::uint32_t>(index));
                const std::uint64_t h = Digest(qr, data, {version, level, mask, false, 0, false});
                total.Add(h);
                std::printf("fixed-%d %016" PRIx64 "\n", index, h);
            }
    // Random inputs with random options.
    std::uint32_t state = 20261207u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int i = 0; i < 10000; ++i) {
        const qrtest::Content kind = kKinds[next() % 4];
        const std::size_t length = next() % (i % 10 == 0 ? 3200 : 300);
        const auto data = qrtest::MakeContent(kind, length, next());
        clsQRCode::EncodeOptions options;
        options.version = next() % 3 == 0 ? static_cast<std::int32_t>(next() % 41) : 0;
        options.level = static_cast<std::int32_t>(next() % 6);  // 0 and 5 stand for M
        options.mask = static_cast<std::int32_t>(next() % 10) - 1;
        options.kanjiAllowed = next() % 2 == 0;
        const std::uint32_t eci = next() % 8;
        options.eci = eci == 0 ? 26 : eci == 1 ? 20 : eci == 2 ? 3 : 0;
        options.scoredMask = next() % 3 == 0;
        const std::uint64_t h = Digest(qr, data, options);
        total.Add(h);
        std::printf("random-%d %016" PRIx64 "\n", i, h);
    }
    std::printf("total %016" PRIx64 "\n", total.h);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
