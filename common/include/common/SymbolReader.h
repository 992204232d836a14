#pragma once
// What a symbol job asks of a reader: find the QR Code in grey pixels and say what it holds.
// The readers themselves (zxing-cpp, zbar, ...) live above this library, in readback/, and the
// command line loads them at run time; the job sees them only through this interface.

#include <cstdint>
#include <string>

namespace qrdesk {

// Grey pixels, 0 black .. 255 white, row by row from the top without padding. Not owned.
struct GreyView {
    const std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// What a reader found. A reader may decode a symbol's payload and still show no text for it
// (zbar, when the bytes are not text in the character set it takes them for).
struct Reading {
    bool decoded = false;  // a QR Code's payload was decoded
    bool shown = false;    // the reader shows a text for it, as an app would
    std::string bytes;     // the payload before any text decoding, when decoded
    std::string text;      // the text shown, UTF-8, when shown
};

class SymbolReader {
  public:
    virtual ~SymbolReader() = default;
    // "zxing-cpp", "zbar": how verdicts name it.
    virtual const char* Name() const = 0;
    // The setting that helps this reader beyond what an app asks of it ("pure" for a symbol
    // read as drawn, "enlarged" for small pictures), or "" when it has none.
    virtual const char* Help() const = 0;
    // Reads image with the reader's default settings, as an app calls it; with helped, with
    // its helping setting instead. Never throws.
    virtual Reading Read(const GreyView& image, bool helped) const = 0;
};

}  // namespace qrdesk
