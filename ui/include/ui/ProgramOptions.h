#pragma once
// The program's command-line options: the web panel's host, the legacy code page of "ANSI"
// text, the plain panel that stands in for the web view, the web engine's logging and the
// window's language.

#include <QCommandLineParser>
#include <QString>
#include <QUrl>
#include <optional>

#include "common/TextBytes.h"
#include "ui/QtTranslations.h"

namespace qrdesk {

// The page the web panel shows on a host given with --web-host.
inline const char* const kWebPagePath = "/reder/2wm.asp";
// The help page that ships inside the program, shown when no host is given.
inline const char* const kHelpPageUrl = "qrc:/qrdesk/help.html";

struct ProgramOptions {
    QString webHost;  // empty: the built-in help page, and no network at all
    QString ansiCodePage = QString::fromLatin1(kDefaultAnsiCodePage);
    bool plainWebPanel = false;
    bool verbose = false;              // the web engine's own logging on the console
    std::optional<Language> language;  // --lang; none: the user's locale decides
};

// The page's address: http://HOST/reder/2wm.asp; a host given with a scheme
// ("https://host:8443") keeps it.
QUrl WebPageUrl(const QString& host);

// What the web panel shows: the remote page for a host, else the built-in help page.
QUrl WebPanelUrl(const ProgramOptions& options);

// Declares the options (with --help and --version) on parser.
void AddProgramOptions(QCommandLineParser& parser);

// The options after parser.parse()/process(); nullopt with *error for an unknown code page,
// an unusable host or a language other than zh and en.
std::optional<ProgramOptions> ReadProgramOptions(const QCommandLineParser& parser, QString* error);

}  // namespace qrdesk
