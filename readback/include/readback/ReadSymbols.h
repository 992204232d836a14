#pragma once
// Every QR Code symbol in a picture, as three independent readers read it: zxing-cpp (phone
// apps and many libraries), zbar (most Linux scanning programs) and WeChat's reader (the
// scanner most Chinese-speaking users scan with, OpenCV's wechat_qrcode, loaded on first use
// and left out with a notice where it is not installed).

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "readback/ImageFile.h"

namespace qrdesk {

enum class ReaderId { Zxing, Zbar, WeChat };
inline constexpr int kReaderCount = 3;
// By ReaderId: the names in --info json and the tests.
inline constexpr std::array<const char*, kReaderCount> kReaderNames = {"zxing-cpp", "zbar",
                                                                       "wechat"};

struct Corner {
    float x = 0;
    float y = 0;
};
// A symbol's four corners in picture pixels, starting with the corner of its top-left finder
// pattern and going round the symbol as it is drawn (clockwise when it is not mirrored).
using Quad = std::array<Corner, 4>;

// What one reader made of one symbol. What a reader does not say stays empty.
struct Reading {
    bool read = false;
    std::string bytes;             // the payload as read, before any text decoding
    std::string text;              // the text the reader shows, UTF-8
    std::optional<Quad> position;  // where this reader located the symbol
    std::optional<char> level;     // 'L', 'M', 'Q' or 'H'
    std::optional<int> eci;        // the first ECI designator; -1 for a symbol without one
};

struct FoundSymbol {
    std::optional<Quad> position;                // the first locating reader's, by ReaderId
    std::array<Reading, kReaderCount> readings;  // by ReaderId

    // The first reader (by ReaderId) that read the symbol; every symbol found has one.
    const Reading& First() const;
};

struct PictureReading {
    std::vector<FoundSymbol> symbols;  // in reading order: rows from the top, each from the left
    // Why WeChat's reader took no part (it could not be loaded or failed on this picture);
    // empty when it did.
    std::string wechatMissing;
};

// Reads every symbol in image with each reader (zxing-cpp's ReadBarcodes with its default
// options for QR Codes, zbar's scanner, WeChat's reader on each located symbol and on the
// whole picture) and joins the readings of one symbol by position.
PictureReading ReadSymbols(const GreyImage& image);

// Whether WeChat's reader module can be loaded (the first call loads it); why not otherwise.
bool WeChatAvailable(std::string* whyNot = nullptr);

// The reading order of symbols at these positions (nullopt: unknown, last): a symbol comes
// before another that lies below it; of two side by side (their heights overlapping by half),
// the one on the left comes first.
std::vector<std::size_t> ReadingOrder(const std::vector<std::optional<Quad>>& positions);

}  // namespace qrdesk
