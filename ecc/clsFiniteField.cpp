#include "ecc/clsFiniteField.h"

#include <algorithm>
#include <cmath>
#include <new>

bool clsFiniteField::Init(std::int32_t size, std::int32_t polynomial, std::int32_t generator) {
    if (size < 2 || size > TableSize) return false;
    const bool powerOfTwo = (size & (size - 1)) == 0;
    if (size > 2 && powerOfTwo && polynomial == 0) return false;
    // A generator outside the field would index the tables out of range.
    if (size > 2 && (generator < 0 || generator >= size)) return false;
    if (static_cast<std::int32_t>(LogTable.size()) < size) {
        try {  // new entries are zero; on failure the tables stay as they were
            LogTable.resize(static_cast<std::size_t>(size));
            ExpTable.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    if (size == 2) {
        FieldSize = 2;
        Polynomial = 2;
        Generator = 1;
        LogTable[0] = LogTable[1] = 0;
        ExpTable[0] = ExpTable[1] = 1;
        return true;
    }
    const std::int32_t oldSize = FieldSize, oldPolynomial = Polynomial;
    FieldSize = size;
    Polynomial = powerOfTwo ? polynomial : size;
    if (generator == 0) generator = FindPrimitiveElement();
    if (generator == 0) {
        // No primitive element: the tables cannot be built; keep the old field.
        FieldSize = oldSize;
        Polynomial = oldPolynomial;
        return false;
    }
    BuildTables(generator);
    return true;
}

void clsFiniteField::BuildTables(std::int32_t g) {
    const std::int32_t q = FieldSize;
    // A generator that is not primitive leaves elements unreached: they must not keep the
    // logarithms of an earlier, larger field, which would index past this field's tables.
    std::fill(LogTable.begin(), LogTable.begin() + q, 0);
    std::fill(ExpTable.begin(), ExpTable.begin() + q, 0);
    LogTable[0] = 0;
    LogTable[1] = 0;
    LogTable[g] = 1;
    ExpTable[0] = 1;
    ExpTable[q - 1] = 1;
    ExpTable[1] = static_cast<std::int16_t>(g);
    Generator = g;
    auto put = [&](std::int32_t i, std::int32_t e) {
        LogTable[e] = static_cast<std::int16_t>(i);
        ExpTable[i] = static_cast<std::int16_t>(e);
    };
    std::int32_t e = g;
    if (g == 2 && IsPowerOfTwoSize()) {
        // Multiplying by 2 in GF(2^m) is one shift and one reduction: the common generator
        // builds its tables without the general product.
        for (std::int32_t i = 2; i <= q - 2; ++i) {
            e <<= 1;
            if (e & q) e = (e ^ Polynomial) & (q - 1);
            put(i, e);
        }
    } else {
        for (std::int32_t i = 2; i <= q - 2; ++i) put(i, e = MultiplyDirect(e, g));
    }
}

std::int32_t clsFiniteField::Divide(std::int32_t a, std::int32_t b) const {
    if (!IsNonzeroElement(a) || !IsNonzeroElement(b)) return 0;
    std::int32_t d = LogTable[a] - LogTable[b];
    if (d < 0) d += FieldSize - 1;
    return ExpTable[d];
}

std::int32_t clsFiniteField::Inverse(std::int32_t a) const {
    if (!IsNonzeroElement(a)) return 0;
    return ExpTable[FieldSize - 1 - LogTable[a]];
}

std::int32_t clsFiniteField::Log(std::int32_t a) const {
    return IsNonzeroElement(a) ? LogTable[a] : 0;
}

std::int32_t clsFiniteField::Exp(std::int32_t n) const {
    if (FieldSize < 2) return 0;  // not set up: no division by zero
    std::int32_t r = n % (FieldSize - 1);
    if (r < 0) r += FieldSize - 1;
    return ExpTable[r];
}

std::int32_t clsFiniteField::MultiplyDirect(std::int32_t a, std::int32_t b) const {
    if (a == 0 || b == 0) return 0;
    if (FieldSize == 2) return 1;
    if (!IsPowerOfTwoSize()) return static_cast<std::int32_t>((std::int64_t{a} * b) % FieldSize);
    std::int32_t product = 0;
    for (std::int32_t bit = 1;; bit <<= 1) {
        if (b & bit) {
            b ^= bit;
            product ^= a;
        }
        if (b == 0) return product;
        a <<= 1;
        if (a & FieldSize) a = (a ^ Polynomial) & (FieldSize - 1);
    }
}

namespace {
// Extended Euclid in the prime field of size q: a^-1 mod q for a != 0.
std::int32_t PrimeInverse(std::int32_t q, std::int32_t a) {
    std::int64_t r0 = q, r1 = a, t0 = 0, t1 = 1;
    while (r1 != 0) {
        const std::int64_t k = r0 / r1;
        const std::int64_t r2 = r0 - k * r1, t2 = t0 - k * t1;
        r0 = r1;
        r1 = r2;
        t0 = t1;
        t1 = t2;
    }
    std::int64_t t = t0 % q;
    if (t < 0) t += q;
    return static_cast<std::int32_t>(t);
}
}  // namespace

std::int32_t clsFiniteField::InverseDirect(std::int32_t a) const {
    if (a == 0) return 0;
    if (FieldSize == 2) return 1;
    if (IsPowerOfTwoSize() || FieldSize < 2) return 0;
    return PrimeInverse(FieldSize, a);
}

std::int32_t clsFiniteField::DivideDirect(std::int32_t a, std::int32_t b) const {
    if (a == 0 || b == 0) return 0;
    if (FieldSize == 2) return 1;
    if (IsPowerOfTwoSize() || FieldSize < 2) return 0;
    std::int64_t r = (std::int64_t{a} * PrimeInverse(FieldSize, b)) % FieldSize;
    if (r < 0) r += FieldSize;
    return static_cast<std::int32_t>(r);
}

std::int32_t clsFiniteField::FindPrimitiveElement() const {
    const std::int32_t q = FieldSize;
    if (q < 3) return 0;
    // Cofactors (q-1)/p for the distinct primes p dividing q-1, smallest p first.
    std::int32_t cofactors[8];
    std::int32_t cofactorCount = 0;
    std::int32_t n = q - 1;
    if (n % 2 == 0) {
        cofactors[cofactorCount++] = (q - 1) / 2;
        while (n % 2 == 0) n /= 2;
    }
    auto boundFor = [](std::int32_t value) {
        return static_cast<std::int32_t>(std::lround(std::sqrt(static_cast<double>(value)) + 2));
    };
    std::int32_t bound = boundFor(n);
    for (std::int32_t p = 3; p <= bound && cofactorCount < 8; p += 2) {
        if (n % p != 0) continue;
        while (n % p == 0) n /= p;
        cofactors[cofactorCount++] = (q - 1) / p;
        bound = boundFor(n);
    }
    if (n > 1 && cofactorCount < 8) cofactors[cofactorCount++] = (q - 1) / n;

    for (std::int32_t d = 2; d <= q - 1; ++d) {
        std::int32_t squares[14];
        squares[0] = d;
        for (int k = 1; k < 14; ++k) squares[k] = MultiplyDirect(squares[k - 1], squares[k - 1]);
        bool primitive = true;
        for (std::int32_t c = 0; c < cofactorCount && primitive; ++c) {
            const std::int32_t e = cofactors[c];
            std::int32_t power = 1;
            for (int k = 0; k < 14 && (e >> k) != 0; ++k) {
                if (e & (1 << k)) power = MultiplyDirect(power, squares[k]);
            }
            if (power == 1) primitive = false;
        }
        if (primitive) return d;
    }
    return 0;
}
