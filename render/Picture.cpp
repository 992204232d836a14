#include "render/Picture.h"

Picture::Picture(Bitmap* bitmap, bool owns) : bitmap_(bitmap), owns_(owns) {}

Picture::~Picture() {
    if (owns_) delete bitmap_;
}

std::uint32_t Picture::Pixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= bitmap_->width || y >= bitmap_->height) return 0;
    return bitmap_->palette[Row(y)[x]];
}
