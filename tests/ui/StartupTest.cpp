// The window as it opens: controls, lists, start state, tab order, the resize rule, options.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include "WindowFixture.h"

namespace {

TEST_F(WindowTest, ControlsHaveTheirPlacesCaptionsAndTooltips) {
    struct Control {
        const char* name;
        const char* container;
        QRect rect;
        const char* caption;  // button or label text, frame title
        const char* tooltip;
    };
    const Control controls[] = {
        {"WebBrow", "Form1", {612, 400, 207, 206}, nullptr, nullptr},
        {"Picture1", "Form1", {8, 8, 600, 600}, nullptr, nullptr},
        {"Frame1", "Form1", {612, 8, 207, 385}, "二维码设置", nullptr},
        {"cmb1_0", "Frame1", {8, 16, 97, 21}, nullptr, "Version"},
        {"cmb1_1", "Frame1", {112, 16, 89, 21}, nullptr, "Error correction level"},
        {"cmb1_2", "Frame1", {8, 40, 97, 21}, nullptr, "Mask type"},
        {"cmb1_3", "Frame1", {112, 40, 89, 21}, nullptr, "Text encoding"},
        {"Option1_0", "Frame1", {8, 64, 17, 13}, "Option1", nullptr},
        {"Option1_1", "Frame1", {56, 64, 17, 13}, "Option1", nullptr},
        {"Option1_2", "Frame1", {104, 64, 17, 13}, "Option1", nullptr},
        {"Label1", "Frame1", {24, 64, 33, 17}, "小图", nullptr},
        {"Label2", "Frame1", {72, 64, 33, 17}, "中图", nullptr},
        {"Label3", "Frame1", {120, 64, 33, 17}, "大图", nullptr},
        {"Text1", "Frame1", {8, 80, 193, 249}, nullptr, nullptr},
        {"Command1", "Frame1", {8, 336, 89, 38}, "生成二维码", nullptr},
        {"Command2", "Frame1", {104, 336, 97, 38}, "保存图片", nullptr},
    };
    // The drawing area keeps its size; the window grows by the status line below it only.
    EXPECT_EQ(window->DrawingAreaSize(), QSize(824, 613));
    QWidget* status = Find("StatusBar1");
    ASSERT_TRUE(status);
    EXPECT_GT(status->height(), 0);
    EXPECT_EQ(window->size(), QSize(824, 613 + status->height()));
    EXPECT_EQ(status->geometry(), QRect(0, 613, 824, status->height()));
    EXPECT_EQ(window->windowTitle(), "qrdesk");
    for (const Control& c : controls) {
        QWidget* widget = Find(c.name);
        ASSERT_TRUE(widget);
        EXPECT_EQ(widget->parentWidget()->objectName(), c.container) << c.name;
        EXPECT_EQ(widget->geometry(), c.rect) << c.name;
        EXPECT_TRUE(widget->isVisible()) << c.name;
        if (c.tooltip) {
            EXPECT_EQ(widget->toolTip(), c.tooltip) << c.name;
        }
        if (!c.caption) continue;
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
        if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) caption = frame->title();
        EXPECT_EQ(caption, QString::fromUtf8(c.caption)) << c.name;
    }
    EXPECT_EQ(Text1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window->font().family(), "Tahoma");
    EXPECT_DOUBLE_EQ(window->font().pointSizeF(), 8.25);
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(48, 48)));
    // Image1 lies below every other control.
    EXPECT_EQ(window->children().indexOf(Image1()), 0);
}

TEST_F(WindowTest, ListsAreFilledAndSelected) {
    QStringList versions{"Automatic"}, masks{"Automatic"};
    for (int v = 1; v <= 40; ++v) versions << QString::number(v);
    for (int m = 0; m <= 7; ++m) masks << QString::number(m);
    const QStringList items[] = {
        versions, {"L - 7%", "M - 15%", "Q - 25%", "H - 30%"}, masks, {"ANSI", "UTF-8"}};
    const int selected[] = {0, 1, 0, 1};
    const char* shown[] = {"Automatic", "M - 15%", "Automatic", "UTF-8"};
    for (int i = 0; i < 4; ++i) {
        QStringList actual;
        for (int k = 0; k < List(i)->count(); ++k) actual << List(i)->itemText(k);
        EXPECT_EQ(actual, items[i]) << i;
        EXPECT_EQ(List(i)->currentIndex(), selected[i]) << i;
        EXPECT_EQ(List(i)->currentText(), shown[i]) << i;
        EXPECT_FALSE(List(i)->isEditable()) << i;
    }
    EXPECT_EQ(List(0)->count(), 41);
    EXPECT_EQ(List(2)->count(), 9);
}

