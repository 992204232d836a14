// SVG logos drawn for the command line: the pixels a simple document defines, its proportions
// kept within the side asked for, and documents that cannot be drawn refused with a reason.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "svglogo/SvgLogo.h"

namespace {

struct Drawn {
    int result = -1;
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::string error;
};

Drawn Draw(const std::string& svg, int maxSide) {
    Drawn d;
    d.pixels.assign(static_cast<std::size_t>(maxSide) * maxSide, 0xDEADBEEF);
    char error[200] = "";
    d.result = qrdesk_svglogo_draw(svg.data(), svg.size(), maxSide, d.pixels.data(), &d.width,
                                   &d.height, error, sizeof error);
    d.error = error;
    return d;
}

TEST(SvgLogo, DrawsTheDocumentsPixelsInItsProportions) {
    EXPECT_EQ(qrdesk_svglogo_version(), kSvgLogoVersion);
    // 40 x 20 units: the left half opaque red, the right half blue at half opacity.
    const std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'>"
        "<rect width='20' height='20' fill='#ff0000'/>"
        "<rect x='20' width='20' height='20' fill='#0000ff' fill-opacity='0.5'/></svg>";
    const Drawn d = Draw(svg, 100);
    ASSERT_EQ(d.result, 0) << d.error;
    EXPECT_EQ(d.width, 100);
    EXPECT_EQ(d.height, 50);
    EXPECT_EQ(d.pixels[10 * 100 + 10], 0xFFFF0000u);
    const std::uint32_t blue = d.pixels[10 * 100 + 80];
    EXPECT_NEAR(static_cast<int>(blue >> 24), 128, 1);  // not premultiplied: full blue
    EXPECT_EQ(blue & 0xFFFFFF, 0x0000FFu);
    // Only a view box: its proportions.
    const Drawn box = Draw(
        "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 30'>"
        "<rect width='10' height='30'/></svg>",
        60);
    ASSERT_EQ(box.result, 0) << box.error;
    EXPECT_EQ(box.width, 20);
    EXPECT_EQ(box.height, 60);
}

TEST(SvgLogo, RefusesWhatItCannotDrawAndReadsNoOtherFile) {
    const char* bad[] = {"", "<svg", "not xml at all", "<svg xmlns='http://www.w3.org/2000/svg'/>"};
    for (const char* svg : bad) {
        const Drawn d = Draw(svg, 16);
        EXPECT_EQ(d.result, -1) << svg;
        EXPECT_FALSE(d.error.empty()) << svg;
    }
    // A picture of a file on this machine stays out: the document is drawn from its bytes.
    const Drawn d = Draw(
        "<svg xmlns='http://www.w3.org/2000/svg' "
        "xmlns:xlink='http://www.w3.org/1999/xlink' width='10' height='10'>"
        "<image width='10' height='10' xlink:href='file:///usr/share/pixmaps/"
        "debian-logo.png'/></svg>",
        10);
    if (d.result == 0) {
        for (int k = 0; k < d.width * d.height; ++k) EXPECT_EQ(d.pixels[k] >> 24, 0u);
    }
    char small[4];
    EXPECT_EQ(qrdesk_svglogo_draw("x", 1, 4, nullptr, nullptr, nullptr, small, sizeof small), -1);
    EXPECT_EQ(std::string(small), "bad");  // cut to the room given
}

}  // namespace
