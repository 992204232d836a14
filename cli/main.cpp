// qrdesk-cli: QR Code symbols from the command line, as the window saves them.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = qrdesk::cli::RunCli(args);
    return std::fflush(stdout) == 0 ? code : 3;
}
