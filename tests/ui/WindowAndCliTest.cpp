// The window's saved file against qrdesk-cli's for the same choices: the real Form1 typed
// into, its lists picked, generated and saved, and the real executable run as a process.
// Both must write the same bytes.

#include <QTemporaryDir>

#include "WindowFixture.h"
#include "support/qt/CliProcess.h"

namespace {

struct Choices {
    const char* codePage = "GBK";  // the window's ANSI code page (its --code-page)
    // The lists' items as the window shows them.
    const char* version = "Automatic";
    const char* level = "M - 15%";
    const char* mask = "Automatic";
    const char* encoding = "UTF-8";
    int sizeOption = -1;  // 0 小图, 1 中图, 2 大图; -1 none chosen (the 600-pixel box)
};

class WindowAndCliTest : public WindowTest {
  protected:
    // Opens the window with choices and generates text typed key by key.
    void MakeInWindow(const Choices& choices, const QString& text) {
        qrdesk::ProgramOptions options;
        options.ansiCodePage = choices.codePage;
        Open(options);
        const char* items[] = {choices.version, choices.level, choices.mask, choices.encoding};
        for (int i = 0; i < 4; ++i) {
            const int index = List(i)->findText(items[i]);
            ASSERT_GE(index, 0) << items[i];
            List(i)->setCurrentIndex(index);
        }
        if (choices.sizeOption >= 0)
            QTest::mouseClick(SizeOption(choices.sizeOption), Qt::LeftButton);
        Text1()->setFocus();
        TypeKeys(Text1(), text);
        ASSERT_EQ(Text1()->toPlainText(), text);
        Click("Command1");
        ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    }
};

TEST_F(WindowAndCliTest, CommandLineWritesTheWindowsFileByteForByte) {
    struct Case {
        const char* name;
        QStringList args;  // qrdesk-cli's, writing cli.bmp
        QByteArray input;  // its standard input, for "-"
        Choices window;
        QString text;  // typed into the window
    };
    const QString url = "https://example.org/qrdesk/items?id=12345";
    const Case cases[] = {
        {"defaults", {url}, {}, {}, url},
        {"version 5, H, mask 3, small",
         {"--size", "200", "--symbol-version", "5", "--level", "H", "--mask", "3", "HELLO 2024"},
         {},
         {"GBK", "5", "H - 30%", "3", "UTF-8", 0},
         "HELLO 2024"},
        {"GBK, L, medium",
         {"--size", "400", "--encoding", "ansi", "--level", "L",
          QString::fromUtf8("二维码 qrdesk")},
         {},
         {"GBK", "Automatic", "L - 7%", "Automatic", "ANSI", 1},
         QString::fromUtf8("二维码 qrdesk")},
        {"Shift JIS Kanji, Q, large",
         {"--encoding", "ansi", "--ansi-codepage", "SHIFT_JIS", "--level", "Q",
          QString::fromUtf8("漢字のテスト")},
         {},
         {"SHIFT_JIS", "Automatic", "Q - 25%", "Automatic", "ANSI", 2},
         QString::fromUtf8("漢字のテスト")},
        // Standard input whole, its final line break included; a byte-order mark dropped.
        {"lines from standard input",
         {"-"},
         "\xEF\xBB\xBFline one\nline two\n",
         {},
         "line one\nline two\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const CliRun run =
            RunCliProcess(QStringList{"-o", "cli.bmp"} + c.args, dir.path(), c.input);
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty());

        ASSERT_NO_FATAL_FAILURE(MakeInWindow(c.window, c.text));
        dialogAnswer = dir.filePath("window");
        Click("Command2");
        ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
        const QByteArray cli = ReadFile(dir.filePath("cli.bmp"));
        const QByteArray saved = ReadFile(dir.filePath("window.bmp"));
        ASSERT_TRUE(saved.startsWith("BM"));
        EXPECT_TRUE(cli == saved) << cli.size() << " vs " << saved.size() << " bytes";
    }
}

// The window saves BMP only; an unscaled PNG from the command line has the pixels of the
// picture the window copies to the clipboard.
TEST_F(WindowAndCliTest, UnscaledPngHasTheWindowsUnscaledPicture) {
    QTemporaryDir dir;
    const CliRun run =
        RunCliProcess({"-o", "u.png", "--unscaled", "--mask", "7", "ABC123abc"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    QImage png;
    ASSERT_TRUE(png.loadFromData(ReadFile(dir.filePath("u.png")), "PNG"));

    ASSERT_NO_FATAL_FAILURE(
        MakeInWindow({"GBK", "Automatic", "M - 15%", "7", "UTF-8", -1}, "ABC123abc"));
    const QImage unscaled = Image1()->Picture();
    ASSERT_FALSE(unscaled.isNull());
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
              unscaled.convertToFormat(QImage::Format_RGB32));
}

}  // namespace
