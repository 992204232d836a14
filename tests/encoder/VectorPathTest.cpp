// The encoder's two paths, portable (every machine) and vector (AVX-512, GFNI, BMI2 where the
// processor has them), stage by stage against independent statements of each stage, and
// end to end against each other. The portable path runs everywhere; the vector one only
// where BestPath() offers it (elsewhere those cases are skipped, and say so).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Segmentation.h"
#include "Symbol.h"
#include "encoder/clsQRCode.h"
#include "support/Bytes.h"
#include "support/Codewords.h"
#include "support/Content.h"
#include "support/KnownAnswers.h"
#include "support/ReferenceSegmentation.h"
#include "support/SymbolReader.h"

namespace {

using symbol::Path;

std::vector<Path> Paths() {
    std::vector<Path> paths{Path::Portable};
    if (symbol::BestPath() == Path::Vector) paths.push_back(Path::Vector);
    return paths;
}

const char* Name(Path p) {
    return p == Path::Portable ? "portable" : "vector";
}

// The processor's own account of its instructions, as the kernel reports them: the vector
// path is chosen exactly when every instruction set it uses is there (a path that is never
// taken where it could be, or taken where it cannot run, fails here).
TEST(VectorPath, ChosenExactlyWhenTheProcessorHasItsInstructions) {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && !line.starts_with("flags")) {
    }
    if (line.empty()) GTEST_SKIP() << "no /proc/cpuinfo flags to compare with";
    std::istringstream words(line);
    const std::set<std::string> flags{std::istream_iterator<std::string>(words), {}};
    bool all = true;
    for (const char* needed : {"avx512f", "avx512bw", "avx512vl", "avx512_vpopcntdq", "avx512vbmi",
                               "gfni", "bmi2", "popcnt"})
        all = all && flags.count(needed) == 1;
    EXPECT_EQ(symbol::BestPath() == Path::Vector, all);
}

// Blocks and error correction as the standard describes them: data codewords split into
// blocks, each block's parity by long division, then data and parity interleaved round by
// round.
std::vector<std::uint8_t> ReferenceCodewords(const clsQRCode& qr, int version, int level,
                                             const std::vector<std::uint8_t>& data) {
    const int blocks = qr.GetEcBlockCount(version, level);
    const int ec = qr.GetEcCodewordsPerBlock(version, level);
    const int total = qr.GetTotalCodewordCount(version);
    const int dataCount = total - blocks * ec;
    const int shortLength = dataCount / blocks, longBlocks = dataCount % blocks;
    std::vector<std::vector<std::uint8_t>> dataBlocks;
    std::vector<std::vector<int>> ecBlocks;
    for (int b = 0, next = 0; b < blocks; ++b) {
        const int length = shortLength + (b >= blocks - longBlocks ? 1 : 0);
        dataBlocks.emplace_back(data.begin() + next, data.begin() + next + length);
        next += length;
        ecBlocks.push_back(qrtest::ReferenceParity(dataBlocks.back(), ec));
    }
    std::vector<std::uint8_t> out;
    for (int j = 0; j <= shortLength; ++j)
        for (const auto& block : dataBlocks)
            if (j < static_cast<int>(block.size())) out.push_back(block[j]);
    for (int k = 0; k < ec; ++k)
        for (const auto& block : ecBlocks) out.push_back(static_cast<std::uint8_t>(block[k]));
    return out;
}

// The tables the fast paths divide with come from the encoder's own Reed-Solomon encoder: the
// standard's generator with 7 codewords, and row a holding a times each of its coefficients,
// against a multiplication done bit by bit; made once per length and kept.
TEST(VectorPath, ErrorCorrectionTablesOfTheStandardsGenerator) {
    clsQRCode qr;
    const symbol::ErrorCorrectionTables* tables = qr.ErrorCorrectionTablesFor(19, 7);
    ASSERT_NE(tables, nullptr);
    ASSERT_EQ(tables->ecLength, 7);
    for (int j = 0; j < 7; ++j) EXPECT_EQ(tables->generator[j], qrtest::kGenerator7[j]) << j;
    for (int a = 0; a < 256; ++a)
        for (int j = 0; j < 7; ++j) {
            const int at = 32 - 7 + j;
            ASSERT_EQ((tables->rows[a][at / 8] >> (8 * (at % 8))) & 0xFF,
                      static_cast<std::uint64_t>(
                          qrtest::ReferenceGf256Multiply(a, qrtest::kGenerator7[j])))
                << "row " << a << ", coefficient " << j;
        }
    EXPECT_EQ(qr.ErrorCorrectionTablesFor(5, 7), tables);
    EXPECT_EQ(qr.ErrorCorrectionTablesFor(19, 0), nullptr);
    EXPECT_EQ(qr.ErrorCorrectionTablesFor(19, 31), nullptr);
}

