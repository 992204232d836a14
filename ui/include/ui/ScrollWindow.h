#pragma once
// A top-level window around a layout of fixed places: the layout whole, at its own size or
// larger, where the screen has room for it; scrolled inside a window that fits the screen
// where it has not (a 1024 x 600 netbook, a large font).

#include <QScrollArea>

namespace qrdesk {

class ScrollWindow : public QScrollArea {
    Q_OBJECT
  public:
    // Takes content, whose minimum size is the size it is never made smaller than; the
    // window shows content's title and icon.
    explicit ScrollWindow(QWidget* content, QWidget* parent = nullptr);

    // The window's frame as a window manager commonly draws it: a title bar and thin borders.
    // Known for sure only once the window is shown; the choice below needs it before.
    QSize FrameAllowance() const;

    // Opens the window: at content's size where that, with the frame, fits the available
    // area of the screen (the screen without panels and docks); maximised otherwise, so that
    // the window manager fits the window and its frame into that area, and the content
    // scrolls. Without a window manager the window is at least placed within the area.
    void ShowFitted();

    QSize sizeHint() const override;
};

}  // namespace qrdesk
