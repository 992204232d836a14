#include "ui/ProgramOptions.h"

#include "common/TextBytes.h"

namespace qrdesk {
namespace {
const QCommandLineOption kWebHostOption(
    "web-host",
    QStringLiteral("Show the page %1 of this host in the web panel (may carry a scheme and "
                   "port, e.g. http://127.0.0.1:8080). Without it the panel shows the built-in "
                   "help page and the program uses no network.")
        .arg(kWebPagePath),
    "host");
const QCommandLineOption kCodePageOption(
    "code-page",
    QStringLiteral("Code page of \"ANSI\" text, any iconv name (default %1).")
        .arg(kDefaultAnsiCodePage),
    "name", kDefaultAnsiCodePage);
const QCommandLineOption kPlainPanelOption(
    "plain-web-panel", "Never start the web engine: with --web-host the panel names the page.");
const QCommandLineOption kVerboseOption("verbose",
                                        "Let the web engine log to the console (--web-host).");
const QCommandLineOption kLanguageOption(
    "lang",
    "The window's language: zh (Chinese) or en (English). By default the first of the "
    "preferred languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) that is one of them, else "
    "Chinese.",
    "language");
}  // namespace

QUrl WebPageUrl(const QString& host) {
    const QString base = host.contains("://") ? host : QStringLiteral("http://") + host;
    QUrl url(base, QUrl::StrictMode);
    url.setPath(kWebPagePath);
    return url;
}

QUrl WebPanelUrl(const ProgramOptions& options) {
    return options.webHost.isEmpty() ? QUrl(kHelpPageUrl) : WebPageUrl(options.webHost);
}

void AddProgramOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription("Desktop QR Code generator.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(kWebHostOption);
    parser.addOption(kCodePageOption);
    parser.addOption(kPlainPanelOption);
    parser.addOption(kVerboseOption);
    parser.addOption(kLanguageOption);
}

std::optional<ProgramOptions> ReadProgramOptions(const QCommandLineParser& parser, QString* error) {
    ProgramOptions options;
    options.ansiCodePage = parser.value(kCodePageOption).trimmed();
    options.plainWebPanel = parser.isSet(kPlainPanelOption);
    options.verbose = parser.isSet(kVerboseOption);
    if (!IsCodePageSupported(options.ansiCodePage.toStdString())) {
        if (error) *error = QStringLiteral("unknown code page \"%1\"").arg(options.ansiCodePage);
        return std::nullopt;
    }
    if (parser.isSet(kLanguageOption)) {
        options.language = LanguageFromName(parser.value(kLanguageOption));
        if (!options.language) {
            if (error)
                *error = QStringLiteral("unknown language \"%1\" (zh or en)")
                             .arg(parser.value(kLanguageOption));
            return std::nullopt;
        }
    }
    if (parser.isSet(kWebHostOption)) {
        options.webHost = parser.value(kWebHostOption).trimmed();
        const QUrl url = WebPageUrl(options.webHost);
        if (options.webHost.isEmpty() || !url.isValid() || url.host().isEmpty()) {
            if (error) *error = QStringLiteral("unusable web host \"%1\"").arg(options.webHost);
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace qrdesk
