// Qt's own texts in the window's language: the save dialog, the message boxes' buttons, the
// print dialog and the text box's context menu show no English.

#include <QAbstractButton>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QTabWidget>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "ui/Dialogbox.h"

namespace {

bool HasChinese(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
    return false;
}

// Latin letters are allowed only beside Chinese (mnemonics such as "保存(&S)", "PNG 图片").
bool IsEnglish(const QString& text) {
    QString plain = text;
    plain.remove('&');
    bool letters = false;
    for (const QChar c : plain) letters = letters || (c.isLetter() && c.unicode() < 0x80);
    return letters && !HasChinese(plain);
}

// The texts a user sees in a window and its visible children (captions, tab names and
// tooltips) that are English.
QStringList EnglishTexts(QWidget* window) {
    QStringList english;
    const auto check = [&](const QString& text, const QObject* where) {
        if (IsEnglish(text)) english << where->metaObject()->className() + (": " + text);
    };
    check(window->windowTitle().remove("qrdesk").remove(QChar(0x2014)), window);
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        check(widget->toolTip(), widget);
        if (auto* label = qobject_cast<QLabel*>(widget)) check(label->text(), label);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) check(button->text(), button);
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) check(frame->title(), frame);
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i) check(tabs->tabText(i), tabs);
    }
    return english;
}

TEST(QtTexts, SaveDialogIsChinese) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList english{"not seen"};
    const auto watch = OnNextModal([&](QWidget* modal) {
        ASSERT_TRUE(qobject_cast<QFileDialog*>(modal));
        english = EnglishTexts(modal);
    });
    Dialogbox::ShowSaveDialog(QString::fromUtf8("保存二维码文件"),
                              QString::fromUtf8("位图文件(*.bmp)|*.bmp|PNG 图片(*.png)|*.png"), 0,
                              dir.path(), Dialogbox::HideReadOnly, nullptr);
    EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
}

TEST(QtTexts, MessageBoxButtonsAreChinese) {
    for (const bool question : {false, true}) {
        QStringList buttons;
        const auto watch = OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_TRUE(box);
            for (const QAbstractButton* button : box->buttons()) buttons << button->text();
        });
        if (question)
            Dialogbox::AskYesNo(nullptr, QString::fromUtf8("要替换它吗？"));
        else
            Dialogbox::MessageBox(nullptr, kNothingToSave);
        ASSERT_EQ(buttons.size(), question ? 2 : 1);
        for (const QString& text : buttons) EXPECT_TRUE(HasChinese(text)) << text.toStdString();
    }
}

TEST(QtTexts, PrintDialogIsChinese) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("p.pdf"));
    QStringList english{"not seen"};
    const auto watch = OnNextModal([&](QWidget* modal) {
        ASSERT_TRUE(qobject_cast<QPrintDialog*>(modal));
        english = EnglishTexts(modal);
    });
    double widthMm = 40;
    Dialogbox::ShowPrintDialog(printer, &widthMm, nullptr);
    EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
}

TEST_F(WindowTest, TextBoxContextMenuIsChinese) {
    Text1()->setPlainText("abc");
    Text1()->selectAll();
    std::unique_ptr<QMenu> menu(Text1()->createStandardContextMenu());
    int actions = 0;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        ++actions;
        EXPECT_TRUE(HasChinese(action->text())) << action->text().toStdString();
    }
    EXPECT_GE(actions, 6);  // undo, redo, cut, copy, paste, delete, select all
}

}  // namespace
