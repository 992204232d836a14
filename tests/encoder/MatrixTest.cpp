// The module matrix: function patterns, codeword placement, masks, and the format and
// version information.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/KnownAnswers.h"
#include "support/SymbolReader.h"

namespace {

// A symbol matrix as the encoder allocates it: (N+3) x (N+3), all free.
struct Matrix {
    int size, stride;
    std::vector<std::uint8_t> cells;
    explicit Matrix(int n, std::uint8_t fill = 0)
        : size(n), stride(n + 3), cells(static_cast<std::size_t>(n + 3) * (n + 3), fill) {}
    std::uint8_t& operator()(int x, int y) {
        return cells[static_cast<std::size_t>(y) * stride + x];
    }
    int At(int x, int y) const { return cells[static_cast<std::size_t>(y) * stride + x]; }
};

Matrix FunctionPatterns(const clsQRCode& qr, int version) {
    Matrix m(qr.GetSymbolSize(version));
    qr.DrawFunctionPatterns(m.cells.data(), m.stride, version);
    return m;
}

bool IsAlignmentPatternAt(Matrix& m, int cx, int cy) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const bool dark = std::max(std::abs(dx), std::abs(dy)) != 1;
            if (m(cx + dx, cy + dy) != (dark ? 1 : 2)) return false;
        }
    return true;
}

// Remainder of a polynomial over GF(2) (bit k = coefficient of x^k).
int PolyMod(int value, int generator) {
    const int degree = 31 - __builtin_clz(static_cast<unsigned>(generator));
    for (int bit = 30; bit >= degree; --bit)
        if (value & (1 << bit)) value ^= generator << (bit - degree);
    return value;
}

}  // namespace

TEST(FunctionPatterns, FinderPatternsSeparatorsAndTiming) {
    const clsQRCode qr;
    for (int version : {1, 2, 7, 40}) {
        SCOPED_TRACE(version);
        Matrix m = FunctionPatterns(qr, version);
        const int n = m.size;
        for (int y = 0; y <= 7; ++y)
            for (int x = 0; x <= 7; ++x) {
                const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
                const int expected = (x == 7 || y == 7 || ring == 2) ? 2 : 1;
                EXPECT_EQ(m(x, y), expected) << x << "," << y;
                EXPECT_EQ(m(n - 1 - x, y), expected) << x << "," << y;
                EXPECT_EQ(m(x, n - 1 - y), expected) << x << "," << y;
            }
        for (int i = 8; i <= n - 9; ++i) {
            EXPECT_EQ(m(i, 6), i % 2 == 0 ? 1 : 2) << "row 6, x " << i;
            EXPECT_EQ(m(6, i), i % 2 == 0 ? 1 : 2) << "column 6, y " << i;
        }
        EXPECT_EQ(m(8, n - 8), 1);  // the dark module
        EXPECT_EQ(m(n - 8, 8), 2);  // format bit, reserved
        EXPECT_EQ(m(8, 6), 1);
        EXPECT_EQ(m(6, 8), 1);
        for (int i : {0, 1, 2, 3, 4, 5, 7, 8}) {
            EXPECT_EQ(m(i, 8), 2);
            EXPECT_EQ(m(8, i), 2);
        }
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(m(n - 1 - i, 8), 2);
            if (i != 7) {
                EXPECT_EQ(m(8, n - 1 - i), 2);
            }
        }
        // The three extra rows and columns are never written.
        for (int a = 0; a < n + 3; ++a)
            for (int b = n; b < n + 3; ++b) {
                EXPECT_EQ(m(a, b), 0);
                EXPECT_EQ(m(b, a), 0);
            }
    }
}

TEST(FunctionPatterns, VersionAreasFromVersionSeven) {
    const clsQRCode qr;
    for (int version : {6, 7, 40}) {
        Matrix m = FunctionPatterns(qr, version);
        const int n = m.size;
        for (int a = 0; a <= 5; ++a)
            for (int b = n - 11; b <= n - 9; ++b) {
                EXPECT_EQ(m(a, b) == 2, version >= 7) << version << ": " << a << "," << b;
                EXPECT_EQ(m(b, a) == 2, version >= 7) << version << ": " << b << "," << a;
            }
    }
}

