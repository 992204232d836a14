#pragma once
// Byte and bit strings as the tests write them: text, hex, and bit strings with spaces
// between fields.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qrtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromText(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// "93 5F e4" or "935fe4" -> {0x93, 0x5F, 0xE4}
inline Bytes FromHex(std::string_view hex) {
    Bytes out;
    std::string digits;
    for (char c : hex)
        if (c != ' ') digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// bytes, times over.
inline Bytes Repeat(const Bytes& bytes, std::size_t times) {
    Bytes out;
    for (std::size_t k = 0; k < times; ++k) out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

inline std::string WithoutSpaces(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

// One character per bit entry: '0', '1', or '?' for an entry that is not a bit.
inline std::string BitsToString(const std::vector<std::uint8_t>& bits) {
    std::string out;
    for (std::uint8_t b : bits) out += b == 0 ? '0' : (b == 1 ? '1' : '?');
    return out;
}

}  // namespace qrtest
