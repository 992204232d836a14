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

// The lines of --info after the description: the text a template made (made, when there is
// one) and where the logo sits, e.g.
//   text: "WIFI:T:WPA;S:home;P:secret;;"
//   logo: 7 of 33 modules across (21 %), its light pad included
std::vector<std::string> MadeLines(const SymbolResult& symbol, const std::string* made);

// The --info json object, one line: version, level, mask, penalty, eci, segments, dataBits,
// capacityBits, pixels, the text made (text) and the logo's box (logoModules, logoPercent)
// when there are, readers, advice (with a logo, logoSize: a smaller size that reads, or 0).
std::string InfoJson(const SymbolResult& symbol, const std::string* made = nullptr);

// Why a text does not fit: what it needs, what the symbol holds, and what would hold it.
std::string DoesNotFit(const FitFigures& fit);

}  // namespace qrdesk::cli
