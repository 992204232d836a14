// The window's saved files against qrdesk-cli's for the same choices: the real Form1 typed
// into, its lists picked, generated and saved as a bitmap, PNG and SVG, and the real
// executable run as a process. Both must write the same bytes and give the same advice.

#include <QTemporaryDir>
#include <random>

#include "WindowFixture.h"
#include "support/qt/AppReaders.h"
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

namespace {

// 3,000 digits at level M on the 600-pixel box (version 29, modules of 4 and 5 pixels mixed):
// zxing-cpp cannot read the picture. The window's status line and --info give the same
// advice, the window's own choices among it, and the picture reads when it is followed.
TEST_F(WindowAndCliTest, SameAdviceThatReadsWhenFollowed) {
    std::mt19937 random(3000);
    QString digits;
    for (int i = 0; i < 3000; ++i) digits += QChar('0' + static_cast<int>(random() % 10));
    Generate(digits);  // pasted: typing 3,000 keys would take the test's time
    ASSERT_TRUE(messages.empty());
    const QStringList status = window->StatusLines();
    ASSERT_EQ(status.size(), 3);
    EXPECT_EQ(status[1],
              QString::fromUtf8("zxing-cpp：无法识别 · zbar：读取正确 · 微信：读取正确"));
    EXPECT_EQ(status[2], QString::fromUtf8("建议：600 像素的图片无法识别，请选择“中图”（400 "
                                           "像素）或“L - 7%”后重新生成。"));
    QTemporaryDir dir;
    const CliRun info = RunCliProcess({"--info", "-o", "d.png", digits}, dir.path());
    ASSERT_EQ(info.code, 0);
    const QList<QByteArray> lines = info.out.split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[1], "zxing-cpp: cannot read the 600-pixel picture");
    EXPECT_TRUE(lines[4].startsWith("advice: at --size 400, ")) << lines[4].toStdString();
    EXPECT_EQ(lines[5], "advice: with --level L every reader reads it at 600 pixels");

    // Followed in the window: each choice reads in both apps from the file saved.
    struct Choice {
        const char* name;
        int sizeOption, levelIndex;
    };
    for (const Choice& c : {Choice{"中图", 1, 1}, Choice{"L - 7%", 2, 0}}) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(SizeOption(c.sizeOption), Qt::LeftButton);
        List(1)->setCurrentIndex(c.levelIndex);
        Generate(digits);
        EXPECT_EQ(window->StatusLines().size(), 2)
            << window->StatusLines().join('\n').toStdString();
        dialogAnswer = dir.filePath("followed");
        dialogFilter = 2;
        Click("Command2");
        ASSERT_TRUE(messages.empty());
        EXPECT_TRUE(ZbarimgReads(dir.filePath("followed.png")).found);
        EXPECT_TRUE(ZxingAppReads(dir.filePath("followed.png")).found);
    }
}

}  // namespace
