// The status line under the drawing area: the report after each generation, and a layout
// that leaves the drawing area, its controls and the resize rule as they were.

#include <QLabel>

#include "WindowFixture.h"
#include "support/qt/WindowControls.h"
#include "ui/SideColumn.h"

namespace {

QLabel* StatusLine(const qrdesk::Form1& window) {
    return window.findChild<QLabel*>("StatusBar1");
}

TEST_F(WindowTest, StatusLineShowsTheReportAfterEachGeneration) {
    QLabel* status = StatusLine(*window);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->text().isEmpty());

    struct Case {
        const char* name;
        int sizeOption;
        int versionIndex;
        int encodingIndex;  // 0 ANSI (GBK), 1 UTF-8, 2 UTF-8+ECI
        QString text;
        const char* made;     // the first line ends so
        const char* readers;  // the second line
        const char* advice;   // the third line holds this; nullptr: no third line
    };
    const char* bothRead = "zxing-cpp：读取正确 · zbar：读取正确";
    // Bits: byte 4 + 8 + 8 per byte, numeric 4 + 10 + 10 per 3 digits (7 for 2 left), the
    // ECI header 4 + 8.
    const Case cases[] = {
        {"small size", 0, 0, 1, "abc", "1-M · 掩码 0 · 字节 3 · 数据 36 / 128 位", bothRead,
         nullptr},
        {"medium size", 1, 0, 1, "01234567", "1-M · 掩码 0 · 数字 8 · 数据 41 / 128 位", bothRead,
         nullptr},
        // zbar takes UTF-8 without a header for Shift JIS; with it, both read it.
        {"UTF-8 Chinese", 2, 0, 1, QString::fromUtf8("你好"), "字节 6 · 数据 60 / 128 位",
         "zxing-cpp：读取正确 · zbar：显示为“ä½", "“UTF-8+ECI”"},
        {"UTF-8+ECI", 2, 0, 2, QString::fromUtf8("你好"),
         "1-M · 掩码 0 · ECI 26 · 字节 6 · 数据 72 / 128 位", bothRead, nullptr},
        {"version 40 at the small size", 0, 40, 1, "abc",
         "40-M · 掩码 0 · 字节 3 · 数据 44 / 18672 位", "zxing-cpp：无法识别 · zbar：无法识别",
         "请选择“中图”（400 像素）"},
        {"GBK text", 2, 0, 0, QString::fromUtf8("你好，世界"), "字节 10 · 数据 92 / 128 位",
         "zxing-cpp：显示为“ÄãºÃ£¬ÊÀ½ç” · zbar：显示为", "“UTF-8+ECI”"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(SizeOption(c.sizeOption), Qt::LeftButton);
        List(0)->setCurrentIndex(c.versionIndex);
        List(3)->setCurrentIndex(c.encodingIndex);
        Generate(c.text);
        ASSERT_TRUE(messages.empty());
        const QStringList& lines = window->StatusLines();
        ASSERT_EQ(lines.size(), c.advice ? 3 : 2) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines[0].endsWith(QString::fromUtf8(c.made))) << lines[0].toStdString();
        EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8(c.readers))) << lines[1].toStdString();
        if (c.advice) {
            EXPECT_TRUE(lines[2].startsWith(QString::fromUtf8("建议："))) << lines[2].toStdString();
            EXPECT_TRUE(lines[2].contains(QString::fromUtf8(c.advice))) << lines[2].toStdString();
        }
        // The line shows the report, whole at the window's width.
        EXPECT_EQ(status->text(), lines.join('\n'));
        // Nothing moved (Picture1 takes the size chosen), and the drawing area keeps its size.
        for (const WindowControl& control : WindowControls()) {
            if (c.sizeOption != 2 && QString(control.name) == "Picture1") continue;
            EXPECT_EQ(Find(control.name)->geometry(), control.rect) << control.name;
        }
        EXPECT_EQ(window->DrawingAreaSize(), QSize(824, 613));
        EXPECT_EQ(status->geometry(), QRect(0, 613, 824, status->height()));
    }
}

TEST_F(WindowTest, StatusLineShortensToANarrowWindowAndClearsWhenNothingFits) {
    QLabel* status = StatusLine(*window);
    ASSERT_TRUE(status);
    List(3)->setCurrentIndex(0);
    Generate(QString::fromUtf8("汉字测试一下这个很长的文本在窄窗口里"));
    const QStringList full = window->StatusLines();
    ASSERT_EQ(full.size(), 3);

    // Narrower (below the window's minimum, where a window manager may still put it): each
    // line is cut to the width, the whole report stays in the tooltip.
    window->setMinimumSize(0, 0);
    window->resize(150 + qrdesk::SideColumn::kWidth, window->height());
    const QStringList shown = status->text().split('\n');
    ASSERT_EQ(shown.size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_LE(status->fontMetrics().horizontalAdvance(shown[k]), status->contentsRect().width())
            << k;
        EXPECT_TRUE(shown[k].endsWith(QChar(0x2026))) << shown[k].toStdString();
    }
    EXPECT_EQ(status->toolTip(), full.join('\n'));
    EXPECT_EQ(window->StatusLines(), full);

    // A text that fits no symbol leaves no report of the one before.
    List(3)->setCurrentIndex(1);
    Generate(QString(2954, 'a'));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(FirstLine(messages[0]), kTooLong);
    EXPECT_TRUE(window->StatusLines().isEmpty());
    EXPECT_TRUE(status->text().isEmpty());
}

}  // namespace
