// The window on a screen smaller than its layout: it opens within the screen's available area
// and scrolls to every control and the status line; where the screen has room, the layout
// stays as described. Runs on Qt's offscreen screen (800 x 600) and, through
// on-small-screen.sh, on a 1024 x 600 X display with a window manager.

#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>

#include "WindowFixture.h"
#include "ui/ScrollWindow.h"

namespace {

std::unique_ptr<qrdesk::ScrollWindow> OpenWindow() {
    qrdesk::ProgramOptions options;
    options.plainWebPanel = true;
    return std::make_unique<qrdesk::ScrollWindow>(new qrdesk::Form1(options));
}

std::string Describe(const QRect& r) {
    return QString("%1,%2 %3x%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

TEST(SmallScreen, OpensWithinTheScreenAndScrollsToEveryControl) {
    const auto window = OpenWindow();
    QWidget* form = window->widget();
    const QSize layout = form->size();
    const QRect available = window->screen()->availableGeometry();
    if (available.width() >= layout.width() + 100 && available.height() >= layout.height() + 100)
        GTEST_SKIP() << "the screen (" << Describe(available) << ") has room for the whole window";
    window->ShowFitted();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A window manager fits the maximised window in its own time.
    QElapsedTimer clock;
    clock.start();
    while (!available.contains(window->frameGeometry()) && clock.elapsed() < 5000) QTest::qWait(50);
    EXPECT_TRUE(available.contains(window->frameGeometry()))
        << Describe(window->frameGeometry()) << " in " << Describe(available);
    EXPECT_EQ(form->size(), layout.expandedTo(window->viewport()->size()));

    // The scroll bars reach the whole layout: each control, scrolled to as a user drags the
    // bars, shows as much of itself as the window can hold.
    QWidget* viewport = window->viewport();
    QScrollBar* across = window->horizontalScrollBar();
    QScrollBar* down = window->verticalScrollBar();
    EXPECT_EQ(across->maximum(), std::max(0, form->width() - viewport->width()));
    EXPECT_EQ(down->maximum(), std::max(0, form->height() - viewport->height()));
    for (const char* name :
         {"cmb1_0", "cmb1_3", "Option1_2", "Text1", "Command1", "Command2", "WebBrow", "Picture1",
          "cmbContentType", "spnMargin", "spnLogoSize", "cmdReadScreen", "StatusBar1"}) {
        auto* control = form->findChild<QWidget*>(name);
        ASSERT_TRUE(control) << name;
        const QRect place(control->mapTo(form, QPoint()), control->size());
        across->setValue(place.right() + 1 - viewport->width());
        down->setValue(place.bottom() + 1 - viewport->height());
        const QRect shown = QRect(control->mapTo(viewport, QPoint()), control->size())
                                .intersected(viewport->rect());
        EXPECT_EQ(shown.width(), std::min(control->width(), viewport->width())) << name;
        EXPECT_EQ(shown.height(), std::min(control->height(), viewport->height())) << name;
    }
    // The status line, scrolled to last, is on the screen.
    auto* status = form->findChild<QLabel*>("StatusBar1");
    const int top = status->mapToGlobal(QPoint()).y();
    EXPECT_GE(top, available.top());
    EXPECT_LE(top + status->height(), available.bottom() + 1);
}

// At the layout's size and larger the layout fills the window from its corner, unscrolled.
TEST(SmallScreen, AtTheLayoutSizeAndLargerNothingMoves) {
    const auto window = OpenWindow();
    const QSize layout = window->widget()->size();
    for (const QSize size : {layout, layout + QSize(200, 150)}) {
        window->resize(size);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        EXPECT_FALSE(window->verticalScrollBar()->isVisible() ||
                     window->horizontalScrollBar()->isVisible());
        EXPECT_EQ(window->widget()->geometry(), QRect(QPoint(), size));
    }
}

}  // namespace
