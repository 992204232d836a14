#pragma once
// Reads a symbol image back as scanners would read the saved file, with two independent
// readers: zxing-cpp (phone apps and many libraries) and zbar (most Linux scanning programs).
// Each is asked for the bytes it finds and for the text it would show, and both are
// compared with what was encoded and what was typed.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "common/Image.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

struct ReaderResult {
    const char* name = "";     // "zxing-cpp" or "zbar"
    bool read = false;         // a QR Code was found and decoded
    std::string bytes;         // the payload as read, before any text decoding
    std::string text;          // the text the reader shows, UTF-8
    bool bytesExact = false;   // bytes are the encoded bytes
    bool textAsTyped = false;  // text is the typed text
};

struct ReadBack {
    std::array<ReaderResult, 2> readers;  // zxing-cpp, zbar

    // Every reader read the symbol and shows exactly what was typed.
    bool AllAsTyped() const {
        for (const ReaderResult& r : readers)
            if (!r.read || !r.textAsTyped) return false;
        return true;
    }
    // Every reader read the symbol (whatever it shows).
    bool AllRead() const {
        for (const ReaderResult& r : readers)
            if (!r.read) return false;
        return true;
    }
};

// Decodes image, looking for a QR Code only, with each reader; encoded is the symbol's
// payload and typed the text as UTF-8.
ReadBack ReadBackImage(const Image& image, std::string_view encoded, std::string_view typed);

struct SymbolCheck {
    int size = 0;  // edge in pixels of the picture read back (the one that is saved)
    ReadBack readBack;
    // When some reader cannot read that picture: the first of the larger sizes offered whose
    // stretched picture both readers read; 0 when none does.
    int readableSize = 0;
};

// Reads saved (the picture that is written) back; when a reader cannot read it, stretches
// unscaled (one pixel per module) to each of sizes larger than saved in turn.
SymbolCheck CheckSymbol(std::string_view encoded, std::string_view typed, const Image& unscaled,
                        const Image& saved, std::span<const int> sizes);

// Whether the symbol of bytes made with options, stretched to size pixels, reads in every
// reader as typed: the test behind any advice to change a setting, so that advice is only
// ever given when it is true.
bool ReadsAsTyped(clsQRCode& encoder, std::string_view bytes, std::string_view typed,
                  const clsQRCode::EncodeOptions& options, int size);

}  // namespace qrdesk
