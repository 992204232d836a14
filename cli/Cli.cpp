#include "cli/Cli.h"

#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/Batch.h"
#include "cli/Generate.h"
#include "cli/Options.h"
#include "common/SymbolImage.h"

namespace qrdesk::cli {
namespace {

int Fail(int code, const QString& message) {
    std::fprintf(stderr, "qrdesk-cli: %s\n", message.toLocal8Bit().constData());
    return code;
}

// Reads standard input whole, up to one byte past kMaxStdinBytes; errno on failure.
int ReadStdin(QByteArray& text) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        text.append(buffer, n);
        if (static_cast<std::size_t>(text.size()) > kMaxStdinBytes) return 0;
    }
}

int RunOne(const CliOptions& options) {
    QByteArray text = options.text;
    if (options.textFromStdin) {
        if (const int error = ReadStdin(text); error != 0)
            return Fail(kInputOutput, QStringLiteral("cannot read standard input: %1")
                                          .arg(QString::fromLocal8Bit(std::strerror(error))));
        if (static_cast<std::size_t>(text.size()) > kMaxStdinBytes)
            return Fail(kDoesNotFit,
                        QStringLiteral("the data do not fit: standard input holds more than %1 "
                                       "bytes, more than any symbol holds")
                            .arg(kMaxStdinBytes));
    }

    clsQRCode encoder;
    const SymbolFile file =
        MakeSymbolFile(encoder, text, options, options.outputFormat, options.info);
    if (file.code != kOk) return Fail(file.code, file.error);

    if (QFileInfo(options.output).isDir())
        return Fail(kInputOutput,
                    QStringLiteral("cannot write %1: it is a folder").arg(options.output));
    QString error;
    if (!WriteFileAtomically(options.output, file.bytes, &error))
        return Fail(kInputOutput, QStringLiteral("cannot write %1: %2").arg(options.output, error));
    // The English line first and unchanged, for scripts; then the window's report.
    if (options.info && file.info) {
        std::printf("%s\n", FormatSymbolInfo(*file.info).toLocal8Bit().constData());
        for (const QString& line : file.report) std::printf("%s\n", line.toUtf8().constData());
    }
    return kOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.options) return Fail(kUsage, parsed.error);
    const CliOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return kOk;
    }
    if (options.showVersion) {
        std::printf("%s\n", VersionText().toLocal8Bit().constData());
        return kOk;
    }
    if (options.batch) return RunBatch(options, stderr, ::isatty(STDERR_FILENO) == 1).code;
    return RunOne(options);
}

}  // namespace qrdesk::cli
