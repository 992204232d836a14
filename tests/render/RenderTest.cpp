// mdlVexmora: a module matrix into a picture: sizes, margins, palette and ownership.

#include <gtest/gtest.h>

#include <vector>

#include "render/mdlVexmora.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kGrey = 0x808080;

}  // namespace

TEST(Render, PaletteMapsCellValues) {
    // One row of eight cells holding 0, 1, 2, 3, 4, 128, 254, 255.
    const std::uint8_t cells[8] = {0, 1, 2, 3, 4, 128, 254, 255};
    const auto picture = mdlVexmora::MatrixToPicture(cells, 8, 1, 0, 0, 0, 0);
    ASSERT_TRUE(picture);
    const std::uint32_t expected[8] = {kWhite, kBlack, kGrey,  kBlack,
                                       kBlack, kBlack, kBlack, kBlack};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(picture->Pixel(x, 0), expected[x]) << x;
    const auto palette = mdlVexmora::SymbolPalette();
    EXPECT_EQ(palette[0], kWhite);
    EXPECT_EQ(palette[1], kBlack);
    EXPECT_EQ(palette[2], kGrey);
    for (int i = 3; i < 256; ++i) EXPECT_EQ(palette[i], kBlack) << i;
}

TEST(Render, MarginsAddUpPerSide) {
    // An 8 x 4 block, every cell dark, so the drawn area is visible as black.
    const std::vector<std::uint8_t> dark(32, 1);
    const struct {
        int width, height, left, top, right, bottom;
    } cases[] = {{8, 4, 0, 0, 0, 0}, {8, 4, 2, 3, 5, 7}, {8, 4, 4, 4, 1, 1}};
    for (const auto& c : cases) {
        const auto picture = mdlVexmora::MatrixToPicture(dark.data(), c.width, c.height, c.left,
                                                         c.top, c.right, c.bottom);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->Width(), c.left + c.width + c.right);
        EXPECT_EQ(picture->Height(), c.top + c.height + c.bottom);
        for (int y = 0; y < picture->Height(); ++y)
            for (int x = 0; x < picture->Width(); ++x) {
                const bool inside =
                    x >= c.left && x < c.left + c.width && y >= c.top && y < c.top + c.height;
                EXPECT_EQ(picture->Pixel(x, y), inside ? kBlack : kWhite) << x << "," << y;
            }
    }
    // The examples with an 8 x 8 block: no border, and 15 x 14 with cells at 2..9, 3..6.
    const std::vector<std::uint8_t> square(64, 1);
    const auto bare = mdlVexmora::MatrixToPicture(square.data(), 8, 8, 0, 0, 0, 0);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->Width(), 8);
    EXPECT_EQ(bare->Height(), 8);
    const auto framed = mdlVexmora::MatrixToPicture(square.data(), 8, 4, 2, 3, 5, 7);
    ASSERT_TRUE(framed);
    EXPECT_EQ(framed->Width(), 15);
    EXPECT_EQ(framed->Height(), 14);
    EXPECT_EQ(framed->Pixel(2, 3), kBlack);
    EXPECT_EQ(framed->Pixel(9, 6), kBlack);
    EXPECT_EQ(framed->Pixel(10, 6), kWhite);
    EXPECT_EQ(framed->Pixel(9, 7), kWhite);
}

TEST(Render, CellsKeepTheirRowOrder) {
    // Row-major cells with a distinct pattern per row: the picture must not transpose or flip.
    const std::uint8_t cells[3 * 4] = {1, 0, 0, 0,  //
                                       1, 1, 0, 0,  //
                                       2, 0, 0, 1};
    const auto picture = mdlVexmora::MatrixToPicture(cells, 4, 3, 1, 1, 1, 1);
    ASSERT_TRUE(picture);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t cell = cells[y * 4 + x];
            const std::uint32_t expected = cell == 0 ? kWhite : (cell == 2 ? kGrey : kBlack);
            EXPECT_EQ(picture->Pixel(1 + x, 1 + y), expected) << x << "," << y;
        }
}

TEST(Render, RefusesWhatCannotBeDrawn) {
    const std::vector<std::uint8_t> cells(64, 1);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(nullptr, 8, 8, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 0, 8, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 8, -1, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 8, 8, -1, 0, 0, 0), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 8, 8, 0, -1, 0, 0), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 8, 8, 0, 0, -1, 0), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 8, 8, 0, 0, 0, -1), nullptr);
    EXPECT_EQ(mdlVexmora::MatrixToPicture(cells.data(), 8, 8, mdlVexmora::MaxPictureSide, 0, 0, 0),
              nullptr);
    EXPECT_EQ(mdlVexmora::BitmapToPicture(nullptr, true), nullptr);
    EXPECT_EQ(mdlVexmora::BitmapToPicture(nullptr, false), nullptr);
}

TEST(Render, BitmapOwnership) {
    Bitmap bitmap;
    bitmap.width = 2;
    bitmap.height = 1;
    bitmap.indices = {1, 0};
    bitmap.palette = mdlVexmora::SymbolPalette();
    {
        const auto borrowed = mdlVexmora::BitmapToPicture(&bitmap, false);
        ASSERT_TRUE(borrowed);
        EXPECT_EQ(borrowed->Pixel(0, 0), kBlack);
        // The picture wraps the caller's bitmap rather than a copy.
        bitmap.indices[1] = 2;
        EXPECT_EQ(borrowed->Pixel(1, 0), kGrey);
    }
    // The borrowed bitmap outlives its picture.
    EXPECT_EQ(bitmap.width, 2);
    EXPECT_EQ(bitmap.indices, (std::vector<std::uint8_t>{1, 2}));

    auto* owned = new Bitmap(bitmap);
    const auto picture = mdlVexmora::BitmapToPicture(owned, true);
    ASSERT_TRUE(picture);
    const auto copy = picture;  // shared: the bitmap goes with the last reference
    EXPECT_EQ(copy->Width(), 2);
    EXPECT_EQ(copy->Pixel(1, 0), kGrey);
}

TEST(Render, SquareWhenTheMatrixAndOppositeMarginsAgree) {
    const std::vector<std::uint8_t> cells(24 * 24, 0);
    const auto picture = mdlVexmora::MatrixToPicture(cells.data(), 24, 24, 4, 2, 1, 3);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), picture->Height());
}
