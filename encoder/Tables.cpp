// Construction of the encoder: its GF(256) field and the standard's tables, and the
// geometry and capacity questions answered from them.

#include <algorithm>
#include <memory>
#include <new>

#include "Symbol.h"
#include "encoder/clsQRCode.h"

namespace {

// ISO/IEC 18004 Table 9, per version 1..40 and level L, M, Q, H: number of error-correction
// blocks and error-correction codewords per block.
constexpr std::uint8_t kBlocks[40][4] = {
    {1, 1, 1, 1},     {1, 1, 1, 1},     {1, 1, 2, 2},     {1, 2, 2, 4},     {1, 2, 4, 4},
    {2, 4, 4, 4},     {2, 4, 6, 5},     {2, 4, 6, 6},     {2, 5, 8, 8},     {4, 5, 8, 8},
    {4, 5, 8, 11},    {4, 8, 10, 11},   {4, 9, 12, 16},   {4, 9, 16, 16},   {6, 10, 12, 18},
    {6, 10, 17, 16},  {6, 11, 16, 19},  {6, 13, 18, 21},  {7, 14, 21, 25},  {8, 16, 20, 25},
    {8, 17, 23, 25},  {9, 17, 23, 34},  {9, 18, 25, 30},  {10, 20, 27, 32}, {12, 21, 29, 35},
    {12, 23, 34, 37}, {12, 25, 34, 40}, {13, 26, 35, 42}, {14, 28, 38, 45}, {15, 29, 40, 48},
    {16, 31, 43, 51}, {17, 33, 45, 54}, {18, 35, 48, 57}, {19, 37, 51, 60}, {19, 38, 53, 63},
    {20, 40, 56, 66}, {21, 43, 59, 70}, {22, 45, 62, 74}, {24, 47, 65, 77}, {25, 49, 68, 81},
};
constexpr std::uint8_t kEcPerBlock[40][4] = {
    {7, 10, 13, 17},  {10, 16, 22, 28}, {15, 26, 18, 22}, {20, 18, 26, 16}, {26, 24, 18, 22},
    {18, 16, 24, 28}, {20, 18, 18, 26}, {24, 22, 22, 26}, {30, 22, 20, 24}, {18, 26, 24, 28},
    {20, 30, 28, 24}, {24, 22, 26, 28}, {26, 22, 24, 22}, {30, 24, 20, 24}, {22, 24, 30, 24},
    {24, 28, 24, 30}, {28, 28, 28, 28}, {30, 26, 28, 28}, {28, 26, 26, 26}, {28, 26, 30, 28},
    {28, 26, 28, 30}, {28, 28, 30, 24}, {30, 28, 30, 30}, {30, 28, 30, 30}, {26, 28, 30, 30},
    {28, 28, 28, 30}, {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30},
    {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30},
    {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30}, {30, 28, 30, 30},
};

bool ValidVersionLevel(std::int32_t version, std::int32_t level) {
    return version >= 1 && version <= 40 && level >= 1 && level <= 4;
}

}  // namespace

namespace symbol {

std::shared_ptr<clsFiniteField> NewGf256() {
    try {
        auto field = std::make_shared<clsFiniteField>();
        if (field->Init(256, 285, 2)) return field;
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

}  // namespace symbol

clsQRCode::clsQRCode() {
    for (std::int32_t v = 0; v < 40; ++v) {
        for (std::int32_t l = 0; l < 4; ++l) {
            EcBlockCount[4 * v + l] = kBlocks[v][l];
            EcCodewordsPerBlock[4 * v + l] = kEcPerBlock[v][l];
        }
    }
    for (std::int32_t k = 0; k < 18; ++k) PowerOfTwo[k] = std::int32_t{1} << k;
}

std::int32_t clsQRCode::GetSymbolSize(std::int32_t version) const {
    if (version >= 1 && version <= 40) return 4 * version + 17;
    if (version >= -4 && version <= -1) return 9 - 2 * version;
    return 0;
}

std::int32_t clsQRCode::GetAlignmentCoordinateCount(std::int32_t version) const {
    if (version < 2) return 1;
    return version / 7 + 2;
}

std::int32_t clsQRCode::GetAlignmentPatternCount(std::int32_t version) const {
    const std::int32_t a = GetAlignmentCoordinateCount(version);
    return a < 2 ? 0 : a * a - 3;
}

std::int32_t clsQRCode::GetDataModuleCount(std::int32_t version) const {
    const std::int32_t n = GetSymbolSize(version);
    if (version >= -4 && version <= -1) return n * n + 4 * version - 81;
    if (version < 1 || version > 40) return 0;
    // Everything but finders with separators, timing, alignment, format (with the dark
    // module) and, from version 7, the two version blocks.
    std::int32_t modules = n * (n - 2) - 191;
    const std::int32_t a = GetAlignmentCoordinateCount(version);
    if (a >= 2) modules += (10 - 25 * a) * a + 55;
    if (a > 2) modules -= 36;
    return modules;
}

std::int32_t clsQRCode::GetTotalCodewordCount(std::int32_t version) const {
    if (version >= -4 && version <= -1) return (GetDataModuleCount(version) + 4) / 8;
    return GetDataModuleCount(version) / 8;
}

std::int32_t clsQRCode::GetEcBlockCount(std::int32_t version, std::int32_t level) const {
    return ValidVersionLevel(version, level) ? EcBlockCount[4 * (version - 1) + level - 1] : 0;
}

std::int32_t clsQRCode::GetEcCodewordsPerBlock(std::int32_t version, std::int32_t level) const {
    return ValidVersionLevel(version, level) ? EcCodewordsPerBlock[4 * (version - 1) + level - 1]
                                             : 0;
}

std::int32_t clsQRCode::GetDataCodewordCount(std::int32_t version, std::int32_t level) const {
    if (!ValidVersionLevel(version, level)) return 0;
    return GetTotalCodewordCount(version) -
           GetEcBlockCount(version, level) * GetEcCodewordsPerBlock(version, level);
}
