#pragma once
// Turns a module matrix into a picture: one pixel per cell on a white canvas enlarged by
// margins, through the symbol palette (0 white, 1 black, 2 grey, 3..255 black).

#include <cstdint>
#include <memory>

#include "render/Picture.h"

namespace mdlVexmora {

// The largest canvas side accepted; larger requests give no picture.
constexpr std::int32_t MaxPictureSide = 32767;

// The 256-entry symbol palette as 0xRRGGBB.
std::array<std::uint32_t, 256> SymbolPalette();

// A picture of a white canvas of width x height pixels (both from 1 to MaxPictureSide) with
// the symbol palette; *canvas receives its bitmap, for the caller to draw on before the
// picture is shown. Picture and bitmap are one allocation (and the pixels another). No
// picture (and *canvas null) when memory for them cannot be had.
std::shared_ptr<Picture> NewCanvas(std::int32_t width, std::int32_t height, Bitmap** canvas);

// cells: width * height cells, row by row from the top, no row padding. Result: a picture
// of (left + width + right) x (top + height + bottom) pixels, white but for the cells drawn
// at (left + x, top + y). No picture for null cells, a width or height below 1, a negative
// margin, a side above MaxPictureSide, or when memory for the canvas cannot be had.
std::shared_ptr<Picture> MatrixToPicture(const std::uint8_t* cells, std::int32_t width,
                                         std::int32_t height, std::int32_t left, std::int32_t top,
                                         std::int32_t right, std::int32_t bottom);

// Wraps a bitmap in a picture; no picture for a null bitmap or when memory runs out (the
// bitmap is then deleted if it was handed over). With takeOwnership the picture deletes the
// bitmap when its last reference goes.
std::shared_ptr<Picture> BitmapToPicture(Bitmap* bitmap, bool takeOwnership);

}  // namespace mdlVexmora
