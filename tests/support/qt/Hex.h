#pragma once
// Bytes written as hex in the tests' tables.

#include <cstdlib>
#include <string>
#include <string_view>

// "e4ba8c" or "E4 BA 8C" -> the three bytes; blanks between the pairs are ignored.
inline std::string HexBytes(std::string_view hex) {
    std::string bytes;
    char pair[3] = {};
    int have = 0;
    for (const char c : hex) {
        if (c == ' ') continue;
        pair[have++] = c;
        if (have == 2) {
            bytes += static_cast<char>(std::strtol(pair, nullptr, 16));
            have = 0;
        }
    }
    return bytes;
}
