#pragma once
// The whole program behind main: parse, then one symbol or a batch.

#include <string>
#include <vector>

namespace qrdesk::cli {

// A text file or standard input holds at most this much for one symbol; more cannot fit.
constexpr std::size_t kMaxTextBytes = 1024 * 1024;

// Runs qrdesk-cli with the arguments after the program name, on the process's standard
// streams. Returns the exit code.
int RunCli(const std::vector<std::string>& args);

}  // namespace qrdesk::cli
