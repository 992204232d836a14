// The encoding driver: version choice, terminator and padding, error-correction blocks,
// interleaving, and the matrix steps through to the picture.

#include <cstring>
#include <memory>
#include <vector>

#include "BitPack.h"
#include "ModeFacts.h"
#include "Segmentation.h"
#include "render/mdlVexmora.h"

namespace {

using modefacts::kClassFirst;
using modefacts::kClassLast;

// Every byte costs more than 3 bits in any mode (3 digits take 10 bits), and no symbol
// holds more than 23,648 data bits, so longer data can never fit.
constexpr std::int32_t kMaxFittingCount = 23648 / 3;

void WriteByte(std::uint8_t* bits, std::int32_t codeword, std::int32_t value) {
    bitpack::SpreadByte(bits + 8 * codeword, static_cast<std::uint8_t>(value));
}

// One row of the merge: a free cell (0) takes the masked data module, a function cell keeps
// its own code; then every cell is reduced to its lowest bit. Eight cells at a time: a byte's
// top bit in nonZero is set exactly when the cell is not 0.
void MergeRow(std::uint8_t* cells, const std::uint8_t* masked, std::int32_t n) {
    constexpr std::uint64_t kLow = 0x0101010101010101ull, kHigh7 = 0x7F7F7F7F7F7F7F7Full;
    std::int32_t x = 0;
    for (; x + 8 <= n; x += 8) {
        std::uint64_t cell, data;
        std::memcpy(&cell, cells + x, 8);
        std::memcpy(&data, masked + x, 8);
        const std::uint64_t nonZero = (((cell & kHigh7) + kHigh7) | cell) >> 7 & kLow;
        const std::uint64_t merged = (cell & kLow) | (data & ~nonZero & kLow);
        std::memcpy(cells + x, &merged, 8);
    }
    for (; x < n; ++x) cells[x] = (cells[x] == 0 ? masked[x] : cells[x]) & 1;
}

}  // namespace

std::shared_ptr<Picture> clsQRCode::Encode(const std::uint8_t* data, std::int32_t count,
                                           std::int32_t version, std::int32_t level,
                                           std::int32_t mask, bool kanjiAllowed,
                                           EncodeReport* report) {
    return Encode(data, count, EncodeOptions{version, level, mask, kanjiAllowed}, report);
}

