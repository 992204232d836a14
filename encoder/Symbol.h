#pragma once
// The symbol after the segmentation: codewords packed eight bits to a byte (Codewords.cpp),
// error correction (ErrorCorrection.cpp), and the module matrix as bit lines (Modules.cpp,
// Placement.cpp, Penalty.cpp), driven by Encode.cpp.
//
// A bit line holds one row or one column of the matrix, module i at bit i % 64 of word
// i / 64. Line sets are kept word plane by word plane: plane w holds word w of every line,
// line i at index kPad + i, so that the loops over neighbouring lines run over consecutive
// words. The penalty lays out its own planes of eight masked symbols (Penalty.cpp).
//
// Two paths compute the same results: the portable one (plain C++, with the compiler's
// generic vectors where eight masks go side by side; every machine runs it) and the vector
// one (AVX-512 with VBMI, GFNI, BMI2), chosen at run time when the processor has them. The
// tests run both and compare them.

#include <cstdint>
#include <memory>

#include "Segmentation.h"
#include "ecc/clsFiniteField.h"
#include "ecc/clsReedSolomon.h"
#include "encoder/SymbolLayout.h"
#include "encoder/clsQRCode.h"

namespace symbol {

enum class Path { Portable, Vector };

inline constexpr std::int32_t kMaxSize = 177;
inline constexpr std::int32_t kWords = 3;  // words per line: 192 bits >= 177
inline constexpr std::int32_t kPad = 48;
inline constexpr std::int32_t kPlane = kPad + kMaxSize + kPad;
inline constexpr std::int32_t kMaxCodewords = 3706;
// The most error-correction codewords a block has (Table 9 of the standard).
inline constexpr std::int32_t kMaxEcLength = 30;
// Every byte costs more than 3 bits in any mode (3 digits take 10 bits), and no symbol
// holds more than 23,648 data bits, so longer data can never fit.
inline constexpr std::int32_t kMaxFittingCount = 23648 / 3;
// A segment takes at least 18 bits (indicator, the shortest count, one digit), so a stream
// that fits a symbol has at most this many.
inline constexpr std::int32_t kMaxSegments = 23648 / 18 + 1;

using Lines = std::uint64_t[kWords][kPlane];

// One piece of the codeword placement: up to 32 rows of a column pair, their free modules as
// slots (bit 2i and 2i + 1 the pair's modules of row i in the walk's order), the stream bits
// they take from start on, and where they go (Placement.cpp).
struct PlacementPiece {
    std::uint64_t slots;
    std::int16_t start;     // below 8 x 3706
    std::uint8_t bits;      // the slots' count
    std::uint8_t low;       // the column of the even slot bits; the odd ones' is low + 1 upward
    std::uint8_t w, shift;  // word of the column lines, 0 or 32 within it
    bool upward;
};
// Pieces of a symbol: two columns each for 32 rows.
inline constexpr std::int32_t kMaxPieces = (kMaxSize / 2) * ((kMaxSize + 31) / 32);

// The penalty scores eight symbols at once (the eight masks), one per lane: a plane holds
// module i of 64 lines of each, i from -kLaneBefore to size + kLaneAfter, as far as the
// patterns it looks for reach beyond the symbol (Penalty.cpp).
inline constexpr std::int32_t kLanes = 8;
inline constexpr std::int32_t kLaneBefore = 12, kLaneAfter = 28;
using LanePlane = std::uint64_t[kLaneBefore + kMaxSize + kLaneAfter][kLanes];
// The penalty's two planes, made on the first scored symbol.
struct PenaltyPlanes {
    alignas(64) LanePlane plane[2];
};

// ISO/IEC 18004 Annex E, Table E.1: the row and column coordinates of the alignment-pattern
// centres of versions 2 to 40 (version 1 has none), ended by 0.
inline constexpr std::uint8_t kAlignmentCentres[41][8] = {
    {},
    {},
    {6, 18},
    {6, 22},
    {6, 26},
    {6, 30},
    {6, 34},
    {6, 22, 38},
    {6, 24, 42},
    {6, 26, 46},
    {6, 28, 50},
    {6, 30, 54},
    {6, 32, 58},
    {6, 34, 62},
    {6, 26, 46, 66},
    {6, 26, 48, 70},
    {6, 26, 50, 74},
    {6, 30, 54, 78},
    {6, 30, 56, 82},
    {6, 30, 58, 86},
    {6, 34, 62, 90},
    {6, 28, 50, 72, 94},
    {6, 26, 50, 74, 98},
    {6, 30, 54, 78, 102},
    {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110},
    {6, 30, 58, 86, 114},
    {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122},
    {6, 30, 54, 78, 102, 126},
    {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134},
    {6, 34, 60, 86, 112, 138},
    {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150},
    {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162},
    {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
};

}  // namespace symbol

// Scratch memory of Encode, made on the first Encode and kept by the encoder, so that a
// symbol allocates nothing but its picture.
struct clsQRCode::Workspace {
    // The segmentation's table (one byte per data byte) and the segments of a stream that
    // fits a symbol.
    std::uint8_t table[symbol::kMaxFittingCount];
    segmentation::Segment segments[symbol::kMaxSegments];

