#pragma once
// The steps of a symbol job that the job and its advice share (SymbolJob.cpp, Advice.cpp).

#include <span>
#include <string_view>
#include <vector>

#include "common/SymbolJob.h"

namespace qrdesk::job {

// Encodes result.bytes as settings ask and lays out the picture: fills eci, report, modules,
// margin, across, side, scale, colours and unscaled, and sets status (Made or why not; the
// fit figures with DoesNotFit).
void Draw(clsQRCode& encoder, const SymbolSettings& settings, SymbolResult& result);

// The picture of a drawn symbol at side x side pixels, overlay applied.
Image PictureAt(const SymbolSettings& settings, const SymbolResult& result, std::int32_t side);

// What each reader makes of picture (alpha flattened on white), encoded and typed being what
// it should find and show. With help, a reader that cannot decode it is asked again with its
// helping setting.
std::vector<ReaderVerdict> ReadPicture(const Image& picture,
                                       std::span<const SymbolReader* const> readers,
                                       std::string_view encoded, std::string_view typed, bool help);

bool AllDecoded(const std::vector<ReaderVerdict>& verdicts);
bool AllAsTyped(const std::vector<ReaderVerdict>& verdicts);

// Fills result.advice for a made and read symbol: tries other character sets when a reader
// shows other text, other sides and levels when one cannot read the picture.
void Advise(clsQRCode& encoder, const SymbolSettings& settings,
            std::span<const SymbolReader* const> readers, SymbolResult& result);

}  // namespace qrdesk::job
