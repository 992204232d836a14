// The encoding driver: version choice, padding, blocks and interleaving, option handling and
// failure paths. Finished symbols are taken apart again with the support library's readers
// and their codewords compared with what the standard prescribes for the same data.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/Codewords.h"
#include "support/Content.h"
#include "support/KnownAnswers.h"
#include "support/StreamReader.h"
#include "support/SymbolReader.h"
#include "support/ZxingDecode.h"

using qrtest::Bytes;
using qrtest::Encode;
using qrtest::FromHex;
using qrtest::FromText;
using qrtest::SamePicture;
using qrtest::VersionOf;

namespace {

// Reads the symbol back and checks every codeword: the data codewords are the stream of the
// data finished with terminator and pad codewords, split over the blocks round-robin, and
// each block's error-correction codewords are its Reed-Solomon parity by long division.
void ExpectCodewords(const clsQRCode& qr, const Picture& picture, const Bytes& data, int level,
                     int mask, bool kanjiAllowed = true) {
    const qrtest::Symbol symbol = qrtest::ReadSymbol(picture);
    const int v = symbol.version;
    const int blocks = qr.GetEcBlockCount(v, level), ec = qr.GetEcCodewordsPerBlock(v, level);
    const int dataCodewords = qr.GetDataCodewordCount(v, level);
    const Bytes codewords = qrtest::ReadCodewords(qr, symbol, mask);
    ASSERT_EQ(static_cast<int>(codewords.size()), dataCodewords + blocks * ec);

    const auto stream = qrtest::BuildBoth(qr, data, v, kanjiAllowed);
    const Bytes expectedData = qrtest::FinishDataCodewords(stream.bits, dataCodewords);
    const qrtest::Blocks split = qrtest::Deinterleave(codewords, blocks, ec);
    Bytes joined;
    for (int b = 0; b < blocks; ++b) {
        joined.insert(joined.end(), split.data[b].begin(), split.data[b].end());
        const auto parity = qrtest::ReferenceParity(split.data[b], ec);
        for (int m = 0; m < ec; ++m)
            ASSERT_EQ(split.ec[b][m], parity[m])
                << "v" << v << " level " << level << " block " << b << " EC codeword " << m;
    }
    EXPECT_EQ(joined, expectedData) << "v" << v << " level " << level;
}

}  // namespace

TEST(Encode, WorkedBlockExampleVersionFiveQ) {
    clsQRCode qr;  // 5-Q: 134 codewords in 4 blocks of 18 EC codewords each (see Geometry)
    const Bytes data = qrtest::MakeContent(qrtest::Content::Mixed, 50, 5);
    const auto picture = Encode(qr, data, 5, 3, 3);
    ASSERT_TRUE(picture);
    ASSERT_EQ(VersionOf(*picture), 5);
    const Bytes codewords = qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*picture), 3);
    const auto split = qrtest::Deinterleave(codewords, 4, 18);
    // Blocks 0 and 1 hold 15 data codewords, 2 and 3 hold 16 (their 16th at positions 60
    // and 61); read that way, the data are the finished stream and each block's parity fits.
    const std::size_t lengths[] = {15, 15, 16, 16};
    for (int b = 0; b < 4; ++b) EXPECT_EQ(split.data[b].size(), lengths[b]);
    ExpectCodewords(qr, *picture, data, 3, 3);
    const auto decoded = DecodePicture(*picture);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bytes, data);
    EXPECT_EQ(decoded->ecLevel, "Q");
}

