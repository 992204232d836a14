// The batch: its line reader in process, and the real qrdesk-cli's batch mode: failing lines
// reported, empty ones skipped, files never replaced unless asked, thousands of lines on
// every core.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "Temporaries.h"
#include "cli/Batch.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"
#include "support/qt/ScratchDisk.h"

namespace {

// A descriptor open for reading the bytes of input (a file in dir), -1 on failure.
int InputOf(const QTemporaryDir& dir, const std::string& input) {
    const QString path = dir.filePath("input");
    return WriteFile(path, QByteArray::fromStdString(input))
               ? ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)
               : -1;
}

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
        const int fd = InputOf(dir, c.input);
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

// CSV records and the line of the file each begins on: a quoted line break makes a record two
// lines long, a leading byte-order mark (as spreadsheets write it) is no part of the first
// field, a mark elsewhere is.
TEST(CsvReader, RecordsBeginOnTheirLinesAfterAByteOrderMark) {
    using Record = std::pair<std::int64_t, std::vector<std::string>>;  // line, fields
    const struct {
        std::string input;
        std::vector<Record> records;
    } cases[] = {
        {"\xEF\xBB\xBFname,text\r\na.png,x\n", {{1, {"name", "text"}}, {2, {"a.png", "x"}}}},
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB", {{1, {"\xEF\xBB"}}}},
        {"a,\"one\ntwo\"\nb,c\n\nd,\"\"\"\"\n",
         {{1, {"a", "one\ntwo"}}, {3, {"b", "c"}}, {4, {""}}, {5, {"d", "\""}}}},
        {"x,\xEF\xBB\xBFy\n", {{1, {"x", "\xEF\xBB\xBFy"}}}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const int fd = InputOf(dir, c.input);
        ASSERT_GE(fd, 0);
        qrdesk::cli::CsvReader reader(fd);
        std::vector<Record> records;
        std::vector<std::string> fields;
        bool tooLong = false, malformed = false;
        while (reader.Next(fields, tooLong, malformed)) records.emplace_back(reader.Line(), fields);
        ::close(fd);
        EXPECT_EQ(records, c.records) << c.input;
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

// Only {line} and {line:0N} (N 1 to 20) are fields; any other brace text stays as written
// (a bad field after a good one once ended the program).
TEST(CliBatch, FileNamesFromTheTemplate) {
    const struct {
        const char* nameTemplate;
        const char* name;  // of line 7
    } cases[] = {
        {"qr-{line}.png", "qr-7.png"},
        {"{line:03}-{line}.bmp", "007-7.bmp"},
        {"a{line}b{line:0zz}.png", "a7b{line:0zz}.png"},
        {"a{line}{line:099999999999}.png", "a7{line:099999999999}.png"},
        {"{line:}{lines}{line", "{line:}{lines}{line"},
        {"{line{line}}.png", "{line7}.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qrdesk::cli::BatchFileName(c.nameTemplate, 7), c.name) << c.nameTemplate;
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

// SIGINT or SIGTERM: no more lines taken, no temporary file left, every file there complete,
// the summary printed, 128 + the signal as the exit code.
TEST(CliBatch, SignalsStopItCleanly) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        QTemporaryDir dir;
        QByteArray lines;
        for (int i = 1; i <= 200000; ++i) lines += "line " + QByteArray::number(i) + "\n";
        ASSERT_TRUE(WriteFile(dir.filePath("in.txt"), lines));
        CliProcess how;
        how.signal = signal;
        how.signalAfterMs = 700;
        const CliRun run =
            RunCliProcess({"--batch", "in.txt", "--out-dir", "out", "-j", "2"}, dir.path(), how);
        EXPECT_EQ(run.code, 128 + signal) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("qrdesk-cli: interrupted: ")) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1);
        const QStringList files = Entries(dir.filePath("out"));
        ASSERT_FALSE(files.isEmpty());
        EXPECT_LT(files.size(), 200000);
        EXPECT_TRUE(run.err.contains(QByteArray::number(files.size()) + " written"));
        for (const QString& name : files) {
            ASSERT_TRUE(name.startsWith("qr-") && name.endsWith(".bmp")) << name.toStdString();
            const QString line = name.mid(3, name.size() - 7);
            EXPECT_EQ(ReadFile(dir.filePath("out/" + name)).size(), 54 + 600 * 600 * 3)
                << line.toStdString();
        }
    }
    // Waiting for standard input is interrupted too.
    QTemporaryDir dir;
    CliProcess how{"one\ntwo\n", {}, false, SIGTERM, 500};
    const CliRun run = RunCliProcess({"--batch", "-", "--out-dir", "out"}, dir.path(), how);
    EXPECT_EQ(run.code, 128 + SIGTERM);
    EXPECT_TRUE(
        run.err.startsWith("qrdesk-cli: interrupted: 2 written, 0 failed, 0 empty lines "
                           "skipped, 2 lines in "))
        << run.err.toStdString();
}

// Temporary files that a killed run left (where the file system has no unnamed files) are
// removed by the next run into the folder, which says so; but only those it can prove are its
// own and abandoned: named as only the program names them, this user's, not locked by a
// writer, untouched for an hour. Nothing else is ever removed.
TEST(CliBatch, OnlyProvablyAbandonedTemporaryFilesAreRemoved) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));
    std::string forged = qrdesk::detail::TemporaryName();
    forged[forged.size() - 5] = forged[forged.size() - 5] == '0' ? '1' : '0';  // a wrong check
    const bool root = ::geteuid() == 0;
    const struct {
        std::string name;
        bool old, locked, otherUser, removed;
    } cases[] = {
        {qrdesk::detail::TemporaryName(), true, false, false, true},
        {qrdesk::detail::TemporaryName(), false, false, false, false},  // may be in flight
        {qrdesk::detail::TemporaryName(), true, true, false, false},    // its writer lives
        {qrdesk::detail::TemporaryName(), true, false, root, !root},    // another user's
        {forged, true, false, false, false},
        {".qrdesk-999999999-0.tmp", true, false, false, false},  // the user's own names
        {".qrdesk-99999-notes.tmp", true, false, false, false},
        {"mine.tmp", true, false, false, false},
    };
    std::vector<int> locks;
    QStringList kept = {"qr-1.bmp"};
    int removed = 0;
    for (const auto& c : cases) {
        const QString path = out + "/" + QString::fromStdString(c.name);
        ASSERT_TRUE(WriteFile(path, "data"));
        const QByteArray native = QFile::encodeName(path);
        if (c.old) {
            const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 7200, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
        }
        if (c.otherUser) {
            ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
        }
        if (c.locked) {
            locks.push_back(::open(native.constData(), O_RDWR));
            struct flock lock {};
            lock.l_type = F_WRLCK;
            ASSERT_EQ(::fcntl(locks.back(), F_OFD_SETLK, &lock), 0);
        }
        if (!c.removed) kept << QString::fromStdString(c.name);
        removed += c.removed;
    }
    ASSERT_TRUE(WriteFile(dir.filePath("in.txt"), "a\n"));
    const CliRun run = RunCliProcess({"--batch", "in.txt", "--out-dir", "out"}, dir.path());
    for (const int fd : locks) ::close(fd);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("qrdesk-cli: removed %1 temporary %2 that an "
                                                  "earlier run left in out\n")
                                       .arg(removed)
                                       .arg(removed == 1 ? "file" : "files")
                                       .toUtf8()))
        << run.err.toStdString();
    kept.sort();
    EXPECT_EQ(Entries(out), kept);
}

