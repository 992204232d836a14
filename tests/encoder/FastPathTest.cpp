// The fast paths added for speed against what they stand for: Reed-Solomon parity through
// product rows against long division through the field's own Multiply; the measuring pass
// (two rows kept) against the writing pass (whole table); the automatic version, which skips
// classes that cannot hold the data, against the smallest fixed version that does; masking
// by repeated pattern rows and the placement walk against the cell-by-cell rules.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ecc/clsFiniteField.h"
#include "ecc/clsReedSolomon.h"
#include "encoder/clsQRCode.h"
#include "support/TestSupport.h"

namespace {

std::shared_ptr<clsFiniteField> Field(std::int32_t size, std::int32_t polynomial) {
    auto field = std::make_shared<clsFiniteField>();
    EXPECT_TRUE(field->Init(size, polynomial, 0));
    return field;
}

// Parity of block[n..n+k-1] by schoolbook long division through the field.
std::vector<std::int32_t> ReferenceParity(const clsFiniteField& f, const clsReedSolomon& rs,
                                          const std::vector<std::int32_t>& block) {
    const std::int32_t k = rs.GetDataLength(), n = rs.GetParityLength();
    std::vector<std::int32_t> work(block.begin(), block.begin() + n + k);
    std::fill(work.begin(), work.begin() + n, 0);
    for (std::int32_t i = k - 1; i >= 0; --i) {
        const std::int32_t lead = work[n + i];
        for (std::int32_t j = 0; j < n; ++j)
            work[i + j] = f.Subtract(work[i + j], f.Multiply(lead, rs.GetGeneratorCoefficient(j)));
    }
    std::vector<std::int32_t> parity(n);
    for (std::int32_t j = 0; j < n; ++j) parity[j] = f.Negate(work[j]);
    return parity;
}

TEST(FastPath, ReedSolomonKnownAnswer) {
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(16, 10, Field(256, 285), 0, 0));
    const std::int32_t data[16] = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                   0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
    std::int32_t block[26] = {};
    for (int i = 0; i < 16; ++i) block[10 + 15 - i] = data[i];
    rs.EncodeBlock(block);
    const std::int32_t expected[10] = {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55};
    for (int m = 0; m < 10; ++m) EXPECT_EQ(block[9 - m], expected[m]) << m;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(block[10 + 15 - i], data[i]);  // data untouched
}

TEST(FastPath, ReedSolomonRowsAgreeWithFieldArithmetic) {
    struct Shape {
        std::int32_t size, polynomial, k, n;
    };
    const Shape shapes[] = {
        {256, 285, 16, 10},  {256, 285, 118, 30},  {256, 285, 1, 1},
        {256, 285, 200, 32},  // the most parity symbols the rows take
        {256, 285, 40, 33},  {256, 285, 200, 64},  {256, 285, 50, 65},  // plain path
        {256, 301, 40, 20},  {16, 19, 11, 4},      {2, 0, 7, 3},
        {7, 0, 5, 3},        {1024, 1033, 30, 12},
    };
    std::uint32_t seed = 7;
    for (const Shape& s : shapes) {
        const auto field = Field(s.size, s.polynomial);
        clsReedSolomon rs;
        ASSERT_TRUE(rs.Init(s.k, s.n, field, 0, 0)) << s.size << " " << s.k << " " << s.n;
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<std::int32_t> block(s.n + s.k);
            for (auto& v : block) {
                seed = seed * 1664525u + 1013904223u;
                v = static_cast<std::int32_t>((seed >> 8) % s.size);
            }
            if (trial == 0) std::fill(block.begin(), block.end(), 0);
            const auto expected = ReferenceParity(*field, rs, block);
            rs.EncodeBlock(block.data());
            for (std::int32_t j = 0; j < s.n; ++j)
                ASSERT_EQ(block[j], expected[j]) << s.size << " " << s.k << " " << s.n;
        }
    }
}

TEST(FastPath, ReedSolomonShorterGeneratorLeavesZerosAbove) {
    // Init clears only up to the larger of the old and new degree; the rest must be 0.
    clsReedSolomon rs;
    const auto field = Field(256, 285);
    ASSERT_TRUE(rs.Init(50, 30, field, 0, 0));
    ASSERT_TRUE(rs.Init(16, 7, field, 0, 0));
    const std::int32_t expected[8] = {117, 68, 11, 164, 154, 122, 127, 1};
    for (int j = 0; j < 8; ++j) EXPECT_EQ(rs.GetGeneratorCoefficient(j), expected[j]) << j;
    for (int j = 8; j < clsReedSolomon::MaxBlockLength; ++j)
        ASSERT_EQ(rs.GetGeneratorCoefficient(j), 0) << j;
    EXPECT_FALSE(rs.Init(0, 40, field, 0, 0));  // a failed Init changes nothing
    for (int j = 8; j < clsReedSolomon::MaxBlockLength; ++j)
        ASSERT_EQ(rs.GetGeneratorCoefficient(j), 0) << j;
}

