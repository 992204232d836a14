// The encoding driver: version choice, terminator and padding, error-correction blocks,
// interleaving, and the matrix steps through to the picture.

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "ModeFacts.h"
#include "Segmentation.h"
#include "Symbol.h"
#include "render/mdlVexmora.h"

namespace {

using modefacts::kClassFirst;
using modefacts::kClassLast;

using symbol::kMaxFittingCount;

// Under another character set's ECI a reader takes a Kanji segment for Shift JIS all the
// same, and none shows it as written.
bool KanjiAllowed(const clsQRCode::EncodeOptions& options) {
    return options.kanjiAllowed && (options.eci == 0 || options.eci == 20);
}

bool ValidEci(std::int32_t eci) {
    return eci >= 0 && eci <= clsQRCode::MaxEci;
}

}  // namespace

std::int32_t clsQRCode::MeasureDataBits(const std::uint8_t* data, std::int32_t count,
                                        std::int32_t version, const EncodeOptions& options) const {
    if (count > MaxMeasuredCount || !ValidEci(options.eci) || (count > 0 && data == nullptr))
        return -1;
    const std::int32_t header = modefacts::EciHeaderBits(options.eci);
    if (count <= 0) return header;
    return header + segmentation::MeasureBits(data, count, version, KanjiAllowed(options),
                                              symbol::BestPath());
}

clsQRCode::~clsQRCode() = default;
clsQRCode::clsQRCode(clsQRCode&&) noexcept = default;
clsQRCode& clsQRCode::operator=(clsQRCode&&) noexcept = default;

std::shared_ptr<Picture> clsQRCode::Encode(const std::uint8_t* data, std::int32_t count,
                                           std::int32_t version, std::int32_t level,
                                           std::int32_t mask, bool kanjiAllowed,
                                           EncodeReport* report) {
    EncodeOptions options;
    options.version = version;
    options.level = level;
    options.mask = mask;
    options.kanjiAllowed = kanjiAllowed;
    return Encode(data, count, options, report);
}

std::shared_ptr<Picture> clsQRCode::Encode(const std::uint8_t* data, std::int32_t count,
                                           const EncodeOptions& options, EncodeReport* report) {
    if (!Work) {
        Work.reset(new (std::nothrow) Workspace);
        if (!Work) return nullptr;
    }
    try {
        return EncodeWith(*Work, data, count, options, report, symbol::BestPath());
    } catch (const std::bad_alloc&) {
        return nullptr;  // only the report's segment list can throw: no picture then
    }
}

