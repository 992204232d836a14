#include "ui/Controls.h"

#include <QMouseEvent>
#include <QPainter>

namespace qrdesk {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

ImageControl::ImageControl(QWidget* parent) : PictureBox(parent) {}

void ImageControl::SetPicture(const QImage& picture) {
    PictureBox::SetPicture(picture);
    if (!picture.isNull()) resize(picture.size());
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
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

}  // namespace qrdesk