TEST(FunctionPatterns, AlignmentCentresForEveryVersion) {
    const clsQRCode qr;
    for (int version = 1; version <= 40; ++version) {
        SCOPED_TRACE(version);
        Matrix m = FunctionPatterns(qr, version);
        const auto coords = qrtest::AlignmentCentres(version);
        if (version >= 2) {
            EXPECT_EQ(static_cast<int>(coords.size()), qr.GetAlignmentCoordinateCount(version));
        }
        const int last = coords.empty() ? 0 : coords.back();
        int drawn = 0;
        for (int cy : coords)
            for (int cx : coords) {
                // No pattern where one would overlap a finder.
                if ((cx == 6 && cy == 6) || (cx == 6 && cy == last) || (cx == last && cy == 6))
                    continue;
                EXPECT_TRUE(IsAlignmentPatternAt(m, cx, cy)) << cx << "," << cy;
                ++drawn;
            }
        // Every pair of coordinates but the three on the finders.
        const int a = static_cast<int>(coords.size());
        EXPECT_EQ(drawn, a == 0 ? 0 : a * a - 3);
        EXPECT_EQ(drawn, qr.GetAlignmentPatternCount(version));
    }
    // The examples spelled out: version 2 has one, version 7 six.
    Matrix v2 = FunctionPatterns(qr, 2);
    EXPECT_TRUE(IsAlignmentPatternAt(v2, 18, 18));
    Matrix v7 = FunctionPatterns(qr, 7);
    for (auto [x, y] : {std::pair{22, 22}, {38, 22}, {22, 38}, {38, 38}, {22, 6}, {6, 22}})
        EXPECT_TRUE(IsAlignmentPatternAt(v7, x, y)) << x << "," << y;
}

TEST(FunctionPatterns, FreeCellsNumberTheDataModules) {
    const clsQRCode qr;
    for (int version = 1; version <= 40; ++version) {
        Matrix m = FunctionPatterns(qr, version);
        int free = 0;
        for (int y = 0; y < m.size; ++y)
            for (int x = 0; x < m.size; ++x) free += m(x, y) == 0;
        EXPECT_EQ(free, qr.GetDataModuleCount(version)) << "version " << version;
    }
    const Matrix v1 = FunctionPatterns(qr, 1);
    EXPECT_EQ(std::count(v1.cells.begin(), v1.cells.end(), 0),
              208 + 3 * 24 + 3 * 21);  // plus the extra rows and columns
}

TEST(FunctionPatterns, InvalidVersionLeavesTheMatrixUntouched) {
    const clsQRCode qr;
    for (int version : {0, 41, -1, -4, -100}) {
        Matrix m(21, 0x5A);
        qr.DrawFunctionPatterns(m.cells.data(), m.stride, version);
        EXPECT_TRUE(std::all_of(m.cells.begin(), m.cells.end(), [](auto c) { return c == 0x5A; }))
            << version;
    }
}

TEST(Placement, FirstBitsOfVersionOne) {
    const clsQRCode qr;
    Matrix m = FunctionPatterns(qr, 1);
    // Bit i alone set shows where bit i goes.
    const std::pair<int, std::pair<int, int>> expected[] = {
        {0, {20, 20}}, {1, {19, 20}}, {2, {20, 19}}, {23, {19, 9}}, {24, {18, 9}}, {25, {17, 9}}};
    for (const auto& [bit, cell] : expected) {
        std::vector<std::uint8_t> bits(208, 0), data(21 * 21, 0);
        bits[static_cast<std::size_t>(bit)] = 1;
        EXPECT_EQ(qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), 21, bits.data(), 208),
                  208);
        const auto at = std::find(data.begin(), data.end(), 1) - data.begin();
        EXPECT_EQ(std::pair(static_cast<int>(at % 21), static_cast<int>(at / 21)), cell)
            << "bit " << bit;
    }
}

TEST(Placement, VersionTwoLeavesTheLastSevenFreeCellsForRemainderBits) {
    const clsQRCode qr;
    Matrix m = FunctionPatterns(qr, 2);
    std::vector<std::uint8_t> bits(44 * 8, 1), data(25 * 25, 0);
    EXPECT_EQ(qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), 25, bits.data(), 352), 352);
    const std::vector<std::pair<int, int>> remainder = {{0, 13}, {1, 14}, {0, 14}, {1, 15},
                                                        {0, 15}, {1, 16}, {0, 16}};
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            const bool isRemainder =
                std::find(remainder.begin(), remainder.end(), std::pair{x, y}) != remainder.end();
            const int expected = m(x, y) == 0 && !isRemainder ? 1 : 0;
            EXPECT_EQ(data[static_cast<std::size_t>(y) * 25 + x], expected) << x << "," << y;
        }
}

