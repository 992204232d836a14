#pragma once
// QR Code model 2 symbol encoder (ISO/IEC 18004), versions 1 to 40, levels L/M/Q/H,
// numeric, alphanumeric, byte and Kanji segments chosen by a cheapest-bit-stream search.
//
// Where each step lives in encoder/:
//   Tables.cpp           construction (the standard's tables), geometry, capacity
//   Characters.cpp       digits, alphanumerics, Kanji pairs; the stream's lower bound
//   Segmentation.cpp     the cheapest split of the data into segments (BackTrack.cpp reads it)
//   Codewords.cpp        the stream writer, terminator and padding
//   BitStream.cpp        the stream one bit per byte, for BuildBitStream
//   ErrorCorrection.cpp  Reed-Solomon blocks through tables derived once per process from a
//                        clsReedSolomon over a clsFiniteField; the interleaving
//   Modules.cpp          the symbol as bit lines: function modules, masking, the picture
//   Placement.cpp        codewords into the bit lines; columns to rows
//   Penalty.cpp          the scored mask's penalty
//   Encode.cpp           the driver: version, segments, codewords, matrix, picture
//   Matrix.cpp           the matrix steps one by one on byte matrices (the public steps
//                        below), from the same geometry as the bit lines
//
// Conventions: levels are 1 = L, 2 = M, 3 = Q, 4 = H. A module matrix is one byte per
// module, element (x, y) at cells[y * stride + x], x the column, y the row from the top.
// While a symbol is built a symbol-matrix cell is 0 = free (data), 1 = dark function
// module, 2 = light function module or reserved; finished cells are 1 dark, 0 light.
// Bit buffers hold one bit per byte (0 or 1), fields most significant bit first.
// Failures are results (no picture, 0, false); no exception leaves the encoder.

#include <cstdint>
#include <memory>
#include <vector>

#include "ecc/clsFiniteField.h"
#include "ecc/clsReedSolomon.h"
#include "render/Picture.h"

namespace symbol {  // encoder/Symbol.h
enum class Path;
struct ErrorCorrectionTables;
}  // namespace symbol

class clsQRCode {
  public:
    static constexpr std::int32_t BitBufferSize = 32768;
    static constexpr std::int32_t BlockBufferSize = 256;
    static constexpr std::int32_t InfeasibleCost = 0x70000000;

    // Mode numbers; they also fix the order of every tie-break in the segmentation.
    // ModeEci is no data mode: the ECI designator segment, which reports name.
    enum Mode : std::int32_t {
        ModeByte = 0,
        ModeNumeric = 1,
        ModeAlphanumeric = 2,
        ModeKanji = 3,
        ModeEci = 4
    };
    // The largest ECI designator (six decimal digits).
    static constexpr std::int32_t MaxEci = 999999;
    // The longest data MeasureDataBits counts: 64 MiB, whose streams (at most about 8 bits a
    // byte) stay far below InfeasibleCost.
    static constexpr std::int32_t MaxMeasuredCount = 1 << 26;

    // One cell of the segmentation table: the cheapest stream found for bytes 0..i whose
    // last segment is in this cell's mode and ends at byte i.
    struct SegmentCell {
        std::int32_t prevMode;   // mode of the cell before this cell's last character; -1 at start
        std::int32_t cost;       // bits without the terminator, or InfeasibleCost
        std::int32_t runLength;  // characters in the last segment up to here
    };

    // What to make. version: negative gives no picture, 0 or above 40 the smallest version
    // that holds the data, 1..40 that version. level: 1..4, anything else is M. mask: 0..7,
    // anything else is pattern 0. kanjiAllowed: true only when the bytes are Shift JIS text;
    // false keeps every byte out of Kanji mode; a Kanji character is always a whole Shift JIS
    // character, never two bytes across a character boundary. eci: 0 writes no ECI header,
    // 1..MaxEci writes that designator before the data (and, unless it is 20, Shift JIS,
    // keeps the data out of Kanji mode); any other value gives no picture. scoredMask: with a
    // mask outside 0..7, score all eight patterns by the standard's four penalty rules (runs,
    // 2x2 blocks, finder-like patterns, dark proportion) and apply the lowest, the lower
    // pattern number on a tie; a mask of 0..7 is applied as given either way.
    struct EncodeOptions {
        std::int32_t version = 0;
        std::int32_t level = 2;
        std::int32_t mask = -1;
        bool kanjiAllowed = true;
        std::int32_t eci = 0;
        bool scoredMask = false;
    };

