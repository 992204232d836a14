#include "common/Logo.h"

#include <spng.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace qrdesk {
namespace {

std::uint32_t FromRgba(const std::uint8_t* p) {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
}

std::optional<LogoImage> Refused(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return std::nullopt;
}

bool TooLarge(std::int64_t width, std::int64_t height) {
    return width > kMaxLogoSide || height > kMaxLogoSide || width * height > kMaxLogoPixels;
}

std::string LimitText() {
    return "larger than " + std::to_string(kMaxLogoSide) + " pixels a side or " +
           std::to_string(kMaxLogoPixels / (1024 * 1024)) + " megapixels";
}

std::optional<LogoImage> DecodePng(std::string_view file, std::string* error) {
    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
    if (!ctx) return Refused(error, "out of memory");
    spng_set_image_limits(ctx.get(), kMaxLogoSide, kMaxLogoSide);
    // Text and other ancillary chunks are no business of a logo; cap what they may take.
    spng_set_chunk_limits(ctx.get(), 1 << 20, 4 << 20);
    spng_set_png_buffer(ctx.get(), file.data(), file.size());
    spng_ihdr ihdr{};
    int status = spng_get_ihdr(ctx.get(), &ihdr);
    if (status == SPNG_EWIDTH || status == SPNG_EHEIGHT || status == SPNG_EUSER_WIDTH ||
        status == SPNG_EUSER_HEIGHT || (status == 0 && TooLarge(ihdr.width, ihdr.height)))
        return Refused(error, "the PNG logo is " + LimitText());
    std::size_t bytes = 0;
    if (status == 0) status = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &bytes);
    std::vector<std::uint8_t> rgba;
    if (status == 0) {
        rgba.resize(bytes);
        status = spng_decode_image(ctx.get(), rgba.data(), bytes, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    }
    if (status != 0)
        return Refused(error, std::string("damaged PNG logo: ") + spng_strerror(status));
    LogoImage logo;
    logo.width = static_cast<std::int32_t>(ihdr.width);
    logo.height = static_cast<std::int32_t>(ihdr.height);
    logo.argb.resize(static_cast<std::size_t>(logo.width) * logo.height);
    for (std::size_t i = 0; i < logo.argb.size(); ++i) logo.argb[i] = FromRgba(&rgba[4 * i]);
    return logo;
}

std::optional<LogoImage> DecodeJpeg(std::string_view file, std::string* error) {
    const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), tjDestroy);
    if (!handle) return Refused(error, "out of memory");
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const auto size = static_cast<unsigned long>(file.size());
    int width = 0, height = 0, subsampling = 0, colourSpace = 0;
    if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling,
                            &colourSpace) != 0)
        return Refused(error, std::string("damaged JPEG logo: ") + tjGetErrorStr2(handle.get()));
    if (width <= 0 || height <= 0 || TooLarge(width, height))
        return Refused(error, "the JPEG logo is " + LimitText());
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    // A warning (a file cut short, a corrupt segment) refuses the logo too: no half-grey logo.
    if (tjDecompress2(handle.get(), data, size, rgba.data(), width, 0, height, TJPF_RGBA,
                      TJFLAG_STOPONWARNING) != 0)
        return Refused(error, std::string("damaged JPEG logo: ") + tjGetErrorStr2(handle.get()));
    LogoImage logo;
    logo.width = width;
    logo.height = height;
    logo.argb.resize(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < logo.argb.size(); ++i) logo.argb[i] = FromRgba(&rgba[4 * i]);
    return logo;
}

// One output sample of a 1-D resampling: weights of consecutive source samples from first.
struct Tap {
    std::int32_t first = 0;
    std::vector<float> weights;
};

// Taps from from samples to to: the average of the source samples each target covers when
// shrinking (partly covered ones by their share), linear interpolation when enlarging.
std::vector<Tap> Taps(std::int32_t from, std::int32_t to) {
    std::vector<Tap> taps(static_cast<std::size_t>(to));
    const double ratio = static_cast<double>(from) / to;
    for (std::int32_t i = 0; i < to; ++i) {
        Tap& tap = taps[static_cast<std::size_t>(i)];
        if (ratio >= 1) {
            const double begin = i * ratio, end = (i + 1) * ratio;
            tap.first = static_cast<std::int32_t>(begin);
            const auto last =
                std::min<std::int32_t>(from - 1, static_cast<std::int32_t>(std::ceil(end)) - 1);
            for (std::int32_t s = tap.first; s <= last; ++s)
                tap.weights.push_back(static_cast<float>(
                    (std::min<double>(s + 1, end) - std::max<double>(s, begin)) / ratio));
        } else {
            const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, from - 1.0);
            tap.first = std::min<std::int32_t>(static_cast<std::int32_t>(centre), from - 1);
            const double t = centre - tap.first;
            tap.weights.push_back(static_cast<float>(1 - t));
            if (tap.first + 1 < from) tap.weights.push_back(static_cast<float>(t));
        }
    }
    return taps;
}

