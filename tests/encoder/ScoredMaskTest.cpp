// The scored mask: all eight patterns scored by the standard's four penalty rules, the lowest
// applied. Checked against an independent encoder (qrcodegen, given the same segments,
// version and level, and left to choose its mask), module for module, and against a plain
// statement of the rules over every fixed-mask picture.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <qrcodegen/qrcodegen.hpp>
#include <random>
#include <string>
#include <vector>

#include "Symbol.h"
#include "encoder/clsQRCode.h"
#include "support/Bytes.h"
#include "support/Content.h"
#include "support/SymbolReader.h"

namespace {

using qrtest::Bytes;

// ---- The penalty rules as plainly stated, over a module grid (1 dark).

// Runs of one colour along a line: (colour, length), the light area around the symbol not
// included.
std::vector<std::pair<int, int>> Runs(const std::vector<int>& line) {
    std::vector<std::pair<int, int>> runs;
    for (int m : line) {
        if (!runs.empty() && runs.back().first == m)
            ++runs.back().second;
        else
            runs.push_back({m, 1});
    }
    return runs;
}

int LinePenalty(const std::vector<int>& line) {
    const int n = static_cast<int>(line.size());
    int penalty = 0;
    const auto runs = Runs(line);
    // N1: 3 for a run of five, 1 more per module beyond.
    for (const auto& [colour, length] : runs)
        if (length >= 5) penalty += 3 + (length - 5);
    // N3: dark-light-dark-light-dark in the ratio 1:1:3:1:1 (unit u), with a light area of
    // 4u before or after it and light on the other side too (at least u); the area around
    // the symbol is light. Each side that has the 4u area counts 40.
    for (std::size_t r = 0; r + 5 <= runs.size(); ++r) {
        if (runs[r].first != 1) continue;
        const int u = runs[r].second;
        if (runs[r + 1].second != u || runs[r + 2].second != 3 * u || runs[r + 3].second != u ||
            runs[r + 4].second != u)
            continue;
        // A light run at either end of the line goes on into the light area around it.
        const int before = r == 0 ? n : runs[r - 1].second + (r == 1 ? n : 0);
        const int after =
            r + 5 == runs.size() ? n : runs[r + 5].second + (r + 6 == runs.size() ? n : 0);
        if (before >= 4 * u && after >= u) penalty += 40;
        if (after >= 4 * u && before >= u) penalty += 40;
    }
    return penalty;
}

int ReferencePenalty(const qrtest::Symbol& s) {
    const int n = s.size;
    int penalty = 0, dark = 0;
    for (int i = 0; i < n; ++i) {
        std::vector<int> row(n), column(n);
        for (int k = 0; k < n; ++k) {
            row[k] = s.At(k, i);
            column[k] = s.At(i, k);
        }
        penalty += LinePenalty(row) + LinePenalty(column);
    }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            dark += s.At(x, y);
            if (x + 1 < n && y + 1 < n && s.At(x, y) == s.At(x + 1, y) &&
                s.At(x, y) == s.At(x, y + 1) && s.At(x, y) == s.At(x + 1, y + 1))
                penalty += 3;  // N2
        }
    // N4: 10 for each 5 % step that the dark share lies away from 45..55 %.
    const long total = static_cast<long>(n) * n;
    int k = 0;
    while (!(100L * dark >= (45L - 5 * k) * total && 100L * dark <= (55L + 5 * k) * total)) ++k;
    return penalty + 10 * k;
}

// ---- The same segments for qrcodegen, their bits as the standard writes them.

std::vector<bool> Bits(long value, int width) {
    std::vector<bool> out;
    for (int k = width - 1; k >= 0; --k) out.push_back((value >> k) & 1);
    return out;
}

