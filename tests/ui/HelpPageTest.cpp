// Without a host the web panel shows the help page inside the program; the program, started
// as a user starts it, is quiet and touches no network.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "WindowFixture.h"

namespace {

TEST_F(WindowTest, PanelShowsTheHelpPageInsideTheProgram) {
    auto* help = Find<QTextBrowser>("WebBrow");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->source(), QUrl("qrc:/qrdesk/help.html"));
    // What the four lists mean, the sizes (which take effect when generating), the status
    // line and the readers' advice, in the lists' own words.
    for (const char* words :
         {"纠错等级", "L 7%", "H 30%", "掩码", "最低罚分", "文本编码", "UTF-8+ECI", "小图 200 像素",
          "大图 600 像素", "请先选择尺寸，再生成二维码", "状态栏", "zbar", "识读建议"})
        EXPECT_TRUE(help->toPlainText().contains(QString::fromUtf8(words))) << words;
}

// After it has settled: nothing printed, no helper process, no internet socket.
TEST(Program, StartsQuietlyWithoutNetwork) {
    QTemporaryDir runtime;  // as a desktop session has it
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    program.setProcessEnvironment(environment);
    program.start(QRDESK_APP_PATH, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QTest::qWait(2500);
    ASSERT_EQ(program.state(), QProcess::Running);
    const QString proc = QString("/proc/%1/").arg(program.processId());
    QByteArray children, internet;
    for (const QString& task : QDir(proc + "task").entryList(QDir::NoDotAndDotDot | QDir::Dirs))
        children += ReadFile(proc + "task/" + task + "/children");
    for (const char* table : {"tcp", "tcp6", "udp", "udp6"})
        internet += ReadFile(QString("/proc/net/") + table);
    for (const QString& fd : QDir(proc + "fd").entryList(QDir::NoDotAndDotDot | QDir::System)) {
        const QString socket = QFile::symLinkTarget(proc + "fd/" + fd).section("socket:[", 1);
        EXPECT_TRUE(socket.isEmpty() ||
                    !internet.contains(" " + socket.chopped(1).toLatin1() + " "))
            << "internet socket " << socket.toStdString();
    }
    EXPECT_TRUE(children.trimmed().isEmpty()) << children.toStdString();
    EXPECT_EQ(program.readAllStandardOutput() + program.readAllStandardError(), "");
    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
}

}  // namespace