using Premultiplied = std::array<float, 4>;  // alpha, red, green, blue; 0..1

Premultiplied Premultiply(std::uint32_t argb) {
    const float a = static_cast<float>(argb >> 24) / 255.0f;
    return {a, a * static_cast<float>(argb >> 16 & 0xFF) / 255.0f,
            a * static_cast<float>(argb >> 8 & 0xFF) / 255.0f,
            a * static_cast<float>(argb & 0xFF) / 255.0f};
}

// The logo resampled to width x height and laid over the opaque colour pad: 0xFFRRGGBB.
std::vector<std::uint32_t> Composed(const LogoImage& logo, std::int32_t width, std::int32_t height,
                                    std::uint32_t pad) {
    const std::vector<Tap> across = Taps(logo.width, width), down = Taps(logo.height, height);
    // Rows first: logo.height rows of width samples.
    std::vector<Premultiplied> rows(static_cast<std::size_t>(width) * logo.height);
    for (std::int32_t y = 0; y < logo.height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const Tap& tap = across[static_cast<std::size_t>(x)];
            Premultiplied sum{};
            for (std::size_t k = 0; k < tap.weights.size(); ++k) {
                const Premultiplied p = Premultiply(
                    logo.argb[static_cast<std::size_t>(y) * logo.width + tap.first + k]);
                for (int c = 0; c < 4; ++c) sum[c] += tap.weights[k] * p[c];
            }
            rows[static_cast<std::size_t>(y) * width + x] = sum;
        }
    const Premultiplied under = Premultiply(pad | 0xFF000000u);
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const Tap& tap = down[static_cast<std::size_t>(y)];
            Premultiplied sum{};
            for (std::size_t k = 0; k < tap.weights.size(); ++k)
                for (int c = 0; c < 4; ++c)
                    sum[c] += tap.weights[k] *
                              rows[(static_cast<std::size_t>(tap.first) + k) * width + x][c];
            std::uint32_t colour = 0xFF000000u;
            for (int c = 1; c < 4; ++c) {
                const float v = std::clamp(sum[c] + (1 - sum[0]) * under[c], 0.0f, 1.0f);
                colour |= static_cast<std::uint32_t>(std::lround(v * 255)) << (8 * (3 - c));
            }
            out[static_cast<std::size_t>(y) * width + x] = colour;
        }
    return out;
}

// Palette index 2 for the pad; the logo from 3: its own colours when there are few enough,
// else a 6 x 7 x 6 cube (green, to which the eye is most sensitive, gets seven steps).
constexpr int kPadIndex = 2;
constexpr int kFirstLogoIndex = 3;
constexpr int kCubeRed = 6, kCubeGreen = 7, kCubeBlue = 6;

std::vector<std::uint8_t> Quantised(const std::vector<std::uint32_t>& colours,
                                    std::array<std::uint32_t, 256>& palette) {
    std::vector<std::uint8_t> out(colours.size());
    std::map<std::uint32_t, std::uint8_t> exact{{palette[kPadIndex], kPadIndex}};
    bool fits = true;
    for (const std::uint32_t c : colours) {
        if (exact.count(c)) continue;
        if (kFirstLogoIndex + exact.size() - 1 > 255) {
            fits = false;
            break;
        }
        exact.emplace(c, static_cast<std::uint8_t>(kFirstLogoIndex + exact.size() - 1));
    }
    if (fits) {
        for (const auto& [colour, index] : exact) palette[index] = colour;
        for (std::size_t i = 0; i < colours.size(); ++i) out[i] = exact[colours[i]];
        return out;
    }
    const auto step = [](std::uint32_t v, int steps) {
        return static_cast<int>((v * (steps - 1) + 127) / 255);
    };
    for (int r = 0; r < kCubeRed; ++r)
        for (int g = 0; g < kCubeGreen; ++g)
            for (int b = 0; b < kCubeBlue; ++b)
                palette[kFirstLogoIndex + (r * kCubeGreen + g) * kCubeBlue + b] =
                    0xFF000000u | static_cast<std::uint32_t>(r * 255 / (kCubeRed - 1)) << 16 |
                    static_cast<std::uint32_t>(g * 255 / (kCubeGreen - 1)) << 8 |
                    static_cast<std::uint32_t>(b * 255 / (kCubeBlue - 1));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t c = colours[i];
        out[i] = static_cast<std::uint8_t>(
            kFirstLogoIndex +
            (step(c >> 16 & 0xFF, kCubeRed) * kCubeGreen + step(c >> 8 & 0xFF, kCubeGreen)) *
                kCubeBlue +
            step(c & 0xFF, kCubeBlue));
    }
    return out;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<std::uint8_t>(bytes[i + 2]);
        out += kDigits[group >> 18 & 63];
        out += kDigits[group >> 12 & 63];
        out += i + 1 < bytes.size() ? kDigits[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return out;
}

}  // namespace