TEST(Encode, CodewordsOfEveryVersionAndLevel) {
    clsQRCode qr;  // one encoder throughout: its Reed-Solomon set-up changes every call
    for (int v = 1; v <= 40; ++v)
        for (int level = 1; level <= 4; ++level) {
            SCOPED_TRACE("v" + std::to_string(v) + " level " + "LMQH"[level - 1]);
            const auto kind = static_cast<qrtest::Content>((v + level) % 4);
            const Bytes pool = qrtest::MakeContent(kind, 8u * 3000, v * 4 + level);
            // Full, one short of full (terminator cut or partly padded), and half full.
            const std::size_t full = qrtest::LargestFittingLength(qr, pool, v, level);
            std::size_t length = (v % 3 == 0) ? full : (v % 3 == 1 ? full - 1 : full / 2);
            // A lone Kanji lead byte can cost more than the whole pair did.
            while (!qrtest::Fits(qr, pool, length, v, level)) --length;
            const Bytes data(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(length));
            const int mask = (v + level) % 8;
            const auto picture = Encode(qr, data, v, level, mask);
            ASSERT_TRUE(picture);
            ASSERT_EQ(VersionOf(*picture), v);
            ExpectCodewords(qr, *picture, data, level, mask);
        }
}

TEST(Encode, PaddingAfterASingleDigit) {
    clsQRCode qr;
    // 22 stream bits in 19 codewords: 0001 0000000001 0001 0000, two zero bits, 16 pads.
    const auto picture = Encode(qr, FromText("1"), 1, 1, 0);
    ASSERT_TRUE(picture);
    const Bytes codewords = qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*picture), 0);
    const Bytes expected = FromHex("10 04 40 EC 11 EC 11 EC 11 EC 11 EC 11 EC 11 EC 11 EC 11");
    EXPECT_EQ(Bytes(codewords.begin(), codewords.begin() + 19), expected);
    ExpectCodewords(qr, *picture, FromText("1"), 1, 0);
}

TEST(Encode, EmptyDataIsATerminatorInVersionOne) {
    clsQRCode qr;
    const auto picture = qr.Encode(nullptr, 0, 0, 2, 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 29);
    const Bytes codewords = qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*picture), 0);
    const Bytes expected = FromHex("00 EC 11 EC 11 EC 11 EC 11 EC 11 EC 11 EC 11 EC");
    EXPECT_EQ(Bytes(codewords.begin(), codewords.begin() + 16), expected);
    ExpectCodewords(qr, *picture, Bytes{}, 2, 0);
}

TEST(Encode, StreamExactlyAtCapacity) {
    clsQRCode qr;
    // 34 digits at 1-M: 4 + 10 + 11 x 10 + 4 = 128 bits, the 16 data codewords exactly.
    const Bytes digits = qrtest::MakeContent(qrtest::Content::Numeric, 35, 1);
    const Bytes fits(digits.begin(), digits.begin() + 34);
    const auto stream = qrtest::BuildBoth(qr, fits, 1);
    ASSERT_EQ(stream.written - 4, 8 * 16);
    const auto picture = Encode(qr, fits, 1, 2, 6);
    ASSERT_TRUE(picture);
    const Bytes codewords = qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*picture), 6);
    // No terminator and no padding: the data codewords are the stream's first 128 bits.
    const std::vector<std::uint8_t> body(stream.bits.begin(), stream.bits.begin() + 128);
    EXPECT_EQ(Bytes(codewords.begin(), codewords.begin() + 16),
              qrtest::FinishDataCodewords(body, 16));
    ExpectCodewords(qr, *picture, fits, 2, 6);
    const auto decoded = DecodePicture(*picture);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bytes, fits);

    // One digit more (131 bits) does not fit version 1; the automatic choice moves to 2.
    EXPECT_EQ(Encode(qr, digits, 1, 2), nullptr);
    const auto larger = Encode(qr, digits, 0, 2);
    ASSERT_TRUE(larger);
    EXPECT_EQ(VersionOf(*larger), 2);
}

TEST(Encode, VersionOptions) {
    clsQRCode qr;
    const Bytes data = FromText("VERSION OPTIONS 0123456789 and some text");
    const auto automatic = Encode(qr, data, 0, 3, 2);
    ASSERT_TRUE(automatic);
    const int v = VersionOf(*automatic);
    // The automatic choice is the smallest version that holds the data.
    EXPECT_TRUE(qrtest::Fits(qr, data, data.size(), v, 3));
    EXPECT_FALSE(v > 1 && qrtest::Fits(qr, data, data.size(), v - 1, 3));
    for (int option : {41, 1000}) {
        const auto other = Encode(qr, data, option, 3, 2);
        ASSERT_TRUE(other) << option;
        EXPECT_TRUE(SamePicture(*other, *automatic)) << option;
    }
    const auto fixed = Encode(qr, data, v, 3, 2);
    ASSERT_TRUE(fixed);
    EXPECT_TRUE(SamePicture(*fixed, *automatic));
    for (int option : {-1, -4, -1000}) EXPECT_EQ(Encode(qr, data, option, 3, 2), nullptr) << option;
}

