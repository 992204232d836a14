#include "cli/Cli.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "Values.h"
#include "cli/Batch.h"
#include "cli/Describe.h"
#include "cli/Destination.h"
#include "cli/Generate.h"
#include "cli/LogoFile.h"
#include "cli/Options.h"
#include "cli/Scan.h"
#include "common/FileWrite.h"

namespace qrdesk::cli {
namespace {

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "qrdesk-cli: %s\n", message.c_str());
    return code;
}

// The text from the argument, the -r file or standard input; code kOk, or the failure.
int ReadText(const CliOptions& options, std::string& text, const StopSignals& stopSignals) {
    if (options.source == CliOptions::Source::Argument) {
        text = options.text;
        return kOk;
    }
    const bool fromStdin = options.source == CliOptions::Source::Stdin;
    const std::string name = fromStdin ? "standard input" : Printable(options.textFile);
    const int error =
        ReadWhole(fromStdin ? "-" : options.textFile, kMaxTextBytes, text, &stopSignals);
    if (error == ECANCELED) return Interrupted(stopSignals);
    if (error == EFBIG)
        return Fail(kDoesNotFit, "the data do not fit: " + name + " holds more than " +
                                     std::to_string(kMaxTextBytes) +
                                     " bytes, more than any symbol holds");
    if (error != 0) return Fail(kInputOutput, "cannot read " + name + ": " + ErrnoReason(error));
    return kOk;
}

int RunOne(const CliOptions& options, const StopSignals& stopSignals) {
    const bool toStdout = options.output == "-";
    if (toStdout && !IsTerminalType(options.type) && ::isatty(STDOUT_FILENO) == 1)
        return Fail(kUsage, std::string("standard output is a terminal: a ") +
                                TypeName(options.type) +
                                " image does not belong there; give -o FILE or -t utf8");
    std::string text;
    if (const int code = ReadText(options, text, stopSignals); code != kOk) return code;

    SymbolMaker maker;
    const SymbolFile file =
        maker.Make(text, options, options.type, options.info != InfoFormat::None);
    if (file.code != kOk) return Fail(file.code, file.error);

    if (const int code = WriteOutput(options, file.bytes, stopSignals); code != kOk) return code;
    // The description line first and unchanged, for scripts; then the readers' verdicts. Not
    // into the image's own stream.
    if (options.logo && !file.symbol.logo)
        std::fprintf(stderr,
                     "qrdesk-cli: warning: version %d has no room for the logo; it is "
                     "left out\n",
                     file.symbol.report.version);
    const std::string* made = options.content ? &text : nullptr;
    std::string info;
    if (options.info == InfoFormat::Json) {
        info = InfoJson(file.symbol, made) + "\n";
    } else if (options.info == InfoFormat::Text) {
        info = FormatSymbolInfo(file.symbol.report) + "\n";
        for (const std::string& line : MadeLines(file.symbol, made)) info += line + "\n";
        for (const std::string& line : ReaderLines(file.symbol)) info += line + "\n";
    }
    if (IsStandardOutput(options.output)) {
        std::fputs(info.c_str(), stderr);
    } else if (const int code = WriteStandardOutput(info); code != kOk) {
        return code;
    }
    return kOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
    // A closed pipe is an error to report, not a reason to die silently.
    ::signal(SIGPIPE, SIG_IGN);
    const ParseResult parsed = ParseArguments(args, ::isatty(STDIN_FILENO) == 1);
    if (!parsed.options) return Fail(kUsage, parsed.error);
    CliOptions options = *parsed.options;
    if (options.help) return WriteStandardOutput(HelpText());
    if (options.showVersion) return WriteStandardOutput(VersionText() + "\n");
    for (const std::string& warning : options.warnings)
        std::fprintf(stderr, "qrdesk-cli: warning: %s\n", warning.c_str());
    if (!options.logoFile.empty()) {
        std::string error;
        options.logo = ReadLogoFile(options.logoFile, &error);
        if (!options.logo) return Fail(kInputOutput, error);
    }
    const StopSignals stopSignals;
    if (options.scan) return RunScan(options, stopSignals);
    if (options.batch)
        return RunBatch(options, stderr, ::isatty(STDERR_FILENO) == 1, &stopSignals).code;
    return RunOne(options, stopSignals);
}

}  // namespace qrdesk::cli
