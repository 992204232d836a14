// The real qrdesk-cli executable: its files against the window's save path, round trips
// through zxing-cpp, every exit code and message, and batch mode.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "common/TextBytes.h"
#include "support/qt/CliTestSupport.h"

namespace {

void WriteText(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

// Every error is exactly one line on standard error, naming the program.
void ExpectOneErrorLine(const CliRun& run, const char* cause) {
    EXPECT_TRUE(run.err.startsWith("qrdesk-cli: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith('\n')) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(cause)) << "got: " << run.err.toStdString() << "wanted: " << cause;
}

}  // namespace

TEST(CliRun, WritesTheWindowsFileByteForByteAndItDecodes) {
    struct Case {
        QStringList args;
        QByteArray input;  // standard input, for "-"
        QString output;
        // The window's choices for the same symbol.
        QString text;
        int versionIndex, levelIndex, maskIndex, encodingIndex;
        const char* codePage;
        int size;
        const char* format;
        const char* ecLevel;
    };
    const QString url = "https://example.org/qrdesk/items?id=12345";
    const Case cases[] = {
        {{url}, {}, "qrcode.bmp", url, 0, 1, 0, 1, "GBK", 600, "BMP", "M"},
        {{"-o", "small.bmp", "--size", "200", "--symbol-version", "5", "--level", "H", "--mask",
          "3", "HELLO 2024"},
         {},
         "small.bmp",
         "HELLO 2024",
         5,
         3,
         4,
         1,
         "GBK",
         200,
         "BMP",
         "H"},
        {{"-o", "gbk.bmp", "--size", "400", "--encoding", "ansi", "--level", "L",
          QString::fromUtf8("二维码 qrdesk")},
         {},
         "gbk.bmp",
         QString::fromUtf8("二维码 qrdesk"),
         0,
         0,
         0,
         0,
         "GBK",
         400,
         "BMP",
         "L"},
        {{"-o", "sjis.bmp", "--encoding", "ansi", "--ansi-codepage", "SHIFT_JIS", "--level", "Q",
          QString::fromUtf8("漢字のテスト")},
         {},
         "sjis.bmp",
         QString::fromUtf8("漢字のテスト"),
         0,
         2,
         0,
         0,
         "SHIFT_JIS",
         600,
         "BMP",
         "Q"},
        {{"-o", "u.png", "--unscaled", "--mask", "7", "ABC123abc"},
         {},
         "u.png",
         "ABC123abc",
         0,
         1,
         8,
         1,
         "GBK",
         0,
         "PNG",
         "M"},
        {{"-o", "odd.PNG", "--size", "333", QString::fromUtf8("ünïcödé ✓")},
         {},
         "odd.PNG",
         QString::fromUtf8("ünïcödé ✓"),
         0,
         1,
         0,
         1,
         "GBK",
         333,
         "PNG",
         "M"},
        // Standard input whole, its final line break included; a byte-order mark dropped.
        {{"-"},
         "\xEF\xBB\xBFline one\nline two\n",
         "qrcode.bmp",
         "line one\nline two\n",
         0,
         1,
         0,
         1,
         "GBK",
         600,
         "BMP",
         "M"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const CliRun run = RunCliProcess(c.args, dir.path(), c.input);
        ASSERT_EQ(run.code, 0) << c.output.toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty());
        const QByteArray file = ReadFile(dir.filePath(c.output));
        const QByteArray window = WindowFile(c.text, c.versionIndex, c.levelIndex, c.maskIndex,
                                             c.encodingIndex, c.codePage, c.size, c.format);
        ASSERT_FALSE(window.isEmpty());
        EXPECT_TRUE(file == window)
            << c.output.toStdString() << ": " << file.size() << " vs " << window.size() << " bytes";

        const auto decoded = DecodeFile(file);
        ASSERT_TRUE(decoded) << c.output.toStdString();
        const auto bytes =
            qrdesk::TextToBytes(c.text, qrdesk::EncodingFromIndex(c.encodingIndex), c.codePage);
        EXPECT_EQ(DecodedBytes(*decoded), *bytes) << c.output.toStdString();
        EXPECT_EQ(decoded->ecLevel, c.ecLevel) << c.output.toStdString();
    }
}

TEST(CliRun, InfoPrintsTheLineForScriptsThenTheReport) {
    QTemporaryDir dir;
    // The standard's example: HELLO WORLD at 1-Q is one alphanumeric segment of 74 bits in
    // 13 data codewords.
    CliRun run = RunCliProcess({"--info", "--level", "Q", "HELLO WORLD"}, dir.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QByteArray("version 1, level Q, mask 0, segments alphanumeric 11, bits 74 "
                                  "of 104\n"
                                  "1-Q · 掩码 0 · 字母数字 11 · 数据 74 / 104 位 · 可识别\n"));
    run = RunCliProcess({"--info", "--mask", "5", "--symbol-version", "3", "abc0123456789012"},
                        dir.path());
    EXPECT_EQ(run.code, 0);
    // byte 3 = 4+8+24, numeric 13 = 4+10+40+4: 94 bits; 3-M holds 44 codewords.
    EXPECT_EQ(
        run.out,
        QByteArray("version 3, level M, mask 5, segments byte 3 + numeric 13, bits 94 of 352\n"
                   "3-M · 掩码 5 · 字节 3 · 数字 13 · 数据 94 / 352 位 · 可识别\n"));
    // Version 40 stretched to 200 pixels has modules of about one pixel: the file does not
    // read, and the report names the size that does.
    run = RunCliProcess({"--info", "--symbol-version", "40", "--size", "200", "abc"}, dir.path());
    EXPECT_EQ(run.code, 0);
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(lines[1].endsWith("200 像素无法识别")) << run.out.toStdString();
    EXPECT_TRUE(lines[2].contains("“中图”（400 像素）")) << run.out.toStdString();
}

TEST(CliRun, ExitCodesAndMessages) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
    WriteText(dir.filePath("afile"), "x");
    WriteText(dir.filePath("lines.txt"), "a\n");
    const QString url = "https://example.org/a-longer-address-that-needs-version-four";
    struct Case {
        QStringList args;
        QByteArray input;
        int code;
        const char* cause;
    };
    const Case cases[] = {
        {{"--bogus", "x"}, {}, 2, "unknown option \"--bogus\""},
        {{"--symbol-version", "41", "x"}, {}, 2, "--symbol-version must be auto or 1 to 40"},
        {{"--level", "X", "x"}, {}, 2, "--level must be L, M, Q or H"},
        {{"--mask", "9", "x"}, {}, 2, "--mask must be auto or 0 to 7"},
        {{"--size", "0", "x"}, {}, 2, "--size must be a number of pixels from 29"},
        {{"--size", "30", url},
         {},
         2,
         "--size 30 is smaller than the symbol: version 4 needs at "
         "least 41 pixels"},
        {{"--encoding", "ansi", "--ansi-codepage", "NOPE", "x"}, {}, 2, "unknown code page"},
        {{"-o", "x.jpg", "x"}, {}, 2, "must end in .bmp or .png"},
        {{}, {}, 2, "missing TEXT"},
        {{""}, {}, 2, "the text is empty"},
        {{"-"}, "", 2, "the text is empty"},
        {{"-"}, "ab\xFF\xFE", 3, "the text is not valid UTF-8"},
        {{"-o", "missing/x.bmp", "x"}, {}, 3, "cannot write missing/x.bmp"},
        {{"-o", "folder.bmp", "x"}, {}, 3, "cannot write folder.bmp: it is a folder"},
        {{"--batch", "nope.txt", "--out-dir", "o"}, {}, 3, "cannot read nope.txt: No such file"},
        {{"--batch", ".", "--out-dir", "o"}, {}, 3, "cannot read .: it is a folder"},
        {{"--batch", "lines.txt", "--out-dir", "afile"}, {}, 3, "--out-dir afile is not a folder"},
        {{QString(3000, 'a')}, {}, 1, "the data do not fit any version at level M: 3000 bytes"},
        {{"--symbol-version", "1", "--level", "H", "0123456789012345678"},
         {},
         1,
         "the data do not fit version 1 at level H: 19 bytes need 78 bits, it holds 72"},
        {{"-"}, QByteArray(2 * 1024 * 1024, '7'), 1, "more than 1048576 bytes"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCliProcess(c.args, dir.path(), c.input);
        EXPECT_EQ(run.code, c.code) << c.cause;
        ExpectOneErrorLine(run, c.cause);
        EXPECT_TRUE(run.out.isEmpty()) << c.cause;
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("qrcode.bmp"))) << c.cause;
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("o"))) << c.cause;
    }

    // Standard input that cannot be read: a folder.
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start("/bin/sh", {"-c", "exec \"$0\" - < .", QStringLiteral(QRDESK_CLI_PATH)});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 3);
    ExpectOneErrorLine({shell.exitCode(), {}, shell.readAllStandardError()},
                       "cannot read standard input: Is a directory");

    const CliRun help = RunCliProcess({"--help"}, dir.path());
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: qrdesk-cli")) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty());
    const CliRun version = RunCliProcess({"--version"}, dir.path());
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "qrdesk-cli " QRDESK_VERSION "\n");
}

