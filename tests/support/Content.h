#pragma once
// Deterministic test content of every kind the suites need, the same on every machine.

#include <cstdint>
#include <string_view>

#include "encoder/clsQRCode.h"
#include "support/Bytes.h"
#include "support/KnownAnswers.h"

namespace qrtest {

// The first four are the kinds that suites covering every version and level cycle through.
enum class Content {
    Numeric,       // digits
    Alphanumeric,  // the 45 alphanumeric characters
    Byte,          // any byte value, NUL included
    Mixed,         // runs of digits, alphanumerics, text, Shift JIS pairs and any bytes
    Text,          // lower-case letters and punctuation: bytes that only byte mode takes
    Kanji,         // Shift JIS Kanji characters; an odd length ends with a text byte
    SmallAlphabet  // a few characters at mode and Kanji boundaries, picked by the seed
};

inline Bytes MakeContent(Content kind, std::size_t length, std::uint32_t seed) {
    constexpr std::string_view kAlphanumeric = kAlphanumericCharset;
    constexpr std::string_view kText = "abcdefghijklmnopqrstuvwxyz,;!?_";
    // Short alphabets, so that runs, switches between modes and ties are frequent.
    static const Bytes kSmallAlphabets[] = {
        {'0', '1', '9'},
        {'A', 'Z', ' ', ':', '5'},
        {'a', '0', 'B', '7', '-'},
        {0x93, 0x5F, 0x81, 0x40, 0xEB, 0xBF, 0xC0, 0xE0, '1'},
        {0x00, 0xFF, 0x3F, 0x40, 0x9F, 0xEA, 'A', '3'},
    };
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    auto pick = [&](std::string_view set) {
        return static_cast<std::uint8_t>(set[next() % set.size()]);
    };
    Bytes out;
    // A Shift JIS character in the Kanji range: a lead byte and a trail byte (0x40-0x7E,
    // 0x80-0xFC). withEdges draws leads from the whole Kanji range, whose last lead 0xEB
    // takes only some of the trail bytes drawn.
    auto pushKanji = [&](bool withEdges) {
        const std::uint32_t r = next();
        const std::uint32_t leads = withEdges ? 0x0C : 0x0B;
        out.push_back(
            static_cast<std::uint8_t>((r & 1) ? 0x81 + (r >> 1) % 0x1F : 0xE0 + (r >> 1) % leads));
        const std::uint32_t trail = 0x40 + (r >> 8) % 0xBC;
        out.push_back(static_cast<std::uint8_t>(trail < 0x7F ? trail : trail + 1));
    };
    const Bytes& small = kSmallAlphabets[next() % std::size(kSmallAlphabets)];
    while (out.size() < length) {
        switch (kind) {
            case Content::Numeric:
                out.push_back(pick("0123456789"));
                break;
            case Content::Alphanumeric:
                out.push_back(pick(kAlphanumeric));
                break;
            case Content::Byte:
                out.push_back(static_cast<std::uint8_t>(next()));
                break;
            case Content::Text:
                out.push_back(pick(kText));
                break;
            case Content::Kanji:
                if (length - out.size() >= 2)
                    pushKanji(false);
                else
                    out.push_back(pick(kText));
                break;
            case Content::SmallAlphabet:
                out.push_back(small[next() % small.size()]);
                break;
            case Content::Mixed: {
                const std::uint32_t run = 1 + next() % 32, which = next() % 5;
                for (std::uint32_t k = 0; k < run; ++k) {
                    if (which == 0) out.push_back(pick("0123456789"));
                    if (which == 1) out.push_back(pick(kAlphanumeric));
                    if (which == 2) out.push_back(pick(kText));
                    if (which == 3) pushKanji(true);
                    if (which == 4) out.push_back(static_cast<std::uint8_t>(next()));
                }
                break;
            }
        }
    }
    out.resize(length);
    return out;
}

// Content whose every character goes in the given mode.
inline Content ContentOfMode(clsQRCode::Mode mode) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return Content::Numeric;
        case clsQRCode::ModeAlphanumeric:
            return Content::Alphanumeric;
        case clsQRCode::ModeKanji:
            return Content::Kanji;
        default:
            return Content::Text;
    }
}

}  // namespace qrtest
