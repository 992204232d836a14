#pragma once
// The symbol picture: an 8-bit palette bitmap wrapped in a picture object that is shared
// through std::shared_ptr (the last reference deletes the bitmap when the picture owns it).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Pixels are palette indices, row by row from the top, no padding between rows.
struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> indices;         // width * height entries
    std::array<std::uint32_t, 256> palette{};  // 0xRRGGBB per index
};

class Picture {
  public:
    // Wraps bitmap (not null). With owns, the picture deletes the bitmap when it goes;
    // otherwise the caller keeps the bitmap alive for the picture's lifetime.
    Picture(Bitmap* bitmap, bool owns);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    std::int32_t Width() const { return bitmap_->width; }
    std::int32_t Height() const { return bitmap_->height; }
    // Colour of pixel (x, y) as 0xRRGGBB; 0 outside the picture.
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) const;
    // Row y's palette indices (Width() entries), for fast conversion to other image types.
    const std::uint8_t* Row(std::int32_t y) const {
        return bitmap_->indices.data() + static_cast<std::size_t>(y) * bitmap_->width;
    }
    const std::array<std::uint32_t, 256>& Palette() const { return bitmap_->palette; }

  private:
    Bitmap* bitmap_;
    bool owns_;
};
