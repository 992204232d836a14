#include "ecc/clsReedSolomon.h"

#include <algorithm>
#include <new>

bool clsReedSolomon::Init(std::int32_t dataLength, std::int32_t parityLength,
                          std::shared_ptr<clsFiniteField> field, std::int32_t primitive,
                          std::int32_t firstRoot) {
    if (dataLength <= 0 || parityLength <= 0 || dataLength > MaxBlockLength - parityLength ||
        firstRoot < 0)
        return false;
    if (field) Field = std::move(field);
    if (!Field) return false;
    std::int32_t p = primitive;
    if (p == 0) p = Primitive;
    if (p == 0) p = Field->GetGenerator();
    // 0 has no powers to be roots; an element outside the field would read past its tables.
    if (p <= 0 || p >= Field->GetFieldSize()) return false;

    // Entries above the last degree are still 0: only those up to it need clearing.
    const std::int32_t usedBefore = ParityLength;
    DataLength = dataLength;
    ParityLength = parityLength;
    Primitive = p;
    FirstRoot = firstRoot;

    // a = p^firstRoot by square and multiply.
    std::int32_t a = (firstRoot & 1) ? p : 1;
    std::int32_t base = p;
    for (std::int32_t rest = firstRoot >> 1; rest != 0; rest >>= 1) {
        base = Field->Multiply(base, base);
        if (rest & 1) a = Field->Multiply(a, base);
    }
    std::int32_t r = Field->Negate(a);

    std::fill(GeneratorPoly, GeneratorPoly + std::max(usedBefore, parityLength) + 1, 0);
    GeneratorPoly[0] = r;
    GeneratorPoly[1] = 1;
    for (std::int32_t i = 2; i <= parityLength; ++i) {
        r = Field->Multiply(r, p);  // r = -p^(firstRoot + i - 1)
        GeneratorPoly[i] = 1;
        for (std::int32_t j = i - 1; j >= 1; --j)
            GeneratorPoly[j] =
                Field->Add(GeneratorPoly[j - 1], Field->Multiply(GeneratorPoly[j], r));
        GeneratorPoly[0] = Field->Multiply(GeneratorPoly[0], r);
    }
    ResetProductRows();
    return true;
}

void clsReedSolomon::ResetProductRows() {
    RowsField = nullptr;
    const std::int32_t q = Field->GetFieldSize(), n = ParityLength;
    // Only sizes 2^m up to 256, where subtraction is exclusive or and a product fits a byte.
    if (q < 2 || q > 256 || (q & (q - 1)) != 0 || n > MaxRowLength) return;
    if (ProductRows) std::fill(std::begin(ProductRows->ready), std::end(ProductRows->ready), false);
    RowsField = Field.get();
    RowsFieldSize = q;
    RowsPolynomial = Field->GetPolynomial();
    RowsGenerator = Field->GetGenerator();
}

const std::uint64_t* clsReedSolomon::ProductRow(std::int32_t a) const {
    std::uint64_t* row = ProductRows->products[a];
    if (!ProductRows->ready[a]) {
        // Each product through the field's own Multiply: its tables define the arithmetic,
        // and a generator that is not primitive, or a reducible polynomial, makes them
        // something other than shifting and reducing (a row made from other rows by
        // exclusive or would then differ from the plain division).
        const std::int32_t n = ParityLength;
        for (std::int32_t w = 0; w < 4; ++w) row[w] = 0;
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t at = 32 - n + j;
            row[at / 8] |= static_cast<std::uint64_t>(Field->Multiply(a, GeneratorPoly[j]))
                           << (8 * (at % 8));
        }
        ProductRows->ready[a] = true;
    }
    return row;
}

bool clsReedSolomon::RowsMatchField() const {
    return RowsField != nullptr && RowsField == Field.get() &&
           RowsFieldSize == Field->GetFieldSize() && RowsPolynomial == Field->GetPolynomial() &&
           RowsGenerator == Field->GetGenerator();
}

void clsReedSolomon::EncodeBlock(std::int32_t* block) const {
    const std::int32_t k = DataLength, n = ParityLength;
    if (!Field || k <= 0 || n <= 0 || block == nullptr) return;
    if (RowsMatchField() && !ProductRows) {
        ProductRows.reset(new (std::nothrow) Rows);  // without it, the plain division below
        if (ProductRows)
            std::fill(std::begin(ProductRows->ready), std::end(ProductRows->ready), false);
    }
    if (RowsMatchField() && ProductRows) {
        // Every data symbol an element (the rows hold only those): no bit at or above q.
        std::int32_t any = 0;
        for (std::int32_t i = n; i < n + k; ++i) any |= block[i];
        if (static_cast<std::uint32_t>(any) < static_cast<std::uint32_t>(RowsFieldSize)) {
            // The same division, one data symbol at a time from the highest: the remainder
            // R (coefficient j at byte 32 - n + j of r0..r3) becomes x * R + d * x^n reduced
            // by g, that is R shifted up one byte with lead = d + R[n-1] dropped off the top,
            // plus lead * g(x) without its x^n term. Subtraction is exclusive or here.
            std::uint64_t r0 = 0, r1 = 0, r2 = 0, r3 = 0;
            for (std::int32_t i = n + k - 1; i >= n; --i) {
                const std::int32_t lead = block[i] ^ static_cast<std::int32_t>(r3 >> 56);
                const std::uint64_t* row =
                    ProductRows->ready[lead] ? ProductRows->products[lead] : ProductRow(lead);
                r3 = ((r3 << 8) | (r2 >> 56)) ^ row[3];
                r2 = ((r2 << 8) | (r1 >> 56)) ^ row[2];
                r1 = ((r1 << 8) | (r0 >> 56)) ^ row[1];
                r0 = (r0 << 8) ^ row[0];
            }
            const std::uint64_t r[4] = {r0, r1, r2, r3};
            for (std::int32_t j = 0; j < n; ++j) {  // negation changes nothing in GF(2^m)
                const std::int32_t at = 32 - n + j;
                block[j] = static_cast<std::int32_t>((r[at / 8] >> (8 * (at % 8))) & 0xFF);
            }
            return;
        }
    }
    // Only entries 0..n+k-1 are used: the remainder's n start at 0, the data are copied.
    std::int32_t work[MaxBlockLength];
    std::fill(work, work + n, 0);
    std::copy(block + n, block + n + k, work + n);
    // Long division by g(x), highest power first; work[n + i] is never read again.
    for (std::int32_t i = k - 1; i >= 0; --i) {
        const std::int32_t lead = work[n + i];
        for (std::int32_t j = 0; j < n; ++j)
            work[i + j] = Field->Subtract(work[i + j], Field->Multiply(lead, GeneratorPoly[j]));
    }
    for (std::int32_t j = 0; j < n; ++j) block[j] = Field->Negate(work[j]);
}

std::int32_t clsReedSolomon::GetGeneratorCoefficient(std::int32_t index) const {
    if (index < 0 || index >= MaxBlockLength) return 0;
    return GeneratorPoly[index];
}
