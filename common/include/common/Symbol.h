#pragma once
// A symbol from the bytes of a text: the encoder's picture and its own report of what the
// picture holds.

#include <cstdint>
#include <memory>
#include <string_view>

#include "encoder/clsQRCode.h"
#include "render/Picture.h"

namespace qrdesk {

struct Symbol {
    std::shared_ptr<Picture> picture;  // null when the data do not fit
    clsQRCode::EncodeReport report;    // what the picture holds, when there is one
};

Symbol EncodeSymbol(clsQRCode& encoder, std::string_view bytes,
                    const clsQRCode::EncodeOptions& options);

// "numeric", "alphanumeric", "byte", "kanji", "eci".
const char* ModeName(clsQRCode::Mode mode);
// The level the encoder uses for a level option: 1..4 as given, M (2) for anything else.
std::int32_t NormalLevel(std::int32_t level);
// "L", "M", "Q", "H" for 1..4; "M" for anything else, as the encoder reads it.
const char* LevelName(std::int32_t level);

}  // namespace qrdesk
