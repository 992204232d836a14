// Starts the program: reads its options, then creates and shows its only window.

#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLocale>
#include <QLoggingCategory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "common/Memory.h"
#include "ui/Form1.h"
#include "ui/ProgramOptions.h"
#include "ui/QtTranslations.h"
#include "ui/ScrollWindow.h"

namespace {

constexpr int kUsageError = 2;

// What Qt says while the application starts, kept until it is known whether a window can
// open: when no platform can start, Qt prints several lines of its own and aborts (status
// 134). Only the program's thread runs then.
struct StartMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<StartMessage> startMessages;
QtMessageHandler qtHandler = nullptr;
QByteArray platformArgument;  // -platform NAME, which wins over QT_QPA_PLATFORM

// One line on why no window opens.
QString NoWindowReason() {
    const QByteArray platform =
        platformArgument.isEmpty() ? qgetenv("QT_QPA_PLATFORM") : platformArgument;
    if (!platform.isEmpty())
        return QStringLiteral("the Qt platform \"%1\" cannot start").arg(QString(platform));
    const QByteArray x11 = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    if (x11.isEmpty() && wayland.isEmpty())
        return QStringLiteral("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    return QStringLiteral("no connection to the display \"%1\"")
        .arg(QString(x11.isEmpty() ? wayland : x11));
}

void KeepStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "qrdesk: cannot open the window: %s\n", qPrintable(NoWindowReason()));
        std::_Exit(1);
    }
    startMessages.push_back({type, context.category, text});
}

// The window will open: Qt's messages from the start go where they would have gone.
void EndStart() {
    qInstallMessageHandler(qtHandler);
    for (const StartMessage& message : std::exchange(startMessages, {}))
        if (qtHandler)
            qtHandler(message.type,
                      QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                      message.text);
}

// Reads the options as parse() does but says a usage error in one English line (Qt's own
// message would follow the translation installed); true when the program goes on.
bool ParseOptions(QCommandLineParser& parser, const QStringList& arguments) {
    qrdesk::AddProgramOptions(parser);
    if (parser.parse(arguments)) return true;
    QString error = parser.errorText();  // "Unknown option 'x'."
    if (error.endsWith('.')) error.chop(1);
    if (!error.isEmpty()) error[0] = error[0].toLower();
    std::fprintf(stderr, "qrdesk: %s; try --help\n", qPrintable(error));
    return false;
}

// Qt prints the help and the version and exits on its own; a write that failed (a full disk,
// a closed descriptor) must not end with status 0.
void CheckStandardOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return;
    std::fprintf(stderr, "qrdesk: cannot write to standard output\n");
    std::_Exit(1);
}

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
    qrdesk::KeepFreedMemoryForReuse();
    // Help and version need no display.
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication app(argc, argv);
        SetIdentity();
        QCommandLineParser parser;
        if (!ParseOptions(parser, app.arguments())) return kUsageError;
        std::atexit(CheckStandardOutput);
        parser.process(app);
        return 0;
    }

#ifdef QRDESK_HAVE_WEBENGINE
    // The web engine's sandbox refuses to run as root; switch it off only then.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            platformArgument = argv[i + 1];
    qtHandler = qInstallMessageHandler(KeepStartMessage);
    QApplication app(argc, argv);
    SetIdentity();
    QGuiApplication::setApplicationDisplayName("qrdesk");
    QGuiApplication::setDesktopFileName("qrdesk");
    QApplication::setWindowIcon(QIcon(":/qrdesk/qrdesk.png"));

    // Qt's options are gone from app.arguments(); what is left is the program's.
    QCommandLineParser parser;
    if (!ParseOptions(parser, app.arguments())) return kUsageError;
    QString error;
    const auto options = qrdesk::ReadProgramOptions(parser, &error);
    if (!options) {
        std::fprintf(stderr, "qrdesk: %s\n", qPrintable(error));
        return kUsageError;
    }
    EndStart();  // Qt's start-up messages only for a start that goes on
    // The window and Qt's dialogs in one language, after the command line has had its
    // English say.
    qrdesk::Translations translations;
    translations.Use(
        options->language.value_or(qrdesk::LanguageForLocales(QLocale::system().uiLanguages())));
    if (!options->verbose) QuietWebEngine();

    // The window whole where the screen has room for it, else fitted to the screen and scrolled.
    qrdesk::ScrollWindow window(new qrdesk::Form1(*options));
    window.ShowFitted();
    return app.exec();
}
