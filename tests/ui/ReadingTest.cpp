// Reading symbols in the window: a file, the clipboard, a drop and the screen all show the
// results window with the first symbol selected and focused; Ctrl+C copies its exact text;
// a link opens only when the user agrees to the whole of it; "编辑并重新生成" makes the
// symbol again from what its modules say.

#include <sys/stat.h>

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>

#include "WindowFixture.h"
#include "common/Symbol.h"
#include "ui/QtImage.h"
#include "ui/ReadResults.h"

namespace {

// The symbol of bytes at 1-M, mask 3, four pixels a module, as an image.
QImage SymbolImage(const std::string& bytes, std::int32_t version = 2) {
    clsQRCode encoder;
    const auto symbol = qrdesk::EncodeSymbol(encoder, bytes, {version, 2, 3, false, 0});
    EXPECT_TRUE(symbol.picture);
    return qrdesk::ToQImage(qrdesk::Render(qrdesk::ModulesOf(*symbol.picture), 4, 4));
}

TEST(ReadResultsText, ControlAndHiddenCharactersShown) {
    const struct {
        std::u16string_view text;
        const char16_t* shown;
    } cases[] = {
        {u"plain 文本", u"plain 文本"},
        {u"a\nb\tc\r", u"a␊b␉c␍"},
        {std::u16string_view(u"\u0000\u001B[31m\u007F", 7), u"␀␛[31m␡"},
        {u"evil\u202Etxt.exe", u"evil<U+202E>txt.exe"},
        {u"zero\u200Bwidth\uFEFF", u"zero<U+200B>width<U+FEFF>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qrdesk::SafeText(QString::fromUtf16(c.text.data(), c.text.size())),
                  QString::fromUtf16(c.shown));
    const struct {
        const char* text;
        bool link;
    } links[] = {{"https://example.org/a?b=c", true}, {"HTTP://EXAMPLE.ORG", true},
                 {"mailto:a@example.org", true},      {"javascript:alert(1)", false},
                 {"file:///etc/passwd", false},       {"https://exa mple.org", false},
                 {"https://example.org/\n", false},   {"see https://example.org", false}};
    for (const auto& l : links) EXPECT_EQ(qrdesk::IsLink(l.text), l.link) << l.text;
}

TEST_F(WindowTest, ReadFileSelectsTheFirstAndCopiesItsExactText) {
    QTemporaryDir dir;
    const std::string text = "line one\nline\ttwo";
    QImage both(400, 200, QImage::Format_RGB32);
    both.fill(Qt::white);
    {
        QPainter painter(&both);
        painter.drawImage(0, 0, SymbolImage(text));
        painter.drawImage(200, 0, SymbolImage("second"));
    }
    const QString path = dir.filePath("two.png");
    ASSERT_TRUE(both.save(path));
    window->show();
    window->ReadImageFile(path);
    qrdesk::ReadResults* results = window->Results();
    ASSERT_TRUE(results);
    ASSERT_EQ(results->List()->count(), 2);
    EXPECT_EQ(results->List()->currentRow(), 0);
    EXPECT_EQ(results->List()->item(0)->text(), QString::fromUtf8("line one␊line␉two"));
    EXPECT_TRUE(results->Details().contains(QString::fromUtf8("版本 2 · 纠错等级 M · 掩码 3")))
        << results->Details().toStdString();
    EXPECT_TRUE(results->Details().contains(QString::fromUtf8("微信：“")));
    QApplication::clipboard()->clear();
    QTest::keyClick(results->List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text);

    // "编辑并重新生成": the text in the box, version 2, M, mask 3: the same symbol.
    emit results->editRequested(QString::fromStdString(text),
                                qrdesk::ChoiceFor(*results->Selected()));
    EXPECT_EQ(Text1()->toPlainText().toStdString(), text);
    EXPECT_EQ(List(0)->currentIndex(), 2);
    EXPECT_EQ(List(1)->currentIndex(), 1);
    EXPECT_EQ(List(2)->currentIndex(), 4);
    EXPECT_TRUE(window->StatusNotice().startsWith(QString::fromUtf8("已重新生成：版本")))
        << window->StatusNotice().toStdString();
    // The same modules as the picture read.
    EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())).toStdString(), text);
}

// A FIFO would keep the window waiting for a writer: it is refused, chosen or dropped.
TEST_F(WindowTest, AFifoIsNotOpenedAsAPicture) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    window->ReadImageFile(fifo);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.back().contains(QString::fromUtf8("不是普通文件")))
        << messages.back().toStdString();
    QMimeData dropped;  // returning at all is the check: asking its format would block
    dropped.setUrls({QUrl::fromLocalFile(fifo)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(window->Results(), nullptr);
}

TEST_F(WindowTest, LinkOpensOnlyAfterTheWholeOfItWasShown) {
    const std::string url = "https://example.org/a-very-long-path/that/is/shown/whole?x=1";
    window->ShowReading(SymbolImage(url, 4), "test");
    qrdesk::ReadResults* results = window->Results();
    ASSERT_TRUE(results);
    QStringList asked, opened;
    for (const bool yes : {false, true}) {
        results->AskYesNo = [&](const QString& q) {
            asked << q;
            return yes;
        };
        results->OpenUrl = [&](const QString& u) { opened << u; };
        results->OpenSelectedLink();
    }
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].contains(QString::fromStdString(url)));
    EXPECT_EQ(opened, QStringList{QString::fromStdString(url)});
}

TEST_F(WindowTest, ClipboardDropAndScreenRead) {
    const QImage symbol = SymbolImage("from elsewhere");
    // Ctrl+Shift+V: the clipboard's picture; without one, a message.
    QApplication::clipboard()->setText("just text");
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(messages, std::vector<QString>{QString::fromUtf8("剪贴板中没有图片。")});
    QApplication::clipboard()->setImage(symbol);
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(window->Results());
    ASSERT_EQ(window->Results()->List()->count(), 1);
    EXPECT_EQ(window->Results()->List()->item(0)->text(), "from elsewhere");

    // A dropped picture is read; dropped text still fills the box.
    QMimeData picture;
    picture.setImageData(SymbolImage("dropped"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &picture, Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &picture, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(window->Results()->List()->item(0)->text(), "dropped");
    QMimeData text;
    text.setText("typed");
    QDragEnterEvent textEnter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &textEnter);
    QDropEvent textDrop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &textDrop);
    EXPECT_EQ(Text1()->toPlainText(), "typed");

    // Ctrl+R reads what the screen shows; a screen that cannot be had says why.
    window->GrabScreen = [&](QString*) { return SymbolImage("on the screen"); };
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(window->Results()->List()->item(0)->text(), "on the screen");
    messages.clear();
    window->GrabScreen = [](QString* error) {
        *error = "no screen";
        return QImage();
    };
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(messages, std::vector<QString>{"no screen"});
}

}  // namespace