TEST(Placement, EveryFreeCellTakesABitInTheStandardOrder) {
    const clsQRCode qr;
    for (int version = 1; version <= 40; ++version) {
        SCOPED_TRACE(version);
        Matrix m = FunctionPatterns(qr, version);
        const int n = m.size, modules = qr.GetDataModuleCount(version);
        // More bits than cells: only the free cells are filled, each once.
        std::vector<std::uint8_t> ones(static_cast<std::size_t>(modules) + 50, 1);
        std::vector<std::uint8_t> data(static_cast<std::size_t>(n) * n, 0);
        EXPECT_EQ(qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), n, ones.data(),
                                    static_cast<int>(ones.size())),
                  modules);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                ASSERT_EQ(data[static_cast<std::size_t>(y) * n + x], m(x, y) == 0 ? 1 : 0)
                    << x << "," << y;
        // A pseudo-random bit pattern lands where the standard's walk puts it, whether it
        // fills every free cell, the codewords only, a third of them or one bit.
        const auto order = qrtest::PlacementOrder(qr, version);
        ASSERT_EQ(static_cast<int>(order.size()), modules);
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(modules));
        for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = (i * 7 + i / 5) % 3 == 0;
        const int codewordBits = 8 * qr.GetTotalCodewordCount(version);
        for (int bitCount : {modules, codewordBits, codewordBits / 3, 1}) {
            std::vector<std::uint8_t> expected(static_cast<std::size_t>(n) * n, 0);
            for (int i = 0; i < bitCount; ++i)
                expected[static_cast<std::size_t>(order[i].second) * n + order[i].first] = bits[i];
            std::fill(data.begin(), data.end(), 0);
            EXPECT_EQ(
                qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), n, bits.data(), bitCount),
                bitCount);
            ASSERT_EQ(data, expected) << bitCount << " bits";
        }
    }
}

// The free cells are whatever the caller's symbol matrix leaves 0: a cell marked there is
// passed over, and the bits move on to the next free cell of the walk. Sizes that are no
// symbol's, and missing buffers, place nothing.
TEST(Placement, FollowsTheCallersMatrixAndRefusesOtherSizes) {
    const clsQRCode qr;
    Matrix m = FunctionPatterns(qr, 1);
    m(20, 20) = 2;  // the walk's first cell
    std::vector<std::uint8_t> bits(207, 0), data(21 * 21, 0);
    bits[0] = 1;
    EXPECT_EQ(qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), 21, bits.data(), 207), 207);
    EXPECT_EQ(data[20 * 21 + 20], 0);
    EXPECT_EQ(data[20 * 21 + 19], 1);  // the walk's second cell takes bit 0
    for (int size : {0, 20, 22, 23, 181})
        EXPECT_EQ(qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), size, bits.data(), 8), 0)
            << size;
    EXPECT_EQ(qr.PlaceCodewords(nullptr, m.stride, data.data(), 21, bits.data(), 8), 0);
    EXPECT_EQ(qr.PlaceCodewords(m.cells.data(), m.stride, data.data(), 21, bits.data(), 0), 0);
}

TEST(Mask, PatternExamples) {
    const clsQRCode qr;
    static constexpr int n = 21;
    auto masked = [&](int mask) {
        std::vector<std::uint8_t> data(n * n, 0);
        EXPECT_EQ(qr.ApplyMask(data.data(), n, mask), mask);
        return [data](int x, int y) { return data[static_cast<std::size_t>(y) * n + x]; };
    };
    const auto p1 = masked(1);
    const auto p2 = masked(2);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            EXPECT_EQ(p1(x, y), y % 2 == 0 ? 1 : 0);
            EXPECT_EQ(p2(x, y), x % 3 == 0 ? 1 : 0);
        }
    const auto p4 = masked(4);
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {2, 0}, {0, 1}}) EXPECT_EQ(p4(x, y), 1);
    for (auto [x, y] : {std::pair{3, 0}, {0, 2}}) EXPECT_EQ(p4(x, y), 0);
    const auto p5 = masked(5);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(p5(i, 0), 1);
        EXPECT_EQ(p5(0, i), 1);
    }
    EXPECT_EQ(p5(6, 6), 1);
    EXPECT_EQ(p5(3, 2), 1);
    EXPECT_EQ(p5(1, 1), 0);
    EXPECT_EQ(p5(2, 2), 0);
}

// Every pattern, cell by cell, against its tile: on matrices of many sizes (the pattern rows
// are made in strips), with arbitrary contents, and with out-of-range patterns meaning 0.
TEST(Mask, PatternsAreTheirTilesRepeated) {
    const clsQRCode qr;
    for (int size : {1, 2, 5, 6, 7, 11, 12, 13, 21, 57, 177, 181, 361}) {
        for (int mask = -1; mask <= 8; ++mask) {
            std::vector<std::uint8_t> matrix(static_cast<std::size_t>(size) * size);
            for (std::size_t i = 0; i < matrix.size(); ++i) matrix[i] = (i * 7919 >> 3) & 1;
            const auto before = matrix;
            const int used = mask < 0 || mask > 7 ? 0 : mask;
            ASSERT_EQ(qr.ApplyMask(matrix.data(), size, mask), used);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    ASSERT_EQ(matrix[y * size + x],
                              before[y * size + x] ^ qrtest::MaskInverts(used, y, x))
                        << size << " " << mask << " " << x << " " << y;
        }
    }
}

