// The window with its real web view (Qt WebEngine), the way the program opens it: the panel
// takes WebBrow's place, asks for its page once, and the window's commands work beside it.

#include "WindowFixture.h"
#include "support/qt/WindowControls.h"

#ifdef QRDESK_HAVE_WEBENGINE
#include <QSignalSpy>
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

}  // namespace
#endif