TEST(FastPath, ReedSolomonFollowsAFieldChangedAfterInit) {
    // Rows made for one field must not be used once the field is replaced or set up anew.
    auto field = Field(256, 285);
    clsReedSolomon rs;
    ASSERT_TRUE(rs.Init(20, 8, field, 0, 0));
    std::vector<std::int32_t> block(28);
    for (int i = 0; i < 28; ++i) block[i] = (i * 37 + 11) % 16;
    rs.EncodeBlock(block.data());  // makes rows for GF(256)

    auto other = Field(16, 19);
    rs.SetField(other);
    auto expected = ReferenceParity(*other, rs, block);
    auto copy = block;
    rs.EncodeBlock(copy.data());
    EXPECT_EQ(std::vector<std::int32_t>(copy.begin(), copy.begin() + 8), expected);

    rs.SetField(field);
    ASSERT_TRUE(field->Init(256, 301, 0));  // same object, another field
    expected = ReferenceParity(*field, rs, block);
    copy = block;
    rs.EncodeBlock(copy.data());
    EXPECT_EQ(std::vector<std::int32_t>(copy.begin(), copy.begin() + 8), expected);
}

// Runs of digits, capitals, lower case, Shift JIS pairs and odd bytes, so that every mode
// and many switches between them occur.
std::vector<std::uint8_t> MixedBytes(std::uint32_t seed, int count) {
    static const char* sets[] = {
        "0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:", "abcdefghijklmnopqrstuvwxyz"};
    std::vector<std::uint8_t> out;
    while (static_cast<int>(out.size()) < count) {
        seed = seed * 1664525u + 1013904223u;
        const std::uint32_t r = seed >> 8;
        const int kind = static_cast<int>(r % 5), run = 1 + static_cast<int>((r >> 4) % 40);
        for (int k = 0; k < run && static_cast<int>(out.size()) < count; ++k) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t t = seed >> 8;
            if (kind < 3) {
                const std::string set = sets[kind];
                out.push_back(static_cast<std::uint8_t>(set[t % set.size()]));
            } else if (kind == 3) {
                out.push_back(static_cast<std::uint8_t>(0x81 + t % 0x1F));  // a Kanji pair
                out.push_back(static_cast<std::uint8_t>(0x40 + (t >> 8) % 0xC0));
            } else {
                out.push_back(static_cast<std::uint8_t>(t));
            }
        }
    }
    out.resize(count);
    return out;
}

TEST(FastPath, MeasuringAndWritingGiveTheSameLength) {
    const clsQRCode qr;
    std::vector<std::uint8_t> bits(clsQRCode::BitBufferSize);
    for (int count : {1, 2, 3, 5, 17, 100, 255, 256, 600, 1500, 3000}) {
        for (std::uint32_t seed = 1; seed <= 6; ++seed) {
            const auto data = MixedBytes(seed * 977 + count, count);
            for (int version : {1, 10, 27}) {
                for (bool kanji : {true, false}) {
                    const int measured =
                        qr.BuildBitStream(nullptr, 0, data.data(), count, version, true, kanji);
                    const int written =
                        qr.BuildBitStream(bits.data(), clsQRCode::BitBufferSize, data.data(), count,
                                          version, false, kanji);
                    ASSERT_EQ(measured, written) << count << " " << seed << " " << version;
                }
            }
        }
    }
}

TEST(FastPath, AutomaticVersionIsTheSmallestThatHolds) {
    clsQRCode qr;
    for (int count : {10, 150, 400, 900, 1300, 2000}) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            const auto data = MixedBytes(seed * 31 + count, count);
            for (int level = 1; level <= 4; ++level) {
                const auto automatic = qr.Encode(data.data(), count, 0, level, 0);
                int smallest = 0;
                for (int v = 1; v <= 40 && smallest == 0; ++v)
                    if (qr.Encode(data.data(), count, v, level, 0)) smallest = v;
                if (smallest == 0) {
                    EXPECT_FALSE(automatic) << count << " " << level;
                    continue;
                }
                ASSERT_TRUE(automatic) << count << " " << level;
                EXPECT_EQ(automatic->Width(), 4 * smallest + 17 + 8) << count << " " << level;
            }
        }
    }
}

