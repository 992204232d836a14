// qrdesk-cli: QR Code symbols from the command line, as the window saves them.

#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    // Every symbol makes megabyte-sized images and files. Keep freed memory for the next
    // symbol instead of handing it back to the system: fresh pages cost a batch ten times
    // more than making the symbols. What is kept stays the size of one symbol per worker.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);

    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = qrdesk::cli::RunCli(args);
    return std::fflush(stdout) == 0 ? code : 3;
}
