// The window by keyboard and mouse: Enter on the buttons, the shortcuts, visible Tab stops,
// the size captions and whole marks, the symbol's menu, drags out and drops in.

#include <QClipboard>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>

#include "WindowFixture.h"
#include "support/qt/WindowControls.h"

namespace {

TEST_F(WindowTest, KeysGenerateSavePrintAndCopy) {
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    struct Case {
        const char* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* effect;
    } const cases[] = {
        {"Command1", Qt::Key_Return, {}, "generate"},
        {"Command1", Qt::Key_Enter, Qt::KeypadModifier, "generate"},
        {"Command2", Qt::Key_Return, {}, "save"},
        {"Text1", Qt::Key_Return, ctrl, "generate"},
        {"cmb1_1", Qt::Key_Enter, ctrl | Qt::KeypadModifier, "generate"},
        {"Text1", Qt::Key_S, ctrl, "save"},
        {"Picture1", Qt::Key_P, ctrl, "print"},
        {"Picture1", Qt::Key_C, ctrl, "copy"},
        {"Text1", Qt::Key_C, ctrl, "copy text"},  // the text box's own keys stay its own
        {"Text1", Qt::Key_Return, {}, "line break"},
    };
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.focus) + " " + c.effect);
        Open({});
        const QString effect = c.effect;
        if (effect != "generate") Generate("typed");
        Text1()->setPlainText("typed");
        Find(c.focus)->setFocus(Qt::TabFocusReason);  // Text1 selects all
        clipboard->setText("before");
        QTest::keyClick(Find(c.focus), c.key, c.modifiers);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(dialogCalls.size(), effect == "save" ? 1u : 0u);
        EXPECT_EQ(printCalls.size(), effect == "print" ? 1u : 0u);
        EXPECT_EQ(DecodedBytes(DecodeImage(clipboard->image())), effect == "copy" ? "typed" : "");
        EXPECT_EQ(window->StatusNotice(), effect == "copy" ? kCopied : "");
        EXPECT_EQ(clipboard->text(), effect == "copy text" ? "typed"
                                     : effect == "copy"    ? ""
                                                           : "before");
        if (effect != "line break") {
            EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), "typed");
        } else {
            EXPECT_EQ(Text1()->toPlainText(), "\n");
        }
    }
}

TEST_F(WindowTest, EveryTabStopShowsItsFocusAndTheCaptionsSelect) {
    Generate("focus");
    // The last stop, the side column's reading button: Tab goes round from it.
    Find("cmdReadScreen")->setFocus(Qt::TabFocusReason);
    std::vector<const char*> stops(10);
    for (const WindowControl& c : WindowControls())
        if (c.tab >= 0) stops[c.tab] = c.name;
    stops.insert(stops.end(), kColumnTabStops.begin(), kColumnTabStops.end());
    stops.push_back("cmdReadFile");
    for (const char* name : stops) {
        const QImage before = Find(name)->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Find(name));
        EXPECT_NE(Find(name)->grab().toImage(), before) << name;
    }
    // A click on a caption selects its option, whose round mark lies whole in its 13 pixels:
    // as high as wide (a mark cut off at the bottom is wider).
    for (int i : {1, 0, 2}) {
        auto* label = Find<QLabel>(qPrintable(QString("Label%1").arg(i + 1)));
        EXPECT_EQ(label->buddy(), SizeOption(i));
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(8, 8));
        EXPECT_TRUE(SizeOption(i)->isChecked());
        EXPECT_EQ(Picture1()->width(), 200 * (i + 1));
        SizeOption(i)->clearFocus();  // the mark alone
        const QImage mark = SizeOption(i)->grab().toImage();
        const QRgb background = mark.pixel(mark.width() - 1, 0);
        QRect box;
        for (int y = 0; y < mark.height(); ++y)
            for (int x = 0; x < mark.width(); ++x)
                if (std::abs(qGray(mark.pixel(x, y)) - qGray(background)) > 24)
                    box |= QRect(x, y, 1, 1);
        EXPECT_EQ(box.width(), box.height()) << i;
    }
}

TEST_F(WindowTest, SymbolMenuDragAndDrop) {
    auto* menu = Find<QMenu>("mnuSymbol");
    QStringList texts;
    for (const QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(texts, QString::fromUtf8("复制|另存为…|打印…").split('|'));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());  // nothing to copy yet

    // A drag past the platform's distance carries the shown picture as a PNG; less is none.
    Generate("drag me");
    const int far = QApplication::startDragDistance();
    for (const int move : {far - 1, far}) {
        QTest::mousePress(Picture1(), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(Picture1(), QPoint(50 + move, 50));
        QTest::mouseRelease(Picture1(), Qt::LeftButton, {}, QPoint(50 + move, 50));
    }
    ASSERT_EQ(drags.size(), 1u);
    const QImage png = QImage::fromData(drags[0]->data("image/png"), "PNG");
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), Picture1()->Picture());
    EXPECT_EQ(DecodedBytes(DecodeImage(png)), "drag me");

    // Text dropped on the window (the help page passes it on) fills the box; an image does not.
    EXPECT_FALSE(Find<QAbstractScrollArea>("WebBrow")->viewport()->acceptDrops());
    for (const bool text : {false, true}) {
        QMimeData data;
        if (text)
            data.setText(QString::fromUtf8("拖入的文本"));
        else
            data.setImageData(png);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        // A picture is taken too, for reading; only text fills the box.
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        if (text) QApplication::sendEvent(window.get(), &drop);
    }
    EXPECT_EQ(Text1()->toPlainText(), QString::fromUtf8("拖入的文本"));
}

}  // namespace