TEST(VectorPath, ErrorCorrectionEveryVersionAndLevel) {
    clsQRCode qr;
    std::mt19937 rng(3);
    for (int version = 1; version <= 40; ++version) {
        for (int level = 1; level <= 4; ++level) {
            const int blocks = qr.GetEcBlockCount(version, level);
            const int ec = qr.GetEcCodewordsPerBlock(version, level);
            const int total = qr.GetTotalCodewordCount(version);
            const int dataCount = total - blocks * ec;
            std::vector<std::uint8_t> data(static_cast<std::size_t>(dataCount) + 64);
            for (auto& b : data) b = static_cast<std::uint8_t>(rng());
            const auto expected =
                ReferenceCodewords(qr, version, level, {data.begin(), data.begin() + dataCount});
            const int longLength = (dataCount + blocks - 1) / blocks;
            const int shortBlocks = dataCount % blocks == 0 ? 0 : blocks - dataCount % blocks;
            const auto* tables = qr.ErrorCorrectionTablesFor(longLength, ec);
            ASSERT_NE(tables, nullptr);
            for (Path path : Paths()) {
                std::vector<std::uint8_t> out(static_cast<std::size_t>(total) + 64, 0xA5);
                symbol::InterleaveWithErrorCorrection(data.data(), blocks, shortBlocks, longLength,
                                                      *tables, out.data(), path);
                ASSERT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + total), expected)
                    << Name(path) << " version " << version << " level " << level;
                for (std::size_t k = total; k < out.size(); ++k)
                    ASSERT_EQ(out[k], 0xA5) << Name(path) << ": written past the codewords";
            }
        }
    }
}

TEST(VectorPath, PlacementEveryVersionInTheStandardsOrder) {
    const clsQRCode qr;
    std::mt19937 rng(5);
    for (int version = 1; version <= 40; ++version) {
        const int size = qr.GetSymbolSize(version), total = qr.GetTotalCodewordCount(version);
        const auto order = qrtest::PlacementOrder(qr, version);  // from DrawFunctionPatterns
        std::vector<std::uint8_t> codewords(static_cast<std::size_t>(total) + 64, 0);
        for (int k = 0; k < total; ++k) codewords[k] = static_cast<std::uint8_t>(rng());
        auto ws = std::make_unique<clsQRCode::Workspace>();
        symbol::BuildFunctionLines(version, ws->function, ws->fixed);
        ws->pieceCount = symbol::PlanPlacement(size, ws->function, ws->pieces);
        for (Path path : Paths()) {
            symbol::PlaceCodewords(codewords.data(), size, ws->pieces, ws->pieceCount,
                                   ws->dataColumns, path);
            std::vector<int> expected(static_cast<std::size_t>(size) * size, 0);
            for (std::size_t i = 0; i < order.size(); ++i) {
                const int bit = i < 8u * total ? (codewords[i / 8] >> (7 - i % 8)) & 1 : 0;
                expected[static_cast<std::size_t>(order[i].second) * size + order[i].first] = bit;
            }
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const int got = (ws->dataColumns[y / 64][symbol::kPad + x] >> (y % 64)) & 1;
                    ASSERT_EQ(got, expected[static_cast<std::size_t>(y) * size + x])
                        << Name(path) << " version " << version << " at " << x << ", " << y;
                }
        }
    }
}

TEST(VectorPath, TransposeEverySize) {
    std::mt19937_64 rng(11);
    auto ws = std::make_unique<clsQRCode::Workspace>();
    for (Path path : Paths()) {
        for (int size : {1, 21, 63, 64, 65, 127, 128, 129, 177}) {
            std::memset(ws->dataColumns, 0, sizeof(ws->dataColumns));
            for (int x = 0; x < size; ++x)
                for (int y = 0; y < size; ++y)
                    if (rng() & 1) ws->dataColumns[y / 64][symbol::kPad + x] |= 1ull << (y % 64);
            symbol::Transpose(ws->dataColumns, size, ws->dataRows, path);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    ASSERT_EQ((ws->dataRows[x / 64][symbol::kPad + y] >> (x % 64)) & 1,
                              (ws->dataColumns[y / 64][symbol::kPad + x] >> (y % 64)) & 1)
                        << Name(path) << " " << size << ": " << x << ", " << y;
        }
    }
}

