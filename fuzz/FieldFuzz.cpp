// clsFiniteField::Init with arbitrary shapes, then arithmetic on its elements: nothing is
// read or written outside the tables. For a true field (GF(2^8) with 285, or a prime size)
// the table operations agree with the direct ones.

#include <cstdlib>

#include "FuzzInput.h"
#include "ecc/clsFiniteField.h"

namespace {
bool IsPrime(std::int32_t q) {
    if (q < 2) return false;
    for (std::int32_t d = 2; d * d <= q; ++d)
        if (q % d == 0) return false;
    return true;
}
// Whether the powers of g run through every nonzero element.
bool IsPrimitive(const clsFiniteField& field, std::int32_t g) {
    std::int32_t e = g;
    for (std::int32_t i = 1; i < field.GetFieldSize() - 1; ++i, e = field.MultiplyDirect(e, g))
        if (e == 1) return false;
    return e == 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    static clsFiniteField field;  // reused: Init over an earlier, larger field is allowed
    const bool gf256 = in.Byte() & 1;
    const std::int32_t q = gf256 ? 256 : in.Range(-2, clsFiniteField::TableSize + 2);
    const std::int32_t polynomial = gf256 ? 285 : in.Int16();
    const std::int32_t generator = in.Range(-1, q > 0 ? q : 1);
    if (!field.Init(q, polynomial, generator)) return 0;
    const std::int32_t fieldSize = field.GetFieldSize();
    if (fieldSize < 2 || fieldSize > clsFiniteField::TableSize) std::abort();
    const bool trueField =
        (gf256 || IsPrime(fieldSize)) && IsPrimitive(field, field.GetGenerator());
    while (in.RestSize() >= 4) {
        const std::int32_t a = in.Range(0, fieldSize - 1), b = in.Range(0, fieldSize - 1);
        const std::int32_t sum = field.Add(a, b), product = field.Multiply(a, b);
        const std::int32_t results[] = {sum,
                                        field.Subtract(a, b),
                                        field.Negate(a),
                                        product,
                                        field.Divide(a, b),
                                        field.Inverse(a),
                                        field.Exp(a - b),
                                        field.MultiplyDirect(a, b),
                                        field.DivideDirect(a, b),
                                        field.InverseDirect(a)};
        for (const std::int32_t r : results)
            if (r < 0 || r >= fieldSize) std::abort();
        if (trueField) {
            if (product != field.MultiplyDirect(a, b)) std::abort();
            if (b != 0 && field.Multiply(field.Divide(a, b), b) != a) std::abort();
            if (field.Subtract(sum, b) != a) std::abort();
        }
    }
    return 0;
}
