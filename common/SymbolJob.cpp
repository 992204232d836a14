// The symbol job: text to bytes, the encoder, the picture as written, the readers' verdicts on
// it, and why a text does not fit.

#include "common/SymbolJob.h"

#include <exception>
#include <limits>
#include <new>
#include <thread>

#include "JobSteps.h"
#include "common/Symbol.h"

namespace qrdesk {
namespace {

std::int32_t ResolveEci(const SymbolSettings& settings, std::string_view bytes) {
    switch (settings.eci) {
        case EciChoice::Given:
            return settings.eciDesignator;
        case EciChoice::Auto:
            if (IsPlainAscii(bytes)) return 0;
            return settings.encoding == TextEncoding::Utf8 ? kUtf8Eci
                                                           : EciOfCodePage(settings.codePage);
        default:
            return 0;
    }
}

// The figures of bytes that no symbol of options holds. The data bits depend on the version
// only through its count-width class, so each class is measured once.
FitFigures Fit(const clsQRCode& encoder, std::string_view bytes,
               const clsQRCode::EncodeOptions& options) {
    FitFigures fit;
    fit.bytes = static_cast<std::int64_t>(bytes.size());
    fit.level = NormalLevel(options.level);
    fit.fixedVersion = options.version >= 1 && options.version <= 40;
    fit.version = fit.fixedVersion ? options.version : 40;
    fit.capacityBits = 8 * encoder.GetDataCodewordCount(fit.version, fit.level);
    std::int64_t measured[3] = {-2, -2, -2};
    auto bits = [&](std::int32_t version) {
        std::int64_t& slot = measured[version <= 9 ? 0 : version <= 26 ? 1 : 2];
        if (slot == -2)
            slot = bytes.size() > static_cast<std::size_t>(clsQRCode::MaxMeasuredCount)
                       ? -1
                       : encoder.MeasureDataBits(
                             reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::int32_t>(bytes.size()), version, options);
        return slot;
    };
    auto fits = [&](std::int32_t version, std::int32_t level) {
        const std::int64_t need = bits(version);
        return need >= 0 && need <= 8 * encoder.GetDataCodewordCount(version, level);
    };
    fit.neededBits = bits(fit.version);
    if (fit.neededBits < 0) return fit;
    if (fit.fixedVersion)
        for (std::int32_t v = fit.version + 1; v <= 40; ++v)
            if (fits(v, fit.level)) {
                fit.largerVersion = v;
                return fit;
            }
    for (std::int32_t l = fit.level - 1; l >= 1; --l)
        if (fits(fit.version, l)) {
            fit.lowerLevel = l;
            return fit;
        }
    return fit;
}

// The verdicts on result's written picture and the advice.
void ReadAndAdvise(clsQRCode& encoder, const SymbolSettings& settings,
                   std::span<const SymbolReader* const> readers, SymbolResult& result) {
    result.typed = TextToBytes(settings.text, TextEncoding::Utf8, {}).value_or(std::string());
    result.verdicts = job::ReadPicture(result.written, readers, result.bytes, result.typed, true);
    result.advice = {};
    job::Advise(encoder, settings, readers, result);
}

SymbolResult Make(clsQRCode& encoder, const SymbolSettings& settings,
                  std::span<const SymbolReader* const> readers) {
    SymbolResult result;
    if (settings.text.empty()) return result;  // EmptyText
    auto bytes = TextToBytes(settings.text, settings.encoding, settings.codePage, &result.error);
    if (!bytes) {
        result.status = SymbolStatus::UnknownCodePage;
        return result;
    }
    result.bytes = std::move(*bytes);
    result.encoding = settings.encoding;
    job::Draw(encoder, settings, result);
    if (!result.Made()) return result;
    if (!readers.empty() || settings.keepWritten || settings.overlay || result.logo)
        result.written = job::PictureAt(settings, result, result.side);
    if (!readers.empty()) ReadAndAdvise(encoder, settings, readers, result);
    return result;
}

}  // namespace

void ReadSymbol(clsQRCode& encoder, const SymbolSettings& settings,
                std::span<const SymbolReader* const> readers, SymbolResult& result) {
    if (!result.Made() || readers.empty()) return;
    try {
        if (result.written.Empty()) result.written = job::PictureAt(settings, result, result.side);
        ReadAndAdvise(encoder, settings, readers, result);
    } catch (...) {
        // No memory for a picture tried: no verdicts rather than some that were not all made.
        result.verdicts.clear();
        result.advice = {};
    }
}

namespace job {

void Draw(clsQRCode& encoder, const SymbolSettings& settings, SymbolResult& result) {
    clsQRCode::EncodeOptions options;
    options.version = settings.version;
    options.level = settings.level;
    options.mask = settings.mask;
    options.scoredMask = settings.scoredMask;
    options.kanjiAllowed = KanjiAllowed(settings.encoding, settings.codePage);
    options.eci = result.eci = ResolveEci(settings, result.bytes);
    Symbol symbol = EncodeSymbol(encoder, result.bytes, options);
    if (!symbol.picture) {
        result.fit = Fit(encoder, result.bytes, options);
        const bool fits =
            result.fit.neededBits >= 0 && result.fit.neededBits <= result.fit.capacityBits;
        // Data that fit but made no picture: the encoder's memory ran out.
        result.status = fits ? SymbolStatus::NoPicture : SymbolStatus::DoesNotFit;
        return;
    }
    result.report = std::move(symbol.report);
    result.modules = ModulesOf(*symbol.picture);
    result.margin = settings.margin;
    result.colours = settings.colours;
    result.across = result.modules.size + 2 * settings.margin;
    if (settings.surface == Surface::Terminal) {
        result.scale = kTerminalModulePixels;
        result.side = result.across * result.scale;
    } else if (settings.scale > 0) {
        const std::int64_t side = std::int64_t{result.across} * settings.scale;
        result.scale = settings.scale;
        result.side = static_cast<std::int32_t>(
            std::min<std::int64_t>(side, std::numeric_limits<std::int32_t>::max()));
        if (side > kMaxSide) {
            result.status = SymbolStatus::SideTooLarge;
            return;
        }
    } else {
        result.scale = 0;
        result.side = settings.size;
        if (settings.size < result.across) {
            result.status = SymbolStatus::SideTooSmall;
            return;
        }
    }
    if (settings.logo && !settings.logo->image.Empty()) {
        result.logoBox = PlaceLogo(encoder, result.modules.size, settings.logoPercent);
        if (!result.logoBox.Empty()) result.logo = settings.logo;
    }
    result.unscaled = Render(result.modules, settings.margin, 1, settings.colours);
    result.status = result.unscaled.Empty() ? SymbolStatus::NoPicture : SymbolStatus::Made;
}

Image PictureAt(const SymbolSettings& settings, const SymbolResult& result, std::int32_t side) {
    Image picture = Stretch(result.unscaled, side, side);
    if (result.logo && !picture.Empty())
        OverlayLogo(picture, result.across, result.margin, result.logoBox, result.logo->image);
    if (settings.overlay && !picture.Empty()) settings.overlay(picture);
    return picture;
}

std::vector<ReaderVerdict> ReadPicture(const Image& picture,
                                       std::span<const SymbolReader* const> readers,
                                       std::string_view encoded, std::string_view typed,
                                       bool help) {
    const std::vector<std::uint8_t> grey = Luminance(picture);
    const GreyView view{grey.data(), picture.width, picture.height};
    std::vector<ReaderVerdict> verdicts(readers.size());
    auto ask = [&](std::size_t i) {
        const SymbolReader& reader = *readers[i];
        ReaderVerdict& verdict = verdicts[i];
        verdict.name = reader.Name();
        Reading reading = picture.Empty() ? Reading() : reader.Read(view, false);
        verdict.decoded = reading.decoded;
        verdict.read = reading.shown;
        verdict.bytesExact = reading.decoded && reading.bytes == encoded;
        verdict.textAsTyped = reading.shown && reading.text == typed;
        verdict.bytes = std::move(reading.bytes);
        verdict.text = std::move(reading.text);
        if (!verdict.decoded && help && *reader.Help() != '\0' && !picture.Empty() &&
            reader.Read(view, true).decoded)
            verdict.helpedBy = reader.Help();
    };
    // The readers are asked side by side, each on a thread of its own (they share nothing but
    // the grey picture, which no one writes): the slowest then sets the time, not the sum. A
    // reader that fails can take far longer than one that reads (WeChat's: some 200 ms on a
    // 600-pixel version 40 symbol). Where no thread can be started, the rest are asked here.
    // A thread's failure (no memory for a reading) is raised here once all have ended, as it
    // would have been had the readers been asked in turn.
    std::vector<std::exception_ptr> failures(readers.size());
    auto askCatching = [&](std::size_t i) {
        try {
            ask(i);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> others;
        std::size_t started = 1;
        try {
            others.reserve(readers.size());
            for (; started < readers.size(); ++started) others.emplace_back(askCatching, started);
        } catch (...) {
        }
        if (!readers.empty()) askCatching(0);
        for (std::size_t i = started; i < readers.size(); ++i) askCatching(i);
    }  // joins the threads
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
    return verdicts;
}

bool AllDecoded(const std::vector<ReaderVerdict>& verdicts) {
    for (const ReaderVerdict& v : verdicts)
        if (!v.decoded) return false;
    return true;
}

bool AllAsTyped(const std::vector<ReaderVerdict>& verdicts) {
    for (const ReaderVerdict& v : verdicts)
        if (!v.textAsTyped) return false;
    return true;
}

}  // namespace job

bool SymbolResult::AllDecoded() const {
    return job::AllDecoded(verdicts);
}

bool SymbolResult::AllAsTyped() const {
    return job::AllAsTyped(verdicts);
}

SymbolResult MakeSymbol(clsQRCode& encoder, const SymbolSettings& settings,
                        std::span<const SymbolReader* const> readers) {
    try {
        return Make(encoder, settings, readers);
    } catch (...) {
        // Memory for the pictures, or an overlay's own failure: no symbol rather than a
        // failure that escapes into the window's event loop or a batch worker.
        SymbolResult result;
        result.status = SymbolStatus::NoPicture;
        return result;
    }
}

}  // namespace qrdesk
