#include "ui/WindowVocabulary.h"

#include <QCoreApplication>

namespace qrdesk {

SymbolSettings SettingsFromLists(int versionIndex, int levelIndex, int maskIndex, int encodingIndex,
                                 const std::string& codePage) {
    SymbolSettings settings;
    settings.version = static_cast<std::int16_t>(versionIndex);
    settings.level = static_cast<std::int16_t>(levelIndex + 1);
    settings.mask = static_cast<std::int16_t>(maskIndex - 1);
    settings.scoredMask = maskIndex == kLowestPenaltyIndex;
    if (settings.scoredMask) settings.mask = -1;
    settings.encoding = EncodingFromIndex(encodingIndex);
    settings.codePage = codePage;
    settings.eciDesignator = EciFromIndex(encodingIndex, codePage);
    settings.eci = settings.eciDesignator != 0 ? EciChoice::Given : EciChoice::Off;
    return settings;
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
    static const char* const kNames[] = {QT_TRANSLATE_NOOP("Form1", "小图"),
                                         QT_TRANSLATE_NOOP("Form1", "中图"),
                                         QT_TRANSLATE_NOOP("Form1", "大图")};
    for (int i = 0; i < 3; ++i)
        if (pixels == kOfferedSides[i]) return kNames[i];
    return nullptr;
}

QString WindowText(const char* source) {
    return QCoreApplication::translate("Form1", source);
}

}  // namespace qrdesk
