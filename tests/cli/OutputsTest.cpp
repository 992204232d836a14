// What qrdesk-cli writes, read back: every output type carries exactly the symbol's modules
// (terminal text parsed back into modules, SVG drawn by rsvg-convert), whole-pixel modules
// with their margin, resolution and colours; and a program that starts without Qt or the
// readers.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "common/Image.h"
#include "common/Symbol.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"

namespace {

const char* const kText = "https://example.org/outputs?id=42";

qrdesk::Modules ExpectedModules(const std::string& text) {
    clsQRCode encoder;
    return qrdesk::ModulesOf(*qrdesk::EncodeSymbol(encoder, text, {0, 2, -1, false, 0}).picture);
}

// Modules from an image of whole modules: the colour at each module's centre.
qrdesk::Modules ModulesOfImage(const QImage& image, int margin, int scale) {
    qrdesk::Modules m;
    m.size = image.width() / scale - 2 * margin;
    for (int y = 0; y < m.size; ++y)
        for (int x = 0; x < m.size; ++x)
            m.dark.push_back(qGray(image.pixel((margin + x) * scale + scale / 2,
                                               (margin + y) * scale + scale / 2)) < 128);
    return m;
}

// Terminal text back into modules with their quiet zone: ASCII "##" is dark; UTF-8 half
// blocks draw the light modules two rows a line; ANSI colours the upper half block in the
// top module's colour on the bottom one's.
qrdesk::Modules ModulesOfText(const QString& text, const QString& type) {
    std::vector<std::vector<bool>> rows;  // dark
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        std::vector<bool> top, bottom;
        if (type == "ascii") {
            for (int i = 0; i + 1 < line.size(); i += 2) top.push_back(line[i] == '#');
            rows.push_back(top);
            continue;
        }
        if (type == "utf8") {
            for (const QChar c : line) {
                top.push_back(c == ' ' || c == QChar(0x2584));     // light on top: ▀ or █
                bottom.push_back(c == ' ' || c == QChar(0x2580));  // light below: ▄ or █
            }
        } else {  // ansi: ESC[38;2;r;g;bm ESC[48;2;r;g;bm ▀
            bool fgDark = false, bgDark = false;
            for (int i = 0; i < line.size(); ++i) {
                if (line[i] == QChar(0x1B)) {
                    const int end = line.indexOf('m', i);
                    const QStringList parts = line.mid(i + 2, end - i - 2).split(';');
                    if (parts.size() == 5) {
                        const bool dark = parts[2].toInt() < 128;
                        (parts[0] == "38" ? fgDark : bgDark) = dark;
                    }
                    i = end;
                } else if (line[i] == QChar(0x2580)) {
                    top.push_back(fgDark);
                    bottom.push_back(bgDark);
                }
            }
        }
        rows.push_back(top);
        rows.push_back(bottom);
    }
    qrdesk::Modules m;
    const int margin = 4;
    m.size = static_cast<int>(rows.front().size()) - 2 * margin;
    for (int y = 0; y < m.size; ++y)
        for (int x = 0; x < m.size; ++x) m.dark.push_back(rows[margin + y][margin + x]);
    return m;
}

