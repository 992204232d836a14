#pragma once
// Systematic Reed-Solomon encoder over a clsFiniteField. Init fixes a block shape (k data
// symbols, n parity symbols) and builds the monic generator polynomial
// g(x) = (x - p^r)(x - p^(r+1))...(x - p^(r+n-1)); EncodeBlock then computes the parity of
// one block per call.
//
// A block is a polynomial, one coefficient per index (index = power of x): the k data
// symbols at indices n..n+k-1 (the first data symbol at n+k-1), the parity at 0..n-1 (the
// first parity symbol to transmit at n-1).

#include <cstdint>
#include <memory>

#include "ecc/clsFiniteField.h"

class clsReedSolomon {
  public:
    static constexpr std::int32_t MaxBlockLength = 1024;
    // Shapes up to this many parity symbols over fields of at most 256 elements get the
    // product rows below (QR Code needs at most 30).
    static constexpr std::int32_t MaxRowLength = 32;

    // Returns false, changing nothing, for k <= 0, n <= 0, k + n > 1024 or firstRoot < 0;
    // also when there is no field (neither given nor stored) or no primitive element.
    // primitive 0 means: the stored Primitive, or else the field's generator.
    bool Init(std::int32_t dataLength, std::int32_t parityLength,
              std::shared_ptr<clsFiniteField> field, std::int32_t primitive,
              std::int32_t firstRoot);

    // Reads block[n..n+k-1], writes the parity into block[0..n-1]; block must hold at least
    // n + k entries whose data entries are field elements. Does nothing before Init.
    void EncodeBlock(std::int32_t* block) const;

    std::shared_ptr<clsFiniteField> GetField() const { return Field; }
    void SetField(std::shared_ptr<clsFiniteField> field) { Field = std::move(field); }
    std::int32_t GetPrimitive() const { return Primitive; }
    void SetPrimitive(std::int32_t value) { Primitive = value; }
    std::int32_t GetDataLength() const { return DataLength; }
    std::int32_t GetParityLength() const { return ParityLength; }
    std::int32_t GetFirstRoot() const { return FirstRoot; }
    // 0 for an index outside 0..1023.
    std::int32_t GetGeneratorCoefficient(std::int32_t index) const;

  private:
    // Sets up the product rows for the current generator when the field allows it.
    void ResetProductRows();
    bool RowsMatchField() const;
    // Row a of the products, made on first use.
    const std::uint64_t* ProductRow(std::int32_t a) const;

    std::shared_ptr<clsFiniteField> Field;
    std::int32_t DataLength = 0;
    std::int32_t ParityLength = 0;
    std::int32_t Primitive = 0;
    std::int32_t FirstRoot = 0;
    std::int32_t GeneratorPoly[MaxBlockLength] = {};

    // Row a holds the products Multiply(a, GeneratorPoly[j]), j = 0..n-1, one byte each, packed
    // into four 64-bit words with coefficient j at byte 32 - n + j (the highest at byte 31, the
    // bytes below 32 - n zero). The remainder of a block is then kept in four words the same
    // way, and one step of the division is a shift by one byte and four exclusive ors, with
    // no multiplication left in the loop: the same steps as the plain division for any
    // field of 2^m <= 256 elements. A row is made the first time its lead occurs
    // (ready) and kept until the next Init. Valid only for the field as it was at Init
    // (RowsField and its size, polynomial and generator); otherwise EncodeBlock multiplies
    // through the field. Made by the first EncodeBlock that needs them, so that an object
    // that never encodes a block (the symbol encoder's derives its own tables) stays small.
    struct Rows {
        std::uint64_t products[256][4];  // read only where ready: not cleared
        bool ready[256];
    };
    mutable std::unique_ptr<Rows> ProductRows;
    const clsFiniteField* RowsField = nullptr;
    std::int32_t RowsFieldSize = 0, RowsPolynomial = 0, RowsGenerator = 0;
};
