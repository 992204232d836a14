// Reed-Solomon over GF(256) with the generator polynomials of ISO/IEC 18004, and the parity
// of the product rows against long division through the field's own Multiply, over other
// fields and shapes too.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "ecc/clsReedSolomon.h"
#include "support/Codewords.h"
#include "support/KnownAnswers.h"

using qrtest::Gf256;
using qrtest::Parity;

namespace {

std::shared_ptr<clsFiniteField> Field(std::int32_t size, std::int32_t polynomial,
                                      std::int32_t generator = 0) {
    auto field = std::make_shared<clsFiniteField>();
    EXPECT_TRUE(field->Init(size, polynomial, generator));
    return field;
}

// Parity of block[n..n+k-1] by schoolbook long division through the field.
std::vector<std::int32_t> ReferenceParity(const clsFiniteField& f, const clsReedSolomon& rs,
                                          const std::vector<std::int32_t>& block) {
    const std::int32_t k = rs.GetDataLength(), n = rs.GetParityLength();
    std::vector<std::int32_t> work(block.begin(), block.begin() + n + k);
    std::fill(work.begin(), work.begin() + n, 0);
    for (std::int32_t i = k - 1; i >= 0; --i) {
        const std::int32_t lead = work[n + i];
        for (std::int32_t j = 0; j < n; ++j)
            work[i + j] = f.Subtract(work[i + j], f.Multiply(lead, rs.GetGeneratorCoefficient(j)));
    }
    std::vector<std::int32_t> parity(n);
    for (std::int32_t j = 0; j < n; ++j) parity[j] = f.Negate(work[j]);
    return parity;
}

}  // namespace

TEST(ReedSolomon, GeneratorPolynomialWithSevenParitySymbols) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(19, 7, Gf256(), 0, 0));
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(rs.GetGeneratorCoefficient(t), qrtest::kGenerator7[t]) << "x^" << t;
    EXPECT_EQ(rs.GetGeneratorCoefficient(8), 0);
}

TEST(ReedSolomon, GeneratorPolynomialWithTenParitySymbols) {
    auto field = Gf256();
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, field, 0, 0));
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(rs.GetGeneratorCoefficient(10 - i), field->Exp(qrtest::kGenerator10Exponents[i]))
            << "x^" << 10 - i;
    EXPECT_EQ(rs.GetPrimitive(), 2);
    EXPECT_EQ(rs.GetFirstRoot(), 0);
    EXPECT_EQ(rs.GetDataLength(), 16);
    EXPECT_EQ(rs.GetParityLength(), 10);
}

TEST(ReedSolomon, KnownBlockOfSixteenDataCodewords) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, Gf256(), 0, 0));
    EXPECT_EQ(Parity(rs, qrtest::kParityExampleData), qrtest::kParityExampleParity);
}

TEST(ReedSolomon, ZeroDataGivesZeroParity) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(30, 24, Gf256(), 0, 0));
    EXPECT_EQ(Parity(rs, std::vector<int>(30, 0)), std::vector<int>(24, 0));
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
        const std::vector<int> parity = Parity(rs, data);
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
    EXPECT_EQ(Parity(longShape, padded), Parity(shortShape, shortData));
}

TEST(ReedSolomon, EncodeBlockTouchesOnlyTheParityEntries) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, Gf256(), 0, 0));
    const auto& data = qrtest::kParityExampleData;
    std::vector<int> block(40, -7);  // entries 26.. lie beyond the block
    for (int i = 0; i < 16; ++i) block[static_cast<std::size_t>(25 - i)] = data[i];
    for (int j = 0; j < 10; ++j) block[static_cast<std::size_t>(j)] = 0x99;  // stale parity
    const std::vector<int> before = block;
    rs.EncodeBlock(block.data());
    for (std::size_t i = 10; i < block.size(); ++i) EXPECT_EQ(block[i], before[i]) << i;
    for (int m = 0; m < 10; ++m) EXPECT_EQ(block[9 - m], qrtest::kParityExampleParity[m]) << m;
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
    EXPECT_EQ(Parity(rs, qrtest::kParityExampleData), qrtest::kParityExampleParity);
}