    // What Encode made, for callers that show it; filling it changes no picture.
    struct EncodeReport {
        struct Segment {
            Mode mode;
            // characters: digits, alphanumerics, bytes or Kanji pairs; the designator for
            // ModeEci, which comes first when there is one
            std::int32_t length;
        };
        std::int32_t version = 0;   // 1..40
        std::int32_t level = 0;     // 1 L .. 4 H, after normalisation
        std::int32_t mask = 0;      // the pattern applied, 0..7
        std::int32_t penalty = -1;  // its penalty when the masks were scored, else -1
        std::vector<Segment> segments;
        std::int32_t dataBits = 0;      // the segments' bits, terminator excluded
        std::int32_t capacityBits = 0;  // 8 x data codewords of version and level
    };

    // Scratch memory of Encode (encoder/Symbol.h), made on the first Encode and kept.
    struct Workspace;

    // Fills the per-version tables; the error correction's tables are shared by all encoders
    // (ErrorCorrectionTablesFor).
    clsQRCode();
    ~clsQRCode();
    clsQRCode(clsQRCode&&) noexcept;
    clsQRCode& operator=(clsQRCode&&) noexcept;

    // Encodes count bytes of data as options say. Returns an (N+8) x (N+8) picture (one
    // pixel per module, 4-module quiet zone), or nullptr when the data do not fit (or memory
    // runs out). With a picture, *report (when given) tells what it is.
    std::shared_ptr<Picture> Encode(const std::uint8_t* data, std::int32_t count,
                                    const EncodeOptions& options, EncodeReport* report = nullptr);
    // The same with the options one by one.
    std::shared_ptr<Picture> Encode(const std::uint8_t* data, std::int32_t count,
                                    std::int32_t version, std::int32_t level, std::int32_t mask,
                                    bool kanjiAllowed = true, EncodeReport* report = nullptr);

    // ---- Geometry (any version number; -1..-4 are the Micro sizes M1..M4, others give 0).
    std::int32_t GetSymbolSize(std::int32_t version) const;
    std::int32_t GetDataModuleCount(std::int32_t version) const;
    std::int32_t GetTotalCodewordCount(std::int32_t version) const;
    std::int32_t GetAlignmentCoordinateCount(std::int32_t version) const;
    std::int32_t GetAlignmentPatternCount(std::int32_t version) const;
    // Table 9 of the standard: blocks and EC codewords per block; 0 outside 1..40 / 1..4.
    std::int32_t GetEcBlockCount(std::int32_t version, std::int32_t level) const;
    std::int32_t GetEcCodewordsPerBlock(std::int32_t version, std::int32_t level) const;
    // Data codewords: total - blocks x EC per block; 0 outside 1..40 / 1..4.
    std::int32_t GetDataCodewordCount(std::int32_t version, std::int32_t level) const;
    // The data codewords of a symbol's codewords as placed (GetTotalCodewordCount of them,
    // the blocks interleaved, 7.6), written to data (GetDataCodewordCount of them, block after
    // block). True only when every error-correction codeword is the one those data give: a
    // symbol read without an error, whichever encoder made it. False outside 1..40 / 1..4,
    // and when memory runs out.
    bool DataCodewordsOf(const std::uint8_t* codewords, std::int32_t version, std::int32_t level,
                         std::uint8_t* data);

