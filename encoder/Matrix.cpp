// The module matrix: function patterns, codeword placement, masking, and the BCH-protected
// format and version information.

#include "encoder/clsQRCode.h"

namespace {
constexpr std::uint8_t kFree = 0, kDark = 1, kLight = 2;
}

void clsQRCode::DrawFunctionPatterns(std::uint8_t* m, std::int32_t stride,
                                     std::int32_t version) const {
    if (m == nullptr || version < 1 || version > 40) return;
    const std::int32_t n = GetSymbolSize(version);
    auto at = [&](std::int32_t x, std::int32_t y) -> std::uint8_t& { return m[y * stride + x]; };

    // Finder patterns with their separators, in the three corners.
    for (std::int32_t y = 0; y <= 7; ++y) {
        for (std::int32_t x = 0; x <= 7; ++x) {
            const bool lightRing = ((x == 1 || x == 5) && y >= 1 && y <= 5) ||
                                   ((y == 1 || y == 5) && x >= 1 && x <= 5);
            const std::uint8_t value = (lightRing || x == 7 || y == 7) ? kLight : kDark;
            at(x, y) = value;
            at(n - 1 - x, y) = value;
            at(x, n - 1 - y) = value;
        }
    }
    // Format areas, reserved; then the dark module.
    for (std::int32_t i = 0; i <= 7; ++i) {
        at(i, 8) = kLight;
        at(8, i) = kLight;
        at(n - 1 - i, 8) = kLight;
        at(8, n - 1 - i) = kLight;
    }
    at(8, 8) = kLight;
    at(8, n - 8) = kDark;
    // Version areas, reserved (the strips on the timing lines are overwritten next).
    if (version >= 7) {
        for (std::int32_t i = n - 11; i <= n - 9; ++i) {
            for (std::int32_t j = 0; j <= 6; ++j) {
                at(j, i) = kLight;
                at(i, j) = kLight;
            }
        }
    }
    // Timing patterns.
    for (std::int32_t i = 8; i <= n - 9; ++i) {
        const std::uint8_t value = (i % 2 == 0) ? kDark : kLight;
        at(i, 6) = value;
        at(6, i) = value;
    }
    // Alignment patterns at every pair of coordinates N-7, N-7-s, ... (>= 18), plus each
    // such coordinate paired with 6; the three pairs under the finders are never drawn.
    if (version >= 2) {
        const std::int32_t step = AlignmentStep[version - 1];
        auto draw = [&](std::int32_t cx, std::int32_t cy) {
            for (std::int32_t dy = -2; dy <= 2; ++dy)
                for (std::int32_t dx = -2; dx <= 2; ++dx) {
                    const bool dark =
                        dx == 2 || dx == -2 || dy == 2 || dy == -2 || (dx == 0 && dy == 0);
                    at(cx + dx, cy + dy) = dark ? kDark : kLight;
                }
        };
        for (std::int32_t cy = n - 7; cy >= 18; cy -= step)
            for (std::int32_t cx = n - 7; cx >= 18; cx -= step) draw(cx, cy);
        for (std::int32_t c = n - 7 - step; c >= 18; c -= step) {
            draw(c, 6);
            draw(6, c);
        }
    }
}

std::int32_t clsQRCode::PlaceCodewords(const std::uint8_t* symbolMatrix, std::int32_t stride,
                                       std::uint8_t* dataMatrix, std::int32_t size,
                                       const std::uint8_t* bits, std::int32_t bitCount) const {
    std::int32_t i = 0;
    if (symbolMatrix == nullptr || dataMatrix == nullptr || bits == nullptr) return 0;
    auto visit = [&](std::int32_t x, std::int32_t y) {
        if (i < bitCount && symbolMatrix[y * stride + x] == kFree)
            dataMatrix[y * size + x] = bits[i++];
    };
    // Two-module columns from the right, upward then downward, skipping the timing column 6.
    for (std::int32_t x = size; x >= 5 && i < bitCount;) {
        std::int32_t c = x - 2 < 6 ? x - 3 : x - 2;
        for (std::int32_t y = size - 1; y >= 0; --y) {
            visit(c + 1, y);
            visit(c, y);
        }
        x -= 4;
        c = x < 6 ? x - 1 : x;
        for (std::int32_t y = 0; y < size; ++y) {
            visit(c + 1, y);
            visit(c, y);
        }
    }
    return i;
}

