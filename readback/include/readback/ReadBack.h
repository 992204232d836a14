#pragma once
// The readers a symbol's picture is read back with, as scanners read the written file:
// zxing-cpp (phone apps and many libraries), zbar (most Linux scanning programs) and WeChat's
// reader (the scanner most Chinese-speaking users scan with), each behind the symbol job's
// SymbolReader. The window links them; the command line loads them
// as a module (common/ReaderModule.h, Module.cpp).

#include <memory>
#include <mutex>
#include <span>
#include <string>
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

// WeChat's reader (OpenCV's wechat_qrcode, from its own module loaded on the first read) as
// an app calls it on a camera frame: the whole picture, at most four million pixels. It hands
// back the payload's bytes whatever the ECI or mode; the text shown is those bytes as UTF-8.
// No helping setting.
class WeChatReader final : public SymbolReader {
  public:
    const char* Name() const override { return "wechat"; }
    const char* Help() const override { return ""; }
    Reading Read(const GreyView& image, bool helped) const override;
};

// The readers of this build, in the order their verdicts are given. WeChat's joins them on
// the first call of All() when its module loads (not before: OpenCV costs a start-up its
// time); where it does not, Missing() says why and the other two carry on.
class Readers {
  public:
    Readers();
    std::span<const SymbolReader* const> All() const;
    // Why WeChat's reader is not among them; empty when it is (or All() was not called yet).
    const std::string& Missing() const { return missing_; }

  private:
    std::vector<std::unique_ptr<SymbolReader>> owned_;
    mutable std::vector<const SymbolReader*> pointers_;
    mutable std::string missing_;
    mutable std::once_flag loaded_;
};

}  // namespace qrdesk
