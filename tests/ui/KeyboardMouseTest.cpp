// The window by keyboard and mouse: Enter on the buttons, the shortcuts, visible Tab stops,
// the size options' captions and whole marks, the symbol's context menu, dragging the symbol
// out as a PNG image and dropping text in.

#include <QAbstractScrollArea>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

#include "WindowFixture.h"
#include "support/qt/WindowControls.h"

namespace {

// The mark of a size option as drawn: the box around the pixels that differ from the
// background (taken at the top-right corner, which the mark never reaches).
QRect MarkBox(const QImage& image) {
    const int background = qGray(image.pixel(image.width() - 1, 0));
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (std::abs(qGray(image.pixel(x, y)) - background) > 24)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

TEST_F(WindowTest, KeysGenerateSavePrintAndCopy) {
    struct Case {
        const char* name;
        const char* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* effect;  // generate, save, print, copy, copy text, line break
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Case cases[] = {
        {"Enter on the generate button", "Command1", Qt::Key_Return, {}, "generate"},
        {"keypad Enter on it", "Command1", Qt::Key_Enter, Qt::KeypadModifier, "generate"},
        {"Enter on the save button", "Command2", Qt::Key_Return, {}, "save"},
        {"Ctrl+Enter in the text box", "Text1", Qt::Key_Return, ctrl, "generate"},
        {"Ctrl+keypad Enter in it", "Text1", Qt::Key_Enter, ctrl | Qt::KeypadModifier, "generate"},
        {"Ctrl+Enter on a list", "cmb1_1", Qt::Key_Return, ctrl, "generate"},
        {"Ctrl+S in the text box", "Text1", Qt::Key_S, ctrl, "save"},
        {"Ctrl+S on the symbol", "Picture1", Qt::Key_S, ctrl, "save"},
        {"Ctrl+P in the text box", "Text1", Qt::Key_P, ctrl, "print"},
        {"Ctrl+C on the symbol", "Picture1", Qt::Key_C, ctrl, "copy"},
        {"Ctrl+C in the text box", "Text1", Qt::Key_C, ctrl, "copy text"},
        {"Enter in the text box", "Text1", Qt::Key_Return, {}, "line break"},
    };
    const QString text = "typed text";
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open({});
        const QString effect = c.effect;
        if (effect != "generate") Generate(text);
        Text1()->setPlainText(text);
        QWidget* focus = Find(c.focus);
        focus->setFocus(Qt::TabFocusReason);  // Text1 selects all on getting the focus
        ASSERT_TRUE(focus->hasFocus());
        clipboard->setText("before");
        QTest::keyClick(focus, c.key, c.modifiers);

        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(dialogCalls.size(), effect == "save" ? 1u : 0u);
        EXPECT_EQ(printCalls.size(), effect == "print" ? 1u : 0u);
        if (effect == "generate") {
            EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), text.toUtf8());
        } else if (effect == "copy") {
            EXPECT_EQ(clipboard->image().convertToFormat(QImage::Format_RGB32),
                      Picture1()->Picture().convertToFormat(QImage::Format_RGB32));
            EXPECT_EQ(window->StatusNotice(), kCopied);
        } else if (effect == "copy text") {
            EXPECT_EQ(clipboard->text(), text);
            EXPECT_TRUE(window->StatusNotice().isEmpty());
        } else if (effect == "line break") {
            EXPECT_EQ(Text1()->toPlainText(), "\n");  // the selection replaced, as typing does
        }
        if (effect != "copy" && effect != "copy text") {
            EXPECT_EQ(clipboard->text(), "before");
        }
    }
}

// Every Tab stop shows that it has the focus: the drawing box and the help page included.
TEST_F(WindowTest, EveryTabStopShowsItsFocus) {
    std::vector<const char*> stops;
    for (const WindowControl& c : WindowControls())
        if (c.tab >= 0) {
            if (stops.size() <= static_cast<std::size_t>(c.tab)) stops.resize(c.tab + 1);
            stops[c.tab] = c.name;
        }
    Generate("focus");
    // From the control before the first stop, round the whole order by Tab.
    Find(stops.back())->setFocus(Qt::TabFocusReason);
    for (const char* name : stops) {
        SCOPED_TRACE(name);
        QWidget* widget = Find(name);
        const QImage before = widget->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), widget);
        EXPECT_NE(widget->grab().toImage(), before);
    }
}

TEST_F(WindowTest, SizeCaptionsSelectTheirOptionsAndTheMarksAreWhole) {
    const char* labels[] = {"Label1", "Label2", "Label3"};
    const int edges[] = {200, 400, 600};
    for (int i : {1, 0, 2, 1}) {
        SCOPED_TRACE(labels[i]);
        auto* label = Find<QLabel>(labels[i]);
        EXPECT_EQ(label->buddy(), SizeOption(i));
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(8, 8));
        for (int k = 0; k < 3; ++k) EXPECT_EQ(SizeOption(k)->isChecked(), k == i);
        EXPECT_EQ(Picture1()->size(), QSize(edges[i], edges[i]));
        EXPECT_EQ(QApplication::focusWidget(), SizeOption(i));
    }
    // Each round mark, checked or not, lies whole in its 13 pixels: as wide as high, and its
    // top and bottom rows alike (a mark cut off at the bottom is neither).
    for (int i = 0; i < 3; ++i) {
        for (const bool checked : {false, true}) {
            SCOPED_TRACE(QString("option %1, checked %2").arg(i).arg(checked).toStdString());
            SizeOption(i)->setChecked(checked);
            const QImage image = SizeOption(i)->grab().toImage();
            ASSERT_EQ(image.height(), 13);
            const QRect box = MarkBox(image);
            ASSERT_FALSE(box.isEmpty());
            EXPECT_EQ(box.width(), box.height());
            for (int x = box.left(); x <= box.right(); ++x)
                EXPECT_NEAR(qGray(image.pixel(x, box.top())), qGray(image.pixel(x, box.bottom())),
                            24)
                    << x;
        }
    }
}

