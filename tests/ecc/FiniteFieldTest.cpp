// GF(256) as QR Code uses it (polynomial 0x11D, primitive element 2), a small prime field,
// and the set-up failures.

#include <gtest/gtest.h>

#include <set>

#include "ecc/clsFiniteField.h"
#include "support/Codewords.h"

using qrtest::ReferenceGf256Multiply;

TEST(FiniteField, Gf256KnownTableEntries) {
    const auto field = qrtest::Gf256();
    EXPECT_EQ(field->GetFieldSize(), 256);
    EXPECT_EQ(field->GetPolynomial(), 285);
    EXPECT_EQ(field->GetGenerator(), 2);
    const int expected[] = {1, 2, 4, 8, 16, 32, 64, 128, 29, 58};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(field->Exp(i), expected[i]) << "i = " << i;
    EXPECT_EQ(field->Exp(254), 142);
    EXPECT_EQ(field->Exp(-1), 142);
    EXPECT_EQ(field->Exp(255), 1);
    EXPECT_EQ(field->Log(0), 0);
    EXPECT_EQ(field->Log(1), 0);
    EXPECT_EQ(field->Log(2), 1);
    EXPECT_EQ(field->Log(3), 25);
    EXPECT_EQ(field->Log(255), 175);
    // The last table entry, ExpTable[q-1] = 1, is what Inverse(1) reads.
    EXPECT_EQ(field->Inverse(1), 1);
}

TEST(FiniteField, Gf256PowersRunThroughEveryNonzeroElementOnce) {
    const auto field = qrtest::Gf256();
    std::set<int> seen;
    for (int i = 0; i < 255; ++i) {
        const int e = field->Exp(i);
        ASSERT_GE(e, 1);
        ASSERT_LE(e, 255);
        seen.insert(e);
        EXPECT_EQ(field->Log(e), i);
    }
    EXPECT_EQ(seen.size(), 255u);
}

TEST(FiniteField, Gf256MultiplyAgreesWithDirectAndReferenceForAllPairs) {
    const auto field = qrtest::Gf256();
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const int reference = ReferenceGf256Multiply(a, b);
            ASSERT_EQ(field->Multiply(a, b), reference) << a << " * " << b;
            ASSERT_EQ(field->MultiplyDirect(a, b), reference) << a << " * " << b;
        }
    }
}

TEST(FiniteField, Gf256ArithmeticIdentities) {
    const auto field = qrtest::Gf256();
    EXPECT_EQ(field->Multiply(128, 2), 29);
    for (int a = 0; a < 256; ++a) {
        EXPECT_EQ(field->Multiply(a, 0), 0);
        EXPECT_EQ(field->Add(a, a), 0);
        EXPECT_EQ(field->Subtract(a, 0x5A), a ^ 0x5A);
        EXPECT_EQ(field->Negate(a), a);
        EXPECT_EQ(field->Divide(a, 0), 0);
        if (a == 0) continue;
        EXPECT_EQ(field->Multiply(a, field->Inverse(a)), 1) << a;
        for (int b = 1; b < 256; b += 17) EXPECT_EQ(field->Divide(field->Multiply(a, b), b), a);
    }
    EXPECT_EQ(field->Inverse(0), 0);
}

TEST(FiniteField, PrimitiveElementSearch) {
    clsFiniteField searched;
    ASSERT_TRUE(searched.Init(256, 285, 0));
    EXPECT_EQ(searched.GetGenerator(), 2);
    EXPECT_EQ(searched.FindPrimitiveElement(), 2);
    const auto given = qrtest::Gf256();
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(searched.Exp(i), given->Exp(i));
        EXPECT_EQ(searched.Log(i), given->Log(i));
    }
}

TEST(FiniteField, SearchFindsTheSmallestElementOfFullOrder) {
    // Prime fields whose q - 1 has a large prime factor left after trial division, and two
    // GF(16) polynomials, one of which (x^4 + x^3 + x^2 + x + 1) makes x of order 5 only.
    const std::pair<int, int> fields[] = {{7, 0},   {23, 0},   {41, 0},    {191, 0},
                                          {409, 0}, {2999, 0}, {16, 0x13}, {16, 0x1F}};
    for (const auto& [q, polynomial] : fields) {
        clsFiniteField field;
        ASSERT_TRUE(field.Init(q, polynomial, 0)) << q;
        int smallest = 0;
        for (int d = 2; d < q && smallest == 0; ++d) {
            int order = 1;
            for (int x = d; x != 1; x = field.MultiplyDirect(x, d)) ++order;
            if (order == q - 1) smallest = d;
        }
        EXPECT_EQ(field.GetGenerator(), smallest) << "q " << q << " polynomial " << polynomial;
        std::set<int> powers;
        for (int i = 0; i < q - 1; ++i) powers.insert(field.Exp(i));
        EXPECT_EQ(static_cast<int>(powers.size()), q - 1) << q;
    }
}

TEST(FiniteField, PrimeFieldOfSeven) {
    clsFiniteField field;
    ASSERT_TRUE(field.Init(7, 0, 0));
    EXPECT_EQ(field.GetFieldSize(), 7);
    EXPECT_EQ(field.GetPolynomial(), 7);
    EXPECT_EQ(field.GetGenerator(), 3);
    EXPECT_EQ(field.FindPrimitiveElement(), 3);
    const int expected[] = {1, 3, 2, 6, 4, 5, 1};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(field.Exp(i), expected[i]) << "i = " << i;
    EXPECT_EQ(field.Add(5, 4), 2);
    EXPECT_EQ(field.Subtract(2, 5), 4);
    EXPECT_EQ(field.Negate(3), 4);
    EXPECT_EQ(field.Negate(0), 0);
    EXPECT_EQ(field.InverseDirect(3), 5);
    EXPECT_EQ(field.DivideDirect(6, 3), 2);
    for (int a = 0; a < 7; ++a)
        for (int b = 0; b < 7; ++b) {
            EXPECT_EQ(field.Multiply(a, b), a * b % 7) << a << " * " << b;
            EXPECT_EQ(field.MultiplyDirect(a, b), a * b % 7);
        }
}

