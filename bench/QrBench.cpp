// Encoder speed side by side with the peer encoders, on the same payloads, versions and
// levels: this encoder's Encode (bytes to finished picture; also with a fresh encoder object
// per symbol, and with the scored mask) and its stages; libqrencode,
// zxing-cpp and qrcodegen each on its default path (all eight masks scored) and with the
// mask fixed to 0 where the library allows it.
//
// Run with repetitions and read the medians; README.md (Performance) has the exact command
// and bench/table.py turns the JSON output into its table.

#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <qrcodegen/qrcodegen.hpp>
#include <string>
#include <vector>

#include "CountingAllocator.h"
#include "Payloads.h"
#include "Segmentation.h"
#include "Symbol.h"
#include "encoder/clsQRCode.h"
#include "render/mdlVexmora.h"

// libqrencode exports these but its installed header does not declare them: the fixed-mask
// entry, and the splitter its string entry uses (so both paths segment the same way).
extern "C" {
QRcode* QRcode_encodeMask(QRinput* input, int mask);
int Split_splitStringToQRinput(const char* string, QRinput* input, QRencodeMode hint,
                               int casesensitive);
}

namespace {

using bench::Payload;

// The version this encoder picks: its picture is N + 8 pixels wide.
int ChosenVersion(const Payload& p) {
    clsQRCode qr;
    const auto pic = qr.Encode(reinterpret_cast<const std::uint8_t*>(p.text.data()),
                               static_cast<std::int32_t>(p.text.size()), 0, p.level, -1);
    return pic ? (pic->Width() - 8 - 17) / 4 : 0;
}

std::vector<Payload> MakePayloads() {
    std::vector<Payload> payloads = bench::Payloads();
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

// A fresh encoder object for every symbol: its construction and first-use costs included.
void BM_EncodeFresh(benchmark::State& state, const Payload* p) {
    for (auto _ : state) {
        clsQRCode qr;
        auto pic =
            qr.Encode(Bytes(p->text), static_cast<std::int32_t>(p->text.size()), 0, p->level, -1);
        benchmark::DoNotOptimize(pic);
    }
}

// All eight masks scored by the standard's penalty, the lowest applied.
void BM_EncodeScored(benchmark::State& state, const Payload* p) {
    clsQRCode qr;
    clsQRCode::EncodeOptions options;
    options.level = p->level;
    options.scoredMask = true;
    for (auto _ : state) {
        auto pic = qr.Encode(Bytes(p->text), static_cast<std::int32_t>(p->text.size()), options);
        benchmark::DoNotOptimize(pic);
    }
}

// ---- The stages of Encode, each on its own (the best path of this processor).

// The state of one symbol after each stage, made once outside the timed loops.
struct Prepared {
    clsQRCode qr;
    std::unique_ptr<clsQRCode::Workspace> ws = std::make_unique<clsQRCode::Workspace>();
    std::int32_t version = 0, level = 0, bits = 0, segmentCount = 0, lastMode = 0;
    std::int32_t total = 0, blocks = 0, ec = 0, dataCodewords = 0, longLength = 0, shortBlocks = 0;
    std::int32_t size = 0;
    const symbol::ErrorCorrectionTables* tables = nullptr;
    explicit Prepared(const Payload* p) : version(p->version), level(p->level) {
        const auto count = static_cast<std::int32_t>(p->text.size());
        bits = segmentation::SearchWithTable(Bytes(p->text), count, version, true, ws->table,
                                             &lastMode, symbol::BestPath());
        segmentCount = segmentation::BackTrack(ws->table, count, version, lastMode, ws->segments);
        total = qr.GetTotalCodewordCount(version);
        blocks = qr.GetEcBlockCount(version, level);
        ec = qr.GetEcCodewordsPerBlock(version, level);
        dataCodewords = total - blocks * ec;
        const symbol::BlockSplit split = symbol::SplitIntoBlocks(dataCodewords, blocks);
        longLength = split.longLength;
        shortBlocks = split.shortBlocks;
        size = qr.GetSymbolSize(version);
        symbol::WriteDataCodewords(ws->data, dataCodewords, 0, Bytes(p->text), ws->segments,
                                   segmentCount, version);
        tables = qr.ErrorCorrectionTablesFor(longLength, ec);
        symbol::InterleaveWithErrorCorrection(ws->data, blocks, shortBlocks, longLength, *tables,
                                              ws->codewords, symbol::BestPath());
        std::memset(ws->codewords + total, 0, 16);
        symbol::BuildFunctionLines(version, ws->function, ws->fixed);
        ws->pieceCount = symbol::PlanPlacement(size, ws->function, ws->pieces);
        symbol::PlaceCodewords(ws->codewords, size, ws->pieces, ws->pieceCount, ws->dataColumns,
                               symbol::BestPath());
        symbol::Transpose(ws->dataColumns, size, ws->dataRows, symbol::BestPath());
        symbol::MaskedRows(*ws, version, level, 0, ws->rows);
    }
};

// Stage: the segmentation search with its table and the back-track, at the chosen version.
void BM_StageSearch(benchmark::State& state, const Payload* p) {
    Prepared s(p);
    const auto count = static_cast<std::int32_t>(p->text.size());
    for (auto _ : state) {
        std::int32_t mode = 0;
        const std::int32_t bits = segmentation::SearchWithTable(
            Bytes(p->text), count, s.version, true, s.ws->table, &mode, symbol::BestPath());
        benchmark::DoNotOptimize(bits);
        benchmark::DoNotOptimize(
            segmentation::BackTrack(s.ws->table, count, s.version, mode, s.ws->segments));
    }
}

// Stage: the data codewords (segments packed, terminator, padding).
void BM_StageCodewords(benchmark::State& state, const Payload* p) {
    Prepared s(p);
    for (auto _ : state) {
        symbol::WriteDataCodewords(s.ws->data, s.dataCodewords, 0, Bytes(p->text), s.ws->segments,
                                   s.segmentCount, s.version);
        benchmark::ClobberMemory();
    }
}

// Stage: blocks, Reed-Solomon and interleaving.
void BM_StageErrorCorrection(benchmark::State& state, const Payload* p) {
    Prepared s(p);
    const symbol::Path path = symbol::BestPath();
    for (auto _ : state) {
        symbol::InterleaveWithErrorCorrection(s.ws->data, s.blocks, s.shortBlocks, s.longLength,
                                              *s.tables, s.ws->codewords, path);
        benchmark::ClobberMemory();
    }
}

// Stage: placement, transposition, mask 0 with format information (the function modules
// and the placement's pieces are kept from the last symbol of the same version, as Encode
// keeps them).
void BM_StageMatrix(benchmark::State& state, const Payload* p) {
    Prepared s(p);
    const symbol::Path path = symbol::BestPath();
    for (auto _ : state) {
        symbol::PlaceCodewords(s.ws->codewords, s.size, s.ws->pieces, s.ws->pieceCount,
                               s.ws->dataColumns, path);
        symbol::Transpose(s.ws->dataColumns, s.size, s.ws->dataRows, path);
        symbol::MaskedRows(*s.ws, s.version, s.level, 0, s.ws->rows);
        benchmark::ClobberMemory();
    }
}

// Stage: scoring the eight masks (masked while laid out, all eight at once).
void BM_StagePenalty(benchmark::State& state, const Payload* p) {
    Prepared s(p);
    const symbol::Path path = symbol::BestPath();
    for (auto _ : state) {
        std::int32_t penalties[symbol::kLanes];
        benchmark::DoNotOptimize(symbol::ScoreMasks(*s.ws, s.version, s.level, penalties, path));
        benchmark::DoNotOptimize(penalties);
    }
}

// Stage: the picture from the finished rows.
void BM_StageRender(benchmark::State& state, const Payload* p) {
    Prepared s(p);
    for (auto _ : state) {
        auto pic = symbol::RowsToPicture(s.ws->rows, s.size, symbol::BestPath());
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
        bench::StartCounting();
        auto pic =
            qr.Encode(Bytes(p->text), static_cast<std::int32_t>(p->text.size()), 0, p->level, -1);
        const bench::HeapCount count = bench::StopCounting();
        benchmark::DoNotOptimize(pic);
        state.counters["peak_heap_bytes"] = static_cast<double>(count.peakBytes);
        state.counters["allocations"] = static_cast<double>(count.allocations);
    }
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
        benchmark::RegisterBenchmark(("qrdesk_Encode_fresh" + n).c_str(), BM_EncodeFresh, &p);
        benchmark::RegisterBenchmark(("qrdesk_Encode_scored" + n).c_str(), BM_EncodeScored, &p);
        benchmark::RegisterBenchmark(("qrencode_default" + n).c_str(), BM_QrencodeDefault, &p);
        benchmark::RegisterBenchmark(("qrencode_mask0" + n).c_str(), BM_QrencodeMask0, &p);
        benchmark::RegisterBenchmark(("zxing_default" + n).c_str(), BM_ZxingDefault, &p);
        benchmark::RegisterBenchmark(("qrcodegen_default" + n).c_str(), BM_Qrcodegen, &p, -1);
        benchmark::RegisterBenchmark(("qrcodegen_mask0" + n).c_str(), BM_Qrcodegen, &p, 0);
    }
    for (const Payload& p : payloads) {
        const std::string n = std::string("/") + p.name;
        benchmark::RegisterBenchmark(("stage_search" + n).c_str(), BM_StageSearch, &p);
        benchmark::RegisterBenchmark(("stage_codewords" + n).c_str(), BM_StageCodewords, &p);
        benchmark::RegisterBenchmark(("stage_error_correction" + n).c_str(),
                                     BM_StageErrorCorrection, &p);
        benchmark::RegisterBenchmark(("stage_matrix" + n).c_str(), BM_StageMatrix, &p);
        benchmark::RegisterBenchmark(("stage_penalty" + n).c_str(), BM_StagePenalty, &p);
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
