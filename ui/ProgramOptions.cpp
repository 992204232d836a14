#include "ui/ProgramOptions.h"

#include "common/TextBytes.h"

namespace qrdesk {
namespace {
const QCommandLineOption kWebHostOption(
    "web-host",
    QStringLiteral("Host of the web panel's page %1 (default %2; may carry a scheme and port, "
                   "e.g. http://127.0.0.1:8080).")
        .arg(kWebPagePath, kDefaultWebHost),
    "host", kDefaultWebHost);
const QCommandLineOption kCodePageOption(
    "code-page", "Code page of \"ANSI\" text, any iconv name (default GBK).", "name", "GBK");
const QCommandLineOption kPlainPanelOption("plain-web-panel",
                                           "Show a plain panel instead of the web view.");
}  // namespace

QUrl WebPageUrl(const QString& host) {
    const QString base = host.contains("://") ? host : QStringLiteral("http://") + host;
    QUrl url(base, QUrl::StrictMode);
    url.setPath(kWebPagePath);
    return url;
}

void AddProgramOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription("Desktop QR Code generator.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(kWebHostOption);
    parser.addOption(kCodePageOption);
    parser.addOption(kPlainPanelOption);
}

std::optional<ProgramOptions> ReadProgramOptions(const QCommandLineParser& parser, QString* error) {
    ProgramOptions options;
    options.webHost = parser.value(kWebHostOption).trimmed();
    options.ansiCodePage = parser.value(kCodePageOption).trimmed();
    options.plainWebPanel = parser.isSet(kPlainPanelOption);
    if (!IsCodePageSupported(options.ansiCodePage.toStdString())) {
        if (error) *error = QStringLiteral("unknown code page \"%1\"").arg(options.ansiCodePage);
        return std::nullopt;
    }
    const QUrl url = WebPageUrl(options.webHost);
    if (options.webHost.isEmpty() || !url.isValid() || url.host().isEmpty()) {
        if (error) *error = QStringLiteral("unusable web host \"%1\"").arg(options.webHost);
        return std::nullopt;
    }
    return options;
}

}  // namespace qrdesk
