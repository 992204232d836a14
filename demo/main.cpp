// Prints the QR Code symbol of a text in the terminal, two modules per character cell.
// Usage: qrdesk-demo TEXT

#include <cstdio>
#include <cstring>

#include "encoder/clsQRCode.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TEXT\n", argv[0]);
        return 2;
    }
    clsQRCode encoder;
    const auto* data = reinterpret_cast<const std::uint8_t*>(argv[1]);
    const auto picture =
        encoder.Encode(data, static_cast<std::int32_t>(std::strlen(argv[1])), 0, 2, -1, false);
    if (!picture) {
        std::fprintf(stderr, "%s: the text is too long for a QR Code symbol\n", argv[0]);
        return 1;
    }
    // Upper half block for a dark top pixel, lower for a dark bottom one; the picture's own
    // white quiet zone keeps the symbol readable on dark terminals too when inverted.
    const auto dark = [&](int x, int y) {
        return y < picture->Height() && picture->Pixel(x, y) == 0;
    };
    for (int y = 0; y < picture->Height(); y += 2) {
        for (int x = 0; x < picture->Width(); ++x) {
            const bool top = dark(x, y), bottom = dark(x, y + 1);
            std::fputs(top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ", stdout);
        }
        std::fputc('\n', stdout);
    }
    return 0;
}
