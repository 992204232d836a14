#include "common/Image.h"

#include <spng.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qrdesk {
namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out += static_cast<char>(value >> (8 * k) & 0xFF);
}

std::uint32_t PixelsPerMetre(int dpi) {
    return static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
}

// "#RRGGBB" of a colour.
std::string Hex(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", colour & 0xFFFFFF);
    return text;
}

// The opacity attribute value of a colour, with three decimals.
std::string Opacity(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%.3f", (colour >> 24) / 255.0);
    return text;
}

// The rows of an image stretched to width x height (nearest neighbour, the whole source on the
// whole target), one at a time, without making the stretched image: an enlarged picture
// repeats each row several times, and Row says so, so that a writer encodes it once.
class StretchedRows {
  public:
    StretchedRows(const Image& source, std::int32_t width, std::int32_t height)
        : source_(source),
          height_(height),
          start_(static_cast<std::size_t>(source.width) + 1),
          row_(static_cast<std::size_t>(width)),
          identity_(width == source.width) {
        // Target x shows source column x * sourceWidth / width (rounded down): column s
        // fills the targets from ceil(s * width / sourceWidth) to the next column's start.
        for (std::int32_t s = 0; s <= source.width; ++s)
            start_[s] = static_cast<std::size_t>((std::int64_t{s} * width + source.width - 1) /
                                                 source.width);
    }
    // Row y of the stretched image; repeated when it is the same source row as row y - 1.
    const std::uint8_t* Row(std::int32_t y, bool& repeated) {
        const std::int64_t sourceRow = std::int64_t{y} * source_.height / height_;
        repeated = sourceRow == lastRow_;
        if (!repeated) {
            lastRow_ = sourceRow;
            const std::uint8_t* in =
                source_.pixels.data() + static_cast<std::size_t>(sourceRow) * source_.width;
            if (identity_) {
                last_ = in;
            } else {
                for (std::size_t s = 0; s + 1 < start_.size(); ++s)
                    std::memset(row_.data() + start_[s], in[s], start_[s + 1] - start_[s]);
                last_ = row_.data();
            }
        }
        return last_;
    }

  private:
    const Image& source_;
    std::int32_t height_;
    std::vector<std::size_t> start_;
    std::vector<std::uint8_t> row_;
    bool identity_;
    std::int64_t lastRow_ = -1;
    const std::uint8_t* last_ = nullptr;
};

// A row of pixels 0 or 1 packed eight to a byte, the first pixel in the highest bit, the last
// byte padded with zero bits.
void PackRow(const std::uint8_t* in, std::int32_t width, std::uint8_t* out) {
    std::int32_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // The multiply gathers byte i's low bit into bit 7 - i of the top byte; the partial
        // products below it never carry into it.
        for (; x + 8 <= width; x += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, in + x, 8);
            *out++ = static_cast<std::uint8_t>((eight * 0x8040201008040201ULL) >> 56);
        }
    }
    for (std::uint8_t bit = 0x80, byte = 0; x < width; ++x) {
        if (in[x]) byte |= bit;
        bit >>= 1;
        if (bit == 0 || x + 1 == width) {
            *out++ = byte;
            bit = 0x80;
            byte = 0;
        }
    }
}

}  // namespace

Image FromPicture(const Picture& picture) {
    Image image;
    image.width = picture.Width();
    image.height = picture.Height();
    for (int i = 0; i < 256; ++i) image.palette[i] = 0xFF000000u | picture.Palette()[i];
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::int32_t y = 0; y < image.height; ++y)
        std::copy(picture.Row(y), picture.Row(y) + image.width,
                  image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width);
    return image;
}

Modules ModulesOf(const Picture& picture) {
    Modules modules;
    const std::int32_t size = picture.Width() - 2 * kQuietZone;
    if (size < 21 || picture.Height() != picture.Width()) return modules;
    modules.size = size;
    modules.dark.resize(static_cast<std::size_t>(size) * size);
    const auto& palette = picture.Palette();
    for (std::int32_t y = 0; y < size; ++y) {
        const std::uint8_t* row = picture.Row(kQuietZone + y) + kQuietZone;
        for (std::int32_t x = 0; x < size; ++x)
            modules.dark[static_cast<std::size_t>(y) * size + x] =
                (palette[row[x]] & 0xFFFFFF) == 0;
    }
    return modules;
}

Image Render(const Modules& modules, std::int32_t margin, std::int32_t scale,
             const Colours& colours) {
    Image image;
    if (modules.size <= 0 || margin < 0 || scale < 1) return image;
    const std::int32_t side = (modules.size + 2 * margin) * scale;
    image.width = image.height = side;
    image.palette[0] = colours.light;
    image.palette[1] = colours.dark;
    image.pixels.assign(static_cast<std::size_t>(side) * side, 0);
    for (std::int32_t y = 0; y < modules.size; ++y) {
        std::uint8_t* first = image.pixels.data() +
                              static_cast<std::size_t>((margin + y) * scale) * side +
                              static_cast<std::size_t>(margin) * scale;
        // Without a branch per module: a symbol's modules are as good as random.
        const std::uint8_t* dark = modules.dark.data() + static_cast<std::size_t>(y) * modules.size;
        if (scale == 1) {
            for (std::int32_t x = 0; x < modules.size; ++x) first[x] = dark[x] != 0;
        } else {
            for (std::int32_t x = 0; x < modules.size; ++x)
                std::fill_n(first + x * scale, scale, static_cast<std::uint8_t>(dark[x] != 0));
        }
        for (std::int32_t k = 1; k < scale; ++k)
            std::copy_n(first, modules.size * scale, first + static_cast<std::size_t>(k) * side);
    }
    return image;
}

