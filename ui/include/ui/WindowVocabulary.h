#pragma once
// The window's lists in the encoder's terms: the list indexes as encoder options, and the
// encoding list's item as a text encoding.

#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

// version = index (0 automatic), level = index + 1 (1 L .. 4 H), mask = index - 1 (-1
// automatic, pattern 0); the list indexes are 16-bit values and the sums are formed in 16
// bits. kanjiAllowed is left for the caller, which knows the encoding.
clsQRCode::EncodeOptions OptionsFromIndexes(int versionIndex, int levelIndex, int maskIndex);

// The encoding list's item index: 1 is UTF-8, every other index the ANSI code page.
TextEncoding EncodingFromIndex(int index);

}  // namespace qrdesk
