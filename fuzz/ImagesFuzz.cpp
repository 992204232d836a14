// The image writers on arbitrary modules, margins, sizes, colours and resolutions: no crash,
// no leak, and each file, read back by a reader written here from the formats' own
// descriptions (BMP's headers and rows, libspng's decoder for PNG, SVG's path of module runs),
// shows the modules drawn as stated: pixel (x, y) of a W x H picture is source pixel
// (x * w / W, y * h / H) of the w x h rendered image, rounded down.

#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "common/Image.h"

namespace {

using qrdesk::Image;
using qrdesk::Modules;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::uint32_t Le(const std::string& file, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int k = bytes - 1; k >= 0; --k)
        value = value << 8 | static_cast<std::uint8_t>(file[at + static_cast<std::size_t>(k)]);
    return value;
}

// The colour the stretched picture has at (x, y).
std::uint32_t Expected(const Image& source, std::int32_t width, std::int32_t height, std::int32_t x,
                       std::int32_t y) {
    return source.Colour(static_cast<std::int32_t>(std::int64_t{x} * source.width / width),
                         static_cast<std::int32_t>(std::int64_t{y} * source.height / height));
}

void CheckBmp(const std::string& file, const Image& source, std::int32_t w, std::int32_t h) {
    const std::uint32_t row = (3 * static_cast<std::uint32_t>(w) + 3) & ~3u;
    Check(file.size() == 54 + row * static_cast<std::uint32_t>(h) && file.starts_with("BM"));
    Check(Le(file, 2, 4) == file.size() && Le(file, 10, 4) == 54 && Le(file, 14, 4) == 40);
    Check(Le(file, 18, 4) == static_cast<std::uint32_t>(w) &&
          Le(file, 22, 4) == static_cast<std::uint32_t>(h) && Le(file, 28, 2) == 24);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const std::size_t at = 54 + row * static_cast<std::size_t>(h - 1 - y) + 3u * x;
            Check(Le(file, at, 3) == (Expected(source, w, h, x, y) & 0xFFFFFF));
        }
}

void CheckPng(const std::string& file, const Image& source, std::int32_t w, std::int32_t h) {
    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
    Check(ctx && spng_set_png_buffer(ctx.get(), file.data(), file.size()) == 0);
    spng_ihdr header{};
    Check(spng_get_ihdr(ctx.get(), &header) == 0 && header.width == static_cast<std::uint32_t>(w) &&
          header.height == static_cast<std::uint32_t>(h));
    std::size_t length = 0;
    Check(spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &length) == 0);
    std::vector<std::uint8_t> rgba(length);
    Check(spng_decode_image(ctx.get(), rgba.data(), length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) == 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint8_t* p = rgba.data() + 4 * (static_cast<std::size_t>(y) * w + x);
            const std::uint32_t c = Expected(source, w, h, x, y);
            Check(p[0] == (c >> 16 & 0xFF) && p[1] == (c >> 8 & 0xFF) && p[2] == (c & 0xFF) &&
                  p[3] == c >> 24);
        }
}

// The path's runs "Mx,yhNv1h-Nz" drawn into a grid of side cells.
void CheckSvg(const std::string& file, const Modules& modules, std::int32_t margin) {
    const std::int32_t side = modules.size + 2 * margin;
    Check(file.starts_with("<?xml") && file.ends_with("</svg>\n"));
    const std::size_t d = file.find(" d=\"");
    Check(d != std::string::npos);
    std::vector<std::uint8_t> grid(static_cast<std::size_t>(side) * side, 0);
    const char* p = file.c_str() + d + 4;
    while (*p == 'M') {
        char* end = nullptr;
        const long x = std::strtol(p + 1, &end, 10);
        Check(*end == ',');
        const long y = std::strtol(end + 1, &end, 10);
        Check(*end == 'h');
        const long run = std::strtol(end + 1, &end, 10);
        Check(std::strncmp(end, "v1h-", 4) == 0 && std::strtol(end + 4, &end, 10) == run &&
              *end == 'z');
        Check(x >= 0 && y >= 0 && run >= 1 && x + run <= side && y < side);
        for (long k = 0; k < run; ++k) grid[static_cast<std::size_t>(y * side + x + k)] ^= 1;
        p = end + 1;
    }
    Check(*p == '"');
    for (std::int32_t y = 0; y < side; ++y)
        for (std::int32_t x = 0; x < side; ++x) {
            const std::int32_t mx = x - margin, my = y - margin;
            const bool dark = mx >= 0 && my >= 0 && mx < modules.size && my < modules.size &&
                              modules.Dark(mx, my);
            Check(grid[static_cast<std::size_t>(y) * side + x] == dark);
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Modules modules;
    modules.size = in.Range(0, 40);
    const std::int32_t margin = in.Range(-1, 6);
    const std::int32_t scale = in.Range(0, 3);
    const std::int32_t width = in.Range(-1, 200), height = in.Range(-1, 200);
    const int dpi = in.Range(0, 3000);
    qrdesk::Colours colours;
    colours.dark =
        static_cast<std::uint32_t>(in.Int16()) << 16 ^ static_cast<std::uint32_t>(in.Int16());
    colours.light =
        static_cast<std::uint32_t>(in.Int16()) << 16 ^ static_cast<std::uint32_t>(in.Int16());
    for (std::int32_t i = 0; i < modules.size * modules.size; ++i)
        modules.dark.push_back(in.Byte() >> (i % 8) & 1);

    const Image image = qrdesk::Render(modules, margin, scale, colours);
    const bool valid = modules.size > 0 && margin >= 0 && scale >= 1;
    Check(image.Empty() != valid);
    const std::string svg = qrdesk::EncodeSvg(modules, margin, width, colours);
    Check(svg.empty() == (modules.size <= 0 || margin < 0 || width < 1));
    if (!svg.empty()) CheckSvg(svg, modules, margin);
    if (!valid) return 0;
    Check(image.width == (modules.size + 2 * margin) * scale && image.height == image.width);
    for (std::int32_t y = 0; y < image.height; ++y)
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::int32_t mx = x / scale - margin, my = y / scale - margin;
            const bool dark = mx >= 0 && my >= 0 && mx < modules.size && my < modules.size &&
                              modules.Dark(mx, my);
            Check(image.Colour(x, y) == (dark ? colours.dark : colours.light));
        }
    const bool sized = width > 0 && height > 0;
    const Image stretched = qrdesk::Stretch(image, width, height);
    Check(stretched.Empty() != sized);
    const std::string bmp = qrdesk::EncodeBmp(image, width, height, dpi);
    const std::string png = qrdesk::EncodePng(image, width, height, dpi);
    Check(bmp.empty() != sized && png.empty() != sized);
    if (!sized) return 0;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            Check(stretched.Colour(x, y) == Expected(image, width, height, x, y));
    CheckBmp(bmp, image, width, height);
    CheckPng(png, image, width, height);
    return 0;
}