TEST(CliBatch, ReportsFailingLinesSkipsEmptyOnesAndNeverReplaces) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));
    WriteText(out + "/qr-3.bmp", "keep");
    // 1 alpha (CRLF), 2 empty, 3 beta (its file exists), 4 too long, 5 blanks, 6 not UTF-8,
    // 7 empty after its \r, 8 gamma without a final line break.
    WriteText(dir.filePath("in.txt"),
              "alpha\r\n\nbeta\n" + QByteArray(3000, 'x') + "\n  \n\xC3\x28\n\r\ngamma");

    CliRun run =
        RunCliProcess({"--batch", "in.txt", "--out-dir", "out", "--jobs", "2"}, dir.path());
    EXPECT_EQ(run.code, 3) << run.err.toStdString();  // the highest: 3 for line 3 and 6
    EXPECT_TRUE(run.err.contains("qrdesk-cli: line 3: out/qr-3.bmp exists (--force replaces it)\n"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("qrdesk-cli: line 4: the data do not fit any version"));
    EXPECT_TRUE(run.err.contains("qrdesk-cli: line 6: the text is not valid UTF-8\n"));
    EXPECT_TRUE(
        run.err.contains("qrdesk-cli: 3 written, 3 failed, 2 empty lines skipped, 8 "
                         "lines in "))
        << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 4);
    EXPECT_EQ(ReadFile(out + "/qr-3.bmp"), "keep");
    const std::pair<const char*, QString> written[] = {
        {"qr-1.bmp", "alpha"}, {"qr-5.bmp", "  "}, {"qr-8.bmp", "gamma"}};
    for (const auto& [name, text] : written)
        EXPECT_TRUE(ReadFile(out + "/" + name) == WindowFile(text, 0, 1, 0, 1, "GBK", 600)) << name;
    QStringList expected = {"qr-1.bmp", "qr-3.bmp", "qr-5.bmp", "qr-8.bmp"};
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);

    // A second run refuses every existing file; --force replaces them.
    run = RunCliProcess({"--batch", "in.txt", "--out-dir", "out"}, dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_TRUE(run.err.contains("0 written, 6 failed")) << run.err.toStdString();
    run = RunCliProcess({"--batch", "in.txt", "--out-dir", "out", "--force", "--level", "H"},
                        dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_TRUE(run.err.contains("4 written, 2 failed")) << run.err.toStdString();
    EXPECT_TRUE(ReadFile(out + "/qr-3.bmp") == WindowFile("beta", 0, 3, 0, 1, "GBK", 600));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);

    // Only lines that do not fit: exit code 1. Lines from standard input, a missing folder
    // made.
    run = RunCliProcess({"--batch", "-", "--out-dir", "new/deeper", "--symbol-version", "1"},
                        dir.path(), "0123456789\n" + QByteArray(100, 'y') + "\n");
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("line 2: the data do not fit version 1 at level M"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("new/deeper/qr-1.bmp")));
}

