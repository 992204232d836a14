#include "common/SymbolInfo.h"

#include <QStringList>

namespace qrdesk {
namespace {

// No symbol holds more than 23,648 data bits and every byte costs more than 3 bits.
constexpr qsizetype kMaxFittingCount = 23648 / 3;

// Character-count field widths by count-width class (versions 1-9, 10-26, 27-40), indexed
// by clsQRCode::Mode.
constexpr std::int32_t kCountWidth[3][4] = {{8, 10, 9, 8}, {16, 12, 11, 10}, {16, 14, 13, 12}};

std::int32_t CountWidthClass(std::int32_t version) {
    return version < 10 ? 0 : version <= 26 ? 1 : 2;
}

// Bits a segment's characters take after its mode indicator and count field.
std::int32_t PayloadBits(clsQRCode::Mode mode, std::int32_t length) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return 10 * (length / 3) + (length % 3 == 0 ? 0 : length % 3 == 1 ? 4 : 7);
        case clsQRCode::ModeAlphanumeric:
            return 11 * (length / 2) + 6 * (length % 2);
        case clsQRCode::ModeKanji:
            return 13 * length;
        default:
            return 8 * length;
    }
}

std::int32_t ReadBits(const std::vector<std::uint8_t>& bits, std::int32_t& position,
                      std::int32_t width) {
    std::int32_t value = 0;
    for (std::int32_t k = 0; k < width; ++k) value = (value << 1) | bits[position++];
    return value;
}

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

std::optional<SymbolInfo> DescribeSymbol(const clsQRCode& encoder, const QByteArray& bytes,
                                         const SymbolOptions& options, bool kanjiAllowed,
                                         const Picture& picture) {
    SymbolInfo info;
    info.version = VersionFromPictureSize(picture.Width());
    if (info.version == 0 || picture.Height() != picture.Width()) return std::nullopt;
    if (bytes.size() > kMaxFittingCount) return std::nullopt;
    // Encode's own normalisation: a level outside 1..4 is M, a mask outside 0..7 pattern 0.
    info.level = options.level >= 1 && options.level <= 4 ? options.level : 2;
    info.mask = options.mask >= 0 && options.mask <= 7 ? options.mask : 0;
    info.capacityBits = 8 * encoder.GetDataCodewordCount(info.version, info.level);

    // The segments as the encoder writes them: mode indicator, count field, characters.
    std::vector<std::uint8_t> bits(clsQRCode::BitBufferSize);
    const std::int32_t n = encoder.BuildBitStream(
        bits.data(), clsQRCode::BitBufferSize,
        reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::int32_t>(bytes.size()), info.version, false, kanjiAllowed);
    if (n > clsQRCode::BitBufferSize) return std::nullopt;
    info.dataBits = n - 4;
    if (info.dataBits > info.capacityBits) return std::nullopt;

    const std::int32_t* width = kCountWidth[CountWidthClass(info.version)];
    std::int32_t position = 0;
    while (position + 4 <= info.dataBits) {
        clsQRCode::Mode mode;
        switch (ReadBits(bits, position, 4)) {
            case 0b0100:
                mode = clsQRCode::ModeByte;
                break;
            case 0b0001:
                mode = clsQRCode::ModeNumeric;
                break;
            case 0b0010:
                mode = clsQRCode::ModeAlphanumeric;
                break;
            case 0b1000:
                mode = clsQRCode::ModeKanji;
                break;
            default:
                return std::nullopt;  // not a stream this encoder writes
        }
        if (position + width[mode] > info.dataBits) return std::nullopt;
        const std::int32_t length = ReadBits(bits, position, width[mode]);
        position += PayloadBits(mode, length);
        if (position > info.dataBits) return std::nullopt;
        info.segments.push_back({mode, length});
    }
    if (position != info.dataBits) return std::nullopt;
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
