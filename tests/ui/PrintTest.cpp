// The print command: the symbol at the width chosen (40 mm to begin with, then the last one
// chosen in this run), whole device pixels a module, centred on the page, to a PDF drawn by
// pdftoppm; the print dialog offers the output file last chosen in the run.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "support/qt/ScratchDisk.h"
#include "ui/PrintSymbol.h"

namespace {

TEST_F(WindowTest, PrintsAtTheWidthChosenCentredAndItDecodes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = "https://example.org/printed";
    Generate(text);
    const int across = Image1()->Picture().width();  // modules and quiet zone
    struct Case {
        double width, opened;
        QString file, offered;  // the file printed to, and the one the dialog offered
    };
    const Case cases[] = {
        {40, 40, "w40.pdf", ""},
        {25, 40, "w25.pdf", "w40.pdf"},
        {60, 25, "w60.pdf", "w25.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        printFile = dir.filePath(c.file);
        printWidthMm = c.width;
        printCalls.clear();
        printFilesOffered.clear();
        QTest::keyClick(Text1(), Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(printCalls.size(), 1u);
        EXPECT_EQ(printCalls[0], c.opened);
        EXPECT_EQ(printFilesOffered[0], c.offered.isEmpty() ? "" : dir.filePath(c.offered));
        EXPECT_EQ(window->StatusNotice(), QString::fromUtf8("已打印：") + printFile);

        // The whole page at 300 dots an inch.
        constexpr double kDpi = 300;
        QProcess render;
        render.start("pdftoppm", {"-r", QString::number(kDpi), "-gray", "-png", "-singlefile",
                                  printFile, dir.filePath("page")});
        if (!render.waitForStarted(10000)) GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";
        ASSERT_TRUE(render.waitForFinished(60000));
        const QImage page(dir.filePath("page.png"));
        EXPECT_EQ(DecodedBytes(DecodeImage(page)), text.toUtf8());
        QRect dark;  // the dark modules: across - 8 of the across modules
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) dark |= QRect(x, y, 1, 1);
        const double mm = dark.width() * 25.4 / kDpi * across / (across - 8);
        EXPECT_NEAR(mm, c.width, c.width / across / 2 + 0.2);  // half a module, the renderer's
        EXPECT_NEAR(dark.width(), dark.height(), 1);
        // As much paper left as right, above as below (the renderer's pixel either way).
        EXPECT_NEAR(dark.left(), page.width() - 1 - dark.right(), 2);
        EXPECT_NEAR(dark.top(), page.height() - 1 - dark.bottom(), 2);
    }
    EXPECT_TRUE(messages.empty());
}

TEST(PrintSymbol, CentresOnThePaperWithinThePrintableArea) {
    struct Case {
        QRect paper, printable;
        int side;
        QPoint origin;  // from the printable area's corner
    };
    const Case cases[] = {
        {{0, 0, 1000, 1400}, {50, 50, 900, 1300}, 400, {250, 450}},    // even margins
        {{0, 0, 1000, 1400}, {200, 100, 800, 1300}, 400, {100, 400}},  // uneven, still centred
        {{0, 0, 1000, 1400}, {0, 0, 500, 1400}, 400, {100, 500}},      // pushed in from the right
        {{0, 0, 1000, 1400}, {600, 0, 400, 1400}, 400, {0, 500}},      // pushed in from the left
        {{0, 0, 1000, 1400}, {50, 50, 900, 1300}, 1000, {0, 150}},     // wider than the area
        {{0, 0, 1001, 1401}, {0, 0, 1001, 1401}, 400, {300, 500}},     // an odd pixel left over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.side);
        EXPECT_EQ(qrdesk::CentredOrigin(c.paper, c.printable, c.side), c.origin);
    }
}

// Printing to a file that cannot be written names the file and the cause, as saving does, and
// claims no print.
TEST_F(WindowTest, PrintToAnUnwritableFileSaysWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(WriteFile(dir.filePath("file.txt"), "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.pdf"));
    const QString readOnly = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ScratchDisk disk(readOnly, "size=64k,mode=0755");
    const bool canReadOnly = disk.MakeReadOnly();
    struct Case {
        QString file;
        const char* reason;
    };
    std::vector<Case> cases = {
        {dir.filePath("missing/x.pdf"), "文件夹不存在"},
        {dir.filePath("file.txt/x.pdf"), "路径中有一部分不是文件夹"},
        {dir.filePath("folder.pdf"), "已有同名的文件夹"},
    };
    if (canReadOnly)
        cases.push_back({readOnly + "/x.pdf", disk.Mounted() ? "文件系统为只读" : "没有写入权限"});
    Generate("https://example.org/printed");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        messages.clear();
        printFile = c.file;
        QTest::keyClick(Text1(), Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(FirstLine(messages[0]), QString::fromUtf8("无法打印到文件 ") + c.file);
        EXPECT_EQ(SecondLine(messages[0]), QString::fromUtf8(c.reason));
        EXPECT_EQ(window->StatusNotice(), "");
    }
    EXPECT_EQ(Entries(dir.path()), (QStringList{"file.txt", "folder.pdf", "ro"}));
}

}  // namespace