std::shared_ptr<Picture> clsQRCode::EncodeWith(Workspace& ws, const std::uint8_t* data,
                                               std::int32_t count, const EncodeOptions& options,
                                               EncodeReport* report, symbol::Path path) {
    const std::int32_t level = options.level >= 1 && options.level <= 4 ? options.level : 2;
    if (options.version < 0 || !ValidEci(options.eci)) return nullptr;
    const bool kanjiAllowed = KanjiAllowed(options);
    const std::int32_t eciBits = modefacts::EciHeaderBits(options.eci);
    if (count > 0 && data == nullptr) return nullptr;
    if (count > kMaxFittingCount) return nullptr;
    if (count < 0) count = 0;

    // Version: fixed, or the smallest whose data capacity holds the stream without its
    // terminator (the terminator may be cut short or left out). The search of the class
    // that holds the data gives the segments too.
    std::int32_t v = 0, dataBits = eciBits, segmentCount = 0;
    auto search = [&](std::int32_t classVersion) {
        std::int32_t lastMode = 0;
        dataBits = eciBits + segmentation::SearchWithTable(data, count, classVersion, kanjiAllowed,
                                                           ws.table, &lastMode, path);
        return lastMode;
    };
    if (options.version >= 1 && options.version <= 40) {
        v = options.version;
        const std::int32_t lastMode = count == 0 ? 0 : search(v);
        if (dataBits > 8 * GetDataCodewordCount(v, level)) return nullptr;
        if (count > 0)
            segmentCount = segmentation::BackTrack(ws.table, count, v, lastMode, ws.segments);
    } else {
        // A class whose largest capacity is below a lower bound of the stream cannot hold the
        // data: its search would find nothing, so it is left out. 10/3 bits a byte first,
        // which needs no look at the data; the bound by the data's characters where that
        // does not settle it, unless the data in one byte segment fit (then no lower bound
        // can leave the class out) or the class is the last (its search tells itself).
        std::int32_t atLeast = static_cast<std::int32_t>(std::int64_t{count} * 10 / 3);
        bool looked = false;
        for (std::int32_t c = 0; c < modefacts::kClassCount && v == 0; ++c) {
            const std::int32_t largest = 8 * GetDataCodewordCount(kClassLast[c], level);
            const bool oneByteSegmentFits =
                count <= modefacts::MaxCount(ModeByte, kClassFirst[c]) &&
                modefacts::kIndicatorBits + modefacts::CountWidth(ModeByte, kClassFirst[c]) +
                        8 * count <=
                    largest;
            if (atLeast <= largest && !looked && !oneByteSegmentFits &&
                c + 1 < modefacts::kClassCount) {
                atLeast = GetStreamBitsAtLeast(data, count);
                looked = true;
            }
            if (atLeast > largest) continue;
            const std::int32_t lastMode = count == 0 ? 0 : search(kClassFirst[c]);
            for (std::int32_t candidate = kClassFirst[c]; candidate <= kClassLast[c]; ++candidate) {
                if (8 * GetDataCodewordCount(candidate, level) >= dataBits) {
                    v = candidate;
                    break;
                }
            }
            if (v != 0 && count > 0)
                segmentCount = segmentation::BackTrack(ws.table, count, v, lastMode, ws.segments);
        }
        if (v == 0) return nullptr;
    }
    const std::int32_t total = GetTotalCodewordCount(v);               // T
    const std::int32_t blocks = GetEcBlockCount(v, level);             // B
    const std::int32_t ecPerBlock = GetEcCodewordsPerBlock(v, level);  // E
    const std::int32_t dataCodewords = total - blocks * ecPerBlock;    // D
    if (dataBits > 8 * dataCodewords) return nullptr;

    // Codewords: the stream, padding, blocks of S short (L-1 data codewords) and then long
    // ones (L), error correction, interleaved. Zeros after the last: the remainder bits.
    symbol::WriteDataCodewords(ws.data, dataCodewords, options.eci, data, ws.segments, segmentCount,
                               v);
    const auto [longLength, shortBlocks] = symbol::SplitIntoBlocks(dataCodewords, blocks);  // L, S
    const symbol::ErrorCorrectionTables* tables = ErrorCorrectionTablesFor(longLength, ecPerBlock);
    if (tables == nullptr) return nullptr;
    symbol::InterleaveWithErrorCorrection(ws.data, blocks, shortBlocks, longLength, *tables,
                                          ws.codewords, path);
    std::memset(ws.codewords + total, 0, 16);

    // The matrix: codewords placed as columns, turned into rows, masked.
    const std::int32_t size = GetSymbolSize(v);
    if (ws.functionVersion != v) {  // kept for the next symbol of the same version
        symbol::BuildFunctionLines(v, ws.function, ws.fixed);
        ws.pieceCount = symbol::PlanPlacement(size, ws.function, ws.pieces);
        ws.functionVersion = v;
    }
    symbol::PlaceCodewords(ws.codewords, size, ws.pieces, ws.pieceCount, ws.dataColumns, path);
    symbol::Transpose(ws.dataColumns, size, ws.dataRows, path);
    std::int32_t mask = options.mask >= 0 && options.mask <= 7 ? options.mask : 0;
    std::int32_t penalty = -1;
    if (options.scoredMask && (options.mask < 0 || options.mask > 7)) {
        std::int32_t penalties[symbol::kLanes];
        if (!symbol::ScoreMasks(ws, v, level, penalties, path)) return nullptr;
        for (std::int32_t m = 0; m < symbol::kLanes; ++m) {
            if (penalty < 0 || penalties[m] < penalty) {  // the lower pattern on a tie
                penalty = penalties[m];
                mask = m;
            }
        }
    }
    symbol::MaskedRows(ws, v, level, mask, ws.rows);
    std::shared_ptr<Picture> picture = symbol::RowsToPicture(ws.rows, size, path);
    if (picture && report) {
        report->version = v;
        report->level = level;
        report->mask = mask;
        report->penalty = penalty;
        report->segments.clear();
        if (options.eci != 0) report->segments.push_back({ModeEci, options.eci});
        for (std::int32_t k = 0; k < segmentCount; ++k)
            report->segments.push_back({ws.segments[k].mode, ws.segments[k].characters});
        report->dataBits = dataBits;
        report->capacityBits = 8 * dataCodewords;
    }
    return picture;
}