// The automatic choice skips count-width classes that cannot hold the data: it must still be
// the smallest fixed version that does.
TEST(Encode, AutomaticVersionIsTheSmallestThatHolds) {
    clsQRCode qr;
    for (int count : {10, 150, 400, 900, 1300, 2000}) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            const auto data = qrtest::MakeContent(qrtest::Content::Mixed, count, seed * 31 + count);
            for (int level = 1; level <= 4; ++level) {
                const auto automatic = Encode(qr, data, 0, level, 0);
                int smallest = 0;
                for (int v = 1; v <= 40 && smallest == 0; ++v)
                    if (Encode(qr, data, v, level, 0)) smallest = v;
                if (smallest == 0) {
                    EXPECT_FALSE(automatic) << count << " " << level;
                    continue;
                }
                ASSERT_TRUE(automatic) << count << " " << level;
                EXPECT_EQ(VersionOf(*automatic), smallest) << count << " " << level;
            }
        }
    }
}

TEST(Encode, CallsDoNotInfluenceEachOther) {
    clsQRCode qr;
    const Bytes small = FromText("first"),
                large = qrtest::MakeContent(qrtest::Content::Mixed, 900, 4);
    const auto before = Encode(qr, small, 0, 4, 3);
    ASSERT_TRUE(Encode(qr, large, 0, 1, 6));
    ASSERT_EQ(Encode(qr, Bytes(5000, 'x'), 0, 1), nullptr);
    const auto after = Encode(qr, small, 0, 4, 3);
    ASSERT_TRUE(before);
    ASSERT_TRUE(after);
    EXPECT_TRUE(SamePicture(*before, *after));
    clsQRCode fresh;
    EXPECT_TRUE(SamePicture(*Encode(fresh, small, 0, 4, 3), *after));
}

TEST(Encode, LevelsOutsideTheRangeMeanM) {
    clsQRCode qr;
    const Bytes data = FromText("level fallback");
    const auto m = Encode(qr, data, 0, 2, 4);
    ASSERT_TRUE(m);
    for (int level : {0, 5, -1, 99}) {
        const auto other = Encode(qr, data, 0, level, 4);
        ASSERT_TRUE(other) << level;
        EXPECT_TRUE(SamePicture(*other, *m)) << level;
    }
    const auto decoded = DecodePicture(*m);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->ecLevel, "M");
}

TEST(Encode, MasksOutsideTheRangeMeanPatternZero) {
    clsQRCode qr;
    const Bytes data = FromText("mask fallback");
    const auto zero = Encode(qr, data, 2, 1, 0);
    ASSERT_TRUE(zero);
    for (int mask : {-1, 8, 255}) {
        const auto other = Encode(qr, data, 2, 1, mask);
        ASSERT_TRUE(other);
        EXPECT_TRUE(SamePicture(*other, *zero)) << mask;
    }
}

TEST(Encode, FunctionModulesDoNotDependOnTheMask) {
    clsQRCode qr;
    const Bytes data = qrtest::MakeContent(qrtest::Content::Mixed, 120, 9);
    const int version = 7, n = 45, stride = n + 3;
    std::vector<std::uint8_t> function(static_cast<std::size_t>(stride) * stride, 0);
    qr.DrawFunctionPatterns(function.data(), stride, version);
    const auto first = qrtest::ReadSymbol(*Encode(qr, data, version, 2, 0));
    for (int mask = 1; mask < 8; ++mask) {
        const auto other = qrtest::ReadSymbol(*Encode(qr, data, version, 2, mask));
        int dataDifferences = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const bool isFormat =
                    (y == 8 && (x <= 8 || x >= n - 8)) || (x == 8 && (y <= 8 || y >= n - 8));
                const std::uint8_t kind = function[static_cast<std::size_t>(y) * stride + x];
                if (kind == 0) {
                    dataDifferences += first.At(x, y) != other.At(x, y);
                } else if (!isFormat) {
                    ASSERT_EQ(first.At(x, y), other.At(x, y)) << mask << ": " << x << "," << y;
                }
            }
        EXPECT_GT(dataDifferences, 0) << mask;
    }
}

