#pragma once
// zbar's scanner, asked once for every QR Code in a grey picture: the check of one symbol and
// the reading of a whole picture both go through it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "readback/ReadSymbols.h"

namespace qrdesk {

struct ZbarSymbol {
    std::string data;  // binary mode: the payload's bytes; else the text zbar shows
    std::optional<Quad> position;
};

// Every QR Code zbar finds in width x height grey pixels (rows without padding), with its
// binary mode on or off.
std::vector<ZbarSymbol> ZbarScanAll(const std::uint8_t* grey, int width, int height, bool binary);

}  // namespace qrdesk
