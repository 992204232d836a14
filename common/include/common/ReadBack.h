#pragma once
// Reads a symbol image back with zxing-cpp, as a scanner would read the saved file, and says
// whether it gives the encoded bytes; then, when it does not, which larger size would.

#include <span>
#include <string>
#include <string_view>

#include "common/Image.h"

namespace qrdesk {

enum class ReadBackVerdict {
    Readable,    // decoded, and the bytes are the encoded bytes
    Unreadable,  // no QR Code found in the image
    Mismatch,    // a QR Code was read but its bytes differ
};

struct ReadBack {
    ReadBackVerdict verdict = ReadBackVerdict::Unreadable;
    std::string bytes;       // the payload as read, before any text decoding
    std::string readerText;  // the reader's text interpretation of those bytes, UTF-8
};

// Decodes image looking for a QR Code only: first as a pure symbol (straight, quiet zone
// around it, as the window draws it), then with the general detector, and compares the
// payload with encoded.
ReadBack ReadBackImage(const Image& image, std::string_view encoded);

struct SymbolCheck {
    int size = 0;  // edge in pixels of the picture read back (the one that is saved)
    ReadBack readBack;
    // When that picture does not read: the first of the larger sizes offered whose stretched
    // picture reads back as the encoded bytes; 0 when none does.
    int readableSize = 0;
};

// Reads saved (the picture that is written) back against bytes; when it does not read,
// stretches unscaled (one pixel per module) to each of sizes larger than saved in turn.
SymbolCheck CheckSymbol(std::string_view bytes, const Image& unscaled, const Image& saved,
                        std::span<const int> sizes);

}  // namespace qrdesk