TEST(Mask, OutOfRangeMeansPatternZeroAndTwiceIsIdentity) {
    const clsQRCode qr;
    constexpr int n = 25;
    std::vector<std::uint8_t> original(n * n);
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = (i * 31 % 7) < 3;
    std::vector<std::uint8_t> zero = original;
    qr.ApplyMask(zero.data(), n, 0);
    for (int mask : {-1, 8, 100, -2147483647}) {
        auto data = original;
        EXPECT_EQ(qr.ApplyMask(data.data(), n, mask), 0) << mask;
        EXPECT_EQ(data, zero) << mask;
    }
    for (int mask = 0; mask < 8; ++mask) {
        auto data = original;
        qr.ApplyMask(data.data(), n, mask);
        EXPECT_NE(data, original) << mask;
        qr.ApplyMask(data.data(), n, mask);
        EXPECT_EQ(data, original) << mask;
    }
    for (int size : {0, -5}) {
        auto data = original;
        EXPECT_EQ(qr.ApplyMask(data.data(), size, 3), 3);
        EXPECT_EQ(qr.ApplyMask(data.data(), size, 9), 0);
        EXPECT_EQ(data, original);
    }
}

TEST(FormatInformation, KnownWordsInBothCopies) {
    const clsQRCode qr;
    for (int version : {1, 7, 40})
        for (int level = 1; level <= 4; ++level)
            for (int mask = 0; mask < 8; ++mask) {
                const std::string word = qrtest::kFormatWords[level - 1][mask];
                SCOPED_TRACE("v" + std::to_string(version) + " " + word);
                Matrix m = FunctionPatterns(qr, version);
                qr.WriteFormatInformation(m.cells.data(), m.stride, m.size, level, mask);
                EXPECT_EQ(qrtest::ReadFormatWord(m, m.size, 0), word);
                EXPECT_EQ(qrtest::ReadFormatWord(m, m.size, 1), word);
                EXPECT_EQ(m(8, m.size - 8), 1);  // the dark module stays
                EXPECT_EQ(m(6, 8), 1);           // timing untouched
                EXPECT_EQ(m(8, 6), 1);
            }
}

TEST(FormatInformation, EveryWordIsAValidBchCodeword) {
    const clsQRCode qr;
    for (int level = 1; level <= 4; ++level)
        for (int mask = 0; mask < 8; ++mask) {
            Matrix m = FunctionPatterns(qr, 1);
            qr.WriteFormatInformation(m.cells.data(), m.stride, m.size, level, mask);
            const int word = std::stoi(qrtest::ReadFormatWord(m, m.size, 0), nullptr, 2);
            const int unmasked = word ^ 0x5412;
            const int levelBits[] = {1, 0, 3, 2};  // L, M, Q, H
            EXPECT_EQ(unmasked >> 10, levelBits[level - 1] << 3 | mask);
            EXPECT_EQ(PolyMod(unmasked, 0x537), 0) << "level " << level << " mask " << mask;
        }
}

TEST(VersionInformation, KnownWordsAtTheirCells) {
    const clsQRCode qr;
    for (int version = 7; version <= 40; ++version) {
        SCOPED_TRACE(version);
        Matrix m = FunctionPatterns(qr, version);
        qr.WriteVersionInformation(m.cells.data(), m.stride, version);
        const int bottomLeft = qrtest::ReadVersionWord(m, m.size, false);
        EXPECT_EQ(qrtest::ReadVersionWord(m, m.size, true), bottomLeft);
        EXPECT_EQ(bottomLeft, qrtest::VersionWord(version));
        EXPECT_EQ(bottomLeft >> 12, version);
        EXPECT_EQ(PolyMod(bottomLeft, 0x1F25), 0);
    }
    for (int version : {1, 6}) {
        Matrix before = FunctionPatterns(qr, version), after = FunctionPatterns(qr, version);
        qr.WriteVersionInformation(after.cells.data(), after.stride, version);
        EXPECT_EQ(after.cells, before.cells) << version;
    }
}

TEST(VersionInformation, BchRemainder) {
    const clsQRCode qr;
    EXPECT_EQ(qr.GetBchRemainder(7, 7973, 4096, 12), 0xC94);
    EXPECT_EQ(qr.GetBchRemainder(40, 7973, 4096, 12), 0xC69);
    EXPECT_EQ(qr.GetBchRemainder(0, 1335, 1024, 10), 0);
    for (int value : {0, 5, 31, 1234}) {
        EXPECT_EQ(qr.GetBchRemainder(value, 1335, 1024, 0), value);
        EXPECT_EQ(qr.GetBchRemainder(value, 1335, 1024, -3), value);
    }
    for (int d = 0; d < 32; ++d)
        EXPECT_EQ(qr.GetBchRemainder(d, 1335, 1024, 10), PolyMod(d << 10, 1335)) << d;
}
