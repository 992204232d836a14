#pragma once
// The window's lists and size options in the symbol job's terms: the lists' items, their
// selected indexes as the job's settings, and the size options' captions.

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <string>

#include "common/SymbolJob.h"
#include "common/TextBytes.h"

namespace qrdesk {

// The level list, L to H.
inline constexpr const char* kLevelItems[4] = {"L - 7%", "M - 15%", "Q - 25%", "H - 30%"};

// The mask list: "Automatic", "0" .. "7", then "最低罚分" (lowest penalty). The added items
// are short enough for their lists' closed width (97 and 89 pixels).
inline constexpr const char* kLowestPenaltyItem = QT_TRANSLATE_NOOP("Form1", "最低罚分");
inline constexpr int kLowestPenaltyIndex = 9;

// The encoding list: 0 "ANSI", 1 "UTF-8", then 2 "UTF-8+ECI" and 3 "ANSI+ECI", which carry
// the character set's ECI designator before the data.
inline constexpr const char* kEncodingItems[4] = {"ANSI", "UTF-8", "UTF-8+ECI", "ANSI+ECI"};
inline constexpr int kUtf8EciItem = 2;
inline constexpr int kAnsiEciItem = 3;

// The job's settings for the lists' selected indexes, the text left for the caller: version
// = index (0 automatic), level = index + 1 (1 L .. 4 H), mask = index - 1 (-1 automatic,
// pattern 0), formed in 16 bits as the list indexes are; the mask list's "最低罚分" (lowest
// penalty) scores the eight patterns. The encoding item gives the encoding and its designator.
SymbolSettings SettingsFromLists(int versionIndex, int levelIndex, int maskIndex, int encodingIndex,
                                 const std::string& codePage);

// 1 and 2 are UTF-8, every other index the ANSI code page.
TextEncoding EncodingFromIndex(int index);
// The designator an encoding item writes: 26 for "UTF-8+ECI", the code page's (0 when it has
// none) for "ANSI+ECI", 0 for the others.
std::int32_t EciFromIndex(int index, const std::string& codePage);

// The size options "小图", "中图", "大图" give Picture1 the offered sides (kOfferedSides).
// The option's caption for 200, 400 or 600, untranslated; nullptr for other sizes.
const char* SizeOptionName(int pixels);

// A caption or list item of the window (context "Form1", the window's form) in the language
// in force.
QString WindowText(const char* source);

}  // namespace qrdesk
