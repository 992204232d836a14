#pragma once
// What the command line says about a symbol: the one-line description and the readers' lines
// of --info, its JSON object, and the figures of "the data do not fit".

#include <string>
#include <string_view>
#include <vector>

#include "common/SymbolJob.h"
#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

// A JSON string: quotes, backslashes and control characters escaped; bytes that are not
// UTF-8 become U+FFFD, so that the output is always valid JSON.
std::string JsonString(std::string_view text);

// One line: "version 1, level M, mask 0, segments numeric 8, bits 41 of 128".
std::string FormatSymbolInfo(const clsQRCode::EncodeReport& report);

// What each reader makes of the written picture, one line each, then the advice, e.g.
//   zxing-cpp: reads the text as typed
//   zbar: shows "https://example.org/莠ｧ?id=12345"
//   advice: with --eci auto both readers show the text as typed
std::vector<std::string> ReaderLines(const SymbolResult& symbol);

// The --info json object, one line: version, level, mask, penalty, eci, segments, dataBits,
// capacityBits, pixels, readers, advice.
std::string InfoJson(const SymbolResult& symbol);

// Why a text does not fit: what it needs, what the symbol holds, and what would hold it.
std::string DoesNotFit(const FitFigures& fit);

}  // namespace qrdesk::cli
