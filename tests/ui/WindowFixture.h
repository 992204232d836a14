#pragma once
// Opens the real window with its modal windows replaced by recorders, and reads it back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "support/ZxingDecode.h"
#include "ui/Controls.h"
#include "ui/Form1.h"

// Readable test output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << bytes.toHex().toStdString();
}

inline const QString kPrompt = QString::fromUtf8("请在此输入文本信息！");
inline const QString kNoText = QString::fromUtf8("您未输入文本信息！");
inline const QString kTooLong = QString::fromUtf8("文本信息过长，无法生成二维码！");
inline const QString kNothingToSave = QString::fromUtf8("请先生成二维码");

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
        window = std::make_unique<qrdesk::Form1>(options);
        window->ShowMessage = [this](const QString& text) { messages.push_back(text); };
        window->AskYesNo = [this](const QString& question) {
            questions.push_back(question);
            return answerYes;
        };
        window->ShowSaveDialog = [this](const QString& title, const QString& filter, int index,
                                        const QString& folder, int flags, QWidget* owner) {
            dialogCalls.push_back({title, filter, index, folder, flags, owner});
            return dialogAnswer;
        };
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

    void Click(const char* name) { QTest::mouseClick(Find(name), Qt::LeftButton); }
    void Generate(const QString& text) {
        Text1()->setPlainText(text);
        Click("Command1");
    }

    std::unique_ptr<qrdesk::Form1> window;
    std::vector<QString> messages;
    std::vector<QString> questions;
    std::vector<DialogCall> dialogCalls;
    QString dialogAnswer;
    bool answerYes = true;
};

// The bytes zxing-cpp reads from an image (any scale of a pure symbol); empty when none.
// Files the save tests read, prepare and list.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

inline QByteArray DecodeImage(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<std::uint8_t> lum(static_cast<std::size_t>(grey.width()) * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        std::copy_n(grey.constScanLine(y), grey.width(), lum.begin() + y * grey.width());
    const auto decoded = DecodeLuminance(lum.data(), grey.width(), grey.height());
    if (!decoded) return {};
    return QByteArray(reinterpret_cast<const char*>(decoded->bytes.data()),
                      static_cast<qsizetype>(decoded->bytes.size()));
}

// Calls act on the next modal window that opens (a watchdog closes it afterwards in any case),
// so that a test that opens a real dialog cannot hang.
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++*tries > 500) timer->deleteLater();  // 5 s: no modal window came
            return;
        }
        timer->stop();
        timer->deleteLater();
        act(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
    timer->start(10);
}
