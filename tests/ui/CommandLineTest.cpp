// What both programs say on the command line when they cannot go on: one English line on
// standard error and a meaningful exit status, in a Chinese locale too (compiled here, so that
// the C library's own messages would be Chinese if a program asked for them), and without a
// display for the window.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

namespace {

struct Case {
    const char* program;  // QRDESK_APP_PATH or QRDESK_CLI_PATH
    QStringList args;
    QStringList environment;  // NAME=VALUE to set, NAME alone to unset
    int code;
    const char* line;              // what standard error starts with
    const char* output = nullptr;  // a file for standard output
};

TEST(CommandLine, OneEnglishLineInEveryLocale) {
    QTemporaryDir locales;
    ASSERT_TRUE(locales.isValid());
    QProcess localedef;
    localedef.start("localedef", {"-i", "zh_CN", "-f", "UTF-8", locales.filePath("zh_CN.UTF-8")});
    const bool compiled = localedef.waitForFinished(60000) && localedef.exitCode() == 0;
    if (!compiled) ADD_FAILURE() << "localedef could not compile zh_CN.UTF-8 (package locales)";

    const QStringList noDisplay{"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
    const std::vector<Case> cases = {
        {QRDESK_APP_PATH, {"--bogus"}, {}, 2, "qrdesk: unknown option 'bogus'; try --help"},
        {QRDESK_APP_PATH, {"--help", "-x"}, {}, 2, "qrdesk: unknown option 'x'; try --help"},
        {QRDESK_APP_PATH, {"--code-page", "NO-SUCH"}, {}, 2, "qrdesk: unknown code page"},
        {QRDESK_APP_PATH, {"--lang", "fr"}, {}, 2, "qrdesk: unknown language \"fr\" (zh or en)"},
        {QRDESK_APP_PATH,
         {"--lang", "en", "--bogus"},
         {"LANGUAGE=en_US:en"},
         2,
         "qrdesk: unknown option 'bogus'; try --help"},
        {QRDESK_APP_PATH, {"--help"}, {}, 1, "qrdesk: cannot write", "/dev/full"},
        {QRDESK_APP_PATH, {"--version"}, {}, 1, "qrdesk: cannot write", "/dev/full"},
        {QRDESK_APP_PATH, {}, noDisplay, 1, "qrdesk: cannot open the window: no display"},
        {QRDESK_APP_PATH,
         {},
         {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY=:65000"},
         1,
         "qrdesk: cannot open the window: no connection to the display \":65000\""},
        {QRDESK_APP_PATH,
         {},
         {"QT_QPA_PLATFORM=no-such"},
         1,
         "qrdesk: cannot open the window: the Qt platform \"no-such\" cannot start"},
        {QRDESK_CLI_PATH, {"--bogus", "x"}, {}, 2, "qrdesk-cli: unknown option"},
        {QRDESK_CLI_PATH, {"-l", "X", "x"}, {}, 2, "qrdesk-cli: "},
        {QRDESK_CLI_PATH,
         {"-o", "/nonexistent/x.png", "x"},
         {},
         3,
         "qrdesk-cli: cannot write /nonexistent/x.png: No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((QString(c.program).section('/', -1) + ' ' + c.args.join(' ')).toStdString());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES"})
            environment.insert(name, "zh_CN.UTF-8");
        environment.insert("LANGUAGE", "zh_CN:zh");
        if (compiled) environment.insert("LOCPATH", locales.path());
        for (const QString& change : c.environment) {
            if (change.contains('='))
                environment.insert(change.section('=', 0, 0), change.section('=', 1));
            else
                environment.remove(change);
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        if (c.output) program.setStandardOutputFile(c.output);
        program.start(c.program, c.args);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.code);
        const QByteArray err = program.readAllStandardError();
        EXPECT_TRUE(err.startsWith(c.line)) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.endsWith('\n'));
        EXPECT_TRUE(std::all_of(err.begin(), err.end(), [](char b) { return (b & 0x80) == 0; }))
            << err.toStdString();
        EXPECT_EQ(program.readAllStandardOutput(), "");
    }
}

}  // namespace
