// The print command: the symbol at the width chosen (40 mm to begin with, then the last one
// chosen in this run), whole device pixels a module, to a PDF drawn by pdftoppm.

#include <QProcess>
#include <QTemporaryDir>

#include "WindowFixture.h"

namespace {

TEST_F(WindowTest, PrintsAtTheWidthChosenAndItDecodes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = "https://example.org/printed";
    Generate(text);
    const int across = Image1()->Picture().width();  // modules and quiet zone
    for (const auto& [width, opened] : {std::pair{40.0, 40.0}, {25.0, 40.0}, {60.0, 25.0}}) {
        SCOPED_TRACE(width);
        printFile = dir.filePath(QString("w%1.pdf").arg(width));
        printWidthMm = width;
        printCalls.clear();
        QTest::keyClick(Text1(), Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(printCalls.size(), 1u);
        EXPECT_EQ(printCalls[0], opened);
        EXPECT_EQ(window->StatusNotice(), QString::fromUtf8("已打印：") + printFile);

        // The page's top-left 76 mm at 600 dots an inch.
        QProcess render;
        render.start("pdftoppm", {"-r", "600", "-W", "1800", "-H", "1800", "-gray", "-png",
                                  "-singlefile", printFile, dir.filePath("page")});
        if (!render.waitForStarted(10000)) GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";
        ASSERT_TRUE(render.waitForFinished(60000));
        const QImage page(dir.filePath("page.png"));
        EXPECT_EQ(DecodedBytes(DecodeImage(page)), text.toUtf8());
        QRect dark;  // the dark modules: across - 8 of the across modules
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) dark |= QRect(x, y, 1, 1);
        const double mm = dark.width() * 25.4 / 600 * across / (across - 8);
        EXPECT_NEAR(mm, width, width / across / 2 + 0.1);  // half a module, and the renderer's
        EXPECT_NEAR(dark.width(), dark.height(), 1);
    }
    EXPECT_TRUE(messages.empty());
}

}  // namespace