TEST(Encode, FormatInformationInTheFinishedSymbol) {
    clsQRCode qr;
    for (int level = 1; level <= 4; ++level)
        for (int mask = -1; mask < 8; ++mask) {
            const auto symbol = qrtest::ReadSymbol(*Encode(qr, FromText("FORMAT"), 1, level, mask));
            // The automatic mask is pattern 0.
            EXPECT_EQ(qrtest::ReadFormatWord(symbol, symbol.size, 0),
                      qrtest::kFormatWords[level - 1][mask < 0 ? 0 : mask])
                << "level " << level << " mask " << mask;
            EXPECT_EQ(symbol.At(8, symbol.size - 8), 1);
        }
}

TEST(Encode, VersionInformationInTheFinishedSymbol) {
    clsQRCode qr;
    for (int version : {7, 40}) {
        const auto symbol = qrtest::ReadSymbol(*Encode(qr, FromText("VERSION"), version, 1, 5));
        EXPECT_EQ(qrtest::ReadVersionWord(symbol, symbol.size, false),
                  qrtest::VersionWord(version));
        EXPECT_EQ(qrtest::ReadVersionWord(symbol, symbol.size, true), qrtest::VersionWord(version));
    }
}

TEST(Encode, CapacityOfVersionFortyL) {
    clsQRCode qr;
    // Largest contents of the standard's capacity table for 40-L, and one character more.
    for (const auto& [mode, characters] : qrtest::kCapacity40L) {
        SCOPED_TRACE(mode);
        const bool kanji = mode == clsQRCode::ModeKanji;
        const std::size_t fits = (kanji ? 2 : 1) * characters;
        const Bytes data =
            qrtest::MakeContent(qrtest::ContentOfMode(mode), fits + (kanji ? 2 : 1), characters);
        const Bytes largest(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(fits));
        for (int version : {40, 0}) {
            const auto picture = Encode(qr, largest, version, 1, 1);
            ASSERT_TRUE(picture);
            EXPECT_EQ(VersionOf(*picture), 40);
            EXPECT_EQ(Encode(qr, data, version, 1, 1), nullptr);
        }
        const auto decoded = DecodePicture(*Encode(qr, largest, 40, 1, 1));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->bytes, largest);
        // Only level L holds that much.
        EXPECT_EQ(Encode(qr, largest, 0, 2), nullptr);
    }
}

TEST(Encode, OversizedInputGivesNoPictureWithoutOverrun) {
    clsQRCode qr;
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"40000 bytes", Bytes(40000, 'b')},
        {"200000 bytes", Bytes(200000, 0xFF)},
        {"40000 digits", Bytes(40000, '5')},
        {"7000 bytes, stream longer than the bit buffer", Bytes(7000, 'b')},
        {"7800 digits", Bytes(7800, '5')},
    };
    for (const auto& c : cases)
        for (int version : {40, 1, 0}) {
            EXPECT_EQ(Encode(qr, c.data, version, 1), nullptr) << c.name << " version " << version;
        }
    // The encoder is still fine afterwards.
    const auto picture = Encode(qr, FromText("after"), 0, 1);
    ASSERT_TRUE(picture);
    ExpectCodewords(qr, *picture, FromText("after"), 1, 0);
}