Image Stretch(const Image& source, std::int32_t width, std::int32_t height) {
    if (source.Empty() || width <= 0 || height <= 0) return {};
    Image target;
    target.width = width;
    target.height = height;
    target.palette = source.palette;
    target.pixels.resize(static_cast<std::size_t>(width) * height);
    StretchedRows rows(source, width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        bool repeated = false;
        const std::uint8_t* row = rows.Row(y, repeated);
        std::copy_n(row, width, target.pixels.data() + static_cast<std::size_t>(y) * width);
    }
    return target;
}

std::vector<std::uint8_t> Luminance(const Image& image) {
    std::array<std::uint8_t, 256> grey{};
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = image.palette[i];
        grey[i] = OnWhite(GreyOf(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF), c >> 24);
    }
    std::vector<std::uint8_t> out(image.pixels.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = grey[image.pixels[i]];
    return out;
}

std::string EncodeBmp(const Image& source, std::int32_t width, std::int32_t height, int dpi) {
    if (source.Empty() || width <= 0 || height <= 0) return {};
    constexpr std::uint32_t kHeaders = 14 + 40;
    const std::uint32_t pixelsPerMetre = dpi > 0 ? PixelsPerMetre(dpi) : 3937;
    const std::uint32_t rowBytes = (3 * static_cast<std::uint32_t>(width) + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::string out;
    out.reserve(kHeaders + imageBytes);
    out += "BM";
    PutLe(out, kHeaders + imageBytes, 4);
    PutLe(out, 0, 4);         // reserved
    PutLe(out, kHeaders, 4);  // offset of the pixels
    PutLe(out, 40, 4);        // BITMAPINFOHEADER
    PutLe(out, static_cast<std::uint32_t>(width), 4);
    PutLe(out, static_cast<std::uint32_t>(height), 4);  // positive: bottom row first
    PutLe(out, 1, 2);                                   // planes
    PutLe(out, 24, 2);                                  // bits per pixel
    PutLe(out, 0, 4);                                   // no compression
    PutLe(out, imageBytes, 4);
    PutLe(out, pixelsPerMetre, 4);
    PutLe(out, pixelsPerMetre, 4);
    PutLe(out, 0, 4);                   // colours used
    PutLe(out, 0, 4);                   // important colours
    out.resize(kHeaders + imageBytes);  // the padding bytes stay 0
    // Bottom row first: the rows are taken top down and written from the end.
    StretchedRows rows(source, width, height);
    char* row = out.data() + kHeaders + static_cast<std::size_t>(height - 1) * rowBytes;
    for (std::int32_t y = 0; y < height; ++y, row -= rowBytes) {
        bool repeated = false;
        const std::uint8_t* in = rows.Row(y, repeated);
        if (repeated) {
            std::copy_n(row + rowBytes, rowBytes, row);
            continue;
        }
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t c = source.palette[in[x]];
            row[3 * x] = static_cast<char>(c & 0xFF);  // blue, green, red
            row[3 * x + 1] = static_cast<char>(c >> 8 & 0xFF);
            row[3 * x + 2] = static_cast<char>(c >> 16 & 0xFF);
        }
    }
    return out;
}

std::string EncodeBmp(const Image& image, int dpi) {
    return EncodeBmp(image, image.width, image.height, dpi);
}

std::string EncodePng(const Image& image, int dpi) {
    return EncodePng(image, image.width, image.height, dpi);
}

// Image data up to this many bytes may be stored in the PNG without compression: with the
// chunks around them (at most about 1.2 KiB with a full palette) the file stays within 4 KiB.
constexpr std::size_t kStoredPngBytes = 2816;

