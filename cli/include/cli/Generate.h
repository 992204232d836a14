#pragma once
// One symbol from a text to the bytes of its file, as the window makes it: the options turned
// into the symbol job's settings, the job's result into the file and the exit code.

#include <string>
#include <string_view>

#include "cli/Options.h"
#include "common/SymbolJob.h"
#include "encoder/clsQRCode.h"

namespace qrdesk::cli {

struct SymbolFile {
    int code = kOk;
    std::string error;  // one line naming the cause when code is not kOk
    std::string bytes;  // the file's contents when code is kOk
    // What the job made: the report, and with describe the readers' verdicts and the advice.
    SymbolResult symbol;
};

// The job's settings for options and a text, written as type.
SymbolSettings SettingsFor(const CliOptions& options, std::u16string text, OutputType type);

// Makes the symbols of one thread, with one encoder kept from symbol to symbol.
class SymbolMaker {
  public:
    // Decodes utf8 strictly (a leading byte-order mark is dropped), makes its symbol as the
    // options say and encodes it as type. With describe, the readers (loaded on first use)
    // read the written picture and advise.
    SymbolFile Make(std::string_view utf8, const CliOptions& options, OutputType type,
                    bool describe);

  private:
    clsQRCode encoder_;
};

}  // namespace qrdesk::cli
