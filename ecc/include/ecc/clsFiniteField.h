#pragma once
// Arithmetic in a finite field of q elements, 2 <= q <= 16384: GF(2^m) when q is a power
// of two (elements are polynomials over GF(2), reduced by a given polynomial), otherwise
// the integers modulo q (q taken as prime, not tested). Multiplication and division go
// through logarithm tables built once by Init from a primitive element.

#include <cstdint>
#include <vector>

class clsFiniteField {
  public:
    // The largest field: q entries in each table.
    static constexpr std::int32_t TableSize = 16384;

    // Sets the field up. Returns false, leaving the object unchanged, for a size outside
    // 2..16384, polynomial 0 for a power-of-two size of at least 4, a generator that is not
    // 0 (search) or an element 1..size-1, or no memory for the tables. Irreducibility and
    // primality are not tested.
    bool Init(std::int32_t size, std::int32_t polynomial, std::int32_t generator);

    std::int32_t GetFieldSize() const { return FieldSize; }
    std::int32_t GetPolynomial() const { return Polynomial; }
    std::int32_t GetGenerator() const { return Generator; }

    // Operands must be elements 0..q-1. The table operations give 0 for any other operand
    // (and before a successful Init) rather than read outside their tables. The four
    // operations of the Reed-Solomon loops are defined here so that callers can inline them.
    std::int32_t Add(std::int32_t a, std::int32_t b) const {
        if (IsPowerOfTwoSize()) return a ^ b;
        const std::int32_t s = a + b;
        return s >= FieldSize ? s - FieldSize : s;
    }
    std::int32_t Subtract(std::int32_t a, std::int32_t b) const {
        if (IsPowerOfTwoSize()) return a ^ b;
        const std::int32_t d = a - b;
        return d < 0 ? d + FieldSize : d;
    }
    std::int32_t Negate(std::int32_t a) const {
        if (IsPowerOfTwoSize()) return a;
        return a == 0 ? 0 : FieldSize - a;
    }
    std::int32_t Multiply(std::int32_t a, std::int32_t b) const {  // through the tables
        if (!IsNonzeroElement(a) || !IsNonzeroElement(b)) return 0;
        std::int32_t s = LogTable[a] + LogTable[b];
        if (s >= FieldSize - 1) s -= FieldSize - 1;
        return ExpTable[s];
    }
    std::int32_t Divide(std::int32_t a, std::int32_t b) const;  // 0 when either is 0
    std::int32_t Inverse(std::int32_t a) const;                 // 0 for 0
    std::int32_t Log(std::int32_t a) const;                     // LogTable as stored
    std::int32_t Exp(std::int32_t n) const;                     // any integer exponent

    // Without the tables. Divide/InverseDirect compute only in prime fields and q = 2.
    std::int32_t MultiplyDirect(std::int32_t a, std::int32_t b) const;
    std::int32_t DivideDirect(std::int32_t a, std::int32_t b) const;
    std::int32_t InverseDirect(std::int32_t a) const;

    // Smallest element whose powers run through all q-1 nonzero elements, or 0.
    std::int32_t FindPrimitiveElement() const;

  private:
    bool IsPowerOfTwoSize() const { return (FieldSize & (FieldSize - 1)) == 0; }
    bool IsNonzeroElement(std::int32_t a) const { return a > 0 && a < FieldSize; }
    void BuildTables(std::int32_t generator);

    std::int32_t FieldSize = 0;
    std::int32_t Polynomial = 0;
    std::int32_t Generator = 0;
    // Entries 0..q-1 of the largest field set up so far: Init grows them and never shrinks
    // them, so entries from q up keep what a larger field left (zero where never written).
    // Sized by the field rather than for the largest one, so that an encoder's GF(256) costs
    // 1 KB to make, not 64 KB.
    std::vector<std::int16_t> LogTable, ExpTable;
};
