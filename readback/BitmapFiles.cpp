// The uncompressed formats, read by hand (no library makes them shorter): BMP as Windows and
// its programs write it, and the PNM family of the Unix tools (PBM, PGM, PPM, plain and raw).

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "ImageFormats.h"

namespace qrdesk::image {
namespace {

std::uint32_t Le(Bytes file, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int k = bytes - 1; k >= 0; --k) value = value << 8 | file[at + k];
    return value;
}

// One channel of a pixel by its bit mask, scaled to 0..255; 255 for an empty mask.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t top = 0;

    explicit Channel(std::uint32_t m)
        : mask(m), shift(m ? std::countr_zero(m) : 0), top(m ? m >> shift : 0) {}
    std::uint32_t Of(std::uint32_t pixel) const {
        return top ? static_cast<std::uint32_t>(std::uint64_t{(pixel & mask) >> shift} * 255 / top)
                   : 255;
    }
};

// Run-length BMP pixels (bottom row first): pairs of a count and an index (or two 4-bit
// indices taken in turn); a count of 0 starts an escape: 0 the end of a row, 1 the end of
// the picture, 2 a jump right and up, more the number of indices that follow as they are
// (padded to whole 16-bit words). Pixels that are jumped over stay white.
DecodedImage DecodeRuns(Bytes file, std::size_t at, std::uint32_t bits, const std::uint8_t* palette,
                        DecodedImage out) {
    GreyImage& image = out.image;
    std::int64_t x = 0, y = image.height - 1;
    const auto put = [&](int index) {
        if (x < image.width && y >= 0)
            image.pixels[static_cast<std::size_t>(y) * image.width + x] = palette[index];
        ++x;
    };
    const auto nibble = [&](std::uint8_t byte, int k) {  // index k of a pair or a byte
        return bits == 8 ? byte : k % 2 == 0 ? byte >> 4 : byte & 15;
    };
    while (at + 1 < file.size() && y >= 0) {
        const std::uint8_t count = file[at], value = file[at + 1];
        at += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) put(nibble(value, k));
        } else if (value == 0) {
            x = 0, --y;
        } else if (value == 1) {
            return out;
        } else if (value == 2) {
            if (at + 1 >= file.size()) break;
            x += file[at], y -= file[at + 1];
            at += 2;
        } else {
            const std::size_t bytes = bits == 8 ? value : (value + 1) / 2;
            if (at + bytes > file.size()) break;
            for (int k = 0; k < value; ++k) put(nibble(file[at + (bits == 8 ? k : k / 2)], k));
            at += (bytes + 1) / 2 * 2;
        }
    }
    // Some writers leave out the final escape; a picture cut short is not one of them.
    if (y < 0 || (y == 0 && at >= file.size())) return out;
    return Failure("BMP: run-length pixels cut short");
}

}  // namespace

// BMP: the core (12-byte) header and the info headers of 40 bytes and more; 1, 4 and 8 bits
// with a palette (8 and 4 bits also run-length encoded), 16, 24 and 32 bits with the default
// layout or bit fields. Embedded JPEG or PNG are refused.
DecodedImage DecodeBmp(Bytes file, const ImageLimits& limits) {
    constexpr std::size_t kFileHeader = 14;
    if (file.size() < kFileHeader + 12) return Failure("BMP: cut short");
    const std::uint32_t offset = Le(file, 10, 4);
    const std::uint32_t headerSize = Le(file, 14, 4);
    const bool core = headerSize == 12;
    if (!core && (headerSize < 40 || file.size() < kFileHeader + headerSize))
        return Failure("BMP: unknown or cut-short header");
    const std::int64_t width = core ? Le(file, 18, 2) : static_cast<std::int32_t>(Le(file, 18, 4));
    std::int64_t height = core ? Le(file, 20, 2) : static_cast<std::int32_t>(Le(file, 22, 4));
    const std::uint32_t bits = core ? Le(file, 24, 2) : Le(file, 28, 2);
    const std::uint32_t compression = core ? 0 : Le(file, 30, 4);
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Failure("BMP: " + std::to_string(bits) + " bits per pixel are not read");
    // 0 plain, 3 bit fields, 6 bit fields with alpha.
    // 1 and 2: run lengths of 8- and 4-bit indices; 4 and 5: embedded JPEG and PNG.
    const bool runs = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    if (compression != 0 && compression != 3 && compression != 6 && !runs)
        return Failure("BMP: compressed pixels (method " + std::to_string(compression) +
                       ") are not read");
    if ((compression == 3 || compression == 6) && bits != 16 && bits != 32)
        return Failure("BMP: bit fields need 16 or 32 bits");

    // Masks: in the header from 52 bytes on, else just after a 40-byte one.
    std::array<std::uint32_t, 4> masks{};
    if (bits == 16) masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (bits == 32) masks = {0xFF0000, 0xFF00, 0xFF, 0};
    if (compression == 3 || compression == 6) {
        const int count = compression == 6 || headerSize >= 56 ? 4 : 3;
        if (file.size() < kFileHeader + 40 + 4 * count) return Failure("BMP: cut short");
        for (int k = 0; k < count; ++k) masks[k] = Le(file, kFileHeader + 40 + 4 * k, 4);
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);

    // The palette follows the header.
    std::uint8_t palette[256];
    std::fill_n(palette, 256, 0);
    if (bits <= 8) {
        const std::size_t start = kFileHeader + headerSize;
        const std::size_t entry = core ? 3 : 4;
        std::uint32_t count = core ? 0 : Le(file, 46, 4);
        if (count == 0 || count > (1u << bits)) count = 1u << bits;
        if (start + count * entry > offset || offset > file.size())
            return Failure("BMP: palette cut short");
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* c = file.data() + start + i * entry;
            palette[i] = GreyOf(c[2], c[1], c[0]);
        }
    }

    // Uncompressed rows must all be in the file before a byte is allocated for them.
    if (std::string problem = SizeProblem(width, height, limits, "BMP"); !problem.empty())
        return Failure(std::move(problem));
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (!runs && (offset > file.size() ||
                  (file.size() - offset) / rowBytes < static_cast<std::size_t>(height)))
        return Failure("BMP: pixels cut short");
    DecodedImage out = Allocate(width, height, limits, "BMP");
    if (!out.Ok()) return out;
    if (runs) return DecodeRuns(file, offset, bits, palette, std::move(out));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* in = file.data() + offset + (topDown ? y : height - 1 - y) * rowBytes;
        std::uint8_t* grey = out.image.pixels.data() + y * width;
        for (std::int64_t x = 0; x < width; ++x) {
            if (bits <= 8) {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const int index = in[bit / 8] >> (8 - bits - bit % 8) & ((1 << bits) - 1);
                grey[x] = palette[index];
                continue;
            }
            if (bits == 24) {
                grey[x] = GreyOf(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
                continue;
            }
            const std::uint32_t pixel = Le(file, in - file.data() + x * (bits / 8), bits / 8);
            grey[x] =
                OnWhite(GreyOf(red.Of(pixel), green.Of(pixel), blue.Of(pixel)), alpha.Of(pixel));
        }
    }
    return out;
}

