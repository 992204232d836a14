// The command line's parsing, the symbol description behind --info, the batch's line reader
// and its no-replace writer, in process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "cli/Batch.h"
#include "cli/BatchWrite.h"
#include "cli/Options.h"
#include "common/SymbolInfo.h"
#include "common/SymbolReport.h"
#include "common/TextBytes.h"
#include "support/qt/CliTestSupport.h"

using qrdesk::cli::ImageFormat;
using qrdesk::cli::ParseArguments;
using Args = std::vector<std::string>;

TEST(CliOptions, MapsOptionsAsTheWindowsLists) {
    struct Case {
        Args args;
        std::int32_t version, level, mask;
        bool kanji;
        int size;
        bool unscaled;
        ImageFormat format;
    };
    const Case cases[] = {
        {{"abc"}, 0, 2, -1, false, 600, false, ImageFormat::Bmp},
        {{"--symbol-version", "40", "--level", "h", "--mask", "0", "x"},
         40,
         4,
         0,
         false,
         600,
         false,
         ImageFormat::Bmp},
        {{"--symbol-version=1", "--level=L", "--mask=7", "--size=29", "x"},
         1,
         1,
         7,
         false,
         29,
         false,
         ImageFormat::Bmp},
        {{"--symbol-version", "auto", "--mask", "auto", "--level", "Q", "x"},
         0,
         3,
         -1,
         false,
         600,
         false,
         ImageFormat::Bmp},
        {{"--encoding", "ansi", "--ansi-codepage", "SHIFT_JIS", "x"},
         0,
         2,
         -1,
         true,
         600,
         false,
         ImageFormat::Bmp},
        {{"--encoding", "ansi", "x"}, 0, 2, -1, false, 600, false, ImageFormat::Bmp},
        {{"--ansi-codepage", "CP932", "x"}, 0, 2, -1, false, 600, false, ImageFormat::Bmp},
        {{"-o", "a.PNG", "--unscaled", "x"}, 0, 2, -1, false, 600, true, ImageFormat::Png},
        {{"--output=b.bmp", "--size", "10000", "x"},
         0,
         2,
         -1,
         false,
         10000,
         false,
         ImageFormat::Bmp},
    };
    for (const Case& c : cases) {
        const auto parsed = ParseArguments(c.args);
        ASSERT_TRUE(parsed.options) << c.args[0] << ": " << parsed.error.toStdString();
        const auto& o = *parsed.options;
        const auto symbol = o.Symbol();
        EXPECT_EQ(symbol.version, c.version) << c.args[0];
        EXPECT_EQ(symbol.level, c.level) << c.args[0];
        EXPECT_EQ(symbol.mask, c.mask) << c.args[0];
        EXPECT_EQ(o.Kanji(), c.kanji) << c.args[0];
        EXPECT_EQ(o.size, c.size) << c.args[0];
        EXPECT_EQ(o.unscaled, c.unscaled) << c.args[0];
        EXPECT_EQ(o.outputFormat, c.format) << c.args[0];
    }
}

