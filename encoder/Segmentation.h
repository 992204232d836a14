#pragma once
// The search for the cheapest split of the data into segments (Segmentation.cpp) and its
// back-track (BackTrack.cpp); Codewords.cpp writes the segments it chose.

#include <cstdint>
#include <vector>

#include "encoder/clsQRCode.h"

namespace segmentation {

// One segment of the chosen split: its mode, its first byte and its characters (a Kanji
// character is two bytes, every other character one).
struct Segment {
    clsQRCode::Mode mode;
    std::int32_t start;
    std::int32_t characters;
};

// Bits of the cheapest stream for count > 0 bytes at the count-width class of version,
// without the terminator. Keeps two rows of the search, not its table. Both paths give the
// same results.
std::int32_t MeasureBits(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                         bool kanjiAllowed, symbol::Path path);

// The same search keeping one byte per data byte in table (count bytes, not cleared first):
// the modes that the cells of each row came from. *lastMode receives the mode of the
// cheapest last cell; the result is what MeasureBits returns.
std::int32_t SearchWithTable(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                             bool kanjiAllowed, std::uint8_t* table, std::int32_t* lastMode,
                             symbol::Path path);

// The cheapest stream's segments from that table, in data order, into segments (room for
// count); returns how many.
std::int32_t BackTrack(const std::uint8_t* table, std::int32_t count, std::int32_t version,
                       std::int32_t lastMode, Segment* segments);

// The same search with its table kept; segments receives the cheapest stream's segments in
// data order (a segment never holds more characters than its count field can say). Returns
// what MeasureBits returns. Throws std::bad_alloc when the table cannot be had.
std::int32_t ChooseSegments(const std::uint8_t* data, std::int32_t count, std::int32_t version,
                            bool kanjiAllowed, std::vector<Segment>& segments, symbol::Path path);

// Bit j of *alphanumeric: byte from + j of the data is an alphanumeric character (digits
// included); of *lead: a Shift JIS lead byte (81-9F, E0-FC). Bytes from count on have
// neither; from < count.
void ByteKinds(const std::uint8_t* data, std::int32_t count, std::int32_t from,
               std::uint64_t* alphanumeric, std::uint64_t* lead, symbol::Path path);

}  // namespace segmentation
