#pragma once
// The benchmark's payloads, shared by qrdesk_bench and qrdesk_profile: a short text, a URL,
// two that fill version 40 at level L (bytes, digits) and a mixed order list. Standard
// library only, so that qrdesk_profile builds against any version of the encoder.

#include <string>
#include <vector>

namespace bench {

struct Payload {
    const char* name;
    std::string text;
    int version;  // the version the encoder chooses, once measured; 0 before
    int level;    // 1..4 = L, M, Q, H
};

inline std::string Repeat(const std::string& unit, std::size_t size) {
    std::string s;
    while (s.size() < size) s += unit;
    s.resize(size);
    return s;
}

inline std::vector<Payload> Payloads() {
    std::string url = "https://www.example.org/downloads/archive/";
    url += Repeat("releases/stable/linux-amd64/", 100 - url.size() - 11) + "/index.html";
    std::string digits;
    for (int i = 0; digits.size() < 7089; ++i) digits += std::to_string(1000003 * i % 9973);
    digits.resize(7089);
    // Digits, capitals and lower case in runs, as in an order list.
    const std::string mixed = Repeat(
        "Order 20240917 ITEM QX-7731-ABZ qty 000125 price 00045990 ship to warehouse "
        "NORTH-3 via express; ",
        1500);
    return {
        {"1-M HELLO WORLD", "HELLO WORLD", 0, 2},
        {"M url 100 bytes", url, 0, 2},
        {"40-L 2953 bytes", Repeat("the quick brown fox jumps over the lazy dog ", 2953), 0, 1},
        {"40-L 7089 digits", digits, 0, 1},
        {"M mixed 1500 bytes", mixed, 0, 2},
    };
}

}  // namespace bench
