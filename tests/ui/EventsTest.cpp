// The minor events: the prompt text, select-all on focus, the size options, the clipboard.

#include <QClipboard>
#include <QInputMethodEvent>
#include <QScrollBar>

#include "WindowFixture.h"

namespace {

void CommitInput(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

TEST_F(WindowTest, PromptTextEmptiesTheBoxHoweverItArrives) {
    struct Case {
        const char* how;
        QString before;
        QString entered;
        QString after;
    };
    const Case cases[] = {
        {"typed", "", kPrompt, ""},
        {"pasted", "", kPrompt, ""},
        {"committed", "", kPrompt, ""},
        {"pasted", "", kPrompt + "!", kPrompt + "!"},  // one more character stays
        {"typed", "x", kPrompt, "x" + kPrompt},
        {"typed", "", kPrompt.left(kPrompt.size() - 1), kPrompt.left(kPrompt.size() - 1)},
    };
    for (const Case& c : cases) {
        Text1()->setPlainText(c.before);
        Text1()->setFocus();
        Text1()->moveCursor(QTextCursor::End);
        const QString how = c.how;
        if (how == "typed") {
            TypeKeys(Text1(), c.entered);
        } else if (how == "pasted") {
            QGuiApplication::clipboard()->setText(c.entered);
            QTest::keyClick(Text1(), Qt::Key_V, Qt::ControlModifier);
        } else {
            CommitInput(Text1(), c.entered);
        }
        EXPECT_EQ(Text1()->toPlainText(), c.after) << c.how << " " << c.entered.toStdString();
    }
}

TEST_F(WindowTest, FocusSelectsAllByKeyboardAndByClick) {
    for (const bool byMouse : {false, true}) {
        Find("Command1")->setFocus();
        Text1()->setPlainText("abc");
        ASSERT_FALSE(Text1()->hasFocus());
        if (byMouse) {
            QWidget* viewport = Text1()->viewport();
            QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(viewport->width() / 2, 5));
        } else {
            QTest::keyClick(Find("Command1"), Qt::Key_Tab);
        }
        ASSERT_TRUE(Text1()->hasFocus()) << byMouse;
        EXPECT_EQ(Text1()->textCursor().selectedText(), "abc") << byMouse;
        TypeKeys(Text1(), "z");
        EXPECT_EQ(Text1()->toPlainText(), "z") << byMouse;
    }
    // Once focused, a click places the cursor as usual.
    Text1()->setPlainText("abc");
    Text1()->selectAll();
    QTest::mouseClick(Text1()->viewport(), Qt::LeftButton, {}, QPoint(150, 5));
    EXPECT_TRUE(Text1()->textCursor().selectedText().isEmpty());
    EXPECT_EQ(Text1()->textCursor().position(), 3);
}

TEST_F(WindowTest, SizeOptionsResizeTheDisplayWithoutRedrawing) {
    const int edges[] = {200, 400, 600};
    for (int i : {0, 1, 2, 0}) {
        QTest::mouseClick(SizeOption(i), Qt::LeftButton);
        EXPECT_EQ(Picture1()->size(), QSize(edges[i], edges[i]));
        for (int k = 0; k < 3; ++k) EXPECT_EQ(SizeOption(k)->isChecked(), k == i);
    }
    Generate("abc");  // at 200
    ASSERT_EQ(Picture1()->Picture().size(), QSize(200, 200));
    QTest::mouseClick(SizeOption(2), Qt::LeftButton);
    EXPECT_EQ(Picture1()->size(), QSize(600, 600));
    EXPECT_EQ(Picture1()->Picture().size(), QSize(200, 200));
    // The box shows the copy from its top-left corner and its background beyond it.
    const QImage shown = Picture1()->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(600, 600));
    EXPECT_EQ(shown.pixelColor(0, 0), Picture1()->Picture().pixelColor(0, 0));
    EXPECT_EQ(shown.pixelColor(100, 100), Picture1()->Picture().pixelColor(100, 100));
    const QColor background = Picture1()->palette().color(QPalette::Base);
    EXPECT_EQ(shown.pixelColor(300, 300), background);
    EXPECT_EQ(shown.pixelColor(599, 10), background);
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTest, ClickOnImage1CopiesTheUnscaledPicture) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    QTest::mouseClick(Image1(), Qt::LeftButton);  // no picture yet: nothing happens
    EXPECT_EQ(clipboard->text(), "before");

    List(0)->setCurrentIndex(1);
    Generate("abc");
    // Picture1 covers Image1 at the start size.
    const QPoint point(300, 300);
    EXPECT_EQ(window->childAt(point), Picture1());
    QTest::mouseClick(window->childAt(point), Qt::LeftButton, {},
                      window->childAt(point)->mapFrom(window.get(), point));
    EXPECT_EQ(clipboard->text(), "before");
    EXPECT_TRUE(window->StatusNotice().isEmpty());

    // A small display and a resize that spreads Image1 out uncover part of it.
    QTest::mouseClick(SizeOption(0), Qt::LeftButton);
    EXPECT_EQ(window->childAt(QPoint(20, 70)), Picture1());  // Image1 is 29 x 29 until then
    window->resize(window->width(), window->height() + 1);
    ASSERT_EQ(window->childAt(point), Image1());
    QTest::mouseClick(Image1(), Qt::LeftButton, {}, Image1()->mapFrom(window.get(), point));
    const QImage copied = clipboard->image();
    EXPECT_EQ(copied.size(), QSize(29, 29));
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), Image1()->Picture());
    EXPECT_EQ(DecodedBytes(DecodeImage(copied)), QByteArray("abc"));
    // The copy says so.
    EXPECT_EQ(window->StatusNotice(), kCopied);
}

}  // namespace