    // ---- Segmentation and bit stream.
    static std::int32_t GetCharClass(std::uint8_t byte);          // 1 digit, 2 alnum, 0 other
    static std::int32_t GetAlphanumericValue(std::uint8_t byte);  // 0..44
    static bool IsKanjiPair(std::uint8_t first, std::uint8_t second);
    // The data bits (ECI header and segments, terminator excluded) that Encode would need for
    // count bytes at the count-width class of version (1..40), as options say (ECI, Kanji),
    // for any count up to MaxMeasuredCount, so that a text that does not fit can be told how
    // far it is off. A run longer than its count field allows is split into full segments
    // and the rest, which can be a bit above the least (8,191 + 1,809 alphanumerics rather
    // than 8,190 + 1,810); no data that fits a symbol has such a run. -1 for longer data or
    // options Encode refuses.
    std::int32_t MeasureDataBits(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                                 const EncodeOptions& options) const;
    // A lower bound on the stream's length without terminator, for any count-width class:
    // 10/3 bits per digit, 11/2 per other alphanumeric character, 13/2 per other byte.
    static std::int32_t GetStreamBitsAtLeast(const std::uint8_t* data, std::int32_t count);

    // Returns the stream's length in bits (segments and the 4-bit terminator); only the
    // version's count-width class (1-9, 10-26, 27-40) matters. Writing mode (measureOnly
    // false) puts the stream at bitBuffer[0..length-1]; a stream longer than bufferSize is
    // not written at all, so nothing is ever written past the buffer. Empty data writes the
    // terminator in either mode. With kanjiAllowed false no Kanji segment is chosen. In
    // writing mode, 0 (and nothing written) when memory for the search cannot be had.
    std::int32_t BuildBitStream(std::uint8_t* bitBuffer, std::int32_t bufferSize,
                                const std::uint8_t* data, std::int32_t count, std::int32_t version,
                                bool measureOnly, bool kanjiAllowed = true) const;

    // ---- Matrix steps. Matrices have the given stride (row length) and at least N rows.
    // Writes the function patterns and reserved areas of version 1..40 into an all-zero
    // symbol matrix; other versions leave it untouched.
    void DrawFunctionPatterns(std::uint8_t* symbolMatrix, std::int32_t stride,
                              std::int32_t version) const;
    // Puts bitCount bits into the free cells (symbol matrix 0) of the N x N data matrix in
    // the zig-zag order; returns the number of bits placed.
    std::int32_t PlaceCodewords(const std::uint8_t* symbolMatrix, std::int32_t stride,
                                std::uint8_t* dataMatrix, std::int32_t size,
                                const std::uint8_t* bits, std::int32_t bitCount) const;
    // XORs mask pattern mask (0..7, anything else 0) into the N x N matrix; returns it.
    std::int32_t ApplyMask(std::uint8_t* dataMatrix, std::int32_t size, std::int32_t mask) const;
    // Remainder of value * 2^steps modulo generator over GF(2); value itself for steps <= 0.
    std::int32_t GetBchRemainder(std::int32_t value, std::int32_t generator, std::int32_t topBit,
                                 std::int32_t steps) const;
    void WriteVersionInformation(std::uint8_t* symbolMatrix, std::int32_t stride,
                                 std::int32_t version) const;
    void WriteFormatInformation(std::uint8_t* symbolMatrix, std::int32_t stride, std::int32_t size,
                                std::int32_t level, std::int32_t mask) const;

    // Encode with a given workspace and path (portable or vector), for the tests that
    // compare the two paths; Encode uses its own workspace and the best path.
    std::shared_ptr<Picture> EncodeWith(Workspace& workspace, const std::uint8_t* data,
                                        std::int32_t count, const EncodeOptions& options,
                                        EncodeReport* report, symbol::Path path);

    // The error correction's tables for blocks of dataLength data and ecLength (1..30)
    // error-correction codewords, derived from a clsReedSolomon over GF(256) (polynomial 285,
    // generator 2) once per process and shared by all encoders; nullptr when memory runs out.
    const symbol::ErrorCorrectionTables* ErrorCorrectionTablesFor(std::int32_t dataLength,
                                                                  std::int32_t ecLength);

  private:
    std::uint8_t EcBlockCount[160];
    std::uint8_t EcCodewordsPerBlock[160];
    std::int32_t PowerOfTwo[18];
    std::unique_ptr<Workspace> Work;
};
