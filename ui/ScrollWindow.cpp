#include "ui/ScrollWindow.h"

#include <QScreen>
#include <QStyle>

namespace qrdesk {

ScrollWindow::ScrollWindow(QWidget* content, QWidget* parent) : QScrollArea(parent) {
    setWindowTitle(content->windowTitle());
    setWindowIcon(content->windowIcon());
    setFrameShape(QFrame::NoFrame);
    // Tab goes through the content's controls, and the area scrolls to the one reached.
    setFocusPolicy(Qt::NoFocus);
    // The content grows with the window, as it would on its own, but never below its
    // minimum: scroll bars show then.
    setWidgetResizable(true);
    setWidget(content);
}

QSize ScrollWindow::sizeHint() const {
    return widget() ? widget()->size() : QScrollArea::sizeHint();
}

QSize ScrollWindow::FrameAllowance() const {
    const int border = 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    return {border, border + style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this)};
}

void ScrollWindow::ShowFitted() {
    const QRect available = screen()->availableGeometry();
    const QSize content = widget()->size();
    const QSize framed = content + FrameAllowance();
    if (framed.width() <= available.width() && framed.height() <= available.height()) {
        resize(content);
        show();
        return;
    }
    resize(content.boundedTo(available.size() - FrameAllowance()));
    move(available.topLeft());
    showMaximized();
}

}  // namespace qrdesk
