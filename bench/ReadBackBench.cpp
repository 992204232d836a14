// What the status line's read-back costs after each generate: the symbol encoded, stretched
// to the size the save command writes, and read again with zxing-cpp and zbar.

#include <benchmark/benchmark.h>

#include <string>

#include "common/Image.h"
#include "common/Symbol.h"
#include "readback/ReadBack.h"

namespace {

// The window's size options, tried when the picture does not read.
constexpr int kSizes[] = {200, 400, 600};

// state.range(0): version; state.range(1): edge in pixels of the saved picture.
void BM_ReadBack(benchmark::State& state) {
    const auto version = static_cast<std::int32_t>(state.range(0));
    const int size = static_cast<int>(state.range(1));
    clsQRCode encoder;
    const std::string bytes =
        version < 5 ? std::string("HELLO WORLD")
                    : "https://example.org/qrdesk/status-line?v=" + std::to_string(version);
    const auto symbol = qrdesk::EncodeSymbol(encoder, bytes, {version, 2, 0, false, 0});
    if (!symbol.picture) {
        state.SkipWithError("no symbol");
        return;
    }
    const qrdesk::Image unscaled = qrdesk::FromPicture(*symbol.picture);
    const qrdesk::Image saved = qrdesk::Stretch(unscaled, size, size);
    for (auto _ : state) {
        const auto check = qrdesk::CheckSymbol(bytes, bytes, unscaled, saved, kSizes);
        benchmark::DoNotOptimize(check.readBack);
    }
}
BENCHMARK(BM_ReadBack)
    ->ArgNames({"version", "pixels"})
    ->Args({1, 600})
    ->Args({10, 600})
    ->Args({40, 600})
    ->Args({40, 400})
    ->Args({40, 200})  // does not read: the larger sizes are tried too
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
