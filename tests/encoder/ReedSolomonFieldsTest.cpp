// Reed-Solomon parity over every kind of field the finite field accepts: its tables are
// filled whatever the polynomial and generator, so a generator that is not primitive or a
// reducible polynomial still makes a legal field whose Multiply defines the arithmetic. The
// parity must then be the plain long division through that Multiply, whatever path computes
// it.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "ecc/clsFiniteField.h"
#include "ecc/clsReedSolomon.h"

namespace {

// Parity of block[n..n+k-1]: long division by the generator through the field's Multiply and
// Subtract, the remainder negated.
std::vector<std::int32_t> LongDivisionParity(const clsFiniteField& f, const clsReedSolomon& rs,
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

TEST(ReedSolomonFields, ParityIsTheLongDivisionInEveryLegalField) {
    struct Case {
        std::int32_t size, polynomial, generator;
        const char* what;
    };
    const Case cases[] = {
        {256, 285, 2, "the symbol field"},
        {256, 285, 3, "generator 3, not primitive"},
        {256, 285, 8, "generator 8 (order 85)"},
        {256, 285, 85, "generator 85"},
        {256, 0x11B, 2, "irreducible polynomial, generator 2 not primitive"},
        {256, 0x11B, 3, "irreducible polynomial, primitive generator 3"},
        {16, 19, 15, "GF(16), generator 15 not primitive"},
        {16, 19, 2, "GF(16), primitive generator"},
        {256, 0x100, 2, "reducible x^8"},
        {256, 0x1FF, 2, "reducible 0x1FF"},
        {128, 0x89, 2, "GF(128)"},
        {2, 0, 1, "GF(2)"},
    };
    std::mt19937 rng(20261207);
    for (const Case& c : cases) {
        auto field = std::make_shared<clsFiniteField>();
        ASSERT_TRUE(field->Init(c.size, c.polynomial, c.generator)) << c.what;
        for (std::int32_t n : {1, 7, 10, 30, 32}) {
            clsReedSolomon rs;
            const std::int32_t k = 1 + static_cast<std::int32_t>(rng() % 120);
            ASSERT_TRUE(rs.Init(k, n, field, 0, 0)) << c.what;
            const int trials = n == 30 ? 1000 : 100;
            for (int trial = 0; trial < trials; ++trial) {
                std::vector<std::int32_t> block(static_cast<std::size_t>(n + k));
                for (auto& v : block) v = static_cast<std::int32_t>(rng() % c.size);
                const auto expected = LongDivisionParity(*field, rs, block);
                rs.EncodeBlock(block.data());
                ASSERT_EQ(std::vector<std::int32_t>(block.begin(), block.begin() + n), expected)
                    << c.what << " size " << c.size << " polynomial " << c.polynomial
                    << " generator " << c.generator << " n " << n << " trial " << trial;
            }
        }
    }
}

}  // namespace
