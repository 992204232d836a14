#pragma once
// Opens the real window with its modal windows replaced by recorders, and reads it back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"
#include "ui/Controls.h"
#include "ui/Form1.h"
#include "ui/QtTranslations.h"

// The translations the tests run with (Chinese, as the program shows in a Chinese locale); a
// test of another language switches and switches back.
qrdesk::Translations& TestTranslations();

inline const QString kPrompt = QString::fromUtf8("请在此输入文本信息！");
inline const QString kNoText = QString::fromUtf8("您未输入文本信息！");
inline const QString kTooLong = QString::fromUtf8("文本信息过长，无法生成二维码！");
inline const QString kNothingToSave = QString::fromUtf8("请先生成二维码");
inline const QString kCopied = QString::fromUtf8("已复制到剪贴板");

// The first line of a message (the described text), and the rest.
inline QString FirstLine(const QString& message) {
    return message.section('\n', 0, 0);
}
inline QString SecondLine(const QString& message) {
    return message.section('\n', 1);
}

// Points printer at a PDF file, as a user does who prints to a file.
inline void PrintToPdf(QPrinter& printer, const QString& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
}

struct DialogCall {
    QString title, filter;
    int filterIndex;
    QString folder;
    int flags;
    QWidget* owner;
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { Open({}); }

    void Open(qrdesk::ProgramOptions options) {
        options.plainWebPanel = true;
        window.reset();
        messages.clear();
        questions.clear();
        dialogCalls.clear();
        printCalls.clear();
        printFilesOffered.clear();
        drags.clear();
        window = std::make_unique<qrdesk::Form1>(options);
        window->ShowMessage = [this](const QString& text) { messages.push_back(text); };
        window->AskYesNo = [this](const QString& question) {
            questions.push_back(question);
            return answerYes;
        };
        window->ShowSaveDialog = [this](const QString& title, const QString& filter, int index,
                                        const QString& folder, int flags, QWidget* owner) {
            dialogCalls.push_back({title, filter, index, folder, flags, owner});
            return Dialogbox::SaveChoice{dialogAnswer, dialogFilter};
        };
        // Printing goes to a PDF file when a test names one, and is cancelled otherwise.
        window->ShowPrintDialog = [this](QPrinter& printer, double* widthMm) {
            printCalls.push_back(*widthMm);
            printFilesOffered.push_back(printer.outputFileName());
            if (printFile.isEmpty()) return false;
            PrintToPdf(printer, printFile);
            *widthMm = printWidthMm;
            return true;
        };
        window->StartDrag = [this](QMimeData* data) { drags.emplace_back(data); };
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <class T = QWidget>
    T* Find(const char* name) const {
        T* widget = window->findChild<T*>(name);
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    QComboBox* List(int i) const { return Find<QComboBox>(qPrintable(QString("cmb1_%1").arg(i))); }
    QRadioButton* SizeOption(int i) const {
        return Find<QRadioButton>(qPrintable(QString("Option1_%1").arg(i)));
    }
    QPlainTextEdit* Text1() const { return Find<QPlainTextEdit>("Text1"); }
    qrdesk::PictureBox* Picture1() const { return Find<qrdesk::PictureBox>("Picture1"); }
    qrdesk::ImageControl* Image1() const { return Find<qrdesk::ImageControl>("Image1"); }

    // A click, then the readers' verdicts that a generation leaves to come (the status line
    // is complete when a click returns, as a user sees it a moment later).
    void Click(const char* name) {
        QTest::mouseClick(Find(name), Qt::LeftButton);
        WaitForCheck();
    }
    void WaitForCheck() {
        QElapsedTimer waited;
        waited.start();
        while (window->Checking() && waited.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        EXPECT_FALSE(window->Checking()) << "the readers did not finish within 30 s";
    }
    void Generate(const QString& text) {
        Text1()->setPlainText(text);
        Click("Command1");
    }

    std::unique_ptr<qrdesk::Form1> window;
    std::vector<QString> messages;
    std::vector<QString> questions;
    std::vector<DialogCall> dialogCalls;
    QString dialogAnswer;
    int dialogFilter = 1;  // the filter the dialog answers with: 1 bitmap, 2 PNG, 3 SVG
    bool answerYes = true;
    std::vector<double> printCalls;          // the width each print dialog opened with
    std::vector<QString> printFilesOffered;  // and the output file
    QString printFile;
    double printWidthMm = 40;
    std::vector<std::unique_ptr<QMimeData>> drags;
};

// The width a closed list shows its item in: the field the style leaves beside the arrow,
// less the pixel it keeps on either side.
inline int ClosedListRoom(QComboBox* list) {
    QStyleOptionComboBox closed;
    closed.initFrom(list);
    return list->style()
        ->subControlRect(QStyle::CC_ComboBox, &closed, QStyle::SC_ComboBoxEditField, list)
        .adjusted(1, 0, -1, 0)
        .width();
}

// Types text into widget key by key, a line break as the Return key.
inline void TypeKeys(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c == '\n')
            QTest::keyClick(widget, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Closes every modal window that is open, the innermost first.
inline void CloseModals() {
    for (int k = 0; k < 10; ++k) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
    }
}

// Answers the next modal window that opens with act, then closes it if act left it open, so
// that a test that opens a real dialog cannot hang. Keep the watch for as long as the dialog
// may come: a test fails when none came before the watch ends or its deadline passes, and
// when a modal window is still open at the deadline (which closes it).
class [[nodiscard]] ModalWatch {
  public:
    ModalWatch(std::function<void(QWidget*)> act, int deadlineMs) {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this, act, deadlineMs] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && !acted_) {
                acted_ = true;
                act(modal);
                if (QApplication::activeModalWidget() == modal) CloseModals();
                return;
            }
            if (clock_.elapsed() < deadlineMs) return;
            timer_.stop();
            if (QApplication::activeModalWidget()) {
                CloseModals();
                ADD_FAILURE() << "a modal window was still open after " << deadlineMs
                              << " ms; closed it";
            } else if (!acted_) {
                ADD_FAILURE() << "no modal window opened within " << deadlineMs << " ms";
            }
        });
        timer_.start(10);
    }
    ~ModalWatch() {
        if (timer_.isActive() && !acted_) ADD_FAILURE() << "no modal window opened";
    }
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    bool acted_ = false;
};

inline ModalWatch OnNextModal(std::function<void(QWidget*)> act, int deadlineMs = 5000) {
    return ModalWatch(std::move(act), deadlineMs);
}
