// Symbol sizes, module and codeword counts, and the capacity tables, against the numbers
// of ISO/IEC 18004.

#include <gtest/gtest.h>

#include "encoder/clsQRCode.h"
#include "support/KnownAnswers.h"

TEST(Geometry, SymbolSizes) {
    const clsQRCode qr;
    EXPECT_EQ(qr.GetSymbolSize(1), 21);
    EXPECT_EQ(qr.GetSymbolSize(40), 177);
    for (int v = 1; v <= 40; ++v) EXPECT_EQ(qr.GetSymbolSize(v), 17 + 4 * v);
    for (int v : {0, 41, -5, 1000}) EXPECT_EQ(qr.GetSymbolSize(v), 0) << v;
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

TEST(Geometry, DataModuleCountsKnownValues) {
    const clsQRCode qr;
    const std::pair<int, int> known[] = {{1, 208},   {2, 359},   {7, 1568},
                                         {14, 4651}, {21, 9252}, {40, 29648}};
    for (const auto& [v, modules] : known) EXPECT_EQ(qr.GetDataModuleCount(v), modules) << v;
    for (int v : {0, 41, -5}) EXPECT_EQ(qr.GetDataModuleCount(v), 0) << v;
}

TEST(Geometry, DataModulesAreTheSymbolLessItsFunctionModules) {
    const clsQRCode qr;
    for (int v = 1; v <= 40; ++v) {
        const int n = 17 + 4 * v;
        const int a = v == 1 ? 0 : v / 7 + 2;                // coordinates incl. 6
        const int patterns = a == 0 ? 0 : a * a - 3;         // minus the finder corners
        const int onTiming = a >= 3 ? 2 * (a - 2) : 0;       // patterns on row/column 6
        const int function = 3 * 64                          // finders with separators
                             + 2 * (n - 16)                  // timing between them
                             + 31                            // format areas, dark module
                             + 25 * patterns - 5 * onTiming  // alignment
                             + (v >= 7 ? 36 : 0);            // version areas
        EXPECT_EQ(qr.GetDataModuleCount(v), n * n - function) << "version " << v;
    }
}

TEST(Geometry, TotalCodewords) {
    const clsQRCode qr;
    const int firstFive[] = {26, 44, 70, 100, 134};
    for (int v = 1; v <= 5; ++v) EXPECT_EQ(qr.GetTotalCodewordCount(v), firstFive[v - 1]);
    EXPECT_EQ(qr.GetTotalCodewordCount(40), 3706);
    EXPECT_EQ(qr.GetTotalCodewordCount(0), 0);
    EXPECT_EQ(qr.GetTotalCodewordCount(41), 0);
}

TEST(Geometry, RemainderBitsPerVersionGroup) {
    const clsQRCode qr;
    const struct {
        int first, last, remainder;
    } groups[] = {{1, 1, 0},   {2, 6, 7},   {7, 13, 0}, {14, 20, 3},
                  {21, 27, 4}, {28, 34, 3}, {35, 40, 0}};
    for (const auto& g : groups)
        for (int v = g.first; v <= g.last; ++v)
            EXPECT_EQ(qr.GetDataModuleCount(v) - 8 * qr.GetTotalCodewordCount(v), g.remainder)
                << "version " << v;
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