LogoFormat SniffLogoFormat(std::string_view file) {
    if (file.starts_with("\x89PNG\r\n\x1a\n")) return LogoFormat::Png;
    if (file.starts_with("\xFF\xD8\xFF")) return LogoFormat::Jpeg;
    // An SVG: "<svg" after a byte-order mark, blanks, an XML declaration, comments, a DOCTYPE.
    std::string_view rest = file;
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    for (int guard = 0; guard < 64; ++guard) {
        while (!rest.empty() &&
               std::string_view(" \t\r\n").find(rest.front()) != std::string_view::npos)
            rest.remove_prefix(1);
        if (rest.starts_with("<svg")) return LogoFormat::Svg;
        const char* close = rest.starts_with("<!--") ? "-->"
                            : rest.starts_with("<?") ? "?>"
                            : rest.starts_with("<!") ? ">"
                                                     : nullptr;
        if (!close) break;
        const std::size_t end = rest.find(close);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + std::string_view(close).size());
    }
    return LogoFormat::Unknown;
}

std::optional<LogoImage> DecodeLogo(std::string_view file, std::string* error) {
    if (file.size() > kMaxLogoFileBytes)
        return Refused(error, "the logo file is larger than " +
                                  std::to_string(kMaxLogoFileBytes / (1024 * 1024)) + " MiB");
    switch (SniffLogoFormat(file)) {
        case LogoFormat::Png:
            return DecodePng(file, error);
        case LogoFormat::Jpeg:
            return DecodeJpeg(file, error);
        case LogoFormat::Svg:
            return Refused(error, "an SVG logo must be drawn by the caller");
        case LogoFormat::Unknown:
            break;
    }
    return Refused(error, "the logo is not a PNG, JPEG or SVG file");
}

LogoBox PlaceLogo(const clsQRCode& encoder, std::int32_t size, int percent) {
    const std::int32_t version = (size - 17) / 4;
    if (version < 1 || version > 40 || encoder.GetSymbolSize(version) != size) return {};
    percent = std::clamp(percent, kMinLogoPercent, kMaxLogoPercent);
    // The function modules and reserved areas: every cell the drawing leaves non-zero.
    std::vector<std::uint8_t> function(static_cast<std::size_t>(size) * size, 0);
    encoder.DrawFunctionPatterns(function.data(), size, version);
    // Sums over the rectangle from (0, 0) to (x, y), exclusive, for a box's count at once.
    const std::size_t stride = static_cast<std::size_t>(size) + 1;
    std::vector<std::int32_t> sums(stride * stride, 0);
    for (std::int32_t y = 0; y < size; ++y)
        for (std::int32_t x = 0; x < size; ++x)
            sums[(y + 1) * stride + x + 1] =
                sums[y * stride + x + 1] + sums[(y + 1) * stride + x] - sums[y * stride + x] +
                (function[static_cast<std::size_t>(y) * size + x] != 0);
    const auto count = [&](std::int32_t x, std::int32_t y, std::int32_t side) {
        return sums[(y + side) * stride + x + side] - sums[y * stride + x + side] -
               sums[(y + side) * stride + x] + sums[y * stride + x];
    };
    for (std::int32_t side = (percent * size + 50) / 100; side > 2 * kLogoPad; --side) {
        LogoBox best;
        std::int64_t bestDistance = INT64_MAX;
        for (std::int32_t y = 0; y + side <= size; ++y)
            for (std::int32_t x = 0; x + side <= size; ++x) {
                if (count(x, y, side) != 0) continue;
                // Twice the offset of the box's centre from the symbol's, in modules.
                const std::int64_t dx = 2 * x + side - size, dy = 2 * y + side - size;
                if (dx * dx + dy * dy < bestDistance) {
                    bestDistance = dx * dx + dy * dy;
                    best = {x, y, side};
                }
            }
        if (!best.Empty()) return best;
    }
    return {};
}