    // Data codewords in stream order, then every codeword in transmission order; room after
    // the last codeword for whole-word reads (zeros: the remainder bits).
    std::uint8_t data[symbol::kMaxCodewords + 64];
    std::uint8_t codewords[symbol::kMaxCodewords + 64];

    // The matrix: function modules and the dark ones among them with the version information
    // (both symmetric, so rows and columns alike), the placed data unmasked as columns and as
    // rows, and the masked symbol as rows.
    symbol::Lines function, fixed, dataColumns, dataRows, rows;
    // The placement's pieces for those function modules.
    symbol::PlacementPiece pieces[symbol::kMaxPieces];
    std::int32_t pieceCount = 0;
    std::int32_t functionVersion = 0;  // the version function, fixed and pieces are for; 0 none

    std::unique_ptr<symbol::PenaltyPlanes> planes;
};

namespace symbol {

// ---- Tables.cpp

// GF(256) with the standard's polynomial 285 (x^8 + x^4 + x^3 + x^2 + 1) and generator 2, set
// up; nullptr when memory runs out.
std::shared_ptr<clsFiniteField> NewGf256();

// ---- Codewords.cpp

// Writes the ECI header (designator 0: none) and the segments at the count-width class of
// version, packed most significant bit first from out[0], zero bits after them; returns the
// bits written. out needs room for those bits rounded up to bytes, and 8 bytes more.
std::int32_t WriteStream(std::uint8_t* out, std::int32_t eci, const std::uint8_t* data,
                         const segmentation::Segment* segments, std::int32_t segmentCount,
                         std::int32_t version);

// The stream as above, then the terminator, zero bits to the byte and the pad codewords up to
// dataCodewords bytes. out needs dataCodewords + 8 bytes.
void WriteDataCodewords(std::uint8_t* out, std::int32_t dataCodewords, std::int32_t eci,
                        const std::uint8_t* data, const segmentation::Segment* segments,
                        std::int32_t segmentCount, std::int32_t version);

// ---- ErrorCorrection.cpp

// What the fast paths need for one number of error-correction codewords per block, E: the
// generator polynomial and products by its coefficients, all read from the encoder's own
// clsReedSolomon and clsFiniteField.
struct ErrorCorrectionTables {
    std::int32_t ecLength = 0;  // E
    // g_0 .. g_{E-1} of the monic generator g(x) = (x - 1)(x - 2)...(x - 2^(E-1)).
    std::uint8_t generator[kMaxEcLength];
    // Row a: the products a * g_j, j = 0..E-1, at byte 32 - E + j of four little-endian
    // words (the bytes below 32 - E zero), so that one step of the division is a one-byte
    // shift and four exclusive ors.
    std::uint64_t rows[256][4];
    // The 8 x 8 bit matrix of multiplication by g_j, as GF2P8AFFINEQB takes it.
    std::uint64_t matrices[kMaxEcLength];
};

// The tables of rs's parity length, from its generator polynomial and the field's products;
// field must be the GF(256) that rs was set up with.
void DeriveErrorCorrectionTables(const clsReedSolomon& rs, const clsFiniteField& field,
                                 ErrorCorrectionTables& out);

// The tables for ecLength (1..30) codewords per block, derived from a clsReedSolomon over the
// GF(256) of NewGf256 the first time any thread asks for them, then shared read-only by all
// encoders; nullptr for another length or when memory runs out.
const ErrorCorrectionTables* SharedErrorCorrectionTables(std::int32_t ecLength);

// How dataCodewords split into blocks (Table 9): blocks of longLength, the first shortBlocks
// of them one codeword shorter.
struct BlockSplit {
    std::int32_t longLength, shortBlocks;
};
constexpr BlockSplit SplitIntoBlocks(std::int32_t dataCodewords, std::int32_t blocks) {
    const std::int32_t rest = dataCodewords % blocks;
    return {(dataCodewords + blocks - 1) / blocks, rest == 0 ? 0 : blocks - rest};
}

// Splits the data codewords into blocks (shortBlocks of longLength - 1, the rest of
// longLength), computes each block's error-correction codewords (tables.ecLength of them)
// and writes all codewords interleaved to out (data rounds, then error-correction rounds).
void InterleaveWithErrorCorrection(const std::uint8_t* data, std::int32_t blocks,
                                   std::int32_t shortBlocks, std::int32_t longLength,
                                   const ErrorCorrectionTables& tables, std::uint8_t* out,
                                   Path path);

// ---- Modules.cpp

// The vector path when this processor (and its operating system) can run it.
Path BestPath();

// Function modules of version 1..40 (format and version areas included), and the modules
// that are dark whatever the data and mask: dark function modules and the version
// information, the format information and the dark module (8, N-8) left out, so that both
// sets are symmetric and serve as rows and as columns alike.
void BuildFunctionLines(std::int32_t version, Lines& function, Lines& fixed);

// The masked symbol as rows: data ^ mask on free modules, the function modules, format
// information of level and mask, version information.
void MaskedRows(const clsQRCode::Workspace& w, std::int32_t version, std::int32_t level,
                std::int32_t mask, Lines& rows);

// The picture: one pixel per module, 4 light modules around (palette 0 light, 1 dark).
std::shared_ptr<Picture> RowsToPicture(const Lines& rows, std::int32_t size, Path path);

// ---- Placement.cpp

// The pieces in which the codewords are placed into the free modules of function (clear
// bits; line x read as column x) in the standard's order; returns how many (at most
// kMaxPieces).
std::int32_t PlanPlacement(std::int32_t size, const Lines& function, PlacementPiece* pieces);

// Places the codewords' bits piece by piece (the codewords must be followed by 16 zero bytes:
// the remainder bits, and room to read whole words); writes the unmasked data as columns.
void PlaceCodewords(const std::uint8_t* codewords, std::int32_t size, const PlacementPiece* pieces,
                    std::int32_t count, Lines& columns, Path path);

// rows = the transpose of columns (size x size; the column lines past size must be zero).
void Transpose(const Lines& columns, std::int32_t size, Lines& rows, Path path);

// ---- Penalty.cpp

// The standard's penalty of each of the eight masks (ISO/IEC 18004, 7.8.3) of the symbol in
// the workspace (placed data as rows and columns, function lines of version).
// False (and no penalties) when memory for the penalty's planes cannot be had.
bool ScoreMasks(clsQRCode::Workspace& w, std::int32_t version, std::int32_t level,
                std::int32_t penalties[kLanes], Path path);

// The penalty of any one symbol given as rows and as the same symbol's columns (the lines
// past size zero); uses the workspace's planes. -1 when memory for them cannot be had.
std::int32_t Penalty(clsQRCode::Workspace& w, const Lines& rows, const Lines& columns,
                     std::int32_t size, Path path);

}  // namespace symbol
