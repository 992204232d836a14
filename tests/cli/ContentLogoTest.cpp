// Templates and logos through the real qrdesk-cli, as a user types them: the file written is
// read by zbarimg and by zxing-cpp as apps call it, and the text they show is taken apart by
// parsers written from each format's description; a logo is seen in the picture and read,
// and the advice for one that does not read reads when followed.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "support/ContentFormats.h"
#include "support/qt/AppReaders.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"

namespace {

using qrdesk::test::Fields;

// Both apps' texts of path, which must agree.
std::string AppsRead(const QString& path) {
    const AppReading zbar = ZbarimgReads(path), zxing = ZxingAppReads(path);
    EXPECT_TRUE(zbar.found && zxing.found) << path.toStdString();
    EXPECT_EQ(zbar.text, zxing.text);
    return zbar.text.toStdString();
}

TEST(CliContent, TheIssuesCommandsReadBackToExactlyTheirFields) {
    QTemporaryDir dir;
    struct Case {
        QStringList args;
        Fields (*parse)(const std::string&);
        Fields expected;
    };
    // clang-format off
    const Case cases[] = {
        {{"--content", "wifi", "--field", R"(ssid=My;Net:"x"\ 5G)", "--field",
          R"(password=p,a;s:s"\w0rd)", "--field", "security=WPA", "--field", "hidden=yes"},
         qrdesk::test::ParseWifi,
         {{"T", "WPA"}, {"S", R"(My;Net:"x"\ 5G)"}, {"P", R"(p,a;s:s"\w0rd)"}, {"H", "true"}}},
        {{"--content", "contact", "--field", "name=Zoë Ångström; Jr.", "--field", "org=R&D, Inc."},
         qrdesk::test::ParseVcard,
         {{"BEGIN", "VCARD"}, {"VERSION", "3.0"}, {"N.family", "Zoë Ångström; Jr."},
          {"FN", "Zoë Ångström; Jr."}, {"ORG", "R&D, Inc."}, {"END", "VCARD"}}},
        {{"--content", "email", "--field", "to=ann@example.org", "--field",
          "subject=Hello & welcome? 100%", "--field", "body=First line\nsecond line"},
         qrdesk::test::ParseMailto,
         {{"to", "ann@example.org"}, {"subject", "Hello & welcome? 100%"},
          {"body", "First line\r\nsecond line"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const CliRun run = RunCliProcess(c.args + QStringList{"--info", "-o", "c.png"}, dir.path());
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        const std::string read = AppsRead(dir.filePath("c.png"));
        EXPECT_EQ(c.parse(read), c.expected) << read;
        EXPECT_TRUE(run.out.contains("text: \"")) << run.out.toStdString();
    }
}

TEST(CliContent, MisusedTemplatesAndLogosAreUsageErrors) {
    QTemporaryDir dir;
    const char* lines[] = {
        "--content vcard",
        "--content wifi --field colour=red",
        "--field ssid=x x",
        "--content wifi --field ssid=a --field ssid=b",
        "--content tel --field =1",
        "--content geo --field lat=91 --field lon=0",
        "--content url x",
        "--logo-size 20 x",
        "--logo l.png --logo-size 31 x",
        "--logo l.png -t utf8 x",
    };
    for (const char* line : lines) {
        const CliRun run = RunCliProcess(Words(line), dir.path());
        EXPECT_EQ(run.code, 2) << line;
        EXPECT_EQ(run.err.count('\n'), 1) << line << ": " << run.err.toStdString();
    }
    // Control characters in a field's name or value are shown escaped, in the one line.
    const QStringList broken[] = {
        {"--content", "wifi", "--field", "ss\nid=a", "--field", "ss\nid=b"},
        {"--content", "geo", "--field", "lat=1\a2", "--field", "lon=0"},
        {"--content", "tel", "--field", "num\nber=1"},
    };
    for (const QStringList& args : broken) {
        const CliRun run = RunCliProcess(args, dir.path());
        EXPECT_EQ(run.code, 2) << args.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("\\n") || run.err.contains("\\a")) << run.err.toStdString();
    }
}

// A badge: a blue disc with a yellow centre, the colours looked for in the picture.
QString WriteBadge(const QTemporaryDir& dir) {
    QImage image(120, 120, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 60, 160));
    painter.drawEllipse(0, 0, 120, 120);
    painter.setBrush(QColor(250, 200, 40));
    painter.drawEllipse(30, 30, 60, 60);
    painter.end();
    const QString path = dir.filePath("logo.png");
    EXPECT_TRUE(image.save(path));
    return path;
}

TEST(CliLogo, ShowsAndReadsAtHAndAdvisesWhatReadsAtL) {
    QTemporaryDir dir;
    WriteBadge(dir);
    const QString text = "https://example.org/qrdesk/logo?id=12345";
    CliRun run =
        RunCliProcess({"--level", "H", "--logo", "logo.png", "-o", "l.png", text}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(AppsRead(dir.filePath("l.png")), text.toStdString());
    const QImage picture(dir.filePath("l.png"));
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(250, 200, 40));

    // Level L cannot restore what a 30 % logo covers: said so, and the advice reads.
    run = RunCliProcess({"--level", "L", "--logo", "logo.png", "--logo-size", "30", "--info", "-o",
                         "l30.png", text},
                        dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_FALSE(ZbarimgReads(dir.filePath("l30.png")).found);
    EXPECT_TRUE(run.out.contains("zbar: cannot read")) << run.out.toStdString();
    int followed = 0;
    for (const QByteArray& line : run.out.split('\n')) {
        const int with = line.indexOf("with --");
        if (!line.startsWith("advice:") || with < 0) continue;
        const QStringList advised = QString(line.mid(with + 5)).split(' ').mid(0, 2);
        QStringList args{"--level", "L", "--logo", "logo.png", "--logo-size", "30"};
        args[args.indexOf(advised[0]) + 1] = advised[1];
        ASSERT_EQ(RunCliProcess(args + QStringList{"-o", "a.png", text}, dir.path()).code, 0);
        EXPECT_EQ(AppsRead(dir.filePath("a.png")), text.toStdString()) << line.toStdString();
        ++followed;
    }
    EXPECT_GE(followed, 1) << run.out.toStdString();
}

TEST(CliLogo, SvgFilesEmbedTheLogoAndSvgLogosAreDrawn) {
    QTemporaryDir dir;
    WriteBadge(dir);
    ASSERT_TRUE(WriteFile(dir.filePath("logo.svg"),
                          R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="40">)"
                          R"(<circle cx="20" cy="20" r="20" fill="#1e3ca0"/></svg>)"));
    ASSERT_EQ(RunCliProcess(Words("--logo logo.png -o l.svg x"), dir.path()).code, 0);
    const QByteArray svg = ReadFile(dir.filePath("l.svg"));
    EXPECT_TRUE(svg.contains("data:image/png;base64,")) << svg.left(400).toStdString();
    // As a viewer draws it.
    ASSERT_TRUE(RenderSvg(svg, 600).save(dir.filePath("l.svg.png")));
    EXPECT_EQ(AppsRead(dir.filePath("l.svg.png")), "x");
    const CliRun run = RunCliProcess(Words("--logo logo.svg -o s.png x"), dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QImage picture(dir.filePath("s.png"));
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2),
              QColor(0x1e, 0x3c, 0xa0));
    EXPECT_EQ(AppsRead(dir.filePath("s.png")), "x");
    // A damaged SVG logo is one line, an input error; nothing is written.
    ASSERT_TRUE(WriteFile(dir.filePath("cut.svg"), "<svg"));
    const CliRun cut = RunCliProcess(Words("--logo cut.svg -o c.png x"), dir.path());
    EXPECT_EQ(cut.code, 3);
    EXPECT_EQ(cut.err.count('\n'), 1) << cut.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("c.png")));
}

}  // namespace
