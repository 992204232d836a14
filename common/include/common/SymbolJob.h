#pragma once
// One symbol job: from what the user chose (the text and its encoding, the symbol's options,
// how the picture is written) to everything the window and the command line show or write
// about it: the encoder's report, the modules, the picture exactly as it is written, what each
// reader reads from that picture, advice that was tried before it is given, and the figures of
// a text that does not fit. Both callers only translate their inputs into settings and format
// the result, so the same settings give the same verdicts and advice in both.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/Image.h"
#include "common/Logo.h"
#include "common/SymbolReader.h"
#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

// The sides the window offers (小图, 中图, 大图); the last is both programs' default.
inline constexpr std::int32_t kOfferedSides[3] = {200, 400, 600};
inline constexpr std::int32_t kDefaultSide = kOfferedSides[2];
// The largest side either program writes: a 10,000-pixel square is 300 MB as BMP already.
inline constexpr std::int32_t kMaxSide = 10000;
// Pixels a module is taken to cover in a terminal, where each is a character cell or half
// of one.
inline constexpr std::int32_t kTerminalModulePixels = 4;

// The ECI header: none, the text's character set's designator when the text is not plain
// ASCII (UTF-8's, or the code page's where both readers honour one), or a given designator.
enum class EciChoice { Off, Auto, Given };

// How the written picture is seen: an image (PNG and BMP pixel for pixel, SVG as a viewer
// draws it at its width and height, each pixel the module under its top-left corner), or text
// in a terminal (each module kTerminalModulePixels pixels square).
enum class Surface { Image, Terminal };

// What advice on a picture that some reader cannot read covers: every change that reads
// (the command line lists them all), or the window's own choices (an offered side, a level,
// a smaller logo) with whole-pixel sides only when none of those reads, which is all the
// window shows.
enum class AdviceScope { Every, ChoicesFirst };

struct SymbolSettings {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Utf8;
    std::string codePage = kDefaultAnsiCodePage;
    std::int32_t version = 0;  // 0: the smallest that holds the text; 1..40: that version
    std::int32_t level = 2;    // 1 L .. 4 H; anything else is M
    std::int32_t mask = -1;    // 0..7; anything else is pattern 0, or the scored choice:
    bool scoredMask = false;   // the lowest of the standard's penalty over the eight
    EciChoice eci = EciChoice::Off;
    std::int32_t eciDesignator = 0;  // with EciChoice::Given; 0 writes none
    // The picture: scale > 0 whole pixels per module; otherwise stretched to size x size
    // without smoothing.
    std::int32_t scale = 0;
    std::int32_t size = kDefaultSide;
    std::int32_t margin = kQuietZone;  // light modules around the symbol
    Colours colours;
    Surface surface = Surface::Image;
    // A logo in the middle, its box logoPercent of the symbol's width (PlaceLogo): drawn into
    // every picture the job makes, embedded in SVG files. Shared, as advice copies settings.
    std::shared_ptr<const LoadedLogo> logo;
    std::int32_t logoPercent = kDefaultLogoPercent;
    AdviceScope advice = AdviceScope::Every;
    // Fill SymbolResult::written even without readers (the window shows it).
    bool keepWritten = false;
    // A step applied to every picture the job makes (the written one and every one tried for
    // advice) before it is read or written: a logo, say. Empty: none.
    std::function<void(Image& picture)> overlay;
};

enum class SymbolStatus {
    Made,
    EmptyText,        // no text to encode
    UnknownCodePage,  // iconv cannot convert to the code page (error says so)
    DoesNotFit,       // no symbol of the options holds the text (fit has the figures)
    SideTooSmall,     // size is below the symbol with its margin (across pixels)
    SideTooLarge,     // scale makes a picture larger than kMaxSide
    NoPicture,        // memory for the picture could not be had
};

// What one reader makes of the written picture.
struct ReaderVerdict {
    std::string name;
    bool read = false;        // with its default settings it shows a text for the symbol
    bool decoded = false;     // it decodes the symbol's payload, whether or not it shows text
    std::string bytes;        // the payload, when decoded
    std::string text;         // the text shown, when read
    bool bytesExact = false;  // bytes are the encoded bytes
    bool textAsTyped = false;
    // When it cannot decode the picture: its helping setting with which it can ("pure",
    // "enlarged"), or "" when that does not help either. The verdict stays unread.
    std::string helpedBy;
};