TEST_F(WindowTest, OpensEmptyWithNothingChosen) {
    EXPECT_TRUE(Text1()->toPlainText().isEmpty());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(SizeOption(i)->isChecked()) << i;
    EXPECT_EQ(window->IsCreate(), "no");
    EXPECT_EQ(window->Encoder(), nullptr);
    EXPECT_EQ(Picture1()->size(), QSize(600, 600));
    EXPECT_TRUE(Picture1()->Picture().isNull());
    EXPECT_TRUE(Image1()->Picture().isNull());
    EXPECT_EQ(QApplication::focusWidget(), List(0));
}

TEST_F(WindowTest, TabFollowsTheTabIndexes) {
    // The option buttons are one group: Tab enters it once, the arrow keys move inside it.
    const QStringList expected{"cmb1_1",   "cmb1_2",   "cmb1_3", "Option1_0", "Picture1",
                               "Command2", "Command1", "Text1",  "cmb1_0"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(WindowTest, ResizePlacesImage1UnlessTooSmall) {
    // The first showing already ran the rule at 824 x 613: m = min(824, 557) = 557.
    EXPECT_EQ(Image1()->geometry(), QRect(8, 64, 541, 541));
    struct Case {
        QSize area;
        QRect image1;
    };
    const Case cases[] = {
        {{300, 200}, {8, 64, 128, 128}},  // m = min(300, 144)
        {{400, 900}, {8, 64, 384, 384}},  // m = w
        {{300, 72}, {8, 64, 0, 0}},       // m - 16 = 0 still applies
        {{300, 71}, {8, 64, 0, 0}},       // m - 16 < 0: left where it was
        {{500, 500}, {8, 64, 428, 428}},
        {{15, 500}, {8, 64, 428, 428}},  // too narrow: left where it was
    };
    const int status = Find("StatusBar1")->height();
    for (const Case& c : cases) {
        window->resize(c.area + QSize(0, status));
        ASSERT_EQ(window->DrawingAreaSize(), c.area);
        EXPECT_EQ(Image1()->geometry(), c.image1) << c.area.width() << "x" << c.area.height();
        // The status line stays under the drawing area, across the window's width.
        EXPECT_EQ(Find("StatusBar1")->geometry(),
                  QRect(0, c.area.height(), c.area.width(), status));
    }
    // Nothing else moves.
    EXPECT_EQ(Picture1()->geometry(), QRect(8, 8, 600, 600));
    EXPECT_EQ(Find("Frame1")->geometry(), QRect(612, 8, 207, 385));
    EXPECT_EQ(Find("WebBrow")->geometry(), QRect(612, 400, 207, 206));
}

TEST(ProgramOptions, ParsesTheCommandLine) {
    struct Case {
        QStringList args;
        bool ok;
        const char* url;
        const char* codePage;
        bool plain;
    };
    const Case cases[] = {
        {{}, true, "http://www.example.invalid/reder/2wm.asp", "GBK", false},
        {{"--web-host", "qr.example.org"},
         true,
         "http://qr.example.org/reder/2wm.asp",
         "GBK",
         false},
        {{"--web-host=https://127.0.0.1:8443"},
         true,
         "https://127.0.0.1:8443/reder/2wm.asp",
         "GBK",
         false},
        {{"--code-page", "SHIFT_JIS", "--plain-web-panel"},
         true,
         "http://www.example.invalid/reder/2wm.asp",
         "SHIFT_JIS",
         true},
        {{"--code-page", "NO-SUCH-PAGE"}, false, nullptr, nullptr, false},
        {{"--web-host", ""}, false, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        QCommandLineParser parser;
        qrdesk::AddProgramOptions(parser);
        ASSERT_TRUE(parser.parse(QStringList{"qrdesk"} + c.args)) << c.args.join(' ').toStdString();
        QString error;
        const auto options = qrdesk::ReadProgramOptions(parser, &error);
        ASSERT_EQ(options.has_value(), c.ok) << c.args.join(' ').toStdString();
        if (!c.ok) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        EXPECT_EQ(qrdesk::WebPageUrl(options->webHost).toString(), c.url);
        EXPECT_EQ(options->ansiCodePage, c.codePage);
        EXPECT_EQ(options->plainWebPanel, c.plain);
    }
}

}  // namespace