TEST(VectorPath, ByteKindsOfEveryByte) {
    // Every byte value at every position of a word, and words cut short by the data's end.
    std::mt19937 rng(13);
    std::vector<std::uint8_t> data(64 * 12);
    for (std::size_t k = 0; k < data.size(); ++k)
        data[k] = static_cast<std::uint8_t>(k * 131 + k / 256);
    std::shuffle(data.begin(), data.end(), rng);
    for (Path path : Paths()) {
        for (int count : {1, 7, 8, 9, 63, 64, 65, 200, 64 * 12}) {
            for (int from = 0; from < count; from += 64) {
                std::uint64_t alphanumeric = ~0ull, lead = ~0ull;
                segmentation::ByteKinds(data.data(), count, from, &alphanumeric, &lead, path);
                for (int j = 0; j < 64; ++j) {
                    const bool inside = from + j < count;
                    const std::uint8_t b = inside ? data[from + j] : 0;
                    ASSERT_EQ((alphanumeric >> j) & 1, inside && clsQRCode::GetCharClass(b) != 0)
                        << Name(path) << " byte " << int(b);
                    ASSERT_EQ((lead >> j) & 1,
                              inside && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)))
                        << Name(path) << " byte " << int(b);
                }
            }
        }
    }
}

TEST(VectorPath, SegmentationAgainstTheReference) {
    // Text with short runs of capitals, digits, spaces and colons between small letters, and
    // Shift JIS lead bytes among them: where the byte segment goes on in closed form.
    std::mt19937 rng(19);
    static const char* kPieces[] = {"the", "quick",    " ",    ":",        "//",     "A",
                                    "QX",  "7",        "42",   "2024",     "HELLO",  "-",
                                    "a",   "\x82\xA0", "\x93", "ABCDEFGH", "1234567"};
    auto ws = std::make_unique<clsQRCode::Workspace>();
    for (int trial = 0; trial < 3000; ++trial) {
        std::string text;
        const int pieces = trial % 20 == 0 ? 400 : 1 + static_cast<int>(rng() % 30);
        for (int k = 0; k < pieces; ++k) text += kPieces[rng() % std::size(kPieces)];
        const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
        const auto count = static_cast<std::int32_t>(text.size());
        const int version = std::array{1, 10, 27}[trial % 3];
        const bool kanji = trial % 2 == 0;
        const auto expected =
            static_cast<std::int32_t>(reference::BitStream(data, count, version, kanji).size()) - 4;
        for (Path path : Paths()) {
            ASSERT_EQ(segmentation::MeasureBits(data, count, version, kanji, path), expected)
                << Name(path) << " trial " << trial;
            std::int32_t last = 0;
            ASSERT_EQ(
                segmentation::SearchWithTable(data, count, version, kanji, ws->table, &last, path),
                expected)
                << Name(path) << " trial " << trial;
        }
    }
}

TEST(VectorPath, WholeSymbolsAlike) {
    if (symbol::BestPath() != Path::Vector) GTEST_SKIP() << "no vector path on this processor";
    clsQRCode qr;
    auto portable = std::make_unique<clsQRCode::Workspace>();
    auto vector = std::make_unique<clsQRCode::Workspace>();
    std::mt19937 rng(17);
    using qrtest::Content;
    for (int trial = 0; trial < 400; ++trial) {
        const auto data = qrtest::MakeContent(static_cast<Content>(rng() % 4),
                                              trial % 8 == 0 ? rng() % 3000 : rng() % 200, rng());
        clsQRCode::EncodeOptions options;
        options.level = 1 + static_cast<int>(rng() % 4);
        options.mask = static_cast<int>(rng() % 10) - 1;
        options.scoredMask = rng() % 2 == 0;
        clsQRCode::EncodeReport a, b;
        const auto count = static_cast<std::int32_t>(data.size());
        const auto p = qr.EncodeWith(*portable, data.data(), count, options, &a, Path::Portable);
        const auto v = qr.EncodeWith(*vector, data.data(), count, options, &b, Path::Vector);
        ASSERT_EQ(p == nullptr, v == nullptr) << trial;
        if (!p) continue;
        ASSERT_EQ(qrtest::ReadSymbol(*p).modules, qrtest::ReadSymbol(*v).modules) << trial;
        ASSERT_EQ(a.mask, b.mask) << trial;
        ASSERT_EQ(a.penalty, b.penalty) << trial;
    }
}

}  // namespace
