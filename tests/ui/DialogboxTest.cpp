// The real modal windows: the save dialog and the message boxes, answered by a timer.

#include <gtest/gtest-spi.h>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "ui/Dialogbox.h"

namespace {

TEST(Dialogbox, FiltersBecomeQtNameFilters) {
    struct Case {
        const char* filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"位图文件(*.bmp)|*.bmp", {QString::fromUtf8("位图文件(*.bmp)")}},
        {"Bitmap|*.bmp|All|*.*", {"Bitmap (*.bmp)", "All (*.*)"}},
        {"Images|*.bmp;*.png", {"Images (*.bmp *.png)"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Dialogbox::NameFiltersFromPipes(QString::fromUtf8(c.filter)), c.expected)
            << c.filter;
}

TEST(Dialogbox, SaveDialogShowsItsArgumentsAndReturnsThePath) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        QString folder;
        int flags;
        int filterIndex;
        bool accept;
    };
    const Case cases[] = {
        {dir.path(), 6, 0, true},
        {dir.path(), 4, 2, true},
        {"D:\\", 6, 0, false},  // no such folder: the dialog starts where it likes
    };
    for (const Case& c : cases) {
        bool seen = false;
        const auto watch = OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_TRUE(dialog);
            seen = true;
            EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("保存二维码文件"));
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog->nameFilters(),
                      (QStringList{QString::fromUtf8("位图文件(*.bmp)"), "All (*)"}));
            EXPECT_EQ(dialog->selectedNameFilter(), dialog->nameFilters()[c.filterIndex == 2]);
            EXPECT_EQ(dialog->testOption(QFileDialog::DontConfirmOverwrite), !(c.flags & 2));
            if (c.folder == dir.path()) {
                EXPECT_EQ(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
            }
            if (!c.accept) return;  // closed unanswered
            // selectFile() leaves the name box alone while it has the focus: type into it.
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_TRUE(name);
            name->setText(dir.filePath("Mixed Case"));
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the name
        });
        const Dialogbox::SaveChoice choice = Dialogbox::ShowSaveDialog(
            QString::fromUtf8("保存二维码文件"), QString::fromUtf8("位图文件(*.bmp)|*.bmp|All|*"),
            c.filterIndex, c.folder, c.flags, nullptr);
        EXPECT_TRUE(seen);
        EXPECT_EQ(choice.path, c.accept ? dir.filePath("Mixed Case") : QString());
        if (c.accept) {
            EXPECT_EQ(choice.filterIndex, c.filterIndex == 2 ? 2 : 1);
        }
    }
}

TEST(Dialogbox, MessageBoxesHaveTheTitleAndNoIcon) {
    struct Case {
        bool question;
        QMessageBox::StandardButton press;
        bool answer;
    };
    const Case cases[] = {{false, QMessageBox::Ok, false},
                          {true, QMessageBox::Yes, true},
                          {true, QMessageBox::No, false}};
    for (const Case& c : cases) {
        const auto watch = OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_TRUE(box);
            EXPECT_EQ(box->windowTitle(), "qrdesk");
            EXPECT_EQ(box->text(), "text");
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->buttons().size(), c.question ? 2 : 1);
            if (c.question) {
                EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            }
            box->button(c.press)->click();
        });
        if (c.question) {
            EXPECT_EQ(Dialogbox::AskYesNo(nullptr, "text"), c.answer);
        } else
            Dialogbox::MessageBox(nullptr, "text");
    }
}

TEST(Dialogbox, WindowUsesTheRealMessageBoxUnlessReplaced) {
    qrdesk::ProgramOptions options;
    options.plainWebPanel = true;
    qrdesk::Form1 window(options);
    window.show();
    QString text;
    const auto watch = OnNextModal([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text = box->text();
            box->accept();
        }
    });
    QTest::mouseClick(window.findChild<QPushButton*>("Command2"), Qt::LeftButton);
    EXPECT_EQ(text, kNothingToSave);
}

// The watch itself: a dialog that never comes, or one that nobody answers, fails the test at
// the deadline instead of leaving it hanging.
TEST(Dialogbox, ModalWatchFailsInsteadOfHanging) {
    EXPECT_NONFATAL_FAILURE(
        {
            const auto watch = OnNextModal([](QWidget*) {}, 200);
            QTest::qWait(400);
        },
        "no modal window opened within 200 ms");
    EXPECT_NONFATAL_FAILURE({ const auto watch = OnNextModal([](QWidget*) {}, 200); },
                            "no modal window opened");
    QString first;
    EXPECT_NONFATAL_FAILURE(
        {
            const auto watch = OnNextModal(
                [&](QWidget* modal) { first = qobject_cast<QMessageBox*>(modal)->text(); }, 300);
            Dialogbox::MessageBox(nullptr, "answered");
            Dialogbox::MessageBox(nullptr, "left open");  // closed at the deadline
        },
        "a modal window was still open after 300 ms");
    EXPECT_EQ(first, "answered");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
