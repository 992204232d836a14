#include <gtest/gtest.h>

#include <string>

#include "encoder/clsQRCode.h"
#include "tests/ZxingDecode.h"

TEST(RoundTrip, Smoke) {
    clsQRCode qr;
    for (std::string text : {"HELLO WORLD", "hello", "01234567", "abc1234", "https://example.org/a?b=c"}) {
        for (int level = 1; level <= 4; ++level) {
            for (int mask = 0; mask < 8; ++mask) {
                auto pic = qr.Encode(reinterpret_cast<const std::uint8_t*>(text.data()),
                                     static_cast<std::int32_t>(text.size()), 0, level, mask);
                ASSERT_TRUE(pic);
                auto decoded = DecodePicture(*pic);
                ASSERT_TRUE(decoded) << text << " " << level << " " << mask;
                EXPECT_EQ(std::string(decoded->bytes.begin(), decoded->bytes.end()), text);
            }
        }
    }
}
