#pragma once
// The window's lists and size options in the encoder's terms: the list indexes as encoder
// options, the encoding list's items as a text encoding and an ECI designator, and the size
// options' captions and edges.

#include <cstdint>
#include <string>

#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

// version = index (0 automatic), level = index + 1 (1 L .. 4 H), mask = index - 1 (-1
// automatic, pattern 0), except the mask list's last item, "最低罚分" (lowest penalty), which
// scores the eight patterns; the list indexes are 16-bit values and the sums are formed in 16 bits.
// kanjiAllowed and eci are left for the caller, which knows the encoding.
clsQRCode::EncodeOptions OptionsFromIndexes(int versionIndex, int levelIndex, int maskIndex);

// The mask list: "Automatic", "0" .. "7", then "最低罚分" (lowest penalty). The added items
// are short enough for their lists' closed width (97 and 89 pixels).
inline constexpr const char* kLowestPenaltyItem = "最低罚分";
inline constexpr int kLowestPenaltyIndex = 9;

// The encoding list: 0 "ANSI", 1 "UTF-8", then 2 "UTF-8+ECI" and 3 "ANSI+ECI", which carry
// the character set's ECI designator before the data.
inline constexpr const char* kEncodingItems[4] = {"ANSI", "UTF-8", "UTF-8+ECI", "ANSI+ECI"};
inline constexpr int kUtf8EciItem = 2;
inline constexpr int kAnsiEciItem = 3;

// 1 and 2 are UTF-8, every other index the ANSI code page.
TextEncoding EncodingFromIndex(int index);
// The designator an encoding item writes: 26 for "UTF-8+ECI", the code page's (0 when it has
// none) for "ANSI+ECI", 0 for the others.
std::int32_t EciFromIndex(int index, const std::string& codePage);

// The size options "小图", "中图", "大图": Picture1's edge for each.
inline constexpr int kSizeOptionPixels[3] = {200, 400, 600};
// The option's caption for 200, 400 or 600; nullptr for other sizes.
const char* SizeOptionName(int pixels);

}  // namespace qrdesk