std::vector<qrcodegen::QrSegment> SegmentsFor(const Bytes& data,
                                              const clsQRCode::EncodeReport& report) {
    using qrcodegen::QrSegment;
    static const std::string kAlnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    std::vector<QrSegment> out;
    std::size_t at = 0;
    for (const auto& s : report.segments) {
        std::vector<bool> bits;
        auto append = [&](long value, int width) {
            const auto b = Bits(value, width);
            bits.insert(bits.end(), b.begin(), b.end());
        };
        switch (s.mode) {
            case clsQRCode::ModeEci: {
                const long d = s.length;
                if (d < 128)
                    append(d, 8);
                else if (d < 16384)
                    append(0b10L << 14 | d, 16);
                else
                    append(0b110L << 21 | d, 24);
                out.emplace_back(QrSegment::Mode::ECI, 0, bits);
                continue;
            }
            case clsQRCode::ModeNumeric:
                for (int k = 0; k < s.length; k += 3) {
                    const int take = std::min(3, s.length - k);
                    append(
                        std::stol(std::string(data.begin() + at + k, data.begin() + at + k + take)),
                        take * 3 + 1);
                }
                out.emplace_back(QrSegment::Mode::NUMERIC, s.length, bits);
                at += s.length;
                break;
            case clsQRCode::ModeAlphanumeric:
                for (int k = 0; k < s.length; k += 2) {
                    const long first =
                        static_cast<long>(kAlnum.find(static_cast<char>(data[at + k])));
                    if (k + 1 < s.length)
                        append(first * 45 + static_cast<long>(
                                                kAlnum.find(static_cast<char>(data[at + k + 1]))),
                               11);
                    else
                        append(first, 6);
                }
                out.emplace_back(QrSegment::Mode::ALPHANUMERIC, s.length, bits);
                at += s.length;
                break;
            case clsQRCode::ModeByte:
                for (int k = 0; k < s.length; ++k) append(data[at + k], 8);
                out.emplace_back(QrSegment::Mode::BYTE, s.length, bits);
                at += s.length;
                break;
            case clsQRCode::ModeKanji:
                for (int k = 0; k < s.length; ++k) {
                    const int lead = data[at + 2 * k], trail = data[at + 2 * k + 1];
                    append((lead - (lead <= 0x9F ? 0x81 : 0xC1)) * 0xC0 + (trail - 0x40), 13);
                }
                out.emplace_back(QrSegment::Mode::KANJI, s.length, bits);
                at += 2 * static_cast<std::size_t>(s.length);
                break;
        }
    }
    EXPECT_EQ(at, data.size());
    return out;
}

Bytes RandomInput(std::mt19937& rng, int trial) {
    using qrtest::Content;
    static const Content kinds[] = {Content::Numeric, Content::Alphanumeric, Content::Byte,
                                    Content::Mixed};
    // Mostly small and middle versions; every tenth input large enough for versions 20-40.
    const std::size_t length = trial % 10 == 0 ? 300 + rng() % 2400 : 1 + rng() % 300;
    return qrtest::MakeContent(kinds[rng() % 4], length, static_cast<std::uint32_t>(rng()));
}

TEST(ScoredMask, SameChoiceAndModulesAsQrcodegen) {
    using qrcodegen::QrCode;
    static constexpr QrCode::Ecc kLevels[] = {QrCode::Ecc::LOW, QrCode::Ecc::MEDIUM,
                                              QrCode::Ecc::QUARTILE, QrCode::Ecc::HIGH};
    clsQRCode qr;
    std::mt19937 rng(20261207);
    int compared = 0, masksSeen[8] = {};
    for (int trial = 0; compared < 1200; ++trial) {
        ASSERT_LT(trial, 5000) << "too few inputs fit";
        const Bytes data = RandomInput(rng, trial);
        clsQRCode::EncodeOptions options;
        options.level = 1 + static_cast<int>(rng() % 4);
        options.scoredMask = true;
        if (trial % 7 == 3) options.eci = 26;  // UTF-8: an ECI segment first, no Kanji
        if (trial % 5 == 1) options.version = 1 + static_cast<int>(rng() % 40);
        clsQRCode::EncodeReport report;
        const auto picture =
            qr.Encode(data.data(), static_cast<std::int32_t>(data.size()), options, &report);
        if (!picture) continue;  // does not fit that version or level
        ++compared;
        ++masksSeen[report.mask];
        const QrCode code =
            QrCode::encodeSegments(SegmentsFor(data, report), kLevels[options.level - 1],
                                   report.version, report.version, -1, false);
        ASSERT_EQ(code.getVersion(), report.version) << trial;
        ASSERT_EQ(report.mask, code.getMask())
            << "trial " << trial << ", " << data.size() << " bytes, version " << report.version;
        const qrtest::Symbol symbol = qrtest::ReadSymbol(*picture);
        for (int y = 0; y < symbol.size; ++y)
            for (int x = 0; x < symbol.size; ++x)
                ASSERT_EQ(symbol.At(x, y), code.getModule(x, y) ? 1 : 0)
                    << "trial " << trial << " at " << x << ", " << y;
        ASSERT_EQ(report.penalty, ReferencePenalty(symbol)) << "trial " << trial;
    }
    for (int m = 0; m < 8; ++m) EXPECT_GT(masksSeen[m], 0) << "no input chose mask " << m;
}

