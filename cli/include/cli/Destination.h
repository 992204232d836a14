#pragma once
// Where one symbol's file goes (-o): standard output, or a path written by the safe writer
// (a file replaced atomically, a FIFO or device written into, a FIFO without a reader
// announced while it waits), with one message and the exit code for every failure.

#include <string>
#include <string_view>

#include "cli/Options.h"
#include "cli/Signals.h"

namespace qrdesk::cli {

// Writes bytes where options.output says; kOk, or the code after one line on standard error
// (kInputOutput, or 128 + the signal when a stop signal came first).
int WriteOutput(const CliOptions& options, std::string_view bytes, const StopSignals& stopSignals);

// Writes text to standard output; kOk, or kInputOutput after a message (a full disk, a closed
// descriptor, a pipe nobody reads).
int WriteStandardOutput(std::string_view text);

// Whether output (an -o value) ends up on standard output: "-", /dev/stdout, /dev/fd/1...
bool IsStandardOutput(const std::string& output);

// The code for a run that a stop signal ended, after saying so: 128 + the signal.
int Interrupted(const StopSignals& stopSignals);

}  // namespace qrdesk::cli
