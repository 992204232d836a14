#include "cli/Cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Batch.h"
#include "cli/Describe.h"
#include "cli/Generate.h"
#include "cli/Options.h"
#include "common/FileWrite.h"

namespace qrdesk::cli {
namespace {

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "qrdesk-cli: %s\n", message.c_str());
    return code;
}

// Reads standard input whole, up to one byte past kMaxStdinBytes; errno on failure.
int ReadStdin(std::string& text) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxStdinBytes) return 0;
    }
}

int RunOne(const CliOptions& options) {
    std::string text = options.text;
    if (options.textFromStdin) {
        if (const int error = ReadStdin(text); error != 0)
            return Fail(kInputOutput, "cannot read standard input: " + ErrnoReason(error));
        if (text.size() > kMaxStdinBytes)
            return Fail(kDoesNotFit, "the data do not fit: standard input holds more than " +
                                         std::to_string(kMaxStdinBytes) +
                                         " bytes, more than any symbol holds");
    }

    clsQRCode encoder;
    const SymbolFile file = MakeSymbolFile(encoder, text, options, options.outputFormat,
                                           options.info != InfoFormat::None);
    if (file.code != kOk) return Fail(file.code, file.error);

    struct stat st {};
    if (::stat(options.output.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return Fail(kInputOutput, "cannot write " + options.output + ": it is a folder");
    std::string error;
    if (!WriteFileAtomically(options.output, file.bytes, &error))
        return Fail(kInputOutput, "cannot write " + options.output + ": " + error);
    // The description line first and unchanged, for scripts; then the readers' verdicts.
    if (options.info == InfoFormat::Json && file.info) {
        std::printf("%s\n", InfoJson(*file.info, file.eci, file.pixels, file.readBack).c_str());
    } else if (options.info == InfoFormat::Text && file.info) {
        std::printf("%s\n", FormatSymbolInfo(*file.info).c_str());
        for (const std::string& line : file.report) std::printf("%s\n", line.c_str());
    }
    return kOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.options) return Fail(kUsage, parsed.error);
    const CliOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return kOk;
    }
    if (options.showVersion) {
        std::printf("%s\n", VersionText().c_str());
        return kOk;
    }
    if (options.batch) return RunBatch(options, stderr, ::isatty(STDERR_FILENO) == 1).code;
    return RunOne(options);
}

}  // namespace qrdesk::cli
