#pragma once
// Finished symbols from the outside: the encoder called with byte strings, pictures compared,
// and a reader written from the standard's description (not from the encoder) that takes a
// symbol apart into its modules, codewords, format and version information.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "encoder/clsQRCode.h"
#include "render/Picture.h"
#include "support/Bytes.h"
#include "support/KnownAnswers.h"

namespace qrtest {

inline std::shared_ptr<Picture> Encode(clsQRCode& qr, const Bytes& data, int version, int level,
                                       int mask = 0, bool kanjiAllowed = true) {
    return qr.Encode(data.data(), static_cast<std::int32_t>(data.size()), version, level, mask,
                     kanjiAllowed);
}

inline bool SamePicture(const Picture& a, const Picture& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

// The version of a picture with its 4-module quiet zone.
inline int VersionOf(const Picture& picture) {
    return (picture.Width() - 8 - 17) / 4;
}

// The module grid of an encoder picture: 1 dark, 0 light, read at (4 + x, 4 + y).
struct Symbol {
    int version = 0;
    int size = 0;
    std::vector<std::uint8_t> modules;
    int At(int x, int y) const { return modules[static_cast<std::size_t>(y) * size + x]; }
};

inline Symbol ReadSymbol(const Picture& picture) {
    Symbol s;
    s.size = picture.Width() - 8;
    s.version = (s.size - 17) / 4;
    s.modules.resize(static_cast<std::size_t>(s.size) * s.size);
    for (int y = 0; y < s.size; ++y)
        for (int x = 0; x < s.size; ++x)
            s.modules[static_cast<std::size_t>(y) * s.size + x] =
                picture.Pixel(4 + x, 4 + y) == 0x000000 ? 1 : 0;
    return s;
}

// The free cells of a version in the standard's placement order: two-module columns from
// the right edge, alternately upward and downward, right module before left, skipping the
// vertical timing column. Which cells are free comes from DrawFunctionPatterns.
inline std::vector<std::pair<int, int>> PlacementOrder(const clsQRCode& qr, int version) {
    const int n = qr.GetSymbolSize(version), stride = n + 3;
    std::vector<std::uint8_t> matrix(static_cast<std::size_t>(stride) * stride, 0);
    qr.DrawFunctionPatterns(matrix.data(), stride, version);
    std::vector<std::pair<int, int>> cells;
    bool upward = true;
    for (int right = n - 1; right > 0; right -= 2) {
        if (right == 6) right = 5;
        for (int step = 0; step < n; ++step) {
            const int y = upward ? n - 1 - step : step;
            for (int x : {right, right - 1})
                if (matrix[static_cast<std::size_t>(y) * stride + x] == 0) cells.emplace_back(x, y);
        }
        upward = !upward;
    }
    return cells;
}

// All codewords of a symbol, unmasked, in transmission order (remainder bits dropped).
inline Bytes ReadCodewords(const clsQRCode& qr, const Symbol& symbol, int mask) {
    const auto order = PlacementOrder(qr, symbol.version);
    const int total = qr.GetTotalCodewordCount(symbol.version);
    Bytes out(static_cast<std::size_t>(total), 0);
    for (int bit = 0; bit < 8 * total; ++bit) {
        const auto [x, y] = order[static_cast<std::size_t>(bit)];
        const int value = symbol.At(x, y) ^ (MaskInverts(mask, y, x) ? 1 : 0);
        out[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(value << (7 - bit % 8));
    }
    return out;
}

// The cell (x, y) of format bit 14 - i (most significant first) in the first copy, around
// the top-left finder (copy 0), or in the second, split below the top-right finder and
// beside the bottom-left one (copy 1), for symbol size n.
inline std::pair<int, int> FormatBitCell(int i, int n, int copy) {
    static const std::pair<int, int> first[15] = {{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8},
                                                  {5, 8}, {7, 8}, {8, 8}, {8, 7}, {8, 5},
                                                  {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}};
    if (copy == 0) return first[i];
    return i < 7 ? std::pair{8, n - 1 - i} : std::pair{n - 15 + i, 8};
}

// A format word as '0'/'1' text; grid.At(x, y) gives a module.
template <class Grid>
std::string ReadFormatWord(const Grid& grid, int n, int copy) {
    std::string word;
    for (int i = 0; i < 15; ++i) {
        const auto [x, y] = FormatBitCell(i, n, copy);
        word += static_cast<char>('0' + grid.At(x, y));
    }
    return word;
}

// The version word of the block beside the bottom-left finder or, with topRight, the one
// below the top-right finder: bit k at (k / 3, n - 11 + k % 3), the other block transposed.
template <class Grid>
int ReadVersionWord(const Grid& grid, int n, bool topRight) {
    int word = 0;
    for (int k = 17; k >= 0; --k)
        word = word << 1 |
               (topRight ? grid.At(n - 11 + k % 3, k / 3) : grid.At(k / 3, n - 11 + k % 3));
    return word;
}

}  // namespace qrtest
