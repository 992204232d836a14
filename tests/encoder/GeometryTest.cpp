// Symbol sizes, module and codeword counts, and the capacity tables, against the numbers
// of ISO/IEC 18004.

#include <gtest/gtest.h>

#include <vector>

#include "encoder/clsQRCode.h"
#include "support/KnownAnswers.h"

// Every version against Table 1: the side, the data modules and codewords with the remainder
// bits, and the function patterns drawn covering the function and format/version modules.
TEST(Geometry, EveryVersionAsTableOneStatesIt) {
    const clsQRCode qr;
    for (const qrtest::VersionGeometry& row : qrtest::kTable1) {
        const int v = row.version;
        EXPECT_EQ(qr.GetSymbolSize(v), row.side) << "version " << v;
        EXPECT_EQ(qr.GetDataModuleCount(v), row.dataModules) << "version " << v;
        EXPECT_EQ(qr.GetTotalCodewordCount(v), row.codewords) << "version " << v;
        EXPECT_EQ(qr.GetDataModuleCount(v) - 8 * qr.GetTotalCodewordCount(v), row.remainderBits)
            << "version " << v;
        const int n = row.side, stride = n + 3;
        std::vector<std::uint8_t> m(static_cast<std::size_t>(stride) * stride, 0);
        qr.DrawFunctionPatterns(m.data(), stride, v);
        int drawn = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) drawn += m[static_cast<std::size_t>(y) * stride + x] != 0;
        EXPECT_EQ(drawn, row.functionModules + row.formatAndVersionModules) << "version " << v;
    }
    for (int v : {0, 41, -5, 1000}) {
        EXPECT_EQ(qr.GetSymbolSize(v), 0) << v;
        EXPECT_EQ(qr.GetDataModuleCount(v), 0) << v;
        EXPECT_EQ(qr.GetTotalCodewordCount(v), 0) << v;
    }
}

TEST(Geometry, MicroSizes) {
    const clsQRCode qr;
    const struct {
        int version, size, modules, codewords;
    } micro[] = {{-1, 11, 36, 5}, {-2, 13, 80, 10}, {-3, 15, 132, 17}, {-4, 17, 192, 24}};
    for (const auto& m : micro) {
        EXPECT_EQ(qr.GetSymbolSize(m.version), m.size) << "M" << -m.version;
        EXPECT_EQ(qr.GetDataModuleCount(m.version), m.modules) << "M" << -m.version;
        EXPECT_EQ(qr.GetTotalCodewordCount(m.version), m.codewords) << "M" << -m.version;
        EXPECT_EQ(qr.GetAlignmentPatternCount(m.version), 0);
    }
}

TEST(Geometry, AlignmentCounts) {
    const clsQRCode qr;
    for (int v : {-3, 0, 1}) EXPECT_EQ(qr.GetAlignmentCoordinateCount(v), 1) << v;
    for (int v = 2; v <= 6; ++v) EXPECT_EQ(qr.GetAlignmentCoordinateCount(v), 2) << v;
    for (int v = 7; v <= 13; ++v) EXPECT_EQ(qr.GetAlignmentCoordinateCount(v), 3) << v;
    for (int v = 35; v <= 40; ++v) EXPECT_EQ(qr.GetAlignmentCoordinateCount(v), 7) << v;
    const std::pair<int, int> patterns[] = {{1, 0},   {2, 1},   {7, 6},  {14, 13},
                                            {21, 22}, {28, 33}, {35, 46}};
    for (const auto& [v, count] : patterns) EXPECT_EQ(qr.GetAlignmentPatternCount(v), count) << v;
}

TEST(Geometry, ErrorCorrectionBlockRows) {
    const clsQRCode qr;
    // (version, then blocks and EC codewords per block for L, M, Q, H)
    const int rows[][9] = {
        {1, 1, 7, 1, 10, 1, 13, 1, 17},      {2, 1, 10, 1, 16, 1, 22, 1, 28},
        {5, 1, 26, 2, 24, 4, 18, 4, 22},     {10, 4, 18, 5, 26, 8, 24, 8, 28},
        {22, 9, 28, 17, 28, 23, 30, 34, 24}, {40, 25, 30, 49, 28, 68, 30, 81, 30}};
    for (const auto& row : rows)
        for (int level = 1; level <= 4; ++level) {
            EXPECT_EQ(qr.GetEcBlockCount(row[0], level), row[2 * level - 1])
                << "v" << row[0] << " level " << level;
            EXPECT_EQ(qr.GetEcCodewordsPerBlock(row[0], level), row[2 * level])
                << "v" << row[0] << " level " << level;
        }
    EXPECT_EQ(qr.GetEcBlockCount(1, 0), 0);
    EXPECT_EQ(qr.GetEcBlockCount(41, 1), 0);
    EXPECT_EQ(qr.GetEcCodewordsPerBlock(1, 5), 0);
}

TEST(Geometry, DataCodewordsMatchTheStandardForAllVersionsAndLevels) {
    const clsQRCode qr;
    for (int v = 1; v <= 40; ++v)
        for (int level = 1; level <= 4; ++level) {
            EXPECT_EQ(qr.GetDataCodewordCount(v, level), qrtest::kDataCodewords[v - 1][level - 1])
                << "version " << v << " level "
                << "LMQH"[level - 1];
            // A block never carries more than the standard's longest data block.
            const int blocks = qr.GetEcBlockCount(v, level);
            ASSERT_GT(blocks, 0);
            EXPECT_LE((qr.GetDataCodewordCount(v, level) + blocks - 1) / blocks, 123);
        }
    EXPECT_EQ(qr.GetDataCodewordCount(0, 1), 0);
    EXPECT_EQ(qr.GetDataCodewordCount(1, 0), 0);
}