TEST(CliBatch, ThousandsOfLinesOnEveryCore) {
    QTemporaryDir dir;
    constexpr int kLines = 3000;
    QByteArray lines;
    for (int i = 1; i <= kLines; ++i)
        lines += "https://example.org/item/" + QByteArray::number(i * 7919) + "\n";
    WriteText(dir.filePath("urls.txt"), lines);

    const CliRun run = RunCliProcess({"--batch", "urls.txt", "--out-dir", "png", "--name",
                                      "item-{line}.png", "--unscaled", "--level", "Q"},
                                     dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(
        run.err.startsWith("qrdesk-cli: 3000 written, 0 failed, 0 empty lines skipped, "
                           "3000 lines in "))
        << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1);  // no progress bar: standard error is no terminal
    EXPECT_EQ(QDir(dir.filePath("png")).entryList(QDir::Files | QDir::Hidden).size(), kLines);
    for (int line : {1, 2, 1500, 2999, 3000}) {
        const auto decoded =
            DecodeFile(ReadFile(dir.filePath(QStringLiteral("png/item-%1.png").arg(line))));
        ASSERT_TRUE(decoded) << line;
        EXPECT_EQ(DecodedBytes(*decoded),
                  "https://example.org/item/" + QByteArray::number(line * 7919));
        EXPECT_EQ(decoded->ecLevel, "Q");
    }
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // for QProcess
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