// Every field the finite field accepts is legal, whether its generator is primitive and its
// polynomial irreducible or not: the field's Multiply defines the arithmetic, and the parity
// must be the long division through it whatever path computes it.
TEST(ReedSolomon, ProductRowsAgreeWithFieldArithmetic) {
    struct Shape {
        std::int32_t size, polynomial, generator, k, n;
    };
    const Shape shapes[] = {
        {256, 285, 0, 16, 10},
        {256, 285, 0, 118, 30},
        {256, 285, 0, 1, 1},
        {256, 285, 0, 200, 32},  // the most parity symbols the rows take
        {256, 285, 0, 40, 33},
        {256, 285, 0, 200, 64},
        {256, 285, 0, 50, 65},  // plain path
        {256, 301, 0, 40, 20},
        {16, 19, 0, 11, 4},
        {2, 0, 0, 7, 3},
        {7, 0, 0, 5, 3},
        {1024, 1033, 0, 30, 12},
        // Generators that are not primitive, polynomials that are not irreducible.
        {256, 285, 3, 100, 30},
        {256, 285, 8, 50, 10},
        {256, 285, 85, 20, 7},
        {256, 0x11B, 2, 100, 30},
        {256, 0x11B, 3, 60, 32},
        {16, 19, 15, 11, 4},
        {256, 0x100, 2, 40, 10},
        {256, 0x1FF, 2, 40, 30},
        {128, 0x89, 2, 90, 30},
    };
    std::uint32_t seed = 7;
    for (const Shape& s : shapes) {
        SCOPED_TRACE(testing::Message() << "field " << s.size << "/" << s.polynomial << "/"
                                        << s.generator << ", k " << s.k << ", n " << s.n);
        const auto field = Field(s.size, s.polynomial, s.generator);
        clsReedSolomon rs;
        ASSERT_TRUE(rs.Init(s.k, s.n, field, 0, 0));
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<std::int32_t> block(s.n + s.k);
            for (auto& v : block) {
                seed = seed * 1664525u + 1013904223u;
                v = static_cast<std::int32_t>((seed >> 8) % s.size);
            }
            if (trial == 0) std::fill(block.begin(), block.end(), 0);
            const auto expected = ReferenceParity(*field, rs, block);
            rs.EncodeBlock(block.data());
            ASSERT_EQ(std::vector<std::int32_t>(block.begin(), block.begin() + s.n), expected);
        }
    }
}

TEST(ReedSolomon, ShorterGeneratorLeavesZerosAbove) {
    // Init clears only up to the larger of the old and new degree; the rest must be 0.
    clsReedSolomon rs;
    const auto field = Gf256();
    ASSERT_TRUE(rs.Init(50, 30, field, 0, 0));
    ASSERT_TRUE(rs.Init(16, 7, field, 0, 0));
    for (int j = 0; j < 8; ++j) EXPECT_EQ(rs.GetGeneratorCoefficient(j), qrtest::kGenerator7[j]);
    for (int j = 8; j < clsReedSolomon::MaxBlockLength; ++j)
        ASSERT_EQ(rs.GetGeneratorCoefficient(j), 0) << j;
    EXPECT_FALSE(rs.Init(0, 40, field, 0, 0));  // a failed Init changes nothing
    for (int j = 8; j < clsReedSolomon::MaxBlockLength; ++j)
        ASSERT_EQ(rs.GetGeneratorCoefficient(j), 0) << j;
}

TEST(ReedSolomon, FollowsAFieldChangedAfterInit) {
    // Rows made for one field must not be used once the field is replaced or set up anew.
    auto field = Field(256, 285);
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(20, 8, field, 0, 0));
    std::vector<std::int32_t> block(28);
    for (int i = 0; i < 28; ++i) block[i] = (i * 37 + 11) % 16;
    rs.EncodeBlock(block.data());  // makes rows for GF(256)

    auto other = Field(16, 19);
    rs.SetField(other);
    auto expected = ReferenceParity(*other, rs, block);
    auto copy = block;
    rs.EncodeBlock(copy.data());
    EXPECT_EQ(std::vector<std::int32_t>(copy.begin(), copy.begin() + 8), expected);

    rs.SetField(field);
    ASSERT_TRUE(field->Init(256, 301, 0));  // same object, another field
    expected = ReferenceParity(*field, rs, block);
    copy = block;
    rs.EncodeBlock(copy.data());
    EXPECT_EQ(std::vector<std::int32_t>(copy.begin(), copy.begin() + 8), expected);
}