TEST(FiniteField, TwoElementFieldIgnoresPolynomialAndGenerator) {
    clsFiniteField field;
    ASSERT_TRUE(field.Init(2, 12345, 77));
    EXPECT_EQ(field.GetFieldSize(), 2);
    EXPECT_EQ(field.GetPolynomial(), 2);
    EXPECT_EQ(field.GetGenerator(), 1);
    EXPECT_EQ(field.MultiplyDirect(1, 1), 1);
    EXPECT_EQ(field.Add(1, 1), 0);
}

TEST(FiniteField, InitRejectsSizesOutsideTheTables) {
    clsFiniteField field;
    EXPECT_FALSE(field.Init(1, 285, 2));
    EXPECT_FALSE(field.Init(0, 285, 2));
    EXPECT_FALSE(field.Init(16385, 285, 2));
    EXPECT_EQ(field.GetFieldSize(), 0);  // still not set up
    // x^14 + x^5 + x^3 + x + 1: the largest size the tables hold.
    EXPECT_TRUE(field.Init(16384, 0x402B, 0));
    EXPECT_EQ(field.GetFieldSize(), 16384);
    EXPECT_EQ(field.GetPolynomial(), 0x402B);
}

TEST(FiniteField, FailedInitLeavesTheEarlierFieldIntact) {
    clsFiniteField field;
    ASSERT_TRUE(field.Init(256, 285, 2));
    EXPECT_FALSE(field.Init(256, 0, 2));
    EXPECT_FALSE(field.Init(16385, 285, 2));
    EXPECT_EQ(field.GetFieldSize(), 256);
    EXPECT_EQ(field.GetPolynomial(), 285);
    EXPECT_EQ(field.Multiply(128, 2), 29);

    ASSERT_TRUE(field.Init(7, 0, 0));
    EXPECT_FALSE(field.Init(256, 0, 2));
    EXPECT_EQ(field.GetFieldSize(), 7);
    EXPECT_EQ(field.GetGenerator(), 3);
    EXPECT_EQ(field.Multiply(3, 5), 1);
}

// Found by fuzzing: a generator that is not primitive reaches only some elements, and the
// others kept the logarithms of an earlier, larger field, so Inverse read before the start
// of the table. Every result must stay an element of the new field.
TEST(FiniteField, NonPrimitiveGeneratorAfterALargerFieldStaysInRange) {
    clsFiniteField field;
    ASSERT_TRUE(field.Init(16384, 0x402B, 2));  // x^14 + x^5 + x^3 + x + 1
    ASSERT_TRUE(field.Init(7, 0, 6));           // 6 has order 2 modulo 7
    for (std::int32_t a = 0; a < 7; ++a) {
        for (std::int32_t b = 0; b < 7; ++b) {
            for (const std::int32_t r :
                 {field.Multiply(a, b), field.Divide(a, b), field.Inverse(a), field.Exp(a - b)}) {
                EXPECT_GE(r, 0) << a << "," << b;
                EXPECT_LT(r, 7) << a << "," << b;
            }
        }
    }
}

TEST(FiniteField, GeneratorOutsideTheFieldIsRefused) {
    clsFiniteField field;
    EXPECT_FALSE(field.Init(256, 285, 256));
    EXPECT_FALSE(field.Init(256, 285, -1));
    EXPECT_FALSE(field.Init(7, 0, 20000));
    EXPECT_EQ(field.GetFieldSize(), 0);
}

// The tables are as large as the largest field set up so far: before any Init the table
// operations have nothing to read and give 0, and so do operands outside the field; a larger
// field after a smaller one grows them.
TEST(FiniteField, TablesBeforeInitAndGrowingWithTheField) {
    clsFiniteField field;
    for (const int r :
         {field.Multiply(3, 5), field.Divide(3, 5), field.Inverse(3), field.Log(3), field.Exp(3)})
        EXPECT_EQ(r, 0);
    ASSERT_TRUE(field.Init(7, 0, 0));
    // Operands outside the field are the caller's fault; they give 0, read nothing outside.
    for (const int r : {field.Multiply(255, 3), field.Multiply(3, -1), field.Multiply(20000, 1),
                        field.Divide(3, 9), field.Divide(-2, 3), field.Inverse(9), field.Log(-5),
                        field.Log(16384)})
        EXPECT_EQ(r, 0);
    ASSERT_TRUE(field.Init(256, 285, 2));
    for (int a = 0; a < 256; ++a)
        for (int b : {1, 2, 29, 142, 255})
            ASSERT_EQ(field.Multiply(a, b), ReferenceGf256Multiply(a, b)) << a << " x " << b;
    ASSERT_TRUE(field.Init(16384, 0x402B, 0));  // x^14 + x^5 + x^3 + x + 1
    for (int a : {1, 2, 255, 4097, 16383})
        EXPECT_EQ(field.Multiply(a, 12345), field.MultiplyDirect(a, 12345)) << a;
}