TEST(CliOptions, TextAndBatchForms) {
    auto parsed = ParseArguments({"--", "-x"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->text, "-x");
    EXPECT_FALSE(parsed.options->textFromStdin);
    EXPECT_EQ(parsed.options->output, "qrcode.bmp");

    parsed = ParseArguments({"-"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->textFromStdin);

    parsed = ParseArguments(
        {"--batch", "f.txt", "--out-dir", "d", "--name", "n-{line}.png", "--force", "--jobs", "2"});
    ASSERT_TRUE(parsed.options) << parsed.error.toStdString();
    EXPECT_TRUE(parsed.options->batch);
    EXPECT_EQ(parsed.options->nameFormat, ImageFormat::Png);
    EXPECT_TRUE(parsed.options->force);
    EXPECT_EQ(parsed.options->jobs, 2);
    EXPECT_EQ(ParseArguments({"--batch", "f", "--out-dir", "d"}).options->nameTemplate,
              "qr-{line}.bmp");

    // --help and --version end the parsing: what follows them is not looked at.
    EXPECT_TRUE(ParseArguments({"--help", "--level", "X"}).options->help);
    EXPECT_TRUE(ParseArguments({"x", "-h"}).options->help);
    EXPECT_TRUE(ParseArguments({"--version", "a", "b"}).options->showVersion);
}

TEST(CliOptions, UsageErrorsNameTheCause) {
    struct Case {
        Args args;
        const char* message;
    };
    const Case cases[] = {
        {{"--bogus", "x"}, "unknown option \"--bogus\""},
        {{"-x"}, "unknown option \"-x\""},
        {{"--symbol-version", "41", "x"}, "--symbol-version must be auto or 1 to 40, not \"41\""},
        {{"--symbol-version", "0", "x"}, "--symbol-version must be auto or 1 to 40"},
        {{"--symbol-version", "2x", "x"}, "--symbol-version must be auto or 1 to 40"},
        {{"--level", "X", "x"}, "--level must be L, M, Q or H, not \"X\""},
        {{"--level", "", "x"}, "--level must be L, M, Q or H"},
        {{"--mask", "9", "x"}, "--mask must be auto or 0 to 7, not \"9\""},
        {{"--mask", "-1", "x"}, "--mask must be auto or 0 to 7"},
        {{"--size", "0", "x"}, "--size must be a number of pixels from 29"},
        {{"--size", "-600", "x"}, "--size must be a number of pixels from 29"},
        {{"--size", "28", "x"}, "not \"28\""},
        {{"--size", "10001", "x"}, "to 10000"},
        {{"--size", "+600", "x"}, "--size must be"},
        {{"--encoding", "latin1", "x"}, "--encoding must be utf-8 or ansi"},
        {{"--ansi-codepage", "NO-SUCH-PAGE", "x"}, "unknown code page \"NO-SUCH-PAGE\""},
        {{"-o", "a.gif", "x"}, "must end in .bmp or .png"},
        {{"-o", ".bmp", "x"}, "must end in .bmp or .png"},
        {{"x", "-o"}, "option -o needs a value"},
        {{"a", "b"}, "unexpected argument \"b\""},
        {{}, "missing TEXT"},
        {{"--size", "100", "--unscaled", "x"}, "--size and --unscaled exclude each other"},
        {{"--unscaled=yes", "x"}, "option --unscaled takes no value"},
        {{"--batch", "f", "x", "--out-dir", "d"}, "--batch takes its texts from the file"},
        {{"--batch", "f", "-o", "a.bmp", "--out-dir", "d"}, "-o is for one symbol"},
        {{"--batch", "f"}, "--batch needs --out-dir"},
        {{"--batch", "f", "--out-dir", "d", "--info"}, "--info is for one symbol"},
        {{"--out-dir", "d", "x"}, "--out-dir needs --batch"},
        {{"--force", "x"}, "--force needs --batch"},
        {{"--batch", "f", "--out-dir", "d", "--name", "x.bmp"}, "must contain {line}"},
        {{"--batch", "f", "--out-dir", "d", "--name", "a/{line}.bmp"}, "without a folder"},
        {{"--batch", "f", "--out-dir", "d", "--name", "{line}.jpg"}, "must end in .bmp or .png"},
        {{"--batch", "f", "--out-dir", "d", "--jobs", "0"}, "--jobs must be 1 to 256"},
    };
    for (const Case& c : cases) {
        const auto parsed = ParseArguments(c.args);
        EXPECT_FALSE(parsed.options) << c.message;
        EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(c.message)))
            << "got: " << parsed.error.toStdString() << "\nwanted: " << c.message;
        EXPECT_FALSE(parsed.error.contains('\n')) << c.message;
    }
}