TEST(FastPath, MaskPatternsCellByCell) {
    const clsQRCode qr;
    for (int size : {1, 2, 5, 6, 7, 11, 12, 13, 21, 57, 177, 181, 361}) {
        for (int mask = -1; mask <= 8; ++mask) {
            std::vector<std::uint8_t> matrix(static_cast<std::size_t>(size) * size);
            for (std::size_t i = 0; i < matrix.size(); ++i) matrix[i] = (i * 7919 >> 3) & 1;
            const auto before = matrix;
            const int used = mask < 0 || mask > 7 ? 0 : mask;
            ASSERT_EQ(qr.ApplyMask(matrix.data(), size, mask), used);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    ASSERT_EQ(matrix[y * size + x],
                              before[y * size + x] ^ qrtest::MaskInverts(used, y, x))
                        << size << " " << mask << " " << x << " " << y;
        }
    }
}

TEST(FastPath, PlacementWalkCellByCell) {
    const clsQRCode qr;
    for (int version = 1; version <= 40; ++version) {
        const int size = qr.GetSymbolSize(version), stride = size + 3;
        std::vector<std::uint8_t> symbol(static_cast<std::size_t>(stride) * stride);
        qr.DrawFunctionPatterns(symbol.data(), stride, version);
        const int total = 8 * qr.GetTotalCodewordCount(version);
        std::vector<std::uint8_t> bits(total);
        for (int i = 0; i < total; ++i) bits[i] = (i * 2654435761u >> 13) & 1;
        for (int bitCount : {total, total / 3, 1}) {
            // The reference: the zig-zag order, one cell at a time.
            std::vector<std::uint8_t> expected(static_cast<std::size_t>(size) * size);
            int i = 0;
            auto visit = [&](int x, int y) {
                if (i < bitCount && symbol[y * stride + x] == 0) expected[y * size + x] = bits[i++];
            };
            for (int x = size; x >= 5;) {
                int c = x - 2 < 6 ? x - 3 : x - 2;
                for (int y = size - 1; y >= 0; --y) visit(c + 1, y), visit(c, y);
                x -= 4;
                c = x < 6 ? x - 1 : x;
                for (int y = 0; y < size; ++y) visit(c + 1, y), visit(c, y);
            }
            std::vector<std::uint8_t> placed(static_cast<std::size_t>(size) * size);
            EXPECT_EQ(qr.PlaceCodewords(symbol.data(), stride, placed.data(), size, bits.data(),
                                        bitCount),
                      i);
            EXPECT_EQ(placed, expected) << version << " " << bitCount;
        }
    }
}

// The segmentation search as plainly stated: every cell scans its four predecessor candidates
// in mode order and takes only strictly cheaper ones. Returns the segments (mode, characters)
// of the cheapest path and its length without terminator.
struct Segmentation {
    std::vector<std::pair<int, int>> segments;
    int bits = 0;
};

