// The web panel without a host: the help page inside the program, no web engine and no
// network; and the program started as a user starts it, quiet on the console.

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "WindowFixture.h"

#ifdef QRDESK_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

namespace {

TEST_F(WindowTest, PanelShowsTheHelpPageInsideTheProgram) {
    auto* help = Find<QTextBrowser>("WebBrow");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->source(), QUrl("qrc:/qrdesk/help.html"));
    EXPECT_EQ(help->documentTitle(), QString::fromUtf8("使用说明"));
    const QString page = help->toPlainText();
    // What the four lists mean, the sizes, the status line and the readers' advice.
    for (const char* words :
         {"版本",          "纠错等级",      "L 7%",          "M 15%",  "Q 25%",
          "H 30%",         "掩码",          "文本编码",      "ANSI",   "UTF-8 + ECI",
          "小图 200 像素", "中图 400 像素", "大图 600 像素", "状态栏", "zxing-cpp",
          "zbar",          "识读建议",      "Ctrl+Enter",    "Ctrl+S", "Ctrl+C"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(words))) << words;
#ifdef QRDESK_HAVE_WEBENGINE
    EXPECT_TRUE(window->findChildren<QWebEngineView*>().isEmpty());
#endif
}

TEST_F(WindowTest, PlainPanelNamesARemotePage) {
    qrdesk::ProgramOptions options;
    options.webHost = "qr.example.org";
    Open(options);  // the fixture asks for the plain panel
    auto* label = Find("WebBrow")->findChild<QLabel*>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "http://qr.example.org/reder/2wm.asp");
}

// The inodes of the TCP and UDP sockets that the system lists.
QStringList InternetSocketInodes() {
    QStringList inodes;
    for (const char* table : {"tcp", "tcp6", "udp", "udp6"}) {
        const QStringList lines =
            QString::fromLatin1(ReadFile(QString("/proc/net/") + table)).split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QStringList fields = lines[i].simplified().split(' ');
            if (fields.size() > 9) inodes << fields[9];
        }
    }
    return inodes;
}

// The real program as a user starts it: after it has settled it has printed nothing, started
// no helper process and holds no internet socket.
TEST(Program, StartsQuietlyWithoutNetwork) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtime.path());  // as a desktop session has it
    program.setProcessEnvironment(environment);
    program.start(QRDESK_APP_PATH, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QTest::qWait(2500);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    const QString pid = QString::number(program.processId());

    QStringList children;
    for (const QString& task :
         QDir("/proc/" + pid + "/task").entryList(QDir::NoDotAndDotDot | QDir::Dirs))
        children += QString::fromLatin1(ReadFile("/proc/" + pid + "/task/" + task + "/children"))
                        .split(' ', Qt::SkipEmptyParts);
    EXPECT_TRUE(children.isEmpty()) << children.join(' ').toStdString();

    const QStringList internet = InternetSocketInodes();
    QStringList open;
    const QString fds = "/proc/" + pid + "/fd";
    for (const QString& fd : QDir(fds).entryList(QDir::NoDotAndDotDot | QDir::System)) {
        const QString target = QFile::symLinkTarget(fds + "/" + fd);
        if (!target.contains("socket:[")) continue;
        const QString inode = target.section('[', 1).chopped(1);
        if (internet.contains(inode)) open << inode;
    }
    EXPECT_TRUE(open.isEmpty()) << open.join(' ').toStdString();

    const QByteArray out = program.readAllStandardOutput() + program.readAllStandardError();
    EXPECT_TRUE(out.isEmpty()) << out.toStdString();
    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
}

}  // namespace
