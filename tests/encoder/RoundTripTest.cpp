// Symbols read back by an independent decoder: every version, level and mask, capacity
// edges of the automatic version choice, and awkward payloads.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "encoder/clsQRCode.h"
#include "support/Content.h"
#include "support/StreamReader.h"
#include "support/SymbolReader.h"
#include "support/ZxingDecode.h"

using qrtest::Bytes;
using qrtest::Content;
using qrtest::Encode;
using qrtest::FromHex;
using qrtest::FromText;
using qrtest::VersionOf;

namespace {

const char* const kLevelNames[] = {"", "L", "M", "Q", "H"};

// The content pool for a kind, long enough that no symbol holds all of it.
const Bytes& Pool(Content kind) {
    static std::map<Content, Bytes> pools;
    auto it = pools.find(kind);
    if (it == pools.end())
        it = pools.emplace(kind, qrtest::MakeContent(kind, 8000, static_cast<int>(kind) + 1)).first;
    return it->second;
}

}  // namespace

TEST(RoundTrip, EveryVersionLevelAndMaskAtFullCapacity) {
    clsQRCode qr;
    std::map<std::tuple<int, int, Content>, std::size_t> largest;
    for (int v = 1; v <= 40; ++v)
        for (int level = 1; level <= 4; ++level)
            for (int mask = 0; mask < 8; ++mask) {
                const auto kind = static_cast<Content>((v + level + mask) % 4);
                const Bytes& pool = Pool(kind);
                auto [it, added] = largest.try_emplace({v, level, kind}, 0);
                if (added) it->second = qrtest::LargestFittingLength(qr, pool, v, level);
                const Bytes data(pool.begin(),
                                 pool.begin() + static_cast<std::ptrdiff_t>(it->second));
                const auto picture = Encode(qr, data, v, level, mask);
                ASSERT_TRUE(picture) << "v" << v << " " << kLevelNames[level] << " mask " << mask;
                const auto decoded = DecodePicture(*picture);
                ASSERT_TRUE(decoded) << "v" << v << " " << kLevelNames[level] << " mask " << mask;
                EXPECT_EQ(decoded->bytes, data)
                    << "v" << v << " " << kLevelNames[level] << " mask " << mask;
                EXPECT_EQ(decoded->ecLevel, kLevelNames[level])
                    << "v" << v << " " << kLevelNames[level] << " mask " << mask;
            }
}

TEST(RoundTrip, AutomaticVersionAtAndPastEachCapacity) {
    clsQRCode qr;
    for (int v = 1; v <= 40; ++v)
        for (int level = 1; level <= 4; ++level) {
            const auto kind = static_cast<Content>((v * 3 + level) % 4);
            const Bytes& pool = Pool(kind);
            const std::size_t full = qrtest::LargestFittingLength(qr, pool, v, level);
            for (std::size_t length : {full, full + 1}) {
                const Bytes data(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(length));
                const auto picture = Encode(qr, data, 0, level, -1);
                const int expected = length == full ? v : v + 1;
                if (expected > 40) {
                    EXPECT_EQ(picture, nullptr) << "level " << kLevelNames[level];
                    continue;
                }
                ASSERT_TRUE(picture) << "v" << v << " " << kLevelNames[level] << " " << length;
                EXPECT_EQ(VersionOf(*picture), expected)
                    << "v" << v << " " << kLevelNames[level] << " " << length;
                const auto decoded = DecodePicture(*picture);
                ASSERT_TRUE(decoded) << "v" << v << " " << kLevelNames[level] << " " << length;
                EXPECT_EQ(decoded->bytes, data);
            }
        }
}

TEST(RoundTrip, AwkwardPayloads) {
    clsQRCode qr;
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"empty", Bytes{}},
        {"NUL bytes", Bytes{0, 0, 'a', 0, '1', '2', 0}},
        {"only NULs", Bytes(40, 0)},
        {"Shift JIS Kanji", FromHex("93 5F E4 AA 93 FA 96 7B 8C EA")},
        {"Shift JIS mixed", FromHex("51 52 3A 20 93 FA 96 7B 8C EA 20 31 32 33 34 35 36 37")},
        {"Kanji range ends", FromHex("81 40 9F FC E0 40 EA FC EB BF")},
        {"UTF-8 across Kanji pairs",
         FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8")},
        {"every byte value", qrtest::MakeContent(Content::Byte, 256, 77)},
        {"URL", FromText("https://example.org/path?q=QR%20CODE&n=0123456789")},
    };
    for (const auto& c : cases)
        for (int level = 1; level <= 4; ++level) {
            const auto picture = Encode(qr, c.data, 0, level, level * 2 - 1);
            ASSERT_TRUE(picture) << c.name;
            const auto decoded = DecodePicture(*picture);
            ASSERT_TRUE(decoded) << c.name << " level " << kLevelNames[level];
            EXPECT_EQ(decoded->bytes, c.data) << c.name << " level " << kLevelNames[level];
            EXPECT_EQ(decoded->ecLevel, kLevelNames[level]) << c.name;
        }
}

TEST(RoundTrip, KanjiTextDecodesAsShiftJis) {
    clsQRCode qr;
    // 日本語 in Shift JIS: the decoder turns the Kanji segment back into the same text.
    const Bytes sjis = FromHex("93 FA 96 7B 8C EA");
    const auto picture = Encode(qr, sjis, 0, 2, 0);
    ASSERT_TRUE(picture);
    const auto decoded = DecodePicture(*picture);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bytes, sjis);
    EXPECT_EQ(decoded->text, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
}
