#pragma once
// The readers a symbol's picture is read back with, as scanners read the written file:
// zxing-cpp (phone apps and many libraries) and zbar (most Linux scanning programs), each
// behind the symbol job's SymbolReader. The window links them; the command line loads them
// as a module (common/ReaderModule.h, Module.cpp).

#include <memory>
#include <span>
#include <vector>

#include "common/SymbolReader.h"

namespace qrdesk {

// zxing-cpp as an app calls it: ReadBarcodes with its default options. Helped: the picture
// taken as a pure symbol (straight, with its quiet zone, as it is drawn).
class ZxingReader final : public SymbolReader {
  public:
    const char* Name() const override { return "zxing-cpp"; }
    const char* Help() const override { return "pure"; }
    Reading Read(const GreyView& image, bool helped) const override;
};

// zbar as zbarimg calls it: its default configuration, the text it shows; the payload comes
// from a second scan in its binary mode. Helped: a picture under 200 pixels enlarged by pixel
// replication first, as a camera never sees modules of a pixel or two.
class ZbarReader final : public SymbolReader {
  public:
    const char* Name() const override { return "zbar"; }
    const char* Help() const override { return "enlarged"; }
    Reading Read(const GreyView& image, bool helped) const override;
};

// The readers of this build, in the order their verdicts are given.
class Readers {
  public:
    Readers();
    std::span<const SymbolReader* const> All() const { return pointers_; }

  private:
    std::vector<std::unique_ptr<SymbolReader>> owned_;
    std::vector<const SymbolReader*> pointers_;
};

}  // namespace qrdesk
