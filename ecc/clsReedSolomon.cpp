#include "ecc/clsReedSolomon.h"

#include <algorithm>

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

    std::fill(std::begin(GeneratorPoly), std::end(GeneratorPoly), 0);
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
    return true;
}

void clsReedSolomon::EncodeBlock(std::int32_t* block) const {
    const std::int32_t k = DataLength, n = ParityLength;
    if (!Field || k <= 0 || n <= 0 || block == nullptr) return;
    std::int32_t work[MaxBlockLength] = {};
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
