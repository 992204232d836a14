#pragma once
// WeChat's reader, through its module (loaded on first use, once per process).

#include <optional>
#include <string>
#include <vector>

#include "readback/ReadSymbols.h"

namespace qrdesk::wechat {

struct Found {
    std::string text;              // the payload's bytes as they are (the reader converts none)
    std::optional<Quad> position;  // when the reader located the symbol itself
};

// The symbols WeChat's reader finds in the grey picture (rows without padding); nullopt with
// *error set when the module cannot be loaded or the reader failed.
std::optional<std::vector<Found>> Read(const std::uint8_t* grey, int width, int height,
                                       std::string* error);

}  // namespace qrdesk::wechat
