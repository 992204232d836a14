#include "ui/WindowVocabulary.h"

namespace qrdesk {

clsQRCode::EncodeOptions OptionsFromIndexes(int versionIndex, int levelIndex, int maskIndex) {
    clsQRCode::EncodeOptions options;
    options.version = static_cast<std::int16_t>(versionIndex);
    options.level = static_cast<std::int16_t>(levelIndex + 1);
    options.mask = static_cast<std::int16_t>(maskIndex - 1);
    if (maskIndex == kLowestPenaltyIndex) {
        options.mask = -1;
        options.scoredMask = true;
    }
    return options;
}

TextEncoding EncodingFromIndex(int index) {
    return index == 1 || index == kUtf8EciItem ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

std::int32_t EciFromIndex(int index, const std::string& codePage) {
    if (index == kUtf8EciItem) return kUtf8Eci;
    if (index == kAnsiEciItem) return EciOfCodePage(codePage);
    return 0;
}

const char* SizeOptionName(int pixels) {
    switch (pixels) {
        case 200:
            return "小图";
        case 400:
            return "中图";
        case 600:
            return "大图";
        default:
            return nullptr;
    }
}

}  // namespace qrdesk
