// The window with its real web view (Qt WebEngine), the way the program opens it for
// --web-host: the panel takes WebBrow's place, asks for its page once, and the window's
// commands work beside it; the program says nothing on the console unless --verbose.

#include "WindowFixture.h"
#include "support/qt/WindowControls.h"

#ifdef QRDESK_HAVE_WEBENGINE
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

namespace {

TEST_F(WindowTest, RealWebViewTakesThePanelsPlace) {
    qrdesk::ProgramOptions options;
    options.webHost = "http://127.0.0.1:9";  // refused at once; no network needed
    window.reset();
    window = std::make_unique<qrdesk::Form1>(options);
    window->ShowMessage = [this](const QString& text) { messages.push_back(text); };
    auto* view = window->findChild<QWebEngineView*>("WebBrow");
    ASSERT_TRUE(view);
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(view->geometry(), Control("WebBrow").rect);
    EXPECT_EQ(view->parentWidget(), window.get());
    EXPECT_EQ(view->url(), QUrl("http://127.0.0.1:9/reder/2wm.asp"));
    EXPECT_EQ(window->findChildren<QWidget*>("WebBrow").size(), 1);  // the plain panel is gone
    // The unreachable page fails in the background; the window does not wait for it.
    Generate("beside the web view");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), QByteArray("beside the web view"));
    EXPECT_TRUE(finished.wait(30000) || !finished.isEmpty());
    window.reset();
}

// The real program with a page from a host, on a virtual X display as a desktop has one (the
// offscreen platform has no OpenGL, which the engine warns about): the web engine reports
// its set-up, its sandbox and the page's scripts only when asked to.
TEST(Program, WebEngineIsQuietUnlessVerbose) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess display;
    display.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!display.waitForStarted(10000)) GTEST_SKIP() << "no Xvfb (package xvfb)";
    QByteArray number;
    for (int k = 0; k < 100 && !number.contains('\n'); ++k) {
        display.waitForReadyRead(100);
        number += display.readAllStandardOutput();
    }
    ASSERT_FALSE(number.trimmed().isEmpty());
    for (const bool verbose : {false, true}) {
        SCOPED_TRACE(verbose ? "--verbose" : "quiet");
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        program.setProcessEnvironment(environment);
        QStringList args{"--web-host", "http://127.0.0.1:9"};
        if (verbose) args << "--verbose";
        program.start(QRDESK_APP_PATH, args);
        ASSERT_TRUE(program.waitForStarted(10000));
        QTest::qWait(5000);  // the engine started and the refused page shown
        EXPECT_EQ(program.state(), QProcess::Running);
        const QByteArray out = program.readAllStandardOutput() + program.readAllStandardError();
        if (verbose) {
            EXPECT_TRUE(out.contains("qt.webenginecontext")) << out.toStdString();
        } else {
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        }
        program.terminate();
        if (!program.waitForFinished(10000)) program.kill();
    }
    display.terminate();
    if (!display.waitForFinished(10000)) display.kill();
}

}  // namespace
#endif