std::string EncodePng(const Image& source, std::int32_t width, std::int32_t height, int dpi) {
    if (source.Empty() || width <= 0 || height <= 0) return {};
    // Two colours when only indices 0 and 1 occur in the source.
    const bool twoColours = std::all_of(source.pixels.begin(), source.pixels.end(),
                                        [](std::uint8_t p) { return p <= 1; });
    const int bitDepth = twoColours ? 1 : 8;
    const std::size_t rowBytes =
        twoColours ? (static_cast<std::size_t>(width) + 7) / 8 : static_cast<std::size_t>(width);
    std::vector<std::uint8_t> packed(rowBytes * height, 0);
    StretchedRows rows(source, width, height);
    // Only a picture small enough to be stored asks whether its rows repeat.
    const bool small = packed.size() + static_cast<std::size_t>(height) <= kStoredPngBytes;
    std::int32_t repeats = 0;  // rows the same as the row above
    for (std::int32_t y = 0; y < height; ++y) {
        bool repeated = false;
        const std::uint8_t* in = rows.Row(y, repeated);
        std::uint8_t* out = packed.data() + rowBytes * y;
        if (repeated) {
            std::copy_n(out - rowBytes, rowBytes, out);
        } else if (!twoColours) {
            std::copy_n(in, width, out);
        } else {
            PackRow(in, width, out);
        }
        if (small && y > 0 && (repeated || std::equal(out, out + rowBytes, out - rowBytes)))
            ++repeats;
    }

    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(SPNG_CTX_ENCODER),
                                                             spng_ctx_free);
    if (!ctx) return {};
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    // zlib's window need not be larger than the image: a small symbol then costs kilobytes
    // of set-up, not the default quarter megabyte.
    int windowBits = 9;
    while (windowBits < 15 && (std::size_t{1} << windowBits) < packed.size() + height) ++windowBits;
    spng_set_option(ctx.get(), SPNG_IMG_WINDOW_BITS, windowBits);
    spng_set_option(ctx.get(), SPNG_IMG_MEM_LEVEL, windowBits < 15 ? 4 : 8);
    // Palette images gain nothing from row filters (the standard's advice too); trying all
    // five on every row cost most of the writing. Level 3 compresses a symbol to within a
    // few hundred bytes of level 6 in two thirds of the time.
    spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING);
    // An unscaled symbol (one pixel a module, few rows alike) is noise to deflate, which saves
    // some 20 % of it while building its Huffman trees costs more than everything else in so
    // small a file; its file fits one 4 KiB block either way. Pictures with whole rows
    // repeated (modules of several pixels) compress well and are deflated.
    const bool stored = small && 4 * repeats < height;
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, stored ? 0 : 3);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(width);
    ihdr.height = static_cast<std::uint32_t>(height);
    ihdr.bit_depth = static_cast<std::uint8_t>(bitDepth);
    ihdr.color_type = SPNG_COLOR_TYPE_INDEXED;
    spng_plte plte{};
    spng_trns trns{};
    plte.n_entries = twoColours ? 2 : 256;
    bool translucent = false;
    for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
        const std::uint32_t c = source.palette[i];
        plte.entries[i] = {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                           static_cast<std::uint8_t>(c), 0};
        trns.type3_alpha[i] = static_cast<std::uint8_t>(c >> 24);
        translucent = translucent || (c >> 24) != 0xFF;
    }
    trns.n_type3_entries = plte.n_entries;
    int error = spng_set_ihdr(ctx.get(), &ihdr);
    if (error == 0) error = spng_set_plte(ctx.get(), &plte);
    if (error == 0 && translucent) error = spng_set_trns(ctx.get(), &trns);
    if (error == 0 && dpi > 0) {
        spng_phys phys{PixelsPerMetre(dpi), PixelsPerMetre(dpi), 1};  // 1: per metre
        error = spng_set_phys(ctx.get(), &phys);
    }
    if (error == 0)
        error = spng_encode_image(ctx.get(), packed.data(), packed.size(), SPNG_FMT_PNG,
                                  SPNG_ENCODE_FINALIZE);
    if (error != 0) return {};
    std::size_t length = 0;
    void* png = spng_get_png_buffer(ctx.get(), &length, &error);
    if (png == nullptr || error != 0) return {};
    std::string out(static_cast<const char*>(png), length);
    std::free(png);
    return out;
}

std::string EncodeSvg(const Modules& modules, std::int32_t margin, std::int32_t side,
                      const Colours& colours) {
    if (modules.size <= 0 || margin < 0 || side < 1) return {};
    const std::string box = std::to_string(modules.size + 2 * margin);
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"0 0 " +
        box + " " + box + "\" width=\"" + std::to_string(side) + "\" height=\"" +
        std::to_string(side) + "\" shape-rendering=\"crispEdges\">\n";
    out += "<rect width=\"" + box + "\" height=\"" + box + "\" fill=\"" + Hex(colours.light) + "\"";
    if ((colours.light >> 24) != 0xFF) out += " fill-opacity=\"" + Opacity(colours.light) + "\"";
    out += "/>\n<path fill=\"" + Hex(colours.dark) + "\"";
    if ((colours.dark >> 24) != 0xFF) out += " fill-opacity=\"" + Opacity(colours.dark) + "\"";
    out += " d=\"";
    // Each run of dark modules in a row as one rectangle: M x,y h run v1 h -run z.
    for (std::int32_t y = 0; y < modules.size; ++y) {
        for (std::int32_t x = 0; x < modules.size;) {
            if (!modules.Dark(x, y)) {
                ++x;
                continue;
            }
            std::int32_t run = 1;
            while (x + run < modules.size && modules.Dark(x + run, y)) ++run;
            // Appended piece by piece: no temporaries per run.
            out += 'M';
            out += std::to_string(margin + x);
            out += ',';
            out += std::to_string(margin + y);
            out += 'h';
            out += std::to_string(run);
            out += "v1h-";
            out += std::to_string(run);
            out += 'z';
            x += run;
        }
    }
    out += "\"/>\n</svg>\n";
    return out;
}

}  // namespace qrdesk
