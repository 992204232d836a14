// What the status line's read-back costs after each generate: the symbol job with the
// readers, which encodes, stretches to the side the save command writes, reads the picture
// with zxing-cpp and zbar and, when it does not read, tries other sides and levels.

#include <benchmark/benchmark.h>

#include <string>

#include "common/Memory.h"
#include "common/SymbolJob.h"
#include "readback/ReadBack.h"

namespace {

// state.range(0): version; state.range(1): edge in pixels of the saved picture.
void BM_ReadBack(benchmark::State& state) {
    qrdesk::SymbolSettings settings;
    settings.version = static_cast<std::int32_t>(state.range(0));
    settings.size = static_cast<std::int32_t>(state.range(1));
    settings.text = settings.version < 5 ? std::u16string(u"HELLO WORLD")
                                         : u"https://example.org/qrdesk/status-line?v=" +
                                               std::u16string(1, u'0' + settings.version % 10);
    clsQRCode encoder;
    const qrdesk::Readers readers;
    for (auto _ : state) {
        const auto symbol = qrdesk::MakeSymbol(encoder, settings, readers.All());
        if (!symbol.Made()) {
            state.SkipWithError("no symbol");
            return;
        }
        benchmark::DoNotOptimize(symbol.verdicts);
    }
}
BENCHMARK(BM_ReadBack)
    ->ArgNames({"version", "pixels"})
    ->Args({1, 600})
    ->Args({10, 600})
    ->Args({40, 600})
    ->Args({40, 400})
    ->Args({40, 200})  // does not read: other sides and levels are tried too
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qrdesk::KeepFreedMemoryForReuse();  // as both programs do
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