// The first "no space" stops the batch with one message, not one per line.
TEST(CliBatch, FullDiskStopsTheBatch) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(out));
    ScratchDisk disk(out, "size=2m");
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs here (needs root)";
    QByteArray lines;
    for (int i = 1; i <= 500; ++i) lines += "line " + QByteArray::number(i) + "\n";
    ASSERT_TRUE(WriteFile(dir.filePath("in.txt"), lines));
    const CliRun run =
        RunCliProcess({"--batch", "in.txt", "--out-dir", "out", "-j", "2"}, dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.err.count("No space left on device; the batch stops"), 1)
        << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 2) << run.err.toStdString();  // that, and the summary
    for (const QString& name : Entries(out)) {
        EXPECT_FALSE(name.endsWith(".tmp")) << name.toStdString();
        EXPECT_EQ(ReadFile(out + "/" + name).size(), 54 + 600 * 600 * 3) << name.toStdString();
    }
}

// CSV records name their files: RFC 4180 quoting, an optional header, the type from each
// name's extension; bad records fail on their own, in line order, under the line of the file
// where they begin (a quoted line break makes a record two lines long).
TEST(CliBatch, CsvRecordsNameTheirFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("in.csv"),
                          "name,text\r\n"
                          "plain.png,plain text\r\n"
                          "\"with, comma.bmp\",\"say \"\"hi\"\", twice\"\r\n"
                          "lines.svg,\"one\ntwo\"\n"
                          ",no name\n"
                          "sub/dir.png,path\n"
                          "three.png,a,b\n"
                          "odd.gif,unknown type\n"
                          "bad\"quote.png,x\n"
                          "\n"
                          "empty.png,\n"));
    CliRun run = RunCliProcess(
        {"--batch", "in.csv", "--batch-format", "csv", "--out-dir", "out", "-j", "2"}, dir.path());
    EXPECT_EQ(run.code, 2) << run.err.toStdString();
    const QList<QByteArray> err = run.err.split('\n');
    EXPECT_EQ(
        err.mid(0, 5),
        (QList<QByteArray>{
            "qrdesk-cli: line 6: the record has no file name",
            "qrdesk-cli: line 7: \"sub/dir.png\" is not a plain file name",
            "qrdesk-cli: line 8: a record has two fields, name and text",
            "qrdesk-cli: line 9: \"odd.gif\" must end in .png, .bmp, .svg or .txt (or give -t)",
            "qrdesk-cli: line 10: the record is not well-formed CSV"}));
    EXPECT_TRUE(
        err[5].startsWith("qrdesk-cli: 3 written, 5 failed, 2 empty lines skipped, 10 lines"))
        << err[5].toStdString();
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("out/plain.png")))), "plain text");
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("out/with, comma.bmp")))),
              "say \"hi\", twice");
    EXPECT_TRUE(ReadFile(dir.filePath("out/lines.svg")).startsWith("<?xml"));
    // Again with --skip-existing: the three files are left alone, the bad records fail again.
    run = RunCliProcess(
        {"--batch", "in.csv", "--batch-format", "csv", "--out-dir", "out", "--skip-existing"},
        dir.path());
    EXPECT_TRUE(
        run.err.contains("0 written, 5 failed, 2 empty lines skipped, 3 existing files "
                         "left alone, 10 lines"))
        << run.err.toStdString();
}

