// Starts the program: reads its options, then creates and shows its only window.

#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLoggingCategory>
#include <cstdio>
#include <cstring>

#include "ui/Form1.h"
#include "ui/ProgramOptions.h"
#include "ui/QtTranslations.h"

namespace {

bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* flag : {"-h", "--help", "-?", "-v", "--version", "--help-all"})
            if (std::strcmp(argv[i], flag) == 0) return true;
    return false;
}

void SetIdentity() {
    QCoreApplication::setApplicationName("qrdesk");
    QCoreApplication::setApplicationVersion(QRDESK_VERSION);
}

// The web engine (used only for --web-host) reports its configuration, its sandbox and the
// page's scripts on the console; a user has no use for that unless asking with --verbose.
void QuietWebEngine() {
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.webenginecontext=false\n"
                       "js=false\n"
                       "default.info=false"));
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--log-level=3");
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no display.
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        SetIdentity();
        QCommandLineParser parser;
        qrdesk::AddProgramOptions(parser);
        parser.process(app);
        return 0;
    }

#ifdef QRDESK_HAVE_WEBENGINE
    // The web engine's sandbox refuses to run as root; switch it off only then.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    QApplication app(argc, argv);
    SetIdentity();
    QGuiApplication::setApplicationDisplayName("qrdesk");
    QGuiApplication::setDesktopFileName("qrdesk");
    QApplication::setWindowIcon(QIcon(":/qrdesk/qrdesk.png"));
    qrdesk::InstallQtTranslations(app);

    QCommandLineParser parser;
    qrdesk::AddProgramOptions(parser);
    parser.process(app);
    QString error;
    const auto options = qrdesk::ReadProgramOptions(parser, &error);
    if (!options) {
        std::fprintf(stderr, "qrdesk: %s\n", qPrintable(error));
        return 2;
    }
    if (!options->verbose) QuietWebEngine();

    qrdesk::Form1 window(*options);
    window.show();
    return app.exec();
}