TEST(Encode, KanjiCanBeKeptOutOfTheSymbol) {
    clsQRCode qr;
    const Bytes sjis = FromHex("93 5F E4 AA 93 FA 96 7B 8C EA");
    const auto withKanji = Encode(qr, sjis, 1, 2, 0, true);
    const auto without = Encode(qr, sjis, 1, 2, 0, false);
    ASSERT_TRUE(withKanji);
    ASSERT_TRUE(without);
    EXPECT_FALSE(SamePicture(*withKanji, *without));
    ExpectCodewords(qr, *withKanji, sjis, 2, 0, true);
    ExpectCodewords(qr, *without, sjis, 2, 0, false);
    const Bytes codewords = qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*without), 0);
    EXPECT_EQ(codewords[0] >> 4, 0b0100);  // a byte segment first
    EXPECT_EQ(qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*withKanji), 0)[0] >> 4, 0b1000);
}

// The picture: one pixel per module and the 4-module light quiet zone on every side.
TEST(Encode, VersionOnePictureHasTheQuietZone) {
    clsQRCode qr;
    const std::uint8_t text[] = "QUIET";
    const auto picture = qr.Encode(text, 5, 1, 2, 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 29);
    EXPECT_EQ(picture->Height(), 29);
    EXPECT_EQ(picture->Pixel(4, 4), 0x000000u);  // top-left module of the upper-left finder
    EXPECT_EQ(picture->Pixel(24, 4), 0x000000u);
    EXPECT_EQ(picture->Pixel(4, 24), 0x000000u);
    for (int a = 0; a < 29; ++a)
        for (int b : {0, 1, 2, 3, 25, 26, 27, 28}) {
            EXPECT_EQ(picture->Pixel(a, b), 0xFFFFFFu) << a << "," << b;
            EXPECT_EQ(picture->Pixel(b, a), 0xFFFFFFu) << b << "," << a;
        }
}

TEST(Encode, VersionFortyPictureSize) {
    clsQRCode qr;
    const std::uint8_t text[] = "x";
    const auto picture = qr.Encode(text, 1, 40, 4, 5);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 185);
    EXPECT_EQ(picture->Height(), 185);
    EXPECT_EQ(picture->Pixel(4, 4), 0x000000u);
    EXPECT_EQ(picture->Pixel(180, 180), 0xFFFFFFu);
}

// A symbol's codewords back to its data: the standard's parity example, and the codewords
// read from finished symbols of uneven blocks (5-Q, 10-H, 40-L), split by the support
// library; a single wrong codeword anywhere, data or error correction, is not exact.
TEST(Encode, DataCodewordsOfCodewordsAsPlaced) {
    clsQRCode qr;
    Bytes example;
    for (const int c : qrtest::kParityExampleData) example.push_back(std::uint8_t(c));
    for (const int c : qrtest::kParityExampleParity) example.push_back(std::uint8_t(c));
    struct Case {
        Bytes codewords;
        int version, level;
    };
    std::vector<Case> cases = {{example, 1, 2}};
    for (const auto& [version, level] : {std::pair{5, 3}, {10, 4}, {40, 1}}) {
        const Bytes data = FromText(std::string(qr.GetDataCodewordCount(version, level) / 2, 'q'));
        const auto picture = Encode(qr, data, version, level, 0);
        ASSERT_TRUE(picture);
        cases.push_back(
            {qrtest::ReadCodewords(qr, qrtest::ReadSymbol(*picture), 0), version, level});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        const int blocks = qr.GetEcBlockCount(c.version, c.level);
        Bytes expected;
        for (const Bytes& block :
             qrtest::Deinterleave(c.codewords, blocks,
                                  qr.GetEcCodewordsPerBlock(c.version, c.level))
                 .data)
            expected.insert(expected.end(), block.begin(), block.end());
        Bytes data(qr.GetDataCodewordCount(c.version, c.level));
        ASSERT_TRUE(qr.DataCodewordsOf(c.codewords.data(), c.version, c.level, data.data()));
        EXPECT_EQ(data, expected);
        for (const std::size_t wrong : {std::size_t{0}, expected.size(), c.codewords.size() - 1}) {
            Bytes damaged = c.codewords;
            damaged[wrong] ^= 0x40;
            EXPECT_FALSE(qr.DataCodewordsOf(damaged.data(), c.version, c.level, data.data()));
        }
        EXPECT_FALSE(qr.DataCodewordsOf(c.codewords.data(), c.version, 0, data.data()));
    }
}
