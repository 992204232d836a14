// Reed-Solomon over GF(256) with the generator polynomials of ISO/IEC 18004.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "ecc/clsReedSolomon.h"

namespace {

std::shared_ptr<clsFiniteField> Gf256() {
    auto field = std::make_shared<clsFiniteField>();
    EXPECT_TRUE(field->Init(256, 285, 2));
    return field;
}

// Parity of the data (first codeword first) for n parity symbols, in transmission order.
std::vector<int> Parity(clsReedSolomon& rs, const std::vector<int>& data, int n) {
    const int k = static_cast<int>(data.size());
    std::vector<int> block(static_cast<std::size_t>(n + k), 0);
    for (int i = 0; i < k; ++i) block[static_cast<std::size_t>(n + k - 1 - i)] = data[i];
    rs.EncodeBlock(block.data());
    std::vector<int> parity;
    for (int m = 0; m < n; ++m) parity.push_back(block[static_cast<std::size_t>(n - 1 - m)]);
    return parity;
}

}  // namespace

TEST(ReedSolomon, GeneratorPolynomialWithSevenParitySymbols) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(19, 7, Gf256(), 0, 0));
    const int expected[] = {117, 68, 11, 164, 154, 122, 127, 1};
    for (int t = 0; t < 8; ++t) EXPECT_EQ(rs.GetGeneratorCoefficient(t), expected[t]) << "x^" << t;
    EXPECT_EQ(rs.GetGeneratorCoefficient(8), 0);
}

TEST(ReedSolomon, GeneratorPolynomialWithTenParitySymbols) {
    auto field = Gf256();
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, field, 0, 0));
    // Exponents of alpha from x^10 down to x^0.
    const int exponents[] = {0, 251, 67, 46, 61, 118, 70, 64, 94, 32, 45};
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(rs.GetGeneratorCoefficient(10 - i), field->Exp(exponents[i])) << "x^" << 10 - i;
    EXPECT_EQ(rs.GetPrimitive(), 2);
    EXPECT_EQ(rs.GetFirstRoot(), 0);
    EXPECT_EQ(rs.GetDataLength(), 16);
    EXPECT_EQ(rs.GetParityLength(), 10);
}

TEST(ReedSolomon, KnownBlockOfSixteenDataCodewords) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, Gf256(), 0, 0));
    const std::vector<int> data = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                   0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    const std::vector<int> expected = {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    EXPECT_EQ(Parity(rs, data, 10), expected);
}

TEST(ReedSolomon, ZeroDataGivesZeroParity) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(30, 24, Gf256(), 0, 0));
    EXPECT_EQ(Parity(rs, std::vector<int>(30, 0), 24), std::vector<int>(24, 0));
}

TEST(ReedSolomon, CodewordsVanishAtEveryRootOfTheGenerator) {
    auto field = Gf256();
    std::mt19937 random(7);
    // Block shapes that QR Code symbols use, short and long.
    const std::pair<int, int> shapes[] = {{19, 7}, {9, 17}, {15, 18}, {16, 18}, {123, 30}, {1, 30}};
    for (const auto& [k, n] : shapes) {
        clsReedSolomon rs;
        ASSERT_TRUE(rs.Init(k, n, field, 0, 0));
        std::vector<int> data(static_cast<std::size_t>(k));
        for (int& d : data) d = static_cast<int>(random() % 256);
        const std::vector<int> parity = Parity(rs, data, n);
        std::vector<int> codeword = data;  // highest power first
        codeword.insert(codeword.end(), parity.begin(), parity.end());
        for (int root = 0; root < n; ++root) {
            const int x = field->Exp(root);
            int value = 0;
            for (int c : codeword) value = field->Add(field->Multiply(value, x), c);
            EXPECT_EQ(value, 0) << "k=" << k << " n=" << n << " root alpha^" << root;
        }
    }
}

