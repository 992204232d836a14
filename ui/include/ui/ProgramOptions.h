#pragma once
// The program's command-line options: the web panel's host, the legacy code page of "ANSI"
// text, and the plain panel that stands in for the web view.

#include <QCommandLineParser>
#include <QString>
#include <QUrl>
#include <optional>

namespace qrdesk {

// A reserved name that never resolves, so the panel touches no real server unless asked to.
inline const char* const kDefaultWebHost = "www.example.invalid";
// The page the web panel shows on its host.
inline const char* const kWebPagePath = "/reder/2wm.asp";

struct ProgramOptions {
    QString webHost = kDefaultWebHost;
    QString ansiCodePage = "GBK";
    bool plainWebPanel = false;
};

// The page's address: http://HOST/reder/2wm.asp; a host given with a scheme
// ("https://host:8443") keeps it.
QUrl WebPageUrl(const QString& host);

// Declares the options (with --help and --version) on parser.
void AddProgramOptions(QCommandLineParser& parser);

// The options after parser.parse()/process(); nullopt with *error for an unknown code page or
// an unusable host.
std::optional<ProgramOptions> ReadProgramOptions(const QCommandLineParser& parser, QString* error);

}  // namespace qrdesk
