// The batch: its line reader in process, and the real qrdesk-cli's batch mode: failing lines
// reported, empty ones skipped, files never replaced unless asked, thousands of lines on
// every core.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "cli/Batch.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"

namespace {

TEST(LineReader, SplitsLinesThroughItsFixedBuffer) {
    using Line = std::pair<std::string, bool>;  // text, too long
    const std::string a65535(65535, 'a'), a65536(65536, 'a'), a65537(65537, 'a');
    const std::string huge(300000, 'z');
    struct Case {
        std::string input;
        std::vector<Line> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {{"a", false}}},
        {"a\nb", {{"a", false}, {"b", false}}},
        {"a\n", {{"a", false}}},
        {"\n\n", {{"", false}, {"", false}}},
        {"x\r\ny", {{"x\r", false}, {"y", false}}},
        {a65535 + "\nc", {{a65535, false}, {"c", false}}},  // across the buffer's end
        {a65536 + "\n", {{a65536, false}}},
        {a65537 + "\nd\n", {{{}, true}, {"d", false}}},
        {"e\n" + huge + "\nf", {{"e", false}, {{}, true}, {"f", false}}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath("lines.txt");
        ASSERT_TRUE(WriteFile(path, QByteArray::fromStdString(c.input)));
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        qrdesk::cli::LineReader reader(fd);
        std::vector<Line> lines;
        std::string line;
        bool tooLong = false;
        while (reader.Next(line, tooLong))
            lines.push_back({tooLong ? std::string() : line, tooLong});
        ::close(fd);
        EXPECT_EQ(reader.Error(), 0);
        EXPECT_EQ(reader.Consumed(), static_cast<std::int64_t>(c.input.size()));
        ASSERT_EQ(lines.size(), c.lines.size()) << c.input.substr(0, 20);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            EXPECT_EQ(lines[k].second, c.lines[k].second) << k;
            EXPECT_EQ(lines[k].first, c.lines[k].first) << k;
        }
    }
}

// A batch's file reads back as text at level ecLevel, and is the file that qrdesk-cli
// writes for that text alone with options.
void ExpectSymbolFile(const QString& path, const QByteArray& text, const char* ecLevel,
                      const QStringList& options) {
    SCOPED_TRACE(path.toStdString());
    const QByteArray file = ReadFile(path);
    const auto decoded = DecodeFile(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(DecodedBytes(decoded), text);
    EXPECT_EQ(decoded->ecLevel, ecLevel);
    QTemporaryDir dir;
    const CliRun single =
        RunCliProcess(options + QStringList{"-o", "one.bmp", "-"}, dir.path(), text);
    ASSERT_EQ(single.code, 0) << single.err.toStdString();
    EXPECT_TRUE(ReadFile(dir.filePath("one.bmp")) == file);
}

TEST(CliBatch, ReportsFailingLinesSkipsEmptyOnesAndNeverReplaces) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));
    ASSERT_TRUE(WriteFile(out + "/qr-3.bmp", "keep"));
    // 1 alpha (CRLF), 2 empty, 3 beta (its file exists), 4 too long, 5 blanks, 6 not UTF-8,
    // 7 empty after its \r, 8 gamma without a final line break.
    ASSERT_TRUE(WriteFile(dir.filePath("in.txt"), "alpha\r\n\nbeta\n" + QByteArray(3000, 'x') +
                                                      "\n  \n\xC3\x28\n\r\ngamma"));

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
    const std::pair<const char*, QByteArray> written[] = {
        {"qr-1.bmp", "alpha"}, {"qr-5.bmp", "  "}, {"qr-8.bmp", "gamma"}};
    for (const auto& [name, text] : written) ExpectSymbolFile(out + "/" + name, text, "M", {});
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
    ExpectSymbolFile(out + "/qr-3.bmp", "beta", "H", {"--level", "H"});
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
    ASSERT_TRUE(WriteFile(dir.filePath("urls.txt"), lines));

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
        EXPECT_EQ(DecodedBytes(decoded),
                  "https://example.org/item/" + QByteArray::number(line * 7919));
        EXPECT_EQ(decoded->ecLevel, "Q");
    }
}

}  // namespace
