#pragma once
// The window's own control kinds: a drawing box that keeps a persistent picture, an image
// control that shows its picture unscaled and reports clicks, the text box whose got-focus
// selection survives the click that focused it, and the size options' style.

#include <QImage>
#include <QPlainTextEdit>
#include <QPoint>
#include <QProxyStyle>
#include <QWidget>
#include <optional>

namespace qrdesk {

// Keeps one picture and paints it from its top-left corner, unscaled; the rest of the box
// shows its background. Without a picture it shows only the background. With the keyboard
// focus it shows a frame along its edge. A press of the left button and a move past the
// platform's drag distance emit dragRequested().
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent = nullptr);

    static constexpr int kFocusFrameWidth = 2;

    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    void ClearPicture() { SetPicture({}); }

  signals:
    void dragRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // Where the left button went down, until it comes up or a drag starts.
    std::optional<QPoint> pressedAt_;

  private:
    QImage picture_;
};

// A picture on the window's own surface: transparent, takes the picture's size when one is
// set, and emits clicked() for a press and release of the left button inside it that did
// not become a drag.
class ImageControl : public PictureBox {
    Q_OBJECT
  public:
    explicit ImageControl(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    void ClearPicture() { PictureBox::SetPicture({}); }

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A multi-line text box that emits gotFocus() whenever it takes the keyboard focus. When the
// focus came with a mouse press, that press (and the drag and release that follow it) does
// not move the cursor, so a selection made on getting the focus stays.
class PromptTextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit PromptTextBox(QWidget* parent = nullptr);

  signals:
    void gotFocus();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    enum class Swallow { None, NextPress, UntilRelease };
    Swallow swallow_ = Swallow::None;
};

// The size options are 13 pixels high, less than the style's round mark: this style draws
// the mark at that height, so that it is whole.
class SizeOptionStyle : public QProxyStyle {
    Q_OBJECT
  public:
    explicit SizeOptionStyle(int markSize);
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

  private:
    int markSize_;
};

}  // namespace qrdesk