// Advice, every piece tried and found true before it is given.
struct SymbolAdvice {
    // Some reader shows other text: the change of character set with which every reader
    // shows the text as typed. Eci: the encoding's own designator (UTF-8's, or the code
    // page's); Utf8Eci: UTF-8 with its designator.
    enum class Charset { None, Eci, Utf8Eci } charset = Charset::None;
    // Some reader cannot read the picture: the nearest whole pixels per module below and
    // above the written picture's at which every reader reads it (0: none), the nearest other
    // offered side that reads (stretched pictures only), and another level (1 L .. 4 H) that
    // reads at the same side. Sides are tried up to four times the default, levels for
    // pictures up to that side.
    std::int32_t smallerScale = 0;
    std::int32_t largerScale = 0;
    std::int32_t offeredSide = 0;
    std::int32_t level = 0;
    bool triedLevels = false;
    // With a logo: the largest smaller logo size, in percent, that every reader reads at
    // the same side and level (0: none).
    std::int32_t logoPercent = 0;
    // When no other side reads: the largest side tried (0 when none was).
    std::int32_t noneUpTo = 0;
};

// Why a text does not fit, to the bit.
struct FitFigures {
    std::int64_t bytes = 0;  // the text's bytes
    // Its data bits (segments, ECI header) at version, as clsQRCode::MeasureDataBits counts
    // them; -1: too long to count.
    std::int64_t neededBits = -1;
    std::int32_t version = 40;  // the fixed version, or 40
    bool fixedVersion = false;
    std::int32_t level = 2;          // 1 L .. 4 H
    std::int32_t capacityBits = 0;   // what version holds at level
    std::int32_t largerVersion = 0;  // fixed version: the smallest larger one that holds them
    std::int32_t lowerLevel = 0;     // otherwise: the highest lower level at version that does
};

struct SymbolResult {
    SymbolStatus status = SymbolStatus::EmptyText;
    std::string error;                           // UnknownCodePage: the converter's reason
    std::string bytes;                           // the text as the symbol carries it
    std::string typed;                           // the text as UTF-8, what a reader should show
    TextEncoding encoding = TextEncoding::Utf8;  // of bytes
    std::int32_t eci = 0;                        // the designator written, 0 for none
    clsQRCode::EncodeReport report;
    Modules modules;
    std::int32_t margin = kQuietZone;
    std::int32_t across = 0;  // modules across the picture, margins included
    std::int32_t side = 0;    // the written picture's side in pixels
    std::int32_t scale = 0;   // whole pixels per module; 0 when stretched
    Colours colours;
    std::shared_ptr<const LoadedLogo> logo;  // the settings' logo, when it has a box
    LogoBox logoBox;                         // where it sits; empty: no logo drawn
    Image unscaled;  // one pixel per module with the margins, in the colours (no logo)
    Image written;   // side x side as written (overlay included); with readers, or kept
    std::vector<ReaderVerdict> verdicts;  // one per reader, in the readers' order
    SymbolAdvice advice;
    FitFigures fit;  // with DoesNotFit

    bool Made() const { return status == SymbolStatus::Made; }
    // Every reader decodes the picture / shows the text as typed.
    bool AllDecoded() const;
    bool AllAsTyped() const;
};

// Makes the symbol of settings with encoder (which keeps its working memory between calls).
// With readers, reads the written picture with each and advises. The readers of one picture
// are asked side by side, each on a thread of its own (so a reader is never called by two
// threads at once, but not always by this one). Never throws.
SymbolResult MakeSymbol(clsQRCode& encoder, const SymbolSettings& settings,
                        std::span<const SymbolReader* const> readers = {});

// The readers' half of MakeSymbol, for a symbol it made without readers: what each reader
// reads from the written picture (made here when it was not kept) and the advice, exactly as
// MakeSymbol with the same settings and readers gives them. encoder makes the symbols tried
// for advice. Does nothing for a symbol not made. Never throws.
void ReadSymbol(clsQRCode& encoder, const SymbolSettings& settings,
                std::span<const SymbolReader* const> readers, SymbolResult& result);

enum class FileFormat { Bmp, Png, Svg };

// The file of a made symbol: the written picture as a 24-bit BMP or a PNG, pixel for pixel,
// with dpi written when > 0; or the modules with their margins as an SVG of whole modules,
// side pixels wide, with the logo's file embedded (drawn from the modules: an overlay is not
// in it). Empty when the picture cannot be encoded.
std::string SymbolFileBytes(const SymbolResult& symbol, FileFormat format, int dpi = 0);

}  // namespace qrdesk
