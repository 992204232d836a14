#include "cli/Destination.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "Values.h"
#include "common/FileWrite.h"

namespace qrdesk::cli {
namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "qrdesk-cli: %s\n", message.c_str());
    return kInputOutput;
}

}  // namespace

int Interrupted(const StopSignals& stopSignals) {
    std::fprintf(stderr, "qrdesk-cli: interrupted by SIG%s\n", SignalName(stopSignals.Caught()));
    return 128 + stopSignals.Caught();
}

int WriteStandardOutput(std::string_view text) {
    if (WriteAll(STDOUT_FILENO, text)) return kOk;
    return Fail("cannot write standard output: " + ErrnoReason(errno));
}

bool IsStandardOutput(const std::string& output) {
    return output == "-" || DescriptorOf(output) == STDOUT_FILENO;
}

int WriteOutput(const CliOptions& options, std::string_view bytes, const StopSignals& stopSignals) {
    if (stopSignals.Caught() != 0) return Interrupted(stopSignals);
    if (options.output == "-") {
        if (WriteAll(STDOUT_FILENO, bytes, &stopSignals.Flag())) return kOk;
        if (errno == ECANCELED) return Interrupted(stopSignals);
        return Fail("cannot write standard output: " + ErrnoReason(errno));
    }
    const std::string shown = Printable(options.output);
    WriteOptions writing;
    writing.cancel = &stopSignals.Flag();
    writing.waitingForReader = [&] {
        std::fprintf(stderr, "qrdesk-cli: waiting for a program to read the FIFO %s\n",
                     shown.c_str());
    };
    const WriteOutcome outcome = WriteFileSafely(options.output, bytes, writing);
    if (outcome.result == WriteResult::Written) return kOk;
    if (outcome.result == WriteResult::Cancelled) return Interrupted(stopSignals);
    Fail("cannot write " + shown + ": " + outcome.error);
    // SIGXFSZ comes with the write it stops ("File too large").
    return stopSignals.Caught() != 0 ? 128 + stopSignals.Caught() : kInputOutput;
}

}  // namespace qrdesk::cli
