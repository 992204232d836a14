#include "ui/Controls.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace qrdesk {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!picture_.isNull()) painter.drawImage(0, 0, picture_);
    if (!hasFocus()) return;
    // A frame in the highlight colour along the edge, on the symbol's quiet zone; the style's
    // own focus frame would tint the whole symbol.
    painter.setPen(QPen(palette().color(QPalette::Highlight), kFocusFrameWidth));
    painter.setBrush(Qt::NoBrush);
    const int inset = kFocusFrameWidth / 2;
    painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        pressedAt_ = event->position().toPoint();
    else
        pressedAt_.reset();
    event->accept();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - *pressedAt_).manhattanLength() <
        QApplication::startDragDistance())
        return;
    pressedAt_.reset();
    emit dragRequested();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    pressedAt_.reset();
    event->accept();
}

ImageControl::ImageControl(QWidget* parent) : PictureBox(parent) {}

void ImageControl::SetPicture(const QImage& picture) {
    PictureBox::SetPicture(picture);
    if (!picture.isNull()) resize(picture.size());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressedAt_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    PictureBox::mouseReleaseEvent(event);
    if (click) emit clicked();
}

PromptTextBox::PromptTextBox(QWidget* parent) : QPlainTextEdit(parent) {}

void PromptTextBox::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    swallow_ = event->reason() == Qt::MouseFocusReason ? Swallow::NextPress : Swallow::None;
    emit gotFocus();
}

void PromptTextBox::focusOutEvent(QFocusEvent* event) {
    swallow_ = Swallow::None;
    QPlainTextEdit::focusOutEvent(event);
}

void PromptTextBox::mousePressEvent(QMouseEvent* event) {
    if (swallow_ == Swallow::NextPress && event->button() == Qt::LeftButton) {
        swallow_ = Swallow::UntilRelease;
        event->accept();
        return;
    }
    swallow_ = Swallow::None;
    QPlainTextEdit::mousePressEvent(event);
}

void PromptTextBox::mouseMoveEvent(QMouseEvent* event) {
    if (swallow_ == Swallow::UntilRelease) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseMoveEvent(event);
}

void PromptTextBox::mouseReleaseEvent(QMouseEvent* event) {
    if (swallow_ == Swallow::UntilRelease) {
        swallow_ = Swallow::None;
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

void PromptTextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    swallow_ = Swallow::None;
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

SizeOptionStyle::SizeOptionStyle(int markSize) : markSize_(markSize) {}

int SizeOptionStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                 const QWidget* widget) const {
    const int size = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_ExclusiveIndicatorWidth || metric == PM_ExclusiveIndicatorHeight)
        return std::min(size, markSize_);
    return size;
}

}  // namespace qrdesk
