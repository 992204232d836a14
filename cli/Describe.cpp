#include "cli/Describe.h"

#include "common/Symbol.h"

namespace qrdesk::cli {
namespace {

// No symbol holds more than 23,648 data bits and every byte costs more than 3 bits.
constexpr std::size_t kMaxFittingCount = 23648 / 3;

}  // namespace

std::int32_t VersionFromPictureSize(std::int32_t pixels) {
    const std::int32_t modules = pixels - 8;
    if (modules < 21 || modules > 177 || (modules - 17) % 4 != 0) return 0;
    return (modules - 17) / 4;
}

std::optional<std::int32_t> MeasureDataBits(const clsQRCode& encoder, std::string_view bytes,
                                            std::int32_t version, bool kanjiAllowed) {
    if (bytes.size() > kMaxFittingCount) return std::nullopt;
    const std::int32_t n = encoder.BuildBitStream(
        nullptr, 0, reinterpret_cast<const std::uint8_t*>(bytes.data()),
        static_cast<std::int32_t>(bytes.size()), version, true, kanjiAllowed);
    return n - 4;
}

std::string FormatSymbolInfo(const clsQRCode::EncodeReport& report) {
    std::string segments;
    for (const auto& s : report.segments) {
        if (!segments.empty()) segments += " + ";
        segments += std::string(ModeName(s.mode)) + " " + std::to_string(s.length);
    }
    return "version " + std::to_string(report.version) + ", level " + LevelName(report.level) +
           ", mask " + std::to_string(report.mask) + ", segments " +
           (segments.empty() ? "none" : segments) + ", bits " + std::to_string(report.dataBits) +
           " of " + std::to_string(report.capacityBits);
}

std::string DoesNotFit(const clsQRCode& encoder, std::string_view bytes,
                       const clsQRCode::EncodeOptions& options) {
    const std::int32_t level = options.level >= 1 && options.level <= 4 ? options.level : 2;
    const bool fixed = options.version >= 1 && options.version <= 40;
    const std::int32_t version = fixed ? options.version : 40;
    const auto bits = MeasureDataBits(encoder, bytes, version, options.kanjiAllowed);
    const std::string count = std::to_string(bytes.size());
    if (!bits) return "the data do not fit: " + count + " bytes are more than any symbol holds";
    return "the data do not fit " +
           (fixed ? "version " + std::to_string(version) : std::string("any version")) +
           " at level " + LevelName(level) + ": " + count + " bytes need " + std::to_string(*bits) +
           " bits, " + (fixed ? "it" : "version 40") + " holds " +
           std::to_string(8 * encoder.GetDataCodewordCount(version, level));
}

}  // namespace qrdesk::cli
