// clsReedSolomon::Init and EncodeBlock with arbitrary shapes within their limits: nothing
// is read or written outside the block, and every codeword of GF(256) with the field's own
// primitive element is a multiple of the generator (all its syndromes are zero).

#include <cstdlib>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "ecc/clsReedSolomon.h"
#include "support/Codewords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto gf256 = qrtest::Gf256();
    FuzzInput in(data, size);
    const std::int32_t k = in.Range(-1, 1030), n = in.Range(-1, 260);
    const std::int32_t primitive = in.Range(0, 300), firstRoot = in.Range(-1, 300);
    clsReedSolomon rs;
    if (!rs.Init(k, n, gf256, primitive, firstRoot)) return 0;
    if (k < 1 || n < 1 || k + n > 1024) std::abort();

    std::vector<std::int32_t> block(static_cast<std::size_t>(k + n) + 8, -7);
    for (std::int32_t i = n; i < n + k; ++i) block[i] = in.Byte();
    const std::vector<std::int32_t> before = block;
    rs.EncodeBlock(block.data());
    for (std::int32_t i = n; i < static_cast<std::int32_t>(block.size()); ++i)
        if (block[i] != before[i]) std::abort();  // only the parity entries change
    for (std::int32_t i = 0; i < n; ++i)
        if (block[i] < 0 || block[i] > 255) std::abort();

    // Syndromes: the codeword evaluated at each root p^(firstRoot + j) is zero.
    const std::int32_t p = rs.GetPrimitive();
    std::int32_t root = gf256->Exp(
        static_cast<std::int32_t>(static_cast<std::int64_t>(gf256->Log(p)) * firstRoot % 255));
    if (firstRoot == 0) root = 1;
    for (std::int32_t j = 0; j < n; ++j) {
        std::int32_t value = 0;
        for (std::int32_t i = n + k - 1; i >= 0; --i)
            value = gf256->Add(gf256->Multiply(value, root), block[i]);
        if (value != 0) std::abort();
        root = gf256->Multiply(root, p);
    }
    return 0;
}
