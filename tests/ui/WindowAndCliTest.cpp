// The window's saved files against qrdesk-cli's for the same choices: the real Form1 typed
// into, its lists picked, generated and saved as a bitmap, PNG and SVG, and the real
// executable run as a process. Both must write the same bytes.

#include <QTemporaryDir>

#include "WindowFixture.h"
#include "support/qt/CliProcess.h"

namespace {

class WindowAndCliTest : public WindowTest {
  protected:
    // Opens the window with ANSI code page codePage, picks the lists' items as the window
    // shows them ("version|level|mask|encoding") and the size option (0 小图 .. 2 大图, -1
    // none: the 600-pixel box), and generates text typed key by key.
    void MakeInWindow(const char* items, int sizeOption, const char* codePage,
                      const QString& text) {
        qrdesk::ProgramOptions options;
        options.ansiCodePage = codePage;
        Open(options);
        const QStringList picked = QString(items).split('|');
        ASSERT_EQ(picked.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const int index = List(i)->findText(picked[i]);
            ASSERT_GE(index, 0) << picked[i].toStdString();
            List(i)->setCurrentIndex(index);
        }
        if (sizeOption >= 0) QTest::mouseClick(SizeOption(sizeOption), Qt::LeftButton);
        Text1()->setFocus();
        TypeKeys(Text1(), text);
        ASSERT_EQ(Text1()->toPlainText(), text);
        Click("Command1");
        ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    }
};

TEST_F(WindowAndCliTest, CommandLineWritesTheWindowsFileByteForByte) {
    struct Case {
        const char* options;  // qrdesk-cli's before the text (which is "-" for standard input)
        QString text;         // typed into the window
        const char* items;    // the window's lists
        int sizeOption;
        const char* codePage = "GBK";  // the window's ANSI code page (its --code-page)
        QByteArray input = {};         // qrdesk-cli's standard input
    };
    const QString url = "https://example.org/qrdesk/items?id=12345";
    const QString kanji = QString::fromUtf8("漢字のテスト");
    const Case cases[] = {
        {"", url, "Automatic|M - 15%|Automatic|UTF-8", -1},
        {"--size 200 --symbol-version 5 --level H --mask 3", "HELLO 2024", "5|H - 30%|3|UTF-8", 0},
        {"--mask best", url, "Automatic|M - 15%|最低罚分|UTF-8", -1},
        {"--size 400 --encoding ansi --level L", QString::fromUtf8("二维码 qrdesk"),
         "Automatic|L - 7%|Automatic|ANSI", 1},
        {"--encoding ansi --ansi-codepage SHIFT_JIS --level Q", kanji,
         "Automatic|Q - 25%|Automatic|ANSI", 2, "SHIFT_JIS"},
        // Standard input whole, its final line break included; a byte-order mark dropped.
        {"", "line one\nline two\n", "Automatic|M - 15%|Automatic|UTF-8", -1, "GBK",
         "\xEF\xBB\xBFline one\nline two\n"},
    };
    // The save dialog's filters and the command line's output names.
    const struct {
        int filter;
        const char* extension;
    } formats[] = {{1, "bmp"}, {2, "png"}, {3, "svg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_NO_FATAL_FAILURE(MakeInWindow(c.items, c.sizeOption, c.codePage, c.text));
        for (const auto& format : formats) {
            SCOPED_TRACE(format.extension);
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            const QString cliFile = QString("cli.") + format.extension;
            const QStringList args = QStringList{"-o", cliFile} + Words(c.options)
                                     << (c.input.isEmpty() ? c.text : "-");
            const CliRun run = RunCliProcess(args, dir.path(), c.input);
            ASSERT_EQ(run.code, 0) << run.err.toStdString();
            EXPECT_TRUE(run.err.isEmpty());

            dialogAnswer = dir.filePath("window");
            dialogFilter = format.filter;
            Click("Command2");
            ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
            const QByteArray cli = ReadFile(dir.filePath(cliFile));
            const QByteArray saved = ReadFile(dir.filePath(QString("window.") + format.extension));
            ASSERT_FALSE(saved.isEmpty());
            EXPECT_TRUE(cli == saved) << cli.size() << " vs " << saved.size() << " bytes";
        }
    }
}

// An unscaled PNG from the command line has the pixels of the picture that a click on Image1
// copies to the clipboard.
TEST_F(WindowAndCliTest, UnscaledPngHasTheWindowsUnscaledPicture) {
    QTemporaryDir dir;
    const CliRun run =
        RunCliProcess({"-o", "u.png", "--unscaled", "--mask", "7", "ABC123abc"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    QImage png;
    ASSERT_TRUE(png.loadFromData(ReadFile(dir.filePath("u.png")), "PNG"));

    ASSERT_NO_FATAL_FAILURE(MakeInWindow("Automatic|M - 15%|7|UTF-8", -1, "GBK", "ABC123abc"));
    const QImage unscaled = Image1()->Picture();
    ASSERT_FALSE(unscaled.isNull());
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
              unscaled.convertToFormat(QImage::Format_RGB32));
}

}  // namespace
