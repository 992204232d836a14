// Printing: whole device pixels per module at the width asked, the print dialog's own page,
// and the window's print command to a PDF file read back by an independent renderer.

#include <QDoubleSpinBox>
#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>

#include "WindowFixture.h"
#include "common/Image.h"
#include "common/Symbol.h"
#include "ui/Dialogbox.h"
#include "ui/PrintSymbol.h"

namespace {

qrdesk::Modules ModulesFor(const std::string& text) {
    clsQRCode encoder;
    const qrdesk::Symbol symbol = qrdesk::EncodeSymbol(encoder, text, {});
    return symbol.picture ? qrdesk::ModulesOf(*symbol.picture) : qrdesk::Modules();
}

TEST(PrintSymbol, ModulesAreTheNearestWholePixelsThatFit) {
    struct Case {
        double widthMm, dpi;
        int across, room;
        int expected;
    };
    const Case cases[] = {
        {40, 1200, 29, 0, 65},     // 65.17 dots a module
        {40, 300, 29, 0, 16},      // 16.29
        {25.4, 100, 25, 0, 4},     // exactly 4
        {27, 600, 29, 0, 22},      // 22.24
        {28, 600, 29, 0, 23},      // 22.81: rounded up
        {40, 72, 185, 0, 1},       // less than a dot: one at least
        {40, 1200, 29, 1000, 34},  // the page holds 34 a module
        {40, 1200, 29, 10, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qrdesk::ModulePixels(c.widthMm, c.dpi, c.across, c.room), c.expected)
            << c.widthMm << " mm at " << c.dpi << " dpi";
}

// Painted on an image with the symbol's own quiet zone: every module a block of whole pixels
// of one colour, the dark ones where the modules are, and the picture reads back.
TEST(PrintSymbol, PaintsWholePixelModulesThatDecode) {
    const qrdesk::Modules modules = ModulesFor("https://example.org/print");
    ASSERT_GT(modules.size, 0);
    for (const int module : {1, 3, 7}) {
        SCOPED_TRACE(module);
        const QPoint origin(13, 17);
        QImage page(400 + 2 * origin.x(), 400 + 2 * origin.y(), QImage::Format_RGB32);
        page.fill(QColor(200, 50, 50));  // not white: the quiet zone must be painted
        QPainter painter(&page);
        painter.scale(3, 3);  // ignored: device pixels
        const int side = qrdesk::PaintSymbol(painter, modules, module, origin);
        painter.end();
        const int across = modules.size + 2 * qrdesk::kPrintQuietZone;
        ASSERT_EQ(side, across * module);
        for (int my = 0; my < across; ++my)
            for (int mx = 0; mx < across; ++mx) {
                const int x = mx - qrdesk::kPrintQuietZone, y = my - qrdesk::kPrintQuietZone;
                const bool dark =
                    x >= 0 && y >= 0 && x < modules.size && y < modules.size && modules.Dark(x, y);
                const QRgb expected = dark ? 0xFF000000 : 0xFFFFFFFF;
                for (int py = 0; py < module; ++py)
                    for (int px = 0; px < module; ++px)
                        ASSERT_EQ(page.pixel(origin.x() + mx * module + px,
                                             origin.y() + my * module + py),
                                  expected)
                            << mx << "," << my;
            }
        EXPECT_EQ(page.pixel(origin.x() - 1, origin.y()), QColor(200, 50, 50).rgb());
        EXPECT_EQ(page.pixel(origin.x() + side, origin.y()), QColor(200, 50, 50).rgb());
        if (module > 1) {
            EXPECT_EQ(DecodedBytes(DecodeImage(page.copy(QRect(origin, QSize(side, side))))),
                      "https://example.org/print");
        }
    }
}

// The real print dialog, in Chinese, with the page where the width is chosen.
TEST(Dialogbox, PrintDialogHasTheWidthPage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        double start;
        double set;
        bool accept;
        double expected;
    };
    for (const Case& c : {Case{40, 30, true, 30}, Case{25, 60, false, 25}}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QString("p%1.pdf").arg(c.set)));
        bool seen = false;
        const auto watch = OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QPrintDialog*>(modal);
            ASSERT_TRUE(dialog);
            seen = true;
            EXPECT_TRUE(dialog->windowTitle().contains(QString::fromUtf8("打印")))
                << dialog->windowTitle().toStdString();
            auto* page = dialog->findChild<QWidget*>("SymbolPage");
            ASSERT_TRUE(page);
            auto* tabs = dialog->findChild<QTabWidget*>();
            ASSERT_TRUE(tabs);
            EXPECT_EQ(tabs->tabText(tabs->indexOf(page)), QString::fromUtf8("二维码"));
            EXPECT_EQ(tabs->currentWidget(), page);
            auto* width = page->findChild<QDoubleSpinBox*>("SymbolWidth");
            ASSERT_TRUE(width);
            EXPECT_EQ(width->value(), c.start);
            EXPECT_EQ(width->suffix(), QString::fromUtf8(" 毫米"));
            width->setValue(c.set);
            if (c.accept)
                dialog->accept();
            else
                dialog->reject();
        });
        double widthMm = c.start;
        EXPECT_EQ(Dialogbox::ShowPrintDialog(printer, &widthMm, nullptr), c.accept);
        EXPECT_TRUE(seen);
        EXPECT_EQ(widthMm, c.expected);
    }
}

class PrintTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

// The window prints at the width chosen (40 mm to begin with, then the last one chosen in
// this run), from the page's printable corner; the PDF drawn by pdftoppm shows it.
TEST_F(PrintTest, PrintsAtTheWidthChosenAndItDecodes) {
    const QString text = "https://example.org/printed";
    // Nothing to print yet.
    QTest::keyClick(Text1(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(messages, std::vector<QString>{kNothingToSave});
    EXPECT_TRUE(printCalls.empty());
    messages.clear();

    Generate(text);
    const int across = Image1()->Picture().width();  // modules with the quiet zone
    struct Case {
        double width;
        double opened;  // the width the dialog starts with
    };
    for (const Case& c : {Case{40, 40}, Case{25, 40}, Case{60, 25}}) {
        SCOPED_TRACE(c.width);
        printFile = dir.filePath(QString("w%1.pdf").arg(c.width));
        printWidthMm = c.width;
        printCalls.clear();
        QTest::keyClick(Text1(), Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(printCalls.size(), 1u);
        EXPECT_EQ(printCalls[0].widthMm, c.opened);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(window->StatusNotice(), QString::fromUtf8("已打印：") + printFile);
        const QByteArray pdf = ReadFile(printFile);
        ASSERT_TRUE(pdf.startsWith("%PDF"));

        QProcess render;
        // The page's top-left 76 mm square, which holds the largest width printed here.
        render.start("pdftoppm", {"-r", "600", "-x", "0", "-y", "0", "-W", "1800", "-H", "1800",
                                  "-gray", "-png", "-singlefile", printFile, dir.filePath("page")});
        if (!render.waitForStarted(10000)) GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";
        ASSERT_TRUE(render.waitForFinished(60000));
        const QImage page(dir.filePath("page.png"));
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(DecodedBytes(DecodeImage(page)), text.toUtf8());
        // The dark modules' extent, N modules of the N + 8 across, at 600 dots an inch.
        QRect dark;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) dark = dark.united(QRect(x, y, 1, 1));
        const double mm = dark.width() * 25.4 / 600 * across / (across - 8);
        const double module = c.width / across;
        EXPECT_NEAR(mm, c.width, module / 2 + 0.1);
        EXPECT_NEAR(dark.width(), dark.height(), 1);  // the renderer rounds each edge
    }
}

}  // namespace
