#include "common/Symbol.h"

#include <limits>

namespace qrdesk {

Symbol EncodeSymbol(clsQRCode& encoder, std::string_view bytes,
                    const clsQRCode::EncodeOptions& options) {
    Symbol symbol;
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return symbol;
    symbol.picture =
        encoder.Encode(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<std::int32_t>(bytes.size()), options, &symbol.report);
    return symbol;
}

const char* ModeName(clsQRCode::Mode mode) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return "numeric";
        case clsQRCode::ModeAlphanumeric:
            return "alphanumeric";
        case clsQRCode::ModeKanji:
            return "kanji";
        case clsQRCode::ModeEci:
            return "eci";
        default:
            return "byte";
    }
}

std::int32_t NormalLevel(std::int32_t level) {
    return level >= 1 && level <= 4 ? level : 2;
}

const char* LevelName(std::int32_t level) {
    static const char* const names[] = {"L", "M", "Q", "H"};
    return names[NormalLevel(level) - 1];
}

}  // namespace qrdesk
