// Advice on a symbol that some reader cannot read, or reads as other text: every change offered
// is made and read first, with the same readers, so that advice is only ever true.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>

#include "JobSteps.h"

namespace qrdesk::job {
namespace {

// Advice tries pictures up to this side (four times the default): one that no side up to it
// reads has a cause that size does not mend (colours, margin, modules too large for a
// reader), and each read of a picture near the largest allowed side costs seconds.
constexpr std::int32_t kLargestTriedSide = 4 * kDefaultSide;

// Whole scales from `from` towards `to` (either way), nearest first: the three nearest, then
// twice as far each time, and `to` itself last. A picture that does not read at the scales
// next to its own is rarely helped by size at all, so the far ones are sampled, not all made.
// Empty when from is below 1.
std::vector<std::int32_t> ScalesToward(std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> scales;
    const std::int32_t direction = to >= from ? 1 : -1;
    if (from < 1 || to < 1) return scales;
    std::int64_t step = 1;
    for (std::int64_t k = from; (to - k) * direction >= 0; k += direction * step) {
        scales.push_back(static_cast<std::int32_t>(k));
        if (scales.size() >= 3) step *= 2;
    }
    if (scales.empty() || scales.back() != to) scales.push_back(to);
    return scales;
}

// What the readers make of the symbol of settings with bytes, at the side the settings give;
// nullopt when it cannot be made so.
std::optional<std::vector<ReaderVerdict>> ReadOther(clsQRCode& encoder,
                                                    const SymbolSettings& settings,
                                                    std::span<const SymbolReader* const> readers,
                                                    std::string bytes, std::string_view typed) {
    SymbolResult other;
    other.bytes = std::move(bytes);
    Draw(encoder, settings, other);
    if (!other.Made()) return std::nullopt;
    return ReadPicture(PictureAt(settings, other, other.side), readers, other.bytes, typed, false);
}

// The character set with which every reader shows the text as typed: the encoding's own
// designator first (the smaller change), then UTF-8 with its designator. A change that makes
// the symbol already made is not tried again.
SymbolAdvice::Charset TryCharsets(clsQRCode& encoder, const SymbolSettings& settings,
                                  std::span<const SymbolReader* const> readers,
                                  const SymbolResult& made) {
    SymbolSettings own = settings;
    own.eci = EciChoice::Auto;
    SymbolSettings utf8 = own;
    utf8.encoding = TextEncoding::Utf8;
    const struct {
        const SymbolSettings& settings;
        SymbolAdvice::Charset charset;
    } changes[] = {{own, SymbolAdvice::Charset::Eci}, {utf8, SymbolAdvice::Charset::Utf8Eci}};
    for (const auto& change : changes) {
        SymbolResult other;
        auto bytes =
            TextToBytes(change.settings.text, change.settings.encoding, change.settings.codePage);
        if (!bytes) continue;
        other.bytes = std::move(*bytes);
        Draw(encoder, change.settings, other);
        if (!other.Made() || (other.bytes == made.bytes && other.eci == made.eci)) continue;
        if (AllAsTyped(ReadPicture(PictureAt(change.settings, other, other.side), readers,
                                   other.bytes, made.typed, false)))
            return change.charset;
    }
    return SymbolAdvice::Charset::None;
}

// Whether every reader reads the made symbol at a side, each side read once.
class SideTrials {
  public:
    SideTrials(const SymbolSettings& settings, std::span<const SymbolReader* const> readers,
               const SymbolResult& made)
        : settings_(settings), readers_(readers), made_(made) {}

    bool Reads(std::int32_t side) {
        const auto [at, fresh] = tried_.try_emplace(side, false);
        if (fresh)
            at->second = AllDecoded(ReadPicture(PictureAt(settings_, made_, side), readers_,
                                                made_.bytes, made_.typed, false));
        return at->second;
    }
    // The largest side tried, 0 when none was.
    std::int32_t Largest() const { return tried_.empty() ? 0 : tried_.rbegin()->first; }

