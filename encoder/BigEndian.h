#pragma once
// Whole words read and written most significant byte first, as the codewords run: the
// stream writer, the error-correction remainders and the placement's reader share them.

#include <cstdint>
#include <cstring>

namespace bigendian {

inline std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return __builtin_bswap32(v);
}

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

inline void Store32(std::uint8_t* p, std::uint32_t v) {
    v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}

inline void Store64(std::uint8_t* p, std::uint64_t v) {
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

}  // namespace bigendian
