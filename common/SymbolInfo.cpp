#include "common/SymbolInfo.h"

#include <QStringList>

namespace qrdesk {
namespace {

// No symbol holds more than 23,648 data bits and every byte costs more than 3 bits.
constexpr qsizetype kMaxFittingCount = 23648 / 3;

}  // namespace

std::int32_t VersionFromPictureSize(std::int32_t pixels) {
    const std::int32_t modules = pixels - 8;
    if (modules < 21 || modules > 177 || (modules - 17) % 4 != 0) return 0;
    return (modules - 17) / 4;
}

std::optional<std::int32_t> MeasureDataBits(const clsQRCode& encoder, const QByteArray& bytes,
                                            std::int32_t version, bool kanjiAllowed) {
    if (bytes.size() > kMaxFittingCount) return std::nullopt;
    const std::int32_t n = encoder.BuildBitStream(
        nullptr, 0, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::int32_t>(bytes.size()), version, true, kanjiAllowed);
    return n - 4;
}

SymbolInfo ToSymbolInfo(const clsQRCode::EncodeReport& report) {
    SymbolInfo info;
    info.version = report.version;
    info.level = report.level;
    info.mask = report.mask;
    for (const auto& segment : report.segments)
        info.segments.push_back({segment.mode, segment.length});
    info.dataBits = report.dataBits;
    info.capacityBits = report.capacityBits;
    return info;
}

const char* ModeName(clsQRCode::Mode mode) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return "numeric";
        case clsQRCode::ModeAlphanumeric:
            return "alphanumeric";
        case clsQRCode::ModeKanji:
            return "kanji";
        default:
            return "byte";
    }
}

const char* LevelName(std::int32_t level) {
    static const char* const names[] = {"L", "M", "Q", "H"};
    return level >= 1 && level <= 4 ? names[level - 1] : "M";
}

QString FormatSymbolInfo(const SymbolInfo& info) {
    QStringList segments;
    for (const SegmentInfo& s : info.segments)
        segments << QStringLiteral("%1 %2").arg(ModeName(s.mode)).arg(s.length);
    return QStringLiteral("version %1, level %2, mask %3, segments %4, bits %5 of %6")
        .arg(info.version)
        .arg(LevelName(info.level))
        .arg(info.mask)
        .arg(segments.isEmpty() ? QStringLiteral("none") : segments.join(" + "))
        .arg(info.dataBits)
        .arg(info.capacityBits);
}

}  // namespace qrdesk