std::shared_ptr<Picture> clsQRCode::Encode(const std::uint8_t* data, std::int32_t count,
                                           const EncodeOptions& options, EncodeReport* report) {
    const std::int32_t level = options.level >= 1 && options.level <= 4 ? options.level : 2;
    if (options.version < 0 || options.eci < 0 || options.eci > MaxEci) return nullptr;
    // Under another character set's ECI a reader takes a Kanji segment for Shift JIS all the
    // same, and none shows it as written.
    const bool kanjiAllowed = options.kanjiAllowed && (options.eci == 0 || options.eci == 20);
    const std::int32_t eciBits = modefacts::EciHeaderBits(options.eci);
    if (count > 0 && data == nullptr) return nullptr;
    if (count > kMaxFittingCount) return nullptr;
    if (count < 0) count = 0;

    // Version: fixed, or the smallest whose data capacity holds the stream without its
    // terminator (the terminator may be cut short or left out).
    std::int32_t v = 0;
    if (options.version >= 1 && options.version <= 40) {
        v = options.version;
    } else {
        // A class whose largest capacity is below the bound cannot hold the data: its
        // measuring pass would find nothing, so it is left out.
        const std::int32_t atLeast = GetStreamBitsAtLeast(data, count);
        for (std::int32_t c = 0; c < modefacts::kClassCount && v == 0; ++c) {
            if (atLeast > 8 * GetDataCodewordCount(kClassLast[c], level)) continue;
            const std::int32_t bits =
                eciBits +
                (count == 0 ? 0
                            : segmentation::MeasureBits(data, count, kClassFirst[c], kanjiAllowed));
            for (std::int32_t candidate = kClassFirst[c]; candidate <= kClassLast[c]; ++candidate) {
                if (8 * GetDataCodewordCount(candidate, level) >= bits) {
                    v = candidate;
                    break;
                }
            }
        }
        if (v == 0) return nullptr;
    }

    std::vector<segmentation::Segment> segments;
    const std::int32_t dataBits =
        eciBits +
        (count == 0 ? 0 : segmentation::ChooseSegments(data, count, v, kanjiAllowed, segments));
    const std::int32_t total = GetTotalCodewordCount(v);               // T
    const std::int32_t blocks = GetEcBlockCount(v, level);             // B
    const std::int32_t ecPerBlock = GetEcCodewordsPerBlock(v, level);  // E
    const std::int32_t dataCodewords = total - blocks * ecPerBlock;    // D
    if (dataBits > 8 * dataCodewords) return nullptr;

    // Bit buffers of the full size, not cleared: every entry that is read is written first.
    // The stream fits the capacity, so it fits the buffer with its terminator.
    std::unique_ptr<std::uint8_t[]> bitBuffer(new std::uint8_t[BitBufferSize]);
    const std::int32_t eciEnd = segmentation::WriteEci(bitBuffer.get(), options.eci);
    segmentation::WriteSegments(bitBuffer.get(), eciEnd, dataBits, data, segments, v);
    const std::int32_t n = dataBits + modefacts::kTerminatorBits;
    for (std::int32_t k = dataBits; k < n; ++k) bitBuffer[k] = 0;
    if (report) {
        report->version = v;
        report->level = level;
        report->segments.clear();
        if (options.eci != 0) report->segments.push_back({ModeEci, options.eci});
        for (const segmentation::Segment& s : segments)
            report->segments.push_back({s.mode, s.characters});
        report->dataBits = dataBits;
        report->capacityBits = 8 * dataCodewords;
    }

    // Terminator cut at the capacity, or zero bits to the codeword boundary and then the pad
    // codewords 0xEC, 0x11 alternately.
    if (n <= 8 * dataCodewords) {
        std::memset(bitBuffer.get() + n, 0, static_cast<std::size_t>((8 - n % 8) % 8));
        for (std::int32_t c = (n + 7) / 8, pad = 0; c < dataCodewords; ++c, pad ^= 1)
            WriteByte(bitBuffer.get(), c, pad == 0 ? 0xEC : 0x11);
    }

    // Blocks: S short blocks of L-1 data codewords, then long ones of L. Data codewords are
    // interleaved round by round (the last round only has long blocks), then the EC ones.
    const std::int32_t longLength = (dataCodewords + blocks - 1) / blocks;  // L
    const std::int32_t shortBlocks =
        dataCodewords % blocks == 0 ? 0 : blocks - dataCodewords % blocks;  // S
    if (!RsEncoder) RsEncoder = std::make_unique<clsReedSolomon>();
    RsEncoder->Init(longLength, ecPerBlock, GaloisField, 0, 0);

    std::unique_ptr<std::uint8_t[]> codewordBits(new std::uint8_t[BitBufferSize]);
    std::int32_t block[BlockBufferSize];
    for (std::int32_t b = 0, next = 0; b < blocks; ++b) {
        const std::int32_t length = b < shortBlocks ? longLength - 1 : longLength;
        block[ecPerBlock + longLength - 1] = 0;  // a short block's leading zero coefficient
        for (std::int32_t j = 0; j < length; ++j, ++next) {
            const std::uint8_t* bits = bitBuffer.get() + 8 * next;
            const std::int32_t position =
                j < longLength - 1 ? j * blocks + b : (longLength - 1) * blocks + (b - shortBlocks);
            std::memcpy(codewordBits.get() + 8 * position, bits, 8);  // the same 8 bits
            block[ecPerBlock + length - 1 - j] = bitpack::PackByte(bits);
        }
        RsEncoder->EncodeBlock(block);
        for (std::int32_t k = 0; k < ecPerBlock; ++k)
            WriteByte(codewordBits.get(), dataCodewords + k * blocks + b,
                      block[ecPerBlock - 1 - k]);
    }

    // The matrix: three extra light rows and columns make every row a multiple of 4 bytes
    // and become part of the quiet zone.
    const std::int32_t size = GetSymbolSize(v);
    const std::int32_t stride = size + 3;
    std::vector<std::uint8_t> symbol(static_cast<std::size_t>(stride) * stride);
    std::vector<std::uint8_t> dataMatrix(static_cast<std::size_t>(size) * size);
    DrawFunctionPatterns(symbol.data(), stride, v);
    PlaceCodewords(symbol.data(), stride, dataMatrix.data(), size, codewordBits.get(), 8 * total);
    const std::int32_t applied = ApplyMask(dataMatrix.data(), size, options.mask);
    if (report) report->mask = applied;
    // Merge: free cells take the masked data, function cells keep their colour (2 = light).
    for (std::int32_t y = 0; y < size; ++y) {
        std::uint8_t* cells = symbol.data() + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* masked = dataMatrix.data() + static_cast<std::size_t>(y) * size;
        MergeRow(cells, masked, size);
    }
    WriteVersionInformation(symbol.data(), stride, v);
    WriteFormatInformation(symbol.data(), stride, size, level, applied);
    return mdlVexmora::MatrixToPicture(symbol.data(), stride, stride, 4, 4, 1, 1);
}
