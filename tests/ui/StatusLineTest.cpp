// The status line under the drawing area: the report after each generation, and a layout
// that leaves the drawing area, its controls and the resize rule as they were.

#include <QLabel>

#include "WindowFixture.h"
#include "support/qt/WindowControls.h"

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
        int encodingIndex;  // 0 ANSI (GBK), 1 UTF-8
        QString text;
        const char* first;   // the first line ends so
        const char* second;  // the second line holds this; nullptr: no second line
    };
    // Bits: byte 4 + 8 + 8 per byte, numeric 4 + 10 + 10 per 3 digits (7 for 2 left).
    const Case cases[] = {
        {"small size", 0, 0, 1, "abc", "1-M · 掩码 0 · 字节 3 · 数据 36 / 128 位 · 可识别",
         nullptr},
        {"medium size", 1, 0, 1, "01234567", "1-M · 掩码 0 · 数字 8 · 数据 41 / 128 位 · 可识别",
         nullptr},
        {"large size", 2, 0, 1, QString::fromUtf8("你好"), "字节 6 · 数据 60 / 128 位 · 可识别",
         nullptr},
        {"version 40 at the small size", 0, 40, 1, "abc", "200 像素无法识别",
         "请选择“中图”（400 像素）"},
        {"GBK text", 2, 0, 0, QString::fromUtf8("你好，世界"), "可识别", "“UTF-8”"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(SizeOption(c.sizeOption), Qt::LeftButton);
        List(0)->setCurrentIndex(c.versionIndex);
        List(3)->setCurrentIndex(c.encodingIndex);
        Generate(c.text);
        ASSERT_TRUE(messages.empty());
        const QStringList& lines = window->StatusLines();
        ASSERT_EQ(lines.size(), c.second ? 2 : 1) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines[0].endsWith(QString::fromUtf8(c.first))) << lines[0].toStdString();
        if (c.second) {
            EXPECT_TRUE(lines[1].contains(QString::fromUtf8(c.second))) << lines[1].toStdString();
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
    ASSERT_EQ(full.size(), 2);

    // Narrower: each line is cut to the width, the whole report stays in the tooltip.
    window->resize(150, window->height());
    const QStringList shown = status->text().split('\n');
    ASSERT_EQ(shown.size(), 2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_LE(status->fontMetrics().horizontalAdvance(shown[k]), status->contentsRect().width())
            << k;
        EXPECT_TRUE(shown[k].endsWith(QChar(0x2026))) << shown[k].toStdString();
    }
    EXPECT_EQ(status->toolTip(), full.join('\n'));
    EXPECT_EQ(window->StatusLines(), full);

    // A text that fits no symbol leaves no report of the one before.
    List(3)->setCurrentIndex(1);
    Generate(QString(2954, 'a'));
    EXPECT_EQ(messages, std::vector<QString>{kTooLong});
    EXPECT_TRUE(window->StatusLines().isEmpty());
    EXPECT_TRUE(status->text().isEmpty());
}

}  // namespace
