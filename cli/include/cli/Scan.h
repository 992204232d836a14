#pragma once
// --read: the symbols in picture files, one text a line in reading order (as zbarimg --raw
// prints them), or with --info each reader's text, version, level, mask, ECI and position.

#include <string>

#include "cli/Options.h"
#include "cli/Signals.h"
#include "common/PictureReading.h"

namespace qrdesk::cli {

// What --read prints for the picture file name: the texts alone (InfoFormat::None), blocks
// of lines (Text) or one JSON object on one line (Json); each line ends in "\n".
std::string ScanOutput(const std::string& name, const PictureReading& reading, InfoFormat info);

// Reads every picture of options.pictures in turn and prints what it holds. kOk when some
// symbol was read, kNothingRead when none was, kInputOutput when some file could not be
// read or decoded (after one line for each), 128 + the signal when stopped.
int RunScan(const CliOptions& options, const StopSignals& stopSignals);

}  // namespace qrdesk::cli