bool OverlayLogo(Image& image, std::int32_t modulesAcross, std::int32_t margin, const LogoBox& box,
                 const LogoImage& logo) {
    if (image.Empty() || logo.Empty() || box.Empty() || modulesAcross <= 0 || margin < 0 ||
        margin + box.x + box.side > modulesAcross || margin + box.y + box.side > modulesAcross ||
        box.x < 0 || box.y < 0 || image.width < modulesAcross || image.height < modulesAcross ||
        logo.argb.size() != static_cast<std::size_t>(logo.width) * logo.height)
        return false;
    if (!std::all_of(image.pixels.begin(), image.pixels.end(),
                     [](std::uint8_t p) { return p <= 1; }))
        return false;
    // Module m's first pixel, as the stretch maps target pixels to modules.
    const auto edgeX = [&](std::int64_t m) {
        return static_cast<std::int32_t>((m * image.width + modulesAcross - 1) / modulesAcross);
    };
    const auto edgeY = [&](std::int64_t m) {
        return static_cast<std::int32_t>((m * image.height + modulesAcross - 1) / modulesAcross);
    };
    const std::int32_t x0 = margin + box.x, y0 = margin + box.y;
    const std::int32_t left = edgeX(x0), top = edgeY(y0);
    const std::int32_t right = edgeX(x0 + box.side), bottom = edgeY(y0 + box.side);
    const std::int32_t innerLeft = edgeX(x0 + kLogoPad), innerTop = edgeY(y0 + kLogoPad);
    const std::int32_t innerWidth = edgeX(x0 + box.side - kLogoPad) - innerLeft;
    const std::int32_t innerHeight = edgeY(y0 + box.side - kLogoPad) - innerTop;
    if (innerWidth < 1 || innerHeight < 1) return false;
    // As large as fits, proportions kept, centred.
    const double scale = std::min(static_cast<double>(innerWidth) / logo.width,
                                  static_cast<double>(innerHeight) / logo.height);
    const auto width = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::lround(logo.width * scale)), 1, innerWidth);
    const auto height = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::lround(logo.height * scale)), 1, innerHeight);
    const std::int32_t logoLeft = innerLeft + (innerWidth - width) / 2;
    const std::int32_t logoTop = innerTop + (innerHeight - height) / 2;

    const std::uint32_t pad = image.palette[0] | 0xFF000000u;
    image.palette[kPadIndex] = pad;
    const std::vector<std::uint8_t> indices =
        Quantised(Composed(logo, width, height, pad), image.palette);
    for (std::int32_t y = top; y < bottom; ++y)
        std::fill_n(image.pixels.data() + static_cast<std::size_t>(y) * image.width + left,
                    right - left, static_cast<std::uint8_t>(kPadIndex));
    for (std::int32_t y = 0; y < height; ++y)
        std::copy_n(
            indices.data() + static_cast<std::size_t>(y) * width, width,
            image.pixels.data() + static_cast<std::size_t>(logoTop + y) * image.width + logoLeft);
    return true;
}

std::string AddLogoToSvg(const std::string& svg, std::int32_t margin, const LogoBox& box,
                         std::string_view logoFile, LogoFormat format, std::uint32_t light) {
    const std::size_t end = svg.rfind("</svg>");
    if (box.Empty() || format == LogoFormat::Unknown || end == std::string::npos) return svg;
    const char* type = format == LogoFormat::Png    ? "image/png"
                       : format == LogoFormat::Jpeg ? "image/jpeg"
                                                    : "image/svg+xml";
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06X", light & 0xFFFFFF);
    const auto at = [](std::int32_t v) { return std::to_string(v); };
    std::string logo = "<rect x=\"" + at(margin + box.x) + "\" y=\"" + at(margin + box.y) +
                       "\" width=\"" + at(box.side) + "\" height=\"" + at(box.side) + "\" fill=\"" +
                       colour + "\"/>\n";
    // xlink:href, declared here, for the SVG 1.1 renderers; meet keeps the proportions.
    logo += "<image xmlns:xlink=\"http://www.w3.org/1999/xlink\" x=\"" +
            at(margin + box.x + kLogoPad) + "\" y=\"" + at(margin + box.y + kLogoPad) +
            "\" width=\"" + at(box.side - 2 * kLogoPad) + "\" height=\"" +
            at(box.side - 2 * kLogoPad) +
            "\" preserveAspectRatio=\"xMidYMid meet\" xlink:href=\"data:" + type + ";base64," +
            Base64(logoFile) + "\"/>\n";
    return svg.substr(0, end) + logo + svg.substr(end);
}

}  // namespace qrdesk
