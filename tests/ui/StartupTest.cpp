// The window as it opens: its controls as the table of known answers says, the start state,
// the resize rule, the program's options.

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "WindowFixture.h"
#include "support/qt/CliProcess.h"
#include "support/qt/WindowControls.h"
#include "ui/SideColumn.h"

namespace {

TEST_F(WindowTest, ControlsAreAsTheTableSays) {
    // The drawing area keeps its size; the window grows by the status line below it and the
    // side column right of it only.
    EXPECT_EQ(window->DrawingAreaSize(), QSize(824, 613));
    QWidget* status = Find("StatusBar1");
    ASSERT_TRUE(status);
    EXPECT_GT(status->height(), 0);
    EXPECT_EQ(window->size(), QSize(824 + qrdesk::SideColumn::kWidth, 613 + status->height()));
    EXPECT_EQ(status->geometry(), QRect(0, 613, 824, status->height()));
    EXPECT_EQ(Find("SideColumn1")->geometry(),
              QRect(824, 0, qrdesk::SideColumn::kWidth, window->height()));
    // The window cannot be made smaller than that: the controls and the status line stay in
    // view, and the status line never lies over the drawing box.
    EXPECT_EQ(window->minimumSize(), window->size());
    window->resize(500, 400);
    EXPECT_EQ(window->size(), window->minimumSize());
    EXPECT_EQ(window->windowTitle(), "qrdesk");

    std::vector<const char*> tabOrder;
    for (const WindowControl& c : WindowControls()) {
        SCOPED_TRACE(c.name);
        QWidget* widget = Find(c.name);
        ASSERT_TRUE(widget);
        EXPECT_EQ(widget->parentWidget()->objectName(), c.container);
        EXPECT_EQ(widget->geometry(), c.rect);
        EXPECT_TRUE(widget->isVisible());
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.tooltip ? c.tooltip : ""));
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
        if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) caption = frame->title();
        if (c.caption) {
            EXPECT_EQ(caption, QString::fromUtf8(c.caption));
        }
        auto* list = qobject_cast<QComboBox*>(widget);
        EXPECT_EQ(list != nullptr, !c.items.isEmpty());
        if (list) {
            QStringList items;
            for (int k = 0; k < list->count(); ++k) items << list->itemText(k);
            EXPECT_EQ(items, c.items);
            EXPECT_EQ(list->currentIndex(), c.selected);
            EXPECT_EQ(list->currentText(), c.items.value(c.selected));
            EXPECT_FALSE(list->isEditable());
        }
        if (c.tab >= 0) {
            if (tabOrder.size() <= static_cast<std::size_t>(c.tab)) tabOrder.resize(c.tab + 1);
            tabOrder[c.tab] = c.name;
        }
    }
    // Tab goes round the table's order, the side column's with the reading buttons at its
    // bottom, and back to the first list.
    tabOrder.insert(tabOrder.end(), kColumnTabStops.begin(), kColumnTabStops.end());
    tabOrder.insert(tabOrder.end(), {"cmdReadFile", "cmdReadScreen"});
    ASSERT_EQ(QApplication::focusWidget(), List(0));
    QStringList expected, visited;
    for (std::size_t k = 1; k <= tabOrder.size(); ++k) {
        expected << tabOrder[k % tabOrder.size()];
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);

    EXPECT_EQ(Text1()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(window->font().family(), "Tahoma");
    EXPECT_DOUBLE_EQ(window->font().pointSizeF(), 8.25);
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(48, 48)));
    // Image1 lies below every other control.
    EXPECT_EQ(window->children().indexOf(Image1()), 0);
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

// A closed list shows its item whole: the text fits the field the style leaves beside the
// arrow (less the pixel it keeps on either side), in the window's font.
TEST_F(WindowTest, ClosedListsShowWholeItems) {
    for (int i = 0; i < 4; ++i) {
        QComboBox* list = List(i);
        const int room = ClosedListRoom(list);
        for (int k = 0; k < list->count(); ++k)
            EXPECT_LE(list->fontMetrics().horizontalAdvance(list->itemText(k)), room)
                << (list->objectName() + " " + list->itemText(k)).toStdString();
    }
}

TEST_F(WindowTest, ResizePlacesImage1UnlessTooSmall) {
    // The first showing already ran the rule at 824 x 613: m = min(824, 557) = 557.
    EXPECT_EQ(Image1()->geometry(), QRect(8, 64, 541, 541));
    // The rule below the window's minimum size too, where a window manager may still put it.
    window->setMinimumSize(0, 0);
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
        window->resize(c.area + QSize(qrdesk::SideColumn::kWidth, status));
        ASSERT_EQ(window->DrawingAreaSize(), c.area);
        EXPECT_EQ(Image1()->geometry(), c.image1) << c.area.width() << "x" << c.area.height();
        // The status line stays under the drawing area, across the window's width.
        EXPECT_EQ(Find("StatusBar1")->geometry(),
                  QRect(0, c.area.height(), c.area.width(), status));
    }
    // Nothing else moves.
    for (const WindowControl& c : WindowControls()) EXPECT_EQ(Find(c.name)->geometry(), c.rect);
}

TEST(ProgramOptions, ParsesTheCommandLine) {
    // Without a host, the help page inside the program.
    const char* const kHelpUrl = "qrc:/qrdesk/help.html";
    struct Case {
        const char* args;
        bool ok;
        const char* url = nullptr;
        const char* codePage = nullptr;
        bool plain = false;
        bool verbose = false;
    };
    const Case cases[] = {
        {"", true, kHelpUrl, "GBK"},
        {"--web-host qr.example.org", true, "http://qr.example.org/reder/2wm.asp", "GBK"},
        {"--web-host=https://127.0.0.1:8443", true, "https://127.0.0.1:8443/reder/2wm.asp", "GBK"},
        {"--code-page SHIFT_JIS --plain-web-panel", true, kHelpUrl, "SHIFT_JIS", true},
        {"--verbose --web-host h.example", true, "http://h.example/reder/2wm.asp", "GBK", false,
         true},
        {"--code-page NO-SUCH-PAGE", false},
        {"--web-host=", false},
        {"--web-host", false},  // the host missing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        QCommandLineParser parser;
        qrdesk::AddProgramOptions(parser);
        if (!parser.parse(QStringList{"qrdesk"} + Words(c.args))) {
            EXPECT_FALSE(c.ok);
            continue;
        }
        QString error;
        const auto options = qrdesk::ReadProgramOptions(parser, &error);
        ASSERT_EQ(options.has_value(), c.ok);
        if (!c.ok) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        EXPECT_EQ(qrdesk::WebPanelUrl(*options).toString(), c.url);
        EXPECT_EQ(options->ansiCodePage, c.codePage);
        EXPECT_EQ(options->plainWebPanel, c.plain);
        EXPECT_EQ(options->verbose, c.verbose);
    }
}

}  // namespace
