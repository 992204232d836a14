#include "SymbolGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "encoder/SymbolLayout.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {
namespace {

// Words within this many bits of a format or version word are taken as that word (the BCH
// codes correct three errors).
constexpr int kMostBitErrors = 3;
// Function modules (finders, timing, alignment) that may be misread in a clean picture.
constexpr double kMostFunctionErrors = 0.03;

// The projective map of the unit square onto a quadrilateral (corners in order: (0,0),
// (1,0), (1,1), (0,1)).
struct Perspective {
    double a11, a12, a13, a21, a22, a23, a31, a32;

    explicit Perspective(const Quad& q) {
        const double x0 = q[0].x, y0 = q[0].y, x1 = q[1].x, y1 = q[1].y;
        const double x2 = q[2].x, y2 = q[2].y, x3 = q[3].x, y3 = q[3].y;
        const double dx3 = x0 - x1 + x2 - x3, dy3 = y0 - y1 + y2 - y3;
        if (std::abs(dx3) < 1e-9 && std::abs(dy3) < 1e-9) {  // a parallelogram
            a11 = x1 - x0, a21 = x2 - x1, a31 = x0;
            a12 = y1 - y0, a22 = y2 - y1, a32 = y0;
            a13 = a23 = 0;
        } else {
            const double dx1 = x1 - x2, dx2 = x3 - x2, dy1 = y1 - y2, dy2 = y3 - y2;
            const double d = dx1 * dy2 - dx2 * dy1;
            a13 = (dx3 * dy2 - dx2 * dy3) / d;
            a23 = (dx1 * dy3 - dx3 * dy1) / d;
            a11 = x1 - x0 + a13 * x1, a21 = x3 - x0 + a23 * x3, a31 = x0;
            a12 = y1 - y0 + a13 * y1, a22 = y3 - y0 + a23 * y3, a32 = y0;
        }
    }
    Corner At(double u, double v) const {
        const double w = a13 * u + a23 * v + 1;
        return {float((a11 * u + a21 * v + a31) / w), float((a12 * u + a22 * v + a32) / w)};
    }
};

// The grey pixel under c, or -1 outside the picture. Compared before any conversion: a
// degenerate quadrilateral maps to points far outside, or to no numbers at all.
int PixelAt(const GreyImage& image, Corner c) {
    if (!(c.x >= 0 && c.y >= 0 && c.x < float(image.width) && c.y < float(image.height))) return -1;
    return image.pixels[std::size_t(c.y) * image.width + std::size_t(c.x)];
}

// The modules of an n x n grid, 1 dark, sampled at their centres.
std::vector<std::uint8_t> Sample(const GreyImage& image, const Perspective& map, int n,
                                 int threshold) {
    std::vector<std::uint8_t> modules(static_cast<std::size_t>(n) * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int grey = PixelAt(image, map.At((x + 0.5) / n, (y + 0.5) / n));
            modules[std::size_t(y) * n + x] = grey >= 0 && grey < threshold;
        }
    return modules;
}

struct Grid {
    int version = 0;
    std::vector<std::uint8_t> modules, function;  // function: the encoder's 0 free, 1 dark, 2 light
};

// The share of function modules (format and version areas left out) that the grid of
// version reads wrong.
double FunctionErrors(const clsQRCode& encoder, int version, const std::vector<std::uint8_t>& m,
                      std::vector<std::uint8_t>& function) {
    const int n = encoder.GetSymbolSize(version);
    function.assign(std::size_t(n) * n, 0);
    encoder.DrawFunctionPatterns(function.data(), n, version);
    std::vector<std::uint8_t> skip(function.size(), 0);
    symbol::ForEachFormatModule(n, [&](int, int x, int y) { skip[std::size_t(y) * n + x] = 1; });
    if (version >= 7)
        symbol::ForEachVersionModule(n,
                                     [&](int, int x, int y) { skip[std::size_t(y) * n + x] = 1; });
    int checked = 0, wrong = 0;
    for (std::size_t i = 0; i < function.size(); ++i) {
        if (function[i] == 0 || skip[i]) continue;
        ++checked;
        wrong += (function[i] == 1) != (m[i] == 1);
    }
    return checked ? double(wrong) / checked : 1.0;
}

// The word among candidates nearest to read, when within kMostBitErrors bits; -1 otherwise.
template <class Word>
int Nearest(int read, int first, int last, Word word) {
    int best = -1, bestDistance = kMostBitErrors + 1;
    for (int k = first; k <= last; ++k) {
        const int distance = std::popcount(static_cast<unsigned>(read ^ word(k)));
        if (distance < bestDistance) best = k, bestDistance = distance;
    }
    return best;
}

// The version its version information says (either copy), 0 when neither reads.
int VersionInformation(const std::vector<std::uint8_t>& m, int n) {
    int copies[2] = {0, 0}, seen = 0;
    symbol::ForEachVersionModule(
        n, [&](int k, int x, int y) { copies[seen++ % 2] |= m[std::size_t(y) * n + x] << k; });
    for (const int read : copies)
        if (const int v = Nearest(read, 7, 40, symbol::VersionWord); v > 0) return v;
    return 0;
}

// Level (1..4) and mask from the format information (either copy); false when neither reads.
bool FormatInformation(const std::vector<std::uint8_t>& m, int n, int& level, int& mask) {
    int copies[2] = {0, 0}, seen = 0;
    symbol::ForEachFormatModule(
        n, [&](int k, int x, int y) { copies[seen++ % 2] |= m[std::size_t(y) * n + x] << k; });
    for (const int read : copies) {
        const int both =
            Nearest(read, 0, 31, [](int k) { return symbol::FormatWord(k / 8 + 1, k % 8); });
        if (both < 0) continue;
        level = both / 8 + 1, mask = both % 8;
        return true;
    }
    return false;
}

// The codewords in placement order: column pairs from the right, up and down in turn,
// column 6 (the vertical timing pattern) passed over; data modules unmasked.
std::vector<std::uint8_t> Codewords(const Grid& g, int n, int mask, int total) {
    std::vector<std::uint8_t> words(std::size_t(total), 0);
    int bit = 0;
    bool up = true;
    for (int right = n - 1; right > 0 && bit < 8 * total; right -= 2) {
        if (right == 6) right = 5;
        for (int i = 0; i < n && bit < 8 * total; ++i) {
            const int y = up ? n - 1 - i : i;
            for (int x = right; x >= right - 1 && bit < 8 * total; --x) {
                const std::size_t at = std::size_t(y) * n + x;
                if (g.function[at] != 0) continue;
                const bool dark = (g.modules[at] == 1) != symbol::MaskInverts(mask, x, y);
                if (dark) words[bit / 8] |= std::uint8_t(0x80 >> (bit % 8));
                ++bit;
            }
        }
        up = !up;
    }
    return words;
}

class Bits {
  public:
    explicit Bits(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    int Left() const { return int(bytes_.size()) * 8 - at_; }
    int Take(int count) {
        int value = 0;
        for (int k = 0; k < count; ++k, ++at_)
            value = value << 1 | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1);
        return value;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
    int at_ = 0;
};

// The segments of the data codewords; nullopt for a stream this reading does not follow
// (structured append, FNC1, a count past the end).
std::optional<std::vector<ReadSegment>> Segments(const std::vector<std::uint8_t>& data,
                                                 int version) {
    const int cls = version <= 9 ? 0 : version <= 26 ? 1 : 2;
    // The data modes: indicator, count-field width by version class (1-9, 10-26, 27-40), and
    // bits per full group of `per` characters, per group of 1 and of 2 left over.
    struct ModeRow {
        int indicator, mode, countBits[3], per, each, left1, left2;
    };
    static constexpr ModeRow kModes[] = {
        {0b0001, clsQRCode::ModeNumeric, {10, 12, 14}, 3, 10, 4, 7},
        {0b0010, clsQRCode::ModeAlphanumeric, {9, 11, 13}, 2, 11, 6, 0},
        {0b0100, clsQRCode::ModeByte, {8, 16, 16}, 1, 8, 0, 0},
        {0b1000, clsQRCode::ModeKanji, {8, 10, 12}, 1, 13, 0, 0},
    };
    Bits bits(data);
    std::vector<ReadSegment> out;
    while (bits.Left() >= 4) {
        const int indicator = bits.Take(4);
        if (indicator == 0) break;  // the terminator
        if (indicator == 0b0111) {  // ECI: 1, 2 or 3 bytes
            if (bits.Left() < 8) return std::nullopt;
            int eci = bits.Take(8);
            if ((eci & 0x80) == 0) {
            } else if ((eci & 0xC0) == 0x80 && bits.Left() >= 8) {
                eci = (eci & 0x3F) << 8 | bits.Take(8);
            } else if ((eci & 0xE0) == 0xC0 && bits.Left() >= 16) {
                eci = (eci & 0x1F) << 16 | bits.Take(16);
            } else {
                return std::nullopt;
            }
            out.push_back({clsQRCode::ModeEci, 0, eci});
            continue;
        }
        const ModeRow* row =
            std::find_if(std::begin(kModes), std::end(kModes),
                         [&](const ModeRow& m) { return m.indicator == indicator; });
        if (row == std::end(kModes)) return std::nullopt;
        const int width = row->countBits[cls];
        if (bits.Left() < width) return std::nullopt;
        const int count = bits.Take(width);
        const int rest = count % row->per;
        const int need = count / row->per * row->each + (rest == 1   ? row->left1
                                                         : rest == 2 ? row->left2
                                                                     : 0);
        if (bits.Left() < need) return std::nullopt;
        for (int left = need; left > 0; left -= std::min(left, 24)) bits.Take(std::min(left, 24));
        out.push_back({row->mode, count, 0});
    }
    return out;
}

}  // namespace

SymbolFacts ReadSymbolFacts(const GreyImage& image, const Quad& corners) {
    SymbolFacts facts;
    if (image.Empty()) return facts;
    clsQRCode encoder;
    const Perspective map(corners);
    // Dark and light apart at the middle of the picture's range under the symbol.
    int lo = 255, hi = 0;
    for (int j = 0; j < 32; ++j)
        for (int i = 0; i < 32; ++i) {
            const int g = PixelAt(image, map.At((i + 0.5) / 32, (j + 0.5) / 32));
            if (g >= 0) lo = std::min(lo, g), hi = std::max(hi, g);
        }
    if (hi - lo < 32) return facts;
    const int threshold = (lo + hi + 1) / 2;
    // The side in pixels bounds the versions worth trying: a module needs two pixels.
    const double side = std::hypot(corners[1].x - corners[0].x, corners[1].y - corners[0].y);
    Grid best;
    double bestErrors = 1.0;
    for (int v = 1; v <= 40; ++v) {
        const int n = encoder.GetSymbolSize(v);
        if (n > side / 2) break;
        Grid g;
        g.version = v;
        g.modules = Sample(image, map, n, threshold);
        const double errors = FunctionErrors(encoder, v, g.modules, g.function);
        if (errors < bestErrors) bestErrors = errors, best = std::move(g);
    }
    if (best.version == 0 || bestErrors > kMostFunctionErrors) return facts;
    const int n = encoder.GetSymbolSize(best.version);
    // From version 7 the symbol says its version; a grid whose count disagrees is not it.
    if (best.version >= 7 && VersionInformation(best.modules, n) != best.version) return facts;
    facts.version = best.version;
    int level = 0, mask = 0;
    if (!FormatInformation(best.modules, n, level, mask)) return facts;
    facts.level = "LMQH"[level - 1];
    facts.mask = mask;

    // The codewords, and whether their error correction is exactly what their data give.
    const int total = encoder.GetTotalCodewordCount(best.version);
    const std::vector<std::uint8_t> read = Codewords(best, n, mask, total);
    std::vector<std::uint8_t> data(
        static_cast<std::size_t>(encoder.GetDataCodewordCount(best.version, level)));
    if (!encoder.DataCodewordsOf(read.data(), best.version, level, data.data())) return facts;
    facts.segments = Segments(data, best.version);
    return facts;
}

}  // namespace qrdesk
