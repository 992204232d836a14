#include "cli/Cli.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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

// Reads fd whole, up to one byte past kMaxTextBytes; errno on failure.
int ReadAll(int fd, std::string& text) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxTextBytes) return 0;
    }
}

// The text from the argument, the -r file or standard input; code kOk, or the failure.
int ReadText(const CliOptions& options, std::string& text) {
    if (options.source == CliOptions::Source::Argument) {
        text = options.text;
        return kOk;
    }
    const bool fromStdin = options.source == CliOptions::Source::Stdin;
    const std::string name = fromStdin ? "standard input" : options.textFile;
    const int fd =
        fromStdin ? STDIN_FILENO : ::open(options.textFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(kInputOutput, "cannot read " + name + ": " + ErrnoReason(errno));
    const int error = ReadAll(fd, text);
    if (!fromStdin) ::close(fd);
    if (error != 0) return Fail(kInputOutput, "cannot read " + name + ": " + ErrnoReason(error));
    if (text.size() > kMaxTextBytes)
        return Fail(kDoesNotFit, "the data do not fit: " + name + " holds more than " +
                                     std::to_string(kMaxTextBytes) +
                                     " bytes, more than any symbol holds");
    return kOk;
}

int RunOne(const CliOptions& options) {
    const bool toStdout = options.output == "-";
    if (toStdout && !IsTerminalType(options.type) && ::isatty(STDOUT_FILENO) == 1)
        return Fail(kUsage, std::string("standard output is a terminal: a ") +
                                TypeName(options.type) +
                                " image does not belong there; give -o FILE or -t utf8");
    std::string text;
    if (const int code = ReadText(options, text); code != kOk) return code;

    SymbolMaker maker;
    const SymbolFile file =
        maker.Make(text, options, options.type, options.info != InfoFormat::None);
    if (file.code != kOk) return Fail(file.code, file.error);

    if (toStdout) {
        if (!WriteAll(STDOUT_FILENO, file.bytes))
            return Fail(kInputOutput, "cannot write standard output: " + ErrnoReason(errno));
    } else {
        std::string error;
        if (!WriteFileAtomically(options.output, file.bytes, &error))
            return Fail(kInputOutput, "cannot write " + options.output + ": " + error);
    }
    // The description line first and unchanged, for scripts; then the readers' verdicts. Not
    // into the image's own stream.
    std::FILE* info = toStdout ? stderr : stdout;
    if (options.info == InfoFormat::Json) {
        std::fprintf(info, "%s\n", InfoJson(file.symbol).c_str());
    } else if (options.info == InfoFormat::Text) {
        std::fprintf(info, "%s\n", FormatSymbolInfo(file.symbol.report).c_str());
        for (const std::string& line : ReaderLines(file.symbol))
            std::fprintf(info, "%s\n", line.c_str());
    }
    return kOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
    // A closed pipe is an error to report, not a reason to die silently.
    ::signal(SIGPIPE, SIG_IGN);
    const ParseResult parsed = ParseArguments(args, ::isatty(STDIN_FILENO) == 1);
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
    for (const std::string& warning : options.warnings)
        std::fprintf(stderr, "qrdesk-cli: warning: %s\n", warning.c_str());
    if (options.batch) return RunBatch(options, stderr, ::isatty(STDERR_FILENO) == 1).code;
    return RunOne(options);
}

}  // namespace qrdesk::cli