// Known answers from the standard's bit costs: mode indicator 4 bits, count field by mode
// and version class, then 10 bits per 3 digits (4 or 7 for the rest), 11 per 2
// alphanumerics (6 for a single one), 8 per byte, 13 per Kanji character.
TEST(SymbolInfo, DescribesSegmentsBitsAndCapacity) {
    using Mode = clsQRCode::Mode;
    struct Case {
        QString text;
        const char* codePage;  // nullptr: UTF-8
        int versionIndex, levelIndex, maskIndex;
        std::int32_t version, level, mask;
        std::vector<std::pair<Mode, int>> segments;
        std::int32_t bits, capacity;
    };
    const Case cases[] = {
        // The standard's worked example: 01234567 at 1-M is 41 data bits.
        {"01234567", nullptr, 1, 1, 0, 1, 2, 0, {{clsQRCode::ModeNumeric, 8}}, 41, 128},
        {"HELLO WORLD", nullptr, 0, 2, 3, 1, 3, 2, {{clsQRCode::ModeAlphanumeric, 11}}, 74, 104},
        {QString::fromUtf8("漢字"),
         "SHIFT_JIS",
         0,
         0,
         8,
         1,
         1,
         7,
         {{clsQRCode::ModeKanji, 2}},
         38,
         152},
        {QString::fromUtf8("漢字"), "GBK", 0, 1, 0, 1, 2, 0, {{clsQRCode::ModeByte, 4}}, 44, 128},
        {"abc12345678901234567",
         nullptr,
         0,
         1,
         0,
         1,
         2,
         0,
         {{clsQRCode::ModeByte, 3}, {clsQRCode::ModeNumeric, 17}},
         107,
         128},
        // Count fields widen with the version class: 12 numeric bits at 10-26, 13 alnum at 27+.
        {"01234567", nullptr, 10, 1, 0, 10, 2, 0, {{clsQRCode::ModeNumeric, 8}}, 43, 1728},
        {"A", nullptr, 27, 0, 0, 27, 1, 0, {{clsQRCode::ModeAlphanumeric, 1}}, 23, 11744},
    };
    for (const Case& c : cases) {
        const auto encoding = c.codePage ? qrdesk::TextEncoding::Ansi : qrdesk::TextEncoding::Utf8;
        const QString codePage = c.codePage ? c.codePage : "GBK";
        const auto bytes = qrdesk::TextToBytes(c.text, encoding, codePage);
        ASSERT_TRUE(bytes);
        const auto options = qrdesk::OptionsFromIndexes(c.versionIndex, c.levelIndex, c.maskIndex);
        const bool kanji = qrdesk::KanjiAllowed(encoding, codePage);
        clsQRCode encoder;
        const auto encoded = qrdesk::EncodeSymbol(encoder, *bytes, options, kanji);
        ASSERT_TRUE(encoded.picture);
        const auto& info = encoded.info;
        ASSERT_TRUE(info) << c.text.toStdString();
        EXPECT_EQ(info->version, c.version) << c.text.toStdString();
        EXPECT_EQ(info->level, c.level) << c.text.toStdString();
        EXPECT_EQ(info->mask, c.mask) << c.text.toStdString();
        ASSERT_EQ(info->segments.size(), c.segments.size()) << c.text.toStdString();
        for (std::size_t k = 0; k < c.segments.size(); ++k) {
            EXPECT_EQ(info->segments[k].mode, c.segments[k].first) << c.text.toStdString();
            EXPECT_EQ(info->segments[k].length, c.segments[k].second) << c.text.toStdString();
        }
        EXPECT_EQ(info->dataBits, c.bits) << c.text.toStdString();
        EXPECT_EQ(info->capacityBits, c.capacity) << c.text.toStdString();
    }
    EXPECT_EQ(qrdesk::VersionFromPictureSize(29), 1);
    EXPECT_EQ(qrdesk::VersionFromPictureSize(185), 40);
    EXPECT_EQ(qrdesk::VersionFromPictureSize(30), 0);
    EXPECT_EQ(qrdesk::VersionFromPictureSize(189), 0);
}

TEST(LineReader, SplitsLinesThroughItsFixedBuffer) {
    using Line = std::pair<QByteArray, bool>;  // text, too long
    const QByteArray a65535(65535, 'a'), a65536(65536, 'a'), a65537(65537, 'a');
    const QByteArray huge(300000, 'z');
    struct Case {
        QByteArray input;
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
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.input);
        file.close();
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        qrdesk::cli::LineReader reader(fd);
        std::vector<Line> lines;
        QByteArray line;
        bool tooLong = false;
        while (reader.Next(line, tooLong))
            lines.push_back({tooLong ? QByteArray() : line, tooLong});
        ::close(fd);
        EXPECT_EQ(reader.Error(), 0);
        EXPECT_EQ(reader.Consumed(), c.input.size());
        ASSERT_EQ(lines.size(), c.lines.size()) << c.input.left(20).toStdString();
        for (std::size_t k = 0; k < lines.size(); ++k) {
            EXPECT_EQ(lines[k].second, c.lines[k].second) << k;
            EXPECT_EQ(lines[k].first, c.lines[k].first) << k;
        }
    }
}

TEST(BatchWrite, ReplacesOnlyWhenAskedAndLeavesNoTemporaryFile) {
    using qrdesk::cli::WriteBatchFile;
    using qrdesk::cli::WriteResult;
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    QString error;
    EXPECT_EQ(WriteBatchFile(path, "first", false, &error), WriteResult::Written);
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(WriteBatchFile(path, "second", false, &error), WriteResult::Exists);
    EXPECT_TRUE(error.contains("exists"));
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(WriteBatchFile(path, "third", true, &error), WriteResult::Written);
    EXPECT_EQ(ReadFile(path), "third");
    EXPECT_EQ(WriteBatchFile(dir.filePath("missing/b.bmp"), "x", false, &error),
              WriteResult::Failed);
    EXPECT_TRUE(error.contains("No such file")) << error.toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkdir("c.bmp"));
    EXPECT_EQ(WriteBatchFile(dir.filePath("c.bmp"), "x", true, &error), WriteResult::Failed);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.bmp"});

    // Made with the permissions of any new file (the umask's), not a temporary file's 0600.
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(QFile(path).permissions(), plain.permissions());
}
