#pragma once
// A logo in the middle of a symbol that readers still read: the logo file decoded (PNG with
// libspng, JPEG with libjpeg-turbo; SVG is rasterised by the caller, which has the means),
// a box for it that covers data modules only, and the logo drawn into the picture on a light
// pad, or embedded in an SVG file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Image.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

// A decoded logo: 0xAARRGGBB per pixel (alpha not premultiplied), row by row from the top.
struct LogoImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> argb;

    bool Empty() const { return width <= 0 || height <= 0; }
};

enum class LogoFormat { Unknown, Png, Jpeg, Svg };

// A logo as a symbol job takes it: the decoded picture for PNG and BMP files and for the
// readers, and the file's own bytes, which SVG files embed.
struct LoadedLogo {
    LogoImage image;
    std::string file;
    LogoFormat format = LogoFormat::Unknown;
};

// The format by the file's first bytes (an SVG by "<svg" after an optional XML declaration,
// comments and blanks).
LogoFormat SniffLogoFormat(std::string_view file);

// Logos beyond these are refused: a decompression bomb must not take the memory.
inline constexpr std::int32_t kMaxLogoSide = 16384;
inline constexpr std::int64_t kMaxLogoPixels = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxLogoFileBytes = 64 * 1024 * 1024;

// A PNG or JPEG file decoded; nullopt with *error (English, one line) for another format, a
// damaged file, or one beyond the limits.
std::optional<LogoImage> DecodeLogo(std::string_view file, std::string* error);

// SVG logos are drawn at most this many pixels on their longer side.
inline constexpr std::int32_t kSvgLogoPixels = 1024;

// The logo's size: its box, pad included, as a percentage of the symbol's width.
inline constexpr int kDefaultLogoPercent = 20;
inline constexpr int kMinLogoPercent = 5;
inline constexpr int kMaxLogoPercent = 30;
// The light pad around the logo, in modules.
inline constexpr std::int32_t kLogoPad = 1;

// Where the logo goes, in modules of the symbol (quiet zone excluded): a square of side
// modules from (x, y), the pad included.
struct LogoBox {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t side = 0;

    bool Empty() const { return side <= 2 * kLogoPad; }
    // The box's side as a percentage of the symbol's, rounded.
    int Percent(std::int32_t size) const { return size > 0 ? (200 * side + size) / (2 * size) : 0; }
};

// The box for a logo of percent (kMinLogoPercent..kMaxLogoPercent) on the symbol of size
// modules: percent of size, rounded, and never a finder, separator, timing, alignment,
// format or version module; of the boxes that avoid them the one nearest the centre (the
// centre itself unless an alignment pattern sits there), shrunk a module at a time until one
// fits. An empty box when none holds a logo of at least one module, or size is no version's.
LogoBox PlaceLogo(const clsQRCode& encoder, std::int32_t size, int percent);

// Draws the logo on image, a picture of modulesAcross modules (the quiet zone of margin
// modules on each side included) at any pixels per module, stretched as Render and Stretch
// draw it, of palette indices 0 (light) and 1 (dark) only: the box in the light colour made
// opaque, the logo inside it, a pad's width from its edge, as large as fits with its
// proportions kept and composed over the pad. The logo's colours take palette indices 2 and
// up, each exactly when there are few enough, else the nearest of 252 even steps. False, and
// the image untouched, when the box or the image is unusable.
bool OverlayLogo(Image& image, std::int32_t modulesAcross, std::int32_t margin, const LogoBox& box,
                 const LogoImage& logo);

// An SVG file as EncodeSvg writes it, with the box as a rectangle of the light colour and
// the logo file (PNG, JPEG or SVG) embedded as an image in it; the modules stay whole paths
// under it. The file unchanged for an empty box or unknown format.
std::string AddLogoToSvg(const std::string& svg, std::int32_t margin, const LogoBox& box,
                         std::string_view logoFile, LogoFormat format, std::uint32_t light);

}  // namespace qrdesk