namespace {

// Reads PNM's header fields and plain (ASCII) samples: numbers between white space and
// comments that run from '#' to the end of the line.
class PnmReader {
  public:
    explicit PnmReader(Bytes file) : file_(file) {}
    // The next number; -1 when there is none or it exceeds limit.
    std::int64_t Number(std::int64_t limit) {
        SkipSpace();
        std::int64_t value = -1;
        while (at_ < file_.size() && file_[at_] >= '0' && file_[at_] <= '9') {
            value = (value < 0 ? 0 : value) * 10 + (file_[at_++] - '0');
            if (value > limit) return -1;
        }
        return value;
    }
    // A plain PBM's next digit (they may be written without space between them); -1 if none.
    int Bit() {
        SkipSpace();
        return at_ < file_.size() && (file_[at_] == '0' || file_[at_] == '1') ? file_[at_++] - '0'
                                                                              : -1;
    }
    // After the header: the one white space character before raw samples.
    std::size_t RawStart() const { return std::min(at_ + 1, file_.size()); }

  private:
    void SkipSpace() {
        while (at_ < file_.size()) {
            if (file_[at_] == '#') {
                while (at_ < file_.size() && file_[at_] != '\n') ++at_;
            } else if (file_[at_] == ' ' || (file_[at_] >= '\t' && file_[at_] <= '\r')) {
                ++at_;
            } else {
                break;
            }
        }
    }
    Bytes file_;
    std::size_t at_ = 2;  // past the magic number
};

}  // namespace

// P1 .. P6: bitmaps (1 black), grey maps and pixel maps, plain or raw; samples up to 65535.
DecodedImage DecodePnm(Bytes file, const ImageLimits& limits) {
    const int kind = file[1] - '0';
    const bool plain = kind <= 3;
    const bool bitmap = kind == 1 || kind == 4;
    const int channels = kind == 3 || kind == 6 ? 3 : 1;
    PnmReader reader(file);
    const std::int64_t width = reader.Number(limits.maxPixels);
    const std::int64_t height = reader.Number(limits.maxPixels);
    const std::int64_t top = bitmap ? 1 : reader.Number(65535);
    if (width < 0 || height < 0 || top <= 0)
        return Failure("PNM: damaged header (or a side above " + std::to_string(limits.maxPixels) +
                       " pixels)");
    // Raw rows must all be in the file before a byte is allocated for them.
    if (std::string problem = SizeProblem(width, height, limits, "PNM"); !problem.empty())
        return Failure(std::move(problem));
    const int sampleBytes = top > 255 ? 2 : 1;
    const std::size_t rawRow = bitmap ? (static_cast<std::size_t>(width) + 7) / 8
                                      : static_cast<std::size_t>(width) * channels * sampleBytes;
    const std::size_t start = reader.RawStart();
    if (!plain && (file.size() - start) / rawRow < static_cast<std::size_t>(height))
        return Failure("PNM: pixels cut short");
    DecodedImage out = Allocate(width, height, limits, "PNM");
    if (!out.Ok()) return out;
    const auto sample = [&](std::size_t index) -> std::int64_t {  // raw sample by index
        const std::uint8_t* p = file.data() + start + index * sampleBytes;
        return sampleBytes == 2 ? p[0] << 8 | p[1] : p[0];
    };
    std::uint32_t rgb[3];
    std::uint8_t* grey = out.image.pixels.data();
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, ++grey) {
            if (bitmap) {
                const int bit =
                    plain ? reader.Bit() : file[start + y * rawRow + x / 8] >> (7 - x % 8) & 1;
                if (bit < 0) return Failure("PNM: pixels cut short");
                *grey = bit ? 0 : 255;
                continue;
            }
            const std::size_t index = (y * width + x) * channels;
            for (int c = 0; c < channels; ++c) {
                const std::int64_t value = plain ? reader.Number(top) : sample(index + c);
                if (value < 0) return Failure("PNM: pixels cut short or above their maximum");
                rgb[c] = static_cast<std::uint32_t>(std::min(value, top) * 255 / top);
            }
            *grey =
                channels == 1 ? static_cast<std::uint8_t>(rgb[0]) : GreyOf(rgb[0], rgb[1], rgb[2]);
        }
    }
    return out;
}

}  // namespace qrdesk::image