std::int32_t clsQRCode::ApplyMask(std::uint8_t* dataMatrix, std::int32_t size,
                                  std::int32_t mask) const {
    if (mask < 0 || mask > 7) mask = 0;
    if (dataMatrix == nullptr) return mask;
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            bool invert;
            switch (mask) {
                case 0:
                    invert = (y + x) % 2 == 0;
                    break;
                case 1:
                    invert = y % 2 == 0;
                    break;
                case 2:
                    invert = x % 3 == 0;
                    break;
                case 3:
                    invert = (y + x) % 3 == 0;
                    break;
                case 4:
                    invert = (y / 2 + x / 3) % 2 == 0;
                    break;
                case 5:
                    invert = (y * x) % 2 + (y * x) % 3 == 0;
                    break;
                case 6:
                    invert = ((y * x) % 2 + (y * x) % 3) % 2 == 0;
                    break;
                default:
                    invert = ((y + x) % 2 + (y * x) % 3) % 2 == 0;
                    break;
            }
            if (invert) dataMatrix[y * size + x] ^= 1;
        }
    }
    return mask;
}

std::int32_t clsQRCode::GetBchRemainder(std::int32_t value, std::int32_t generator,
                                        std::int32_t topBit, std::int32_t steps) const {
    if (steps <= 0) return value;
    for (std::int32_t k = 0; k < steps; ++k) {
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 1);
        if (value & topBit) value = (value ^ generator) & (topBit - 1);
    }
    return value;
}

void clsQRCode::WriteVersionInformation(std::uint8_t* m, std::int32_t stride,
                                        std::int32_t version) const {
    if (m == nullptr || version < 7 || version > 40) return;
    const std::int32_t n = GetSymbolSize(version);
    const std::int32_t word = version * 4096 + GetBchRemainder(version, 7973, 4096, 12);
    for (std::int32_t j = 0; j <= 5; ++j) {
        for (std::int32_t i = 0; i <= 2; ++i) {
            const std::uint8_t bit = (word & PowerOfTwo[3 * j + i]) ? 1 : 0;
            m[(n - 11 + i) * stride + j] = bit;  // bottom-left block
            m[j * stride + (n - 11 + i)] = bit;  // top-right block
        }
    }
}

void clsQRCode::WriteFormatInformation(std::uint8_t* m, std::int32_t stride, std::int32_t size,
                                       std::int32_t level, std::int32_t mask) const {
    if (m == nullptr || size < 21) return;
    if (level < 1 || level > 4) level = 2;
    if (mask < 0 || mask > 7) mask = 0;
    const std::int32_t data = (((level - 1) ^ 1) << 3) | mask;  // L 01, M 00, Q 11, H 10
    const std::int32_t word = (data * 1024 + GetBchRemainder(data, 1335, 1024, 10)) ^ 0x5412;
    // Bit k's two positions; the first copy skips the timing modules (6, 8) and (8, 6).
    static constexpr std::int8_t kFirst[15][2] = {{8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4},
                                                  {8, 5}, {8, 7}, {8, 8}, {7, 8}, {5, 8},
                                                  {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8}};
    for (std::int32_t k = 0; k < 15; ++k) {
        const std::uint8_t bit = (word & PowerOfTwo[k]) ? 1 : 0;
        m[kFirst[k][1] * stride + kFirst[k][0]] = bit;
        if (k <= 7)
            m[8 * stride + (size - 1 - k)] = bit;  // row 8, right edge leftwards
        else
            m[(size - 15 + k) * stride + 8] = bit;  // column 8, bottom edge upwards
    }
}