  private:
    const SymbolSettings& settings_;
    std::span<const SymbolReader* const> readers_;
    const SymbolResult& made_;
    std::map<std::int32_t, bool> tried_;  // side: every reader decodes it
};

// The nearest other offered side that reads, for a stretched picture.
void TryOfferedSide(const SymbolSettings& settings, SideTrials& sides, SymbolResult& made) {
    if (settings.scale != 0) return;
    std::vector<std::int32_t> offered(std::begin(kOfferedSides), std::end(kOfferedSides));
    std::stable_sort(offered.begin(), offered.end(), [&](std::int32_t a, std::int32_t b) {
        const std::int32_t da = std::abs(a - made.side), db = std::abs(b - made.side);
        return da != db ? da < db : a > b;
    });
    for (const std::int32_t side : offered)
        if (side != made.side && side >= made.across && sides.Reads(side)) {
            made.advice.offeredSide = side;
            return;
        }
}

// The whole scales nearest below and above the picture's that read.
void TryScales(SideTrials& sides, SymbolResult& made) {
    SymbolAdvice& advice = made.advice;
    const std::int32_t across = made.across;
    const std::int32_t below = made.side / across;  // the whole scale at or below the side
    const std::int32_t first = below * across == made.side ? below - 1 : below;
    const std::int32_t largest = std::min(kMaxSide, kLargestTriedSide) / across;
    for (const std::int32_t k : ScalesToward(std::min(first, largest), 1))
        if (sides.Reads(k * across)) {
            advice.smallerScale = k;
            break;
        }
    if (below + 1 <= largest) {
        for (const std::int32_t k : ScalesToward(below + 1, largest))
            if (sides.Reads(k * across)) {
                advice.largerScale = k;
                break;
            }
    }
    if (advice.smallerScale == 0 && advice.largerScale == 0 && advice.offeredSide == 0)
        advice.noneUpTo = sides.Largest();
}

// Another level at the same side: the lower ones first, nearest first (a lower level makes a
// smaller symbol of larger modules), then the higher ones.
std::int32_t TryLevels(clsQRCode& encoder, const SymbolSettings& settings,
                       std::span<const SymbolReader* const> readers, const SymbolResult& made) {
    std::vector<std::int32_t> levels;
    for (std::int32_t l = made.report.level - 1; l >= 1; --l) levels.push_back(l);
    for (std::int32_t l = made.report.level + 1; l <= 4; ++l) levels.push_back(l);
    for (const std::int32_t level : levels) {
        SymbolSettings other = settings;
        other.level = level;
        const auto verdicts = ReadOther(encoder, other, readers, made.bytes, made.typed);
        if (verdicts && AllDecoded(*verdicts)) return level;
    }
    return 0;
}

// A smaller logo at the same side and level: the largest of the sizes in steps of 5 below
// the logo's that every reader reads.
std::int32_t TryLogoSizes(clsQRCode& encoder, const SymbolSettings& settings,
                          std::span<const SymbolReader* const> readers, const SymbolResult& made) {
    const std::int32_t shown = made.logoBox.Percent(made.modules.size);
    for (std::int32_t percent = (std::min(settings.logoPercent, shown) - 1) / 5 * 5;
         percent >= kMinLogoPercent; percent -= 5) {
        SymbolSettings other = settings;
        other.logoPercent = percent;
        const auto verdicts = ReadOther(encoder, other, readers, made.bytes, made.typed);
        if (verdicts && AllDecoded(*verdicts)) return percent;
    }
    return 0;
}

}  // namespace

void Advise(clsQRCode& encoder, const SymbolSettings& settings,
            std::span<const SymbolReader* const> readers, SymbolResult& result) {
    if (AllDecoded(result.verdicts)) {
        if (!AllAsTyped(result.verdicts))
            result.advice.charset = TryCharsets(encoder, settings, readers, result);
        return;
    }
    // A reader that decodes the picture shows it can be read: another that cannot may be
    // failing on the character set (zbar reads nothing of bytes it cannot convert), which
    // no size mends.
    const bool someDecoded = std::any_of(result.verdicts.begin(), result.verdicts.end(),
                                         [](const ReaderVerdict& v) { return v.decoded; });
    if (someDecoded) {
        result.advice.charset = TryCharsets(encoder, settings, readers, result);
        if (result.advice.charset != SymbolAdvice::Charset::None) return;
    }
    // Each kind of change is tried on its own, so the order only decides what is read: the
    // window's own choices (an offered side, a smaller logo, a level) first, whole-pixel
    // sides after them, or only when none of them reads where that is all that is shown.
    SideTrials sides(settings, readers, result);
    const bool image = settings.surface == Surface::Image;
    if (image) TryOfferedSide(settings, sides, result);
    SymbolAdvice& advice = result.advice;
    advice.triedLevels = result.side <= kLargestTriedSide;
    if (result.logo && advice.triedLevels)
        advice.logoPercent = TryLogoSizes(encoder, settings, readers, result);
    if (advice.triedLevels) advice.level = TryLevels(encoder, settings, readers, result);
    const bool chosen = advice.offeredSide != 0 || advice.logoPercent != 0 || advice.level != 0;
    if (image && (settings.advice == AdviceScope::Every || !chosen)) TryScales(sides, result);
}

}  // namespace qrdesk::job