TEST(ScoredMask, LowestPenaltyOfTheEightAndLowerPatternOnATie) {
    clsQRCode qr;
    std::mt19937 rng(7);
    for (int trial = 0; trial < 150; ++trial) {
        const Bytes data = RandomInput(rng, trial);
        const auto count = static_cast<std::int32_t>(data.size());
        clsQRCode::EncodeOptions options;
        options.level = 1 + static_cast<int>(rng() % 4);
        options.scoredMask = true;
        clsQRCode::EncodeReport scored;
        if (!qr.Encode(data.data(), count, options, &scored)) continue;
        int best = -1, bestPenalty = 0;
        for (int m = 0; m < 8; ++m) {
            options.mask = m;  // a fixed mask is applied as given, not scored
            clsQRCode::EncodeReport fixed;
            const auto picture = qr.Encode(data.data(), count, options, &fixed);
            ASSERT_TRUE(picture);
            EXPECT_EQ(fixed.mask, m);
            EXPECT_EQ(fixed.penalty, -1);
            const int p = ReferencePenalty(qrtest::ReadSymbol(*picture));
            if (best < 0 || p < bestPenalty) {
                best = m;
                bestPenalty = p;
            }
        }
        ASSERT_EQ(scored.mask, best) << trial;
        ASSERT_EQ(scored.penalty, bestPenalty) << trial;
    }
}

TEST(ScoredMask, PenaltyOfBothPathsOnRunsOfEveryScale) {
    // Grids made of runs of u, 3u, 4u ... modules (u = 1..5, now and then one module more),
    // rows or columns: finder-like patterns of every scale, at the edges too, are common.
    std::vector<symbol::Path> paths{symbol::Path::Portable};
    if (symbol::BestPath() == symbol::Path::Vector) paths.push_back(symbol::Path::Vector);
    std::mt19937 rng(29);
    auto ws = std::make_unique<clsQRCode::Workspace>();
    symbol::Lines& columns = ws->dataColumns;
    int patterns = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const int n = trial % 2 == 0 ? 177 : 21 + static_cast<int>(rng() % 100);
        const int u = 1 + trial % 5;
        qrtest::Symbol s;
        s.size = n;
        s.modules.assign(static_cast<std::size_t>(n) * n, 0);
        const bool transposed = rng() % 2 == 1;
        // Every third grid is sparse instead: patterns alone in long light runs, half of
        // them behind a single dark module a little before them, so that one side has
        // fewer than 8 light modules.
        const bool sparse = trial % 3 == 2;
        for (int line = 0; line < n; ++line) {
            std::vector<int> runs;  // lengths, light first
            if (sparse) {
                for (int k = 0; k < n;) {
                    const int light = 8 + static_cast<int>(rng() % 33);
                    std::vector<int> add;
                    // Light, dark, light (the dark one may be empty), then the pattern.
                    if (rng() % 2 == 0)
                        add = {light, 1, u + static_cast<int>(rng() % 4)};
                    else
                        add = {light, 0, 0};
                    for (int r : {u, u, 3 * u, u, u}) add.push_back(r);
                    for (int r : add) {
                        runs.push_back(r);
                        k += r;
                    }
                }
            } else {
                for (int k = 0; k < n;) {
                    static const int kMultiples[] = {1, 1, 3, 4, 5, 8, 1, 2};
                    const int length = u * kMultiples[rng() % 8] + (rng() % 6 == 0 ? 1 : 0);
                    runs.push_back(length);
                    k += length;
                }
            }
            int colour = sparse ? 0 : static_cast<int>(rng() % 2), k = 0;
            for (int length : runs) {
                for (int j = 0; j < length && k < n; ++j, ++k) {
                    const int x = transposed ? line : k, y = transposed ? k : line;
                    s.modules[static_cast<std::size_t>(y) * n + x] =
                        static_cast<std::uint8_t>(colour);
                }
                colour ^= 1;
            }
        }
        std::memset(ws->rows, 0, sizeof(ws->rows));
        std::memset(columns, 0, sizeof(columns));
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (s.At(x, y)) {
                    ws->rows[x / 64][symbol::kPad + y] |= 1ull << (x % 64);
                    columns[y / 64][symbol::kPad + x] |= 1ull << (y % 64);
                }
        const int expected = ReferencePenalty(s);
        for (symbol::Path path : paths)
            ASSERT_EQ(symbol::Penalty(*ws, ws->rows, columns, n, path), expected)
                << "trial " << trial << (path == symbol::Path::Vector ? " vector" : " portable");
        patterns += expected > 0;
    }
    EXPECT_GT(patterns, 0);
}

TEST(ScoredMask, UnscoredAutomaticMaskIsPatternZero) {
    clsQRCode qr;
    const Bytes data = qrtest::FromText("HELLO WORLD");
    for (int mask : {-1, 8, 100}) {
        clsQRCode::EncodeOptions options;
        options.mask = mask;
        clsQRCode::EncodeReport report;
        ASSERT_TRUE(qr.Encode(data.data(), 11, options, &report));
        EXPECT_EQ(report.mask, 0);
        EXPECT_EQ(report.penalty, -1);
    }
}

}  // namespace
