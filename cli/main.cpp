// qrdesk-cli: QR Code symbols from the command line, as the window saves them.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "common/Memory.h"

namespace {

// Standard descriptors closed at the start are opened on /dev/null before anything else, so
// that no file the program opens becomes standard output or error (its messages would land
// in a picture). Opened the wrong way round, as gnulib's stdopen does (input for writing,
// output and error for reading), so that using one still fails as a closed one would.
bool OccupyStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        // The lowest free descriptor: fd itself.
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF &&
            ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY) != fd)
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!OccupyStandardDescriptors()) return 3;
    qrdesk::KeepFreedMemoryForReuse();

    const std::vector<std::string> args(argv + 1, argv + argc);
    return qrdesk::cli::RunCli(args);
}
