#include "ui/WindowVocabulary.h"

#include <cstdint>

namespace qrdesk {

clsQRCode::EncodeOptions OptionsFromIndexes(int versionIndex, int levelIndex, int maskIndex) {
    clsQRCode::EncodeOptions options;
    options.version = static_cast<std::int16_t>(versionIndex);
    options.level = static_cast<std::int16_t>(levelIndex + 1);
    options.mask = static_cast<std::int16_t>(maskIndex - 1);
    return options;
}

TextEncoding EncodingFromIndex(int index) {
    return index == 1 ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

}  // namespace qrdesk