TEST_F(WindowTest, SymbolMenuCopiesSavesAndPrints) {
    auto* menu = Find<QMenu>("mnuSymbol");
    ASSERT_TRUE(menu);
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("复制"), QString::fromUtf8("另存为…"),
                                  QString::fromUtf8("打印…")}));
    QAction* copy = menu->actions()[0];
    QAction* save = menu->actions()[1];
    QAction* print = menu->actions()[2];

    // Opened by the keyboard's menu key on the focused symbol.
    const auto open = [&] {
        Picture1()->setFocus(Qt::TabFocusReason);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                Picture1()->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(Picture1(), &event);
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
    };
    open();
    // Nothing to copy yet; saving and printing say what saving always said.
    EXPECT_FALSE(copy->isEnabled());
    save->trigger();
    print->trigger();
    EXPECT_EQ(messages, (std::vector<QString>{kNothingToSave, kNothingToSave}));
    EXPECT_TRUE(dialogCalls.empty());
    EXPECT_TRUE(printCalls.empty());

    Generate("menu");
    open();
    EXPECT_TRUE(copy->isEnabled());
    QGuiApplication::clipboard()->setText("before");
    copy->trigger();
    EXPECT_EQ(DecodedBytes(DecodeImage(QGuiApplication::clipboard()->image())), "menu");
    EXPECT_EQ(window->StatusNotice(), kCopied);
    save->trigger();
    EXPECT_EQ(dialogCalls.size(), 1u);
    print->trigger();
    EXPECT_EQ(printCalls.size(), 1u);
    // The shortcuts it shows.
    EXPECT_EQ(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    EXPECT_EQ(save->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(print->shortcut(), QKeySequence(QKeySequence::Print));
}

TEST_F(WindowTest, SymbolDragsOutAsAPngImage) {
    const int far = QApplication::startDragDistance() + 2;
    struct Case {
        const char* name;
        const char* from;
        int move;
        bool drag;
    };
    const Case cases[] = {
        {"a drag from the symbol", "Picture1", far, true},
        {"a small move is no drag", "Picture1", 1, false},
        {"a drag from Image1", "Image1", far, true},
    };
    QTest::mouseClick(SizeOption(0), Qt::LeftButton);
    Generate("drag me");
    window->resize(window->width(), window->height() + 1);  // Image1 spreads out beside
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        drags.clear();
        QGuiApplication::clipboard()->setText("before");
        auto* from = Find<qrdesk::PictureBox>(c.from);
        const QPoint start = c.from == QString("Image1")
                                 ? Image1()->mapFrom(window.get(), QPoint(300, 300))
                                 : QPoint(50, 50);
        ASSERT_EQ(window->childAt(from->mapTo(window.get(), start)), from);
        QTest::mousePress(from, Qt::LeftButton, {}, start);
        QTest::mouseMove(from, start + QPoint(c.move, 0));
        QTest::mouseRelease(from, Qt::LeftButton, {}, start + QPoint(c.move, 0));
        ASSERT_EQ(drags.size(), c.drag ? 1u : 0u);
        // A drag is no click: Image1 copies nothing.
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
        if (!c.drag) continue;
        const QMimeData& data = *drags[0];
        ASSERT_TRUE(data.hasFormat("image/png"));
        const QByteArray png = data.data("image/png");
        EXPECT_TRUE(png.startsWith("\x89PNG"));
        const QImage image = QImage::fromData(png, "PNG");
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  Picture1()->Picture().convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(DecodedBytes(DecodeImage(image)), "drag me");
        EXPECT_TRUE(data.hasImage());
        EXPECT_FALSE(data.hasText());  // the window's own drop does not take it as text
    }
    // Without a symbol there is nothing to drag.
    Open({});
    QTest::mousePress(Picture1(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(Picture1(), QPoint(50 + far, 50));
    QTest::mouseRelease(Picture1(), Qt::LeftButton, {}, QPoint(50 + far, 50));
    EXPECT_TRUE(drags.empty());
}

TEST_F(WindowTest, TextDroppedOnTheWindowFillsTheBox) {
    // The help page passes drops on to the window.
    auto* help = Find("WebBrow");
    EXPECT_FALSE(help->acceptDrops());
    EXPECT_FALSE(qobject_cast<QAbstractScrollArea*>(help)->viewport()->acceptDrops());
    struct Case {
        const char* name;
        bool text;
        bool accepted;
    };
    for (const Case& c : {Case{"text", true, true}, Case{"an image only", false, false}}) {
        SCOPED_TRACE(c.name);
        Text1()->setPlainText("old");
        QMimeData data;
        if (c.text)
            data.setText(QString::fromUtf8("拖入的文本"));
        else
            data.setImageData(QImage(10, 10, QImage::Format_RGB32));
        const QPointF at(300, 300);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted);
        if (!c.accepted) continue;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_EQ(Text1()->toPlainText(), QString::fromUtf8("拖入的文本"));
        EXPECT_TRUE(Text1()->hasFocus());
    }
    EXPECT_TRUE(window->acceptDrops());
}

}  // namespace
