// Encoder speed side by side with the peer encoders, on the same payloads, versions and
// levels: this encoder's Encode (bytes to finished picture) and its stages; libqrencode,
// zxing-cpp and qrcodegen each on its default path (all eight masks scored) and with the
// mask fixed to 0 where the library allows it.
//
// Run with repetitions and read the medians; README.md (Performance) has the exact command
// and bench/table.py turns the JSON output into its table.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <qrencode.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <qrcodegen/qrcodegen.hpp>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "render/mdlVexmora.h"

// libqrencode exports these but its installed header does not declare them: the fixed-mask
// entry, and the splitter its string entry uses (so both paths segment the same way).
extern "C" {
QRcode* QRcode_encodeMask(QRinput* input, int mask);
int Split_splitStringToQRinput(const char* string, QRinput* input, QRencodeMode hint,
                               int casesensitive);
}

// ---- A counting allocator: heap bytes live at once, for the peak of one Encode.
namespace {
bool gCounting = false;
std::size_t gLive = 0, gPeak = 0, gAllocations = 0;

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    if (gCounting) {
        gLive += malloc_usable_size(p);
        if (gLive > gPeak) gPeak = gLive;
        ++gAllocations;
    }
    return p;
}
void Release(void* p) {
    if (p == nullptr) return;
    if (gCounting) gLive -= malloc_usable_size(p);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace {

struct Payload {
    const char* name;
    std::string text;
    int version;  // the version this encoder chooses; every peer is asked for the same
    int level;    // 1..4 = L, M, Q, H
};

std::string Repeat(const std::string& unit, std::size_t size) {
    std::string s;
    while (s.size() < size) s += unit;
    s.resize(size);
    return s;
}

// The version this encoder picks: its picture is N + 8 pixels wide.
int ChosenVersion(const Payload& p) {
    clsQRCode qr;
    const auto pic = qr.Encode(reinterpret_cast<const std::uint8_t*>(p.text.data()),
                               static_cast<std::int32_t>(p.text.size()), 0, p.level, -1);
    return pic ? (pic->Width() - 8 - 17) / 4 : 0;
}

std::vector<Payload> MakePayloads() {
    std::string url = "https://www.example.org/downloads/archive/";
    url += Repeat("releases/stable/linux-amd64/", 100 - url.size() - 11) + "/index.html";
    std::string digits;
    for (int i = 0; digits.size() < 7089; ++i) digits += std::to_string(1000003 * i % 9973);
    digits.resize(7089);
    // Digits, capitals and lower case in runs, as in an order list.
    const std::string mixed = Repeat(
        "Order 20240917 ITEM QX-7731-ABZ qty 000125 price 00045990 ship to warehouse "
        "NORTH-3 via express; ",
        1500);
    std::vector<Payload> payloads = {
        {"1-M HELLO WORLD", "HELLO WORLD", 0, 2},
        {"M url 100 bytes", url, 0, 2},
        {"40-L 2953 bytes", Repeat("the quick brown fox jumps over the lazy dog ", 2953), 0, 1},
        {"40-L 7089 digits", digits, 0, 1},
        {"M mixed 1500 bytes", mixed, 0, 2},
    };
    for (auto& p : payloads) p.version = ChosenVersion(p);
    return payloads;
}

const std::uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

// ---- This encoder.

void BM_Encode(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    for (auto _ : state) {
        auto pic =
            qr.Encode(Bytes(p->text), static_cast<std::int32_t>(p->text.size()), 0, p->level, -1);
        benchmark::DoNotOptimize(pic);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(p->text.size()));
    state.counters["version"] = p->version;
}

// Stage: one measuring pass of the segmentation, at the chosen version's count-width class
// (the pass that every automatic choice makes; Encode skips the passes of smaller classes when
// a lower bound on the stream already exceeds their capacity).
void BM_StageMeasure(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    for (auto _ : state) {
        auto n = qr.BuildBitStream(nullptr, 0, Bytes(p->text),
                                   static_cast<std::int32_t>(p->text.size()), p->version, true);
        benchmark::DoNotOptimize(n);
    }
}

// Stage: writing the data bit stream at the chosen version.
void BM_StageWrite(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    std::vector<std::uint8_t> bits(clsQRCode::BitBufferSize);
    for (auto _ : state) {
        auto n = qr.BuildBitStream(bits.data(), clsQRCode::BitBufferSize, Bytes(p->text),
                                   static_cast<std::int32_t>(p->text.size()), p->version, false);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
}

// Stage: Reed-Solomon, one set-up and every block of the symbol.
void BM_StageReedSolomon(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    auto field = std::make_shared<clsFiniteField>();
    field->Init(256, 285, 2);
    clsReedSolomon rs;
    const std::int32_t blocks = qr.GetEcBlockCount(p->version, p->level);
    const std::int32_t ec = qr.GetEcCodewordsPerBlock(p->version, p->level);
    const std::int32_t data = qr.GetDataCodewordCount(p->version, p->level);
    const std::int32_t longLength = (data + blocks - 1) / blocks;
    // The data of every block, prepared outside the timed loop.
    std::vector<std::int32_t> blockData(static_cast<std::size_t>(blocks) * longLength);
    for (std::size_t i = 0; i < blockData.size(); ++i)
        blockData[i] = static_cast<std::uint8_t>(p->text[i % p->text.size()]);
    std::int32_t block[clsQRCode::BlockBufferSize] = {};
    for (auto _ : state) {
        rs.Init(longLength, ec, field, 0, 0);
        for (std::int32_t b = 0; b < blocks; ++b) {
            std::copy_n(blockData.data() + static_cast<std::size_t>(b) * longLength, longLength,
                        block + ec);
            rs.EncodeBlock(block);
            benchmark::DoNotOptimize(block[0]);
        }
    }
}

// Stage: function patterns, codeword placement and mask on fresh matrices.
void BM_StageMatrix(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    const std::int32_t size = qr.GetSymbolSize(p->version), stride = size + 3;
    const std::int32_t bitCount = 8 * qr.GetTotalCodewordCount(p->version);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(bitCount));
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = (p->text[i / 8 % p->text.size()] >> (i % 8)) & 1;
    for (auto _ : state) {
        std::vector<std::uint8_t> symbol(static_cast<std::size_t>(stride) * stride);
        std::vector<std::uint8_t> dataMatrix(static_cast<std::size_t>(size) * size);
        qr.DrawFunctionPatterns(symbol.data(), stride, p->version);
        qr.PlaceCodewords(symbol.data(), stride, dataMatrix.data(), size, bits.data(), bitCount);
        qr.ApplyMask(dataMatrix.data(), size, 0);
        benchmark::DoNotOptimize(dataMatrix.data());
        benchmark::ClobberMemory();
    }
}

// Stage: rendering the finished matrix into a picture.
void BM_StageRender(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    const std::int32_t stride = qr.GetSymbolSize(p->version) + 3;
    std::vector<std::uint8_t> symbol(static_cast<std::size_t>(stride) * stride);
    for (std::size_t i = 0; i < symbol.size(); ++i) symbol[i] = (i * 7 / 3) & 1;
    for (auto _ : state) {
        auto pic = mdlVexmora::MatrixToPicture(symbol.data(), stride, stride, 4, 4, 1, 1);
        benchmark::DoNotOptimize(pic);
    }
}

// ---- libqrencode: its string entry (all masks scored), and the same input with mask 0.

QRecLevel QrencodeLevel(int level) {
    static constexpr QRecLevel levels[] = {QR_ECLEVEL_L, QR_ECLEVEL_M, QR_ECLEVEL_Q, QR_ECLEVEL_H};
    return levels[level - 1];
}

void BM_QrencodeDefault(benchmark::State& state, const Payload* p) {
    int version = 0;
    for (auto _ : state) {
        QRcode* code =
            QRcode_encodeString(p->text.c_str(), p->version, QrencodeLevel(p->level), QR_MODE_8, 1);
        version = code ? code->version : -1;
        QRcode_free(code);
    }
    state.counters["version"] = version;
}

void BM_QrencodeMask0(benchmark::State& state, const Payload* p) {
    int version = 0;
    for (auto _ : state) {
        QRinput* input = QRinput_new2(p->version, QrencodeLevel(p->level));
        Split_splitStringToQRinput(p->text.c_str(), input, QR_MODE_8, 1);
        QRcode* code = QRcode_encodeMask(input, 0);
        version = code ? code->version : -1;
        QRcode_free(code);
        QRinput_free(input);
    }
    state.counters["version"] = version;
}

// ---- zxing-cpp 1.4: MultiFormatWriter. Its installed headers offer no mask setting and no
// version setting: it always scores the masks and picks the smallest version itself.

void BM_ZxingDefault(benchmark::State& state, const Payload* p) {
    // setEccLevel takes 0..8; the QR writer maps it to L, M, Q, H by halving.
    static constexpr int levels[] = {1, 3, 5, 7};
    ZXing::MultiFormatWriter writer(ZXing::BarcodeFormat::QRCode);
    writer.setEccLevel(levels[p->level - 1]).setMargin(0);
    int version = 0;
    for (auto _ : state) {
        ZXing::BitMatrix matrix = writer.encode(p->text, 0, 0);
        version = (matrix.width() - 17) / 4;
        benchmark::DoNotOptimize(matrix);
    }
    state.counters["version"] = version;
}

// ---- qrcodegen: encodeSegments at exactly this encoder's version, error level not boosted.

void BM_Qrcodegen(benchmark::State& state, const Payload* p, int mask) {
    using qrcodegen::QrCode;
    static constexpr QrCode::Ecc levels[] = {QrCode::Ecc::LOW, QrCode::Ecc::MEDIUM,
                                             QrCode::Ecc::QUARTILE, QrCode::Ecc::HIGH};
    // Its segmenter makes one segment (numeric, alphanumeric or byte); where that needs a
    // larger version than this encoder's mixed segments, it gets the smallest that holds it.
    int minVersion = p->version;
    for (;; ++minVersion) {
        try {
            QrCode::encodeSegments(qrcodegen::QrSegment::makeSegments(p->text.c_str()),
                                   levels[p->level - 1], minVersion, minVersion, 0, false);
            break;
        } catch (const qrcodegen::data_too_long&) {
            if (minVersion == 40) {
                state.SkipWithError("does not fit");
                return;
            }
        }
    }
    int version = 0;
    for (auto _ : state) {
        QrCode code =
            QrCode::encodeSegments(qrcodegen::QrSegment::makeSegments(p->text.c_str()),
                                   levels[p->level - 1], minVersion, minVersion, mask, false);
        version = code.getVersion();
        benchmark::DoNotOptimize(code);
    }
    state.counters["version"] = version;
}

// ---- Peak heap of one Encode (counted by the allocator above), and its allocations.
void BM_EncodePeakHeap(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    for (auto _ : state) {
        gLive = gPeak = gAllocations = 0;
        gCounting = true;
        auto pic =
            qr.Encode(Bytes(p->text), static_cast<std::int32_t>(p->text.size()), 0, p->level, -1);
        gCounting = false;
        benchmark::DoNotOptimize(pic);
    }
    state.counters["peak_heap_bytes"] = static_cast<double>(gPeak);
    state.counters["allocations"] = static_cast<double>(gAllocations);
}

// Prints the version and level each implementation makes for each payload, so that the
// table compares like with like (zxing-cpp's level is read back from its symbol).
void PrintShapes(const std::vector<Payload>& payloads) {
    static constexpr int zxingLevels[] = {1, 3, 5, 7};
    using qrcodegen::QrCode;
    static constexpr QrCode::Ecc genLevels[] = {QrCode::Ecc::LOW, QrCode::Ecc::MEDIUM,
                                                QrCode::Ecc::QUARTILE, QrCode::Ecc::HIGH};
    std::fprintf(stderr, "%-20s %-8s %-10s %-10s %-10s\n", "payload", "qrdesk", "qrencode", "zxing",
                 "qrcodegen");
    for (const Payload& p : payloads) {
        QRcode* code =
            QRcode_encodeString(p.text.c_str(), p.version, QrencodeLevel(p.level), QR_MODE_8, 1);
        const int qrencodeVersion = code ? code->version : -1;
        QRcode_free(code);

        const ZXing::BitMatrix m = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                                       .setEccLevel(zxingLevels[p.level - 1])
                                       .setMargin(4)
                                       .encode(p.text, 0, 0);
        std::vector<std::uint8_t> grey(static_cast<std::size_t>(m.width()) * m.height());
        for (int y = 0; y < m.height(); ++y)
            for (int x = 0; x < m.width(); ++x) grey[y * m.width() + x] = m.get(x, y) ? 0 : 255;
        const auto read = ZXing::ReadBarcode(
            ZXing::ImageView(grey.data(), m.width(), m.height(), ZXing::ImageFormat::Lum),
            ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(true));

        std::string gen = "none";
        for (int v = p.version; v <= 40; ++v) {
            try {
                const QrCode c =
                    QrCode::encodeSegments(qrcodegen::QrSegment::makeSegments(p.text.c_str()),
                                           genLevels[p.level - 1], v, v, 0, false);
                gen = std::to_string(c.getVersion()) + "-" +
                      "LMQH"[static_cast<int>(c.getErrorCorrectionLevel())];
                break;
            } catch (const qrcodegen::data_too_long&) {
            }
        }
        const char level = "LMQH"[p.level - 1];
        std::fprintf(stderr, "%-20s %-8s %-10s %-10s %-10s\n", p.name,
                     (std::to_string(p.version) + "-" + level).c_str(),
                     (std::to_string(qrencodeVersion) + "-" + level).c_str(),
                     (std::to_string((m.width() - 8 - 17) / 4) + "-" + read.ecLevel()).c_str(),
                     gen.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    static const std::vector<Payload> payloads = MakePayloads();
    PrintShapes(payloads);
    for (const Payload& p : payloads) {
        const std::string n = std::string("/") + p.name;
        benchmark::RegisterBenchmark(("qrdesk_Encode" + n).c_str(), BM_Encode, &p);
        benchmark::RegisterBenchmark(("qrencode_default" + n).c_str(), BM_QrencodeDefault, &p);
        benchmark::RegisterBenchmark(("qrencode_mask0" + n).c_str(), BM_QrencodeMask0, &p);
        benchmark::RegisterBenchmark(("zxing_default" + n).c_str(), BM_ZxingDefault, &p);
        benchmark::RegisterBenchmark(("qrcodegen_default" + n).c_str(), BM_Qrcodegen, &p, -1);
        benchmark::RegisterBenchmark(("qrcodegen_mask0" + n).c_str(), BM_Qrcodegen, &p, 0);
    }
    for (const Payload& p : payloads) {
        const std::string n = std::string("/") + p.name;
        benchmark::RegisterBenchmark(("stage_measure" + n).c_str(), BM_StageMeasure, &p);
        benchmark::RegisterBenchmark(("stage_write" + n).c_str(), BM_StageWrite, &p);
        benchmark::RegisterBenchmark(("stage_reed_solomon" + n).c_str(), BM_StageReedSolomon, &p);
        benchmark::RegisterBenchmark(("stage_matrix" + n).c_str(), BM_StageMatrix, &p);
        benchmark::RegisterBenchmark(("stage_render" + n).c_str(), BM_StageRender, &p);
    }
    // Growth with the data: 300 lower-case bytes at L, to set against the 2,953 at 40-L.
    static Payload small{"L 300 bytes", payloads[2].text.substr(0, 300), 0, 1};
    small.version = ChosenVersion(small);
    benchmark::RegisterBenchmark("qrdesk_Encode/L 300 bytes", BM_Encode, &small);
    for (const Payload* p : {&payloads[2], &payloads[3]})
        benchmark::RegisterBenchmark(("qrdesk_peak_heap/" + std::string(p->name)).c_str(),
                                     BM_EncodePeakHeap, p)
            ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
