// The command line's options: what each maps to, the text and batch forms, and the one-line
// reason for every usage error.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Options.h"
#include "support/qt/CliProcess.h"

using qrdesk::cli::ImageFormat;
using qrdesk::cli::ParseArguments;
using Args = std::vector<std::string>;

TEST(CliOptions, MapsOptionsAsTheWindowsLists) {
    constexpr auto kBmp = ImageFormat::Bmp, kPng = ImageFormat::Png;
    struct Case {
        const char* args;
        std::int32_t version, level, mask;
        bool kanji;
        int size;
        bool unscaled;
        ImageFormat format;
    };
    const Case cases[] = {
        {"abc", 0, 2, -1, false, 600, false, kBmp},
        {"--symbol-version 40 --level h --mask 0 x", 40, 4, 0, false, 600, false, kBmp},
        {"--symbol-version=1 --level=L --mask=7 --size=29 x", 1, 1, 7, false, 29, false, kBmp},
        {"--symbol-version auto --mask auto --level Q x", 0, 3, -1, false, 600, false, kBmp},
        {"--encoding ansi --ansi-codepage SHIFT_JIS x", 0, 2, -1, true, 600, false, kBmp},
        {"--encoding ansi x", 0, 2, -1, false, 600, false, kBmp},
        {"--ansi-codepage CP932 x", 0, 2, -1, false, 600, false, kBmp},
        {"-o a.PNG --unscaled x", 0, 2, -1, false, 600, true, kPng},
        {"--output=b.bmp --size 10000 x", 0, 2, -1, false, 10000, false, kBmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Args args;
        for (const QString& word : Words(c.args)) args.push_back(word.toStdString());
        const auto parsed = ParseArguments(args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        const auto& o = *parsed.options;
        EXPECT_EQ(o.symbol.version, c.version);
        EXPECT_EQ(o.symbol.level, c.level);
        EXPECT_EQ(o.symbol.mask, c.mask);
        EXPECT_EQ(o.symbol.kanjiAllowed, c.kanji);
        EXPECT_EQ(o.size, c.size);
        EXPECT_EQ(o.unscaled, c.unscaled);
        EXPECT_EQ(o.outputFormat, c.format);
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
    ASSERT_TRUE(parsed.options) << parsed.error;
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
        EXPECT_NE(parsed.error.find(c.message), std::string::npos)
            << "got: " << parsed.error << "\nwanted: " << c.message;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << c.message;
    }
}