TEST(ReedSolomon, ShortBlockWithLeadingZeroEqualsTheShorterShape) {
    auto field = Gf256();
    const std::vector<int> shortData = {0x40, 0xD2, 0x75, 0x47, 0x76, 0x17, 0x32, 0x06,
                                        0x27, 0x26, 0x96, 0xC6, 0xC6, 0x96, 0x70};
    std::vector<int> padded = {0};
    padded.insert(padded.end(), shortData.begin(), shortData.end());
    clsReedSolomon longShape, shortShape;
    ASSERT_TRUE(longShape.Init(16, 18, field, 0, 0));
    ASSERT_TRUE(shortShape.Init(15, 18, field, 0, 0));
    EXPECT_EQ(Parity(longShape, padded, 18), Parity(shortShape, shortData, 18));
}

TEST(ReedSolomon, EncodeBlockTouchesOnlyTheParityEntries) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, Gf256(), 0, 0));
    const std::vector<int> data = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                   0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    std::vector<int> block(40, -7);  // entries 26.. lie beyond the block
    for (int i = 0; i < 16; ++i) block[static_cast<std::size_t>(25 - i)] = data[i];
    for (int j = 0; j < 10; ++j) block[static_cast<std::size_t>(j)] = 0x99;  // stale parity
    const std::vector<int> before = block;
    rs.EncodeBlock(block.data());
    for (std::size_t i = 10; i < block.size(); ++i) EXPECT_EQ(block[i], before[i]) << i;
    EXPECT_EQ(block[9], 0xA5);
    EXPECT_EQ(block[0], 0x55);
}

TEST(ReedSolomon, PrimitiveAndFirstRootChooseTheRoots) {
    auto field = Gf256();
    clsReedSolomon rs;
    // (x - 2)(x - 4) = x^2 + 6x + 8 over GF(2^8).
    ASSERT_TRUE(rs.Init(5, 2, field, 0, 1));
    EXPECT_EQ(rs.GetGeneratorCoefficient(0), 8);
    EXPECT_EQ(rs.GetGeneratorCoefficient(1), 6);
    EXPECT_EQ(rs.GetGeneratorCoefficient(2), 1);
    // A stored primitive is used when none is passed: (x - 1)(x - 3) = x^2 + 2x + 3.
    rs.SetPrimitive(3);
    ASSERT_TRUE(rs.Init(5, 2, field, 0, 0));
    EXPECT_EQ(rs.GetPrimitive(), 3);
    EXPECT_EQ(rs.GetGeneratorCoefficient(0), 3);
    EXPECT_EQ(rs.GetGeneratorCoefficient(1), 2);
    EXPECT_EQ(rs.GetGeneratorCoefficient(2), 1);
    // (x - 3^2)(x - 3^3) with 3^2 = 5 and 3^3 = 15: x^2 + 10x + 5*15.
    ASSERT_TRUE(rs.Init(5, 2, field, 3, 2));
    EXPECT_EQ(rs.GetGeneratorCoefficient(0), field->Multiply(5, 15));
    EXPECT_EQ(rs.GetGeneratorCoefficient(1), 5 ^ 15);
}

TEST(ReedSolomon, InitLimits) {
    auto field = Gf256();
    clsReedSolomon rs;
    EXPECT_TRUE(rs.Init(1000, 24, field, 0, 0));
    EXPECT_FALSE(rs.Init(1001, 24, field, 0, 0));
    EXPECT_FALSE(rs.Init(0, 10, field, 0, 0));
    EXPECT_FALSE(rs.Init(10, 0, field, 0, 0));
    EXPECT_FALSE(rs.Init(10, 10, field, 0, -1));
    // The failures changed nothing: the last good shape stands.
    EXPECT_EQ(rs.GetDataLength(), 1000);
    EXPECT_EQ(rs.GetParityLength(), 24);
}

TEST(ReedSolomon, FieldIsRequiredOnceAndThenReused) {
    clsReedSolomon fresh;
    EXPECT_FALSE(fresh.Init(16, 10, nullptr, 0, 0));
    EXPECT_EQ(fresh.GetField(), nullptr);

    auto field = Gf256();
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(19, 7, field, 0, 0));
    ASSERT_TRUE(rs.Init(16, 10, nullptr, 0, 0));
    EXPECT_EQ(rs.GetField(), field);
    const std::vector<int> data = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                   0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    EXPECT_EQ(Parity(rs, data, 10).front(), 0xA5);
}
