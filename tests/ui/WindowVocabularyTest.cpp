// The window's lists in the encoder's terms: list indexes to encoder options and text
// encoding.

#include <gtest/gtest.h>

#include "ui/WindowVocabulary.h"

namespace {

TEST(WindowVocabulary, OptionsAndEncodingFollowTheListIndexes) {
    struct Case {
        int versionIndex, levelIndex, maskIndex;
        std::int32_t version, level, mask;
        bool scored;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 1, -1, false},  // Automatic, L, Automatic
        {40, 3, 8, 40, 4, 7, false},
        {1, 1, 9, 1, 2, -1, true},  // 最低罚分 (lowest penalty)
    };
    for (const Case& c : cases) {
        const auto options = qrdesk::OptionsFromIndexes(c.versionIndex, c.levelIndex, c.maskIndex);
        EXPECT_EQ(options.version, c.version) << c.versionIndex;
        EXPECT_EQ(options.level, c.level) << c.levelIndex;
        EXPECT_EQ(options.mask, c.mask) << c.maskIndex;
        EXPECT_EQ(options.scoredMask, c.scored) << c.maskIndex;
    }
    EXPECT_EQ(qrdesk::EncodingFromIndex(1), qrdesk::TextEncoding::Utf8);
    EXPECT_EQ(qrdesk::EncodingFromIndex(0), qrdesk::TextEncoding::Ansi);
    EXPECT_EQ(qrdesk::EncodingFromIndex(-1), qrdesk::TextEncoding::Ansi);
}

}  // namespace
