#pragma once
// Every QR Code symbol in a picture, as three independent readers read it: zxing-cpp (phone
// apps and many libraries), zbar (most Linux scanning programs) and WeChat's reader (the
// scanner most Chinese-speaking users scan with, OpenCV's wechat_qrcode, loaded on first use
// and left out with a notice where it is not installed).

#include <optional>
#include <string>
#include <vector>

#include "common/PictureReading.h"
#include "common/SymbolReader.h"
#include "readback/ImageFile.h"

namespace qrdesk {

// Reads every symbol in image with each reader (zxing-cpp's ReadBarcodes with its default
// options for QR Codes, zbar's scanner, WeChat's reader on each located symbol and on the
// whole picture) and joins the readings of one symbol by position.
PictureReading ReadSymbols(const GreyImage& image);

// What WeChat's reader alone reads in image (reduced to four million pixels at most, as a
// camera frame), positions moved by origin, the corner of image in a larger picture; nullopt
// with *error set when its module cannot be loaded or it failed.
std::optional<std::vector<SymbolReading>> ReadWeChat(const GreyView& image, Corner origin = {},
                                                     std::string* error = nullptr);

// Whether WeChat's reader module can be loaded (the first call loads it); why not otherwise.
bool WeChatAvailable(std::string* whyNot = nullptr);

// The reading order of symbols at these positions (nullopt: unknown, last): a symbol comes
// before another that lies below it; of two side by side (their heights overlapping by half),
// the one on the left comes first.
std::vector<std::size_t> ReadingOrder(const std::vector<std::optional<Quad>>& positions);

}  // namespace qrdesk
