#include "render/mdlVexmora.h"

#include <cstring>
#include <new>

namespace mdlVexmora {

namespace {
constexpr std::array<std::uint32_t, 256> kSymbolPalette = [] {
    std::array<std::uint32_t, 256> palette{};  // 3..255 black
    palette[0] = 0xFFFFFF;
    palette[1] = 0x000000;
    palette[2] = 0x808080;
    return palette;
}();
}  // namespace

std::array<std::uint32_t, 256> SymbolPalette() {
    return kSymbolPalette;
}

std::shared_ptr<Picture> NewCanvas(std::int32_t width, std::int32_t height, Bitmap** canvas) {
    // The picture and the bitmap it shows in one block, freed with the last reference.
    struct Canvas {
        Bitmap bitmap;
        Picture picture{&bitmap, false};
    };
    *canvas = nullptr;
    // A large canvas may not be had: no picture then, and nothing thrown.
    try {
        auto block = std::make_shared<Canvas>();
        Bitmap& bitmap = block->bitmap;
        bitmap.indices.assign(static_cast<std::size_t>(width) * height, 0);  // white
        bitmap.width = width;
        bitmap.height = height;
        bitmap.palette = kSymbolPalette;
        *canvas = &bitmap;
        return std::shared_ptr<Picture>(block, &block->picture);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::shared_ptr<Picture> MatrixToPicture(const std::uint8_t* cells, std::int32_t width,
                                         std::int32_t height, std::int32_t left, std::int32_t top,
                                         std::int32_t right, std::int32_t bottom) {
    if (cells == nullptr || width < 1 || height < 1 || left < 0 || top < 0 || right < 0 ||
        bottom < 0)
        return nullptr;
    const std::int64_t canvasWidth = std::int64_t{left} + width + right;
    const std::int64_t canvasHeight = std::int64_t{top} + height + bottom;
    if (canvasWidth > MaxPictureSide || canvasHeight > MaxPictureSide) return nullptr;

    Bitmap* bitmap = nullptr;
    auto picture = NewCanvas(static_cast<std::int32_t>(canvasWidth),
                             static_cast<std::int32_t>(canvasHeight), &bitmap);
    if (!picture) return nullptr;
    for (std::int32_t y = 0; y < height; ++y) {
        std::memcpy(bitmap->indices.data() + (top + y) * canvasWidth + left,
                    cells + static_cast<std::size_t>(y) * width, static_cast<std::size_t>(width));
    }
    return picture;
}

std::shared_ptr<Picture> BitmapToPicture(Bitmap* bitmap, bool takeOwnership) {
    if (bitmap == nullptr) return nullptr;
    try {
        return std::make_shared<Picture>(bitmap, takeOwnership);
    } catch (const std::bad_alloc&) {
        if (takeOwnership) delete bitmap;  // it was handed over: nobody else deletes it
        return nullptr;
    }
}

}  // namespace mdlVexmora