TEST(Outputs, EveryTypeCarriesExactlyTheSymbolsModules) {
    const qrdesk::Modules expected = ExpectedModules(kText);
    QTemporaryDir dir;
    struct Case {
        QStringList args;
        const char* kind;  // how to read it back
    };
    const Case cases[] = {
        {{"-o", "-", "-s", "3"}, "png"},
        {{"-o", "q.bmp", "-s", "2"}, "bmp"},
        {{"-o", "q.svg", "-s", "1"}, "svg"},
        {{"-t", "ascii"}, "ascii"},
        {{"-t", "utf8"}, "utf8"},
        {{"-t", "ansi"}, "ansi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const CliRun run = RunCliProcess(c.args + QStringList{kText}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        qrdesk::Modules read;
        const QString kind = c.kind;
        if (kind == "png") {
            read = ModulesOfImage(QImage::fromData(run.out, "PNG"), 4, 3);
        } else if (kind == "bmp") {
            read = ModulesOfImage(QImage(dir.filePath("q.bmp")), 4, 2);
        } else if (kind == "svg") {
            QProcess rsvg;
            rsvg.start("rsvg-convert",
                       {"-w", "600", "-o", dir.filePath("svg.png"), dir.filePath("q.svg")});
            ASSERT_TRUE(rsvg.waitForFinished(30000));
            const QImage drawn(dir.filePath("svg.png"));
            const int side = expected.size + 8;
            read = ModulesOfImage(drawn.scaled(side * 10, side * 10), 4, 10);
            EXPECT_EQ(DecodedBytes(DecodeImage(drawn)), QByteArray(kText));
        } else {
            EXPECT_TRUE(run.out.endsWith('\n'));
            read = ModulesOfText(QString::fromUtf8(run.out), kind);
        }
        EXPECT_EQ(read.size, expected.size);
        EXPECT_EQ(read.dark, expected.dark);
    }
}

// Whole pixels per module: every module the same square, whatever the version; --size still
// stretches.
TEST(Outputs, ScaleAndMarginMakeWholeModules) {
    QTemporaryDir dir;
    const std::string long1200(1200, 'x');  // version 29: 133 modules
    struct Case {
        QStringList args;
        int margin, scale, edge;
    };
    const Case cases[] = {
        {{"-s", "5", "-o", "a.png"}, 4, 5, (133 + 8) * 5},
        {{"-s", "3", "-m", "2", "-o", "a.png"}, 2, 3, (133 + 4) * 3},
        {{"--unscaled", "-m", "0", "-o", "a.png"}, 0, 1, 133},
    };
    const qrdesk::Modules expected = ExpectedModules(long1200);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run =
            RunCliProcess(c.args + QStringList{QString::fromStdString(long1200)}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_EQ(run.err.isEmpty(), c.margin >= 4)
            << run.err.toStdString();  // a thin margin warns
        const QImage image(dir.filePath("a.png"));
        ASSERT_EQ(image.width(), c.edge);
        // Uniform squares: each pixel has its module's colour.
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int mx = x / c.scale - c.margin, my = y / c.scale - c.margin;
                const bool dark =
                    mx >= 0 && my >= 0 && mx < 133 && my < 133 && expected.Dark(mx, my);
                ASSERT_EQ(qGray(image.pixel(x, y)) < 128, dark) << x << "," << y;
            }
    }
    // At 5 pixels a module both readers read what stretched to 600 pixels one does not.
    CliRun run = RunCliProcess(
        {"-s", "5", "--info", "-o", "b.png", QString::fromStdString(long1200)}, dir.path());
    EXPECT_TRUE(run.out.contains("zxing-cpp: reads the text as typed")) << run.out.toStdString();
    run = RunCliProcess({"--info", "-o", "c.png", QString::fromStdString(long1200)}, dir.path());
    EXPECT_TRUE(run.out.contains("zxing-cpp: cannot read the 600-pixel picture"));
    EXPECT_TRUE(run.out.contains(
        "advice: at --size 400, --size 564 (-s 4) or --size 705 (-s 5) every reader reads it"))
        << run.out.toStdString();
}

TEST(Outputs, ResolutionAndColours) {
    QTemporaryDir dir;
    CliRun run = RunCliProcess({"--dpi", "300", "--foreground", "1F3A68", "--background", "FFF8E7",
                                "-o", "a.png", "-s", "4", kText},
                               dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QImage image(dir.filePath("a.png"));
    EXPECT_EQ(image.dotsPerMeterX(), 11811);
    EXPECT_EQ(image.pixel(0, 0), 0xFFFFF8E7u);    // the quiet zone
    EXPECT_EQ(image.pixel(16, 16), 0xFF1F3A68u);  // the finder pattern's corner
    EXPECT_EQ(DecodedBytes(DecodeImage(image)), QByteArray(kText));
    run = RunCliProcess({"--dpi", "72", "-o", "a.bmp", kText}, dir.path());
    EXPECT_EQ(QImage(dir.filePath("a.bmp")).dotsPerMeterX(), 2835);
    // Poor contrast and inverted colours are written, with a warning.
    run = RunCliProcess({"--foreground", "FFFFFF", "--background", "000000", "-o", "i.png", kText},
                        dir.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err,
              "qrdesk-cli: warning: the dark modules are lighter than the background: many readers "
              "cannot read an inverted symbol\n");
}

// Where the text comes from: -r FILE, or standard input when no TEXT is given.
TEST(Outputs, TextFromAFileOrStandardInput) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("t.txt"), "from a file\n"));
    CliRun run = RunCliProcess({"-r", "t.txt", "-o", "a.png"}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("a.png")))), "from a file\n");
    run = RunCliProcess({"-o", "-"}, dir.path(), "piped in");
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(DecodedBytes(DecodeFile(run.out)), "piped in");
    run = RunCliProcess({"-r", "missing.txt"}, dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.err, "qrdesk-cli: cannot read missing.txt: No such file or directory\n");
}

// Neither Qt nor the readers' libraries load when the program starts: the readers come as a
// module only for --info.
TEST(Outputs, StartsWithoutQtOrTheReaders) {
    QProcess ldd;
    ldd.start("ldd", {QStringLiteral(QRDESK_CLI_PATH)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QByteArray libraries = ldd.readAllStandardOutput();
    ASSERT_TRUE(libraries.contains("libc.so")) << libraries.toStdString();
    for (const char* name : {"libQt", "libzbar", "libZXing", "libX11", "libdbus"})
        EXPECT_FALSE(libraries.contains(name)) << name;
}

}  // namespace