Segmentation ReferenceSegmentation(const std::vector<std::uint8_t>& d, int version, bool kanji) {
    const int cls = version < 10 ? 0 : version <= 26 ? 1 : 2;
    static const int widths[3][4] = {{8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};
    static const int charBits[4] = {8, 4, 6, 13};
    int maxCount[4], open[4];
    for (int m = 0; m < 4; ++m) {
        maxCount[m] = (1 << widths[cls][m]) - 1;
        open[m] = 4 + widths[cls][m] + charBits[m];
    }
    auto cont = [](int m, int run) {
        return m == 1 ? (run % 3 == 0 ? 4 : 3) : m == 2 ? (run % 2 == 0 ? 6 : 5) : m == 0 ? 8 : 13;
    };
    const int count = static_cast<int>(d.size());
    std::vector<clsQRCode::SegmentCell> t(static_cast<std::size_t>(count) * 4);
    for (int i = 0; i < count; ++i) {
        const int c = clsQRCode::GetCharClass(d[i]);
        const bool possible[4] = {true, c == 1, c != 0,
                                  kanji && i >= 1 && clsQRCode::IsKanjiPair(d[i - 1], d[i])};
        for (int m = 0; m < 4; ++m) {
            auto& here = t[i * 4 + m];
            if (!possible[m]) {
                here = {0, clsQRCode::InfeasibleCost, 0};
                continue;
            }
            const int p = i - (m == 3 ? 2 : 1);
            if (p < 0) {
                here = {-1, open[m], 1};
                continue;
            }
            int best = 0x7FFFFFFF, bestMode = 0, bestRun = 1;
            for (int j = 0; j < 4; ++j) {
                const auto& before = t[p * 4 + j];
                const bool continues = j == m && before.runLength < maxCount[m];
                const int candidate =
                    before.cost + (continues ? cont(m, before.runLength) : open[m]);
                if (candidate < best) {
                    best = candidate;
                    bestMode = j;
                    bestRun = continues ? before.runLength + 1 : 1;
                }
            }
            here = {bestMode, best, bestRun};
        }
    }
    int last = 0;
    for (int m = 1; m < 4; ++m)
        if (t[(count - 1) * 4 + m].cost < t[(count - 1) * 4 + last].cost) last = m;
    Segmentation result;
    result.bits = t[(count - 1) * 4 + last].cost;
    std::vector<int> modes(count);
    for (int i = count - 1, m = last; i >= 0;) {
        modes[i] = m;
        const int previous = t[i * 4 + m].prevMode;
        if (m == 3) modes[i - 1] = 3;
        i -= m == 3 ? 2 : 1;
        m = previous;
    }
    for (int s = 0; s < count;) {
        const int m = modes[s], limit = m == 3 ? 2 * maxCount[3] : maxCount[m];
        int n = 1;
        while (s + n < count && modes[s + n] == m && n < limit) ++n;
        result.segments.push_back({m, m == 3 ? n / 2 : n});
        s += n;
    }
    return result;
}

// Reads the segment headers back from a written stream.
std::vector<std::pair<int, int>> SegmentsOf(const std::vector<std::uint8_t>& bits, int length,
                                            int version) {
    const int cls = version < 10 ? 0 : version <= 26 ? 1 : 2;
    static const int widths[3][4] = {{8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};
    auto read = [&](int& at, int width) {
        int v = 0;
        for (int k = 0; k < width; ++k) v = v * 2 + bits[at++];
        return v;
    };
    std::vector<std::pair<int, int>> segments;
    for (int at = 0; at < length - 4;) {
        const int indicator = read(at, 4);
        const int m = indicator == 4 ? 0 : indicator == 1 ? 1 : indicator == 2 ? 2 : 3;
        const int n = read(at, widths[cls][m]);
        segments.push_back({m, n});
        at += m == 0   ? 8 * n
              : m == 1 ? 10 * (n / 3) + (n % 3 == 0   ? 0
                                         : n % 3 == 1 ? 4
                                                      : 7)
              : m == 2 ? 11 * (n / 2) + 6 * (n % 2)
                       : 13 * n;
    }
    return segments;
}

TEST(FastPath, SegmentationAsThePlainSearch) {
    const clsQRCode qr;
    // Larger than the encoder's buffer, so that even the longest runs here are written.
    std::vector<std::uint8_t> bits(1 << 17);
    std::vector<std::vector<std::uint8_t>> inputs;
    for (int count : {1, 2, 3, 4, 9, 30, 200, 1200, 2500})
        for (std::uint32_t seed = 1; seed <= 8; ++seed)
            inputs.push_back(MixedBytes(seed * 131 + count, count));
    // Long runs that reach the segment limits of the first class, and digits next to letters.
    inputs.push_back(std::vector<std::uint8_t>(1030, '7'));
    for (int length : {1022, 1023, 1024, 4095, 4096, 4097, 16383, 16384}) {  // at the limits
        std::vector<std::uint8_t> d = MixedBytes(length, 37);
        for (int k = 0; k < length; ++k) d.push_back(static_cast<std::uint8_t>('0' + k % 10));
        const auto tail = MixedBytes(length + 1, 23);
        d.insert(d.end(), tail.begin(), tail.end());
        inputs.push_back(d);
    }
    inputs.push_back(std::vector<std::uint8_t>(600, 'Q'));
    std::vector<std::uint8_t> pairs;
    for (int k = 0; k < 300; ++k) pairs.insert(pairs.end(), {0x93, 0x5F});
    inputs.push_back(pairs);
    // Every string of up to 7 characters over a digit, a capital and a small letter: the
    // short cases where ties between modes decide.
    for (int length = 1; length <= 7; ++length) {
        int total = 1;
        for (int k = 0; k < length; ++k) total *= 3;
        for (int code = 0; code < total; ++code) {
            std::vector<std::uint8_t> text;
            for (int k = 0, rest = code; k < length; ++k, rest /= 3)
                text.push_back("1Aa"[rest % 3]);
            inputs.push_back(text);
        }
    }
    for (const std::string text : {"a111", "abc123", "123abc", "AC-42", "1A", "A1", "12345A",
                                   "1234567890ABCDEFGHIJ1234567890abcdefgh12345"})
        inputs.push_back({text.begin(), text.end()});
    for (const auto& data : inputs) {
        for (int version : {1, 10, 27}) {
            for (bool kanji : {true, false}) {
                const Segmentation expected = ReferenceSegmentation(data, version, kanji);
                const int count = static_cast<int>(data.size());
                const int length = qr.BuildBitStream(bits.data(), static_cast<int>(bits.size()),
                                                     data.data(), count, version, false, kanji);
                ASSERT_EQ(length, expected.bits + 4) << count << " " << version;
                ASSERT_EQ(SegmentsOf(bits, length, version), expected.segments)
                    << count << " " << version;
            }
        }
    }
}

}  // namespace
