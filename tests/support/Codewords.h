#pragma once
// Codewords as the standard makes them, stated plainly: the data codewords of a finished
// stream, the block split of an interleaved sequence, and Reed-Solomon parity of one block,
// by clsReedSolomon and by a long division that uses neither ecc/ nor a table.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "ecc/clsFiniteField.h"
#include "ecc/clsReedSolomon.h"
#include "support/Bytes.h"

namespace qrtest {

// Data codewords as the standard finishes them: the stream cut at the capacity, zero bits to
// a codeword boundary, then 0xEC and 0x11 alternately.
inline Bytes FinishDataCodewords(const std::vector<std::uint8_t>& streamBits, int dataCodewords) {
    Bytes out;
    std::size_t limit = std::min<std::size_t>(streamBits.size(), 8u * dataCodewords);
    for (std::size_t i = 0; i < limit; i += 8) {
        int value = 0;
        for (std::size_t k = 0; k < 8; ++k)
            value = (value << 1) | (i + k < limit ? streamBits[i + k] : 0);
        out.push_back(static_cast<std::uint8_t>(value));
    }
    for (bool ec = true; out.size() < static_cast<std::size_t>(dataCodewords); ec = !ec)
        out.push_back(ec ? 0xEC : 0x11);
    return out;
}

// Splits an interleaved codeword sequence into blocks: blocks*ec error-correction codewords
// at the end, the data round-robin over the blocks, shorter blocks first.
struct Blocks {
    std::vector<Bytes> data;
    std::vector<Bytes> ec;
};

inline Blocks Deinterleave(const Bytes& codewords, int blocks, int ecPerBlock) {
    const int dataCount = static_cast<int>(codewords.size()) - blocks * ecPerBlock;
    const int shortLength = dataCount / blocks;
    const int longBlocks = dataCount % blocks;
    Blocks out{std::vector<Bytes>(blocks), std::vector<Bytes>(blocks)};
    std::size_t pos = 0;
    for (int round = 0; round <= shortLength; ++round)
        for (int b = 0; b < blocks; ++b) {
            const int length = b < blocks - longBlocks ? shortLength : shortLength + 1;
            if (round < length) out.data[b].push_back(codewords[pos++]);
        }
    for (int k = 0; k < ecPerBlock; ++k)
        for (int b = 0; b < blocks; ++b) out.ec[b].push_back(codewords[pos++]);
    return out;
}

// GF(256) as QR Code uses it: polynomial x^8 + x^4 + x^3 + x^2 + 1, primitive element 2.
inline std::shared_ptr<clsFiniteField> Gf256() {
    auto field = std::make_shared<clsFiniteField>();
    field->Init(256, 285, 2);
    return field;
}

// The parity rs computes for data (first codeword first), in transmission order: the data
// go in at the block's top indices, the first codeword highest.
template <class Codeword>
std::vector<int> Parity(const clsReedSolomon& rs, const std::vector<Codeword>& data) {
    const int k = static_cast<int>(data.size()), n = rs.GetParityLength();
    std::vector<std::int32_t> block(static_cast<std::size_t>(n + k), 0);
    for (int i = 0; i < k; ++i) block[static_cast<std::size_t>(n + k - 1 - i)] = data[i];
    rs.EncodeBlock(block.data());
    std::vector<int> parity;
    for (int m = 0; m < n; ++m) parity.push_back(block[static_cast<std::size_t>(n - 1 - m)]);
    return parity;
}

// GF(256) multiplication bit by bit, reduced by x^8 + x^4 + x^3 + x^2 + 1.
inline int ReferenceGf256Multiply(int a, int b) {
    int product = 0;
    for (int bit = 7; bit >= 0; --bit) {
        product <<= 1;
        if (product & 0x100) product ^= 0x11D;
        if (b & (1 << bit)) product ^= a;
    }
    return product;
}

// The error-correction codewords of data (first codeword first) in transmission order: the
// remainder of data(x) x^n divided by g(x) = (x - 1)(x - 2)(x - 4)...(x - 2^(n-1)), by long
// division.
template <class Codeword>
std::vector<int> ReferenceParity(const std::vector<Codeword>& data, int n) {
    std::vector<int> g = {1};  // highest power first
    for (int i = 0, root = 1; i < n; ++i, root = ReferenceGf256Multiply(root, 2)) {
        std::vector<int> next(g.size() + 1, 0);
        for (std::size_t j = 0; j < g.size(); ++j) {
            next[j] ^= g[j];
            next[j + 1] ^= ReferenceGf256Multiply(g[j], root);
        }
        g = next;
    }
    std::vector<int> remainder(static_cast<std::size_t>(n), 0);
    for (const Codeword d : data) {
        const int lead = static_cast<int>(d) ^ remainder[0];
        remainder.erase(remainder.begin());
        remainder.push_back(0);
        for (int j = 0; j < n; ++j) remainder[j] ^= ReferenceGf256Multiply(lead, g[j + 1]);
    }
    return remainder;
}

}  // namespace qrtest
