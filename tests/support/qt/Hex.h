#pragma once
// Bytes written as hex in the desktop tests' tables, which compare byte strings
// (std::string): the shared hex reader's bytes in that form.

#include <string>
#include <string_view>

#include "support/Bytes.h"

// "e4ba8c" or "E4 BA 8C" -> the three bytes.
inline std::string HexBytes(std::string_view hex) {
    const qrtest::Bytes bytes = qrtest::FromHex(hex);
    return std::string(bytes.begin(), bytes.end());
}