// Shards: each takes the lines whose number modulo N is K, under the names of the whole
// batch, so that N runs together write exactly the batch's files.
TEST(CliBatch, ShardsSplitTheBatchUnderTheSameNames) {
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 1; i <= 10; ++i) lines += "item " + QByteArray::number(i) + "\n";
    ASSERT_TRUE(WriteFile(dir.filePath("in.txt"), lines));
    QStringList all;
    for (int k = 0; k < 3; ++k) {
        const CliRun run =
            RunCliProcess({"--batch", "in.txt", "--out-dir", "out", "--shard",
                           QStringLiteral("%1/3").arg(k), "--name", "q{line:03}.png"},
                          dir.path());
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        const int mine = k == 1 ? 4 : 3;  // lines 1, 4, 7, 10 for shard 1
        EXPECT_TRUE(
            run.err.startsWith(QStringLiteral("qrdesk-cli: %1 written, 0 failed, 0 empty "
                                              "lines skipped, %2 for other shards, 10 lines")
                                   .arg(mine)
                                   .arg(10 - mine)
                                   .toUtf8()))
            << run.err.toStdString();
    }
    for (int i = 1; i <= 10; ++i) all << QStringLiteral("q%1.png").arg(i, 3, 10, QChar('0'));
    EXPECT_EQ(Entries(dir.filePath("out")), all);
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("out/q007.png")))), "item 7");
}

// With several workers the messages still come in line order, and one line is one line.
TEST(CliBatch, MessagesInLineOrderAndRightPlurals) {
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 1; i <= 300; ++i)
        lines += (i % 7 == 0 ? QByteArray(3000, 'z') : "ok " + QByteArray::number(i)) + "\n";
    ASSERT_TRUE(WriteFile(dir.filePath("in.txt"), lines));
    CliRun run = RunCliProcess({"--batch", "in.txt", "--out-dir", "out", "-j", "4", "--unscaled"},
                               dir.path());
    EXPECT_EQ(run.code, 1);
    QList<QByteArray> err = run.err.split('\n');
    ASSERT_EQ(err.size(), 300 / 7 + 2);
    for (int k = 0; k < 300 / 7; ++k)
        EXPECT_TRUE(err[k].startsWith("qrdesk-cli: line " + QByteArray::number(7 * (k + 1)) + ": "))
            << err[k].toStdString();
    run = RunCliProcess({"--batch", "-", "--out-dir", "one"}, dir.path(), "single\n");
    EXPECT_TRUE(
        run.err.startsWith("qrdesk-cli: 1 written, 0 failed, 0 empty lines skipped, 1 line "
                           "in "))
        << run.err.toStdString();
}

}  // namespace
