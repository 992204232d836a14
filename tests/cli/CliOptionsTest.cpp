// The command line's options: what each maps to, short and long forms, where the text comes
// from, the warnings, and the one-line reason for every usage error.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Options.h"
#include "support/qt/CliProcess.h"

using qrdesk::cli::CliOptions;
using qrdesk::cli::EciChoice;
using qrdesk::cli::OutputType;
using qrdesk::cli::ParseArguments;
using Args = std::vector<std::string>;

namespace {

Args ArgsOf(const char* words) {
    Args args;
    for (const QString& word : Words(words)) args.push_back(word.toStdString());
    return args;
}

}  // namespace

TEST(CliOptions, MapsOptionsToTheEncoderAndTheOutput) {
    struct Case {
        const char* args;
        std::int32_t version, level, mask;
        bool kanji;
        int size, scale, margin;
        OutputType type;
        const char* output;
    };
    constexpr auto kBmp = OutputType::Bmp, kPng = OutputType::Png, kSvg = OutputType::Svg;
    const Case cases[] = {
        {"abc", 0, 2, -1, false, 600, 0, 4, kBmp, "qrcode.bmp"},
        {"--symbol-version 40 --level h --mask 0 x", 40, 4, 0, false, 600, 0, 4, kBmp,
         "qrcode.bmp"},
        {"--symbol-version=1 --level=L --mask=7 --size=29 x", 1, 1, 7, false, 29, 0, 4, kBmp,
         "qrcode.bmp"},
        {"-v AUTO --mask Auto -l q x", 0, 3, -1, false, 600, 0, 4, kBmp, "qrcode.bmp"},
        {"-v7 -lH -s 3 -m 2 -o a.svg x", 7, 4, -1, false, 600, 3, 2, kSvg, "a.svg"},
        {"--encoding ansi --ansi-codepage SHIFT_JIS x", 0, 2, -1, true, 600, 0, 4, kBmp,
         "qrcode.bmp"},
        {"--encoding ANSI x", 0, 2, -1, false, 600, 0, 4, kBmp, "qrcode.bmp"},
        {"--ansi-codepage CP932 x", 0, 2, -1, false, 600, 0, 4, kBmp, "qrcode.bmp"},
        {"-o a.PNG --unscaled x", 0, 2, -1, false, 600, 1, 4, kPng, "a.PNG"},
        {"--output=b.bmp --size 10000 x", 0, 2, -1, false, 10000, 0, 4, kBmp, "b.bmp"},
        {"-o - x", 0, 2, -1, false, 600, 0, 4, kPng, "-"},
        {"-o x.png -t bmp x", 0, 2, -1, false, 600, 0, 4, kBmp, "x.png"},
        {"-t utf8 x", 0, 2, -1, false, 600, 0, 4, OutputType::Utf8, "-"},
        {"-t ASCII -o q.txt x", 0, 2, -1, false, 600, 0, 4, OutputType::Ascii, "q.txt"},
        {"-o q.txt x", 0, 2, -1, false, 600, 0, 4, OutputType::Utf8, "q.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const auto parsed = ParseArguments(ArgsOf(c.args));
        ASSERT_TRUE(parsed.options) << parsed.error;
        const CliOptions& o = *parsed.options;
        EXPECT_EQ(o.symbol.version, c.version);
        EXPECT_EQ(o.symbol.level, c.level);
        EXPECT_EQ(o.symbol.mask, c.mask);
        EXPECT_EQ(o.symbol.kanjiAllowed, c.kanji);
        EXPECT_EQ(o.size, c.size);
        EXPECT_EQ(o.scale, c.scale);
        EXPECT_EQ(o.margin, c.margin);
        EXPECT_EQ(o.type, c.type);
        EXPECT_EQ(o.output, c.output);
    }
}

TEST(CliOptions, EciColoursDpiAndShards) {
    auto o = *ParseArguments(ArgsOf("--eci auto --dpi 300 --foreground 1F3A68 x")).options;
    EXPECT_EQ(o.eciChoice, EciChoice::Auto);
    EXPECT_EQ(o.dpi, 300);
    EXPECT_EQ(o.colours.dark, 0xFF1F3A68u);
    EXPECT_EQ(o.colours.light, 0xFFFFFFFFu);
    o = *ParseArguments(ArgsOf("--eci 899 --background FFFFFF80 x")).options;
    EXPECT_EQ(o.eciChoice, EciChoice::Given);
    EXPECT_EQ(o.symbol.eci, 899);
    EXPECT_EQ(o.colours.light, 0x80FFFFFFu);
    EXPECT_EQ(ParseArguments(ArgsOf("--eci OFF x")).options->eciChoice, EciChoice::Off);
    // best: the masks scored; auto: pattern 0, as the window's "Automatic".
    o = *ParseArguments(ArgsOf("--mask BEST x")).options;
    EXPECT_TRUE(o.symbol.scoredMask);
    EXPECT_EQ(o.symbol.mask, -1);
    EXPECT_FALSE(ParseArguments(ArgsOf("--mask best --mask auto x")).options->symbol.scoredMask);

    o = *ParseArguments(ArgsOf("--batch f --out-dir d --shard 2/5 --batch-format CSV")).options;
    EXPECT_EQ(o.shardIndex, 2);
    EXPECT_EQ(o.shardCount, 5);
    EXPECT_EQ(o.batchFormat, qrdesk::cli::BatchFormat::Csv);
}

TEST(CliOptions, WhereTheTextComesFrom) {
    auto parsed = ParseArguments({"--", "-x"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->text, "-x");
    EXPECT_EQ(parsed.options->source, CliOptions::Source::Argument);

    EXPECT_EQ(ParseArguments({"-"}).options->source, CliOptions::Source::Stdin);
    // No TEXT: standard input when it is not a terminal, an error when it is.
    EXPECT_EQ(ParseArguments({"-o", "a.png"}, false).options->source, CliOptions::Source::Stdin);
    EXPECT_FALSE(ParseArguments({"-o", "a.png"}, true).options);
    parsed = ParseArguments({"-r", "text.txt"});
    EXPECT_EQ(parsed.options->source, CliOptions::Source::File);
    EXPECT_EQ(parsed.options->textFile, "text.txt");
    EXPECT_EQ(ParseArguments({"--read-from=-"}).options->source, CliOptions::Source::Stdin);

    parsed = ParseArguments(
        {"--batch", "f.txt", "--out-dir", "d", "--name", "n-{line:05}.png", "--force", "-j2"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_TRUE(parsed.options->batch);
    EXPECT_EQ(parsed.options->type, OutputType::Png);
    EXPECT_TRUE(parsed.options->force);
    EXPECT_EQ(parsed.options->jobs, 2);
    EXPECT_EQ(ParseArguments({"--batch", "f", "--out-dir", "d"}).options->nameTemplate,
              "qr-{line}.bmp");

    // --help and --version end the parsing: what follows them is not looked at.
    EXPECT_TRUE(ParseArguments({"--help", "--level", "X"}).options->help);
    EXPECT_TRUE(ParseArguments({"x", "-h"}).options->help);
    EXPECT_TRUE(ParseArguments({"-V", "a", "b"}).options->showVersion);
}

// --info takes json as "--info=json" or as the very next argument, and only that word: any
// other next argument is the TEXT.
TEST(CliOptions, InfoTakesJsonAsItsOwnWordOnly) {
    using qrdesk::cli::InfoFormat;
    const struct {
        Args args;
        InfoFormat info;
        const char* text;
    } cases[] = {
        {{"--info", "x"}, InfoFormat::Text, "x"},
        {{"x", "--info"}, InfoFormat::Text, "x"},
        {{"--info", "json", "x"}, InfoFormat::Json, "x"},
        {{"--info", "JSON", "x"}, InfoFormat::Json, "x"},
        {{"--info=json", "x"}, InfoFormat::Json, "x"},
        {{"--info=Text", "x"}, InfoFormat::Text, "x"},
        {{"--info", "jsonx"}, InfoFormat::Text, "jsonx"},
        {{"x"}, InfoFormat::None, "x"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseArguments(c.args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->info, c.info) << c.args.size();
        EXPECT_EQ(parsed.options->text, c.text);
    }
}

TEST(CliOptions, WarningsForThinQuietZonesAndPoorContrast) {
    struct Case {
        const char* args;
        const char* warning;  // nullptr: none
    };
    const Case cases[] = {
        {"x", nullptr},
        {"-m 4 x", nullptr},
        {"-m 1 x", "a quiet zone of 1 module is below the 4"},
        {"-m 0 x", "a quiet zone of 0 modules"},
        {"--foreground FFFFFF --background 000000 x", "lighter than the background"},
        {"--foreground 999999 x", "contrast ratio is below 3:1"},  // 2.8:1
        {"--foreground 595959 x", nullptr},                        // 7.0:1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const auto o = *ParseArguments(ArgsOf(c.args)).options;
        if (c.warning == nullptr) {
            EXPECT_TRUE(o.warnings.empty()) << o.warnings.front();
            continue;
        }
        ASSERT_EQ(o.warnings.size(), 1u);
        EXPECT_NE(o.warnings[0].find(c.warning), std::string::npos) << o.warnings[0];
    }
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
        {{"--mask", "9", "x"}, "--mask must be auto, best or 0 to 7, not \"9\""},
        {{"--mask", "-1", "x"}, "--mask must be auto, best or 0 to 7"},
        {{"--size", "0", "x"}, "--size must be a number of pixels from 29"},
        {{"--size", "-600", "x"}, "--size must be a number of pixels from 29"},
        {{"--size", "28", "x"}, "not \"28\""},
        {{"--size", "10001", "x"}, "to 10000"},
        {{"--size", "+600", "x"}, "--size must be"},
        {{"--size", " 600", "x"}, "--size must be"},  // one way: digits only
        {{"--size", "600 ", "x"}, "--size must be"},
        {{"-s", "0", "x"}, "--scale must be a number of pixels per module"},
        {{"-m", "-1", "x"}, "--margin must be a number of modules"},
        {{"--dpi", "0", "x"}, "--dpi must be"},
        {{"--foreground", "#000000", "x"}, "--foreground must be RRGGBB or RRGGBBAA"},
        {{"--background", "FFF", "x"}, "--background must be RRGGBB or RRGGBBAA"},
        {{"--eci", "1000000", "x"}, "--eci must be auto, off or a designator"},
        {{"-t", "gif", "x"}, "--type must be png, bmp, svg, utf8, ansi or ascii"},
        {{"--encoding", "latin1", "x"}, "--encoding must be utf-8 or ansi"},
        {{"--ansi-codepage", "NO-SUCH-PAGE", "x"}, "unknown code page \"NO-SUCH-PAGE\""},
        {{"-o", "a.gif", "x"}, "must end in .png, .bmp, .svg or .txt (or give -t)"},
        {{"-o", ".bmp", "x"}, "must end in .png, .bmp, .svg or .txt"},
        {{"x", "-o"}, "option -o (--output) needs a value"},
        {{"a", "b"}, "unexpected argument \"b\""},
        // "--read" as a text after "--" or as an option's value does not make it --read.
        {{"--", "a", "--read"}, "unexpected argument \"--read\""},
        {{"-o", "--read", "a", "b"}, "unexpected argument \"b\""},
        {{"a", "-r", "f"}, "give either TEXT or -r FILE"},
        {{}, "missing TEXT"},
        {{"--size", "100", "--unscaled", "x"}, "--unscaled excludes --size and --scale"},
        {{"--size", "100", "-s", "2", "x"}, "--size and --scale exclude each other"},
        {{"--unscaled=yes", "x"}, "option --unscaled takes no value"},
        {{"--info=xml", "x"}, "--info takes json or nothing"},
        {{"--info=", "x"}, "--info takes json or nothing, not \"\""},
        {{"--help=x"}, "unknown option \"--help=x\""},
        {{"-hx"}, "unknown option \"-hx\""},
        {{"-V1"}, "unknown option \"-V1\""},
        {{"x", "--size"}, "option --size needs a value"},
        {{"-j", "2", "x"}, "--jobs needs --batch"},
        {{"--batch", "f", "x", "--out-dir", "d"}, "--batch takes its texts from the file"},
        {{"--batch", "f", "-o", "a.bmp", "--out-dir", "d"}, "-o is for one symbol"},
        {{"--batch", "f"}, "--batch needs --out-dir"},
        {{"--batch", "f", "--out-dir", "d", "--info"}, "--info is for one symbol"},
        {{"--out-dir", "d", "x"}, "--out-dir needs --batch"},
        {{"--force", "x"}, "--force needs --batch"},
        {{"--shard", "1/2", "x"}, "--shard needs --batch"},
        {{"--batch", "f", "--out-dir", "d", "--name", "x.bmp"}, "must contain {line}"},
        {{"--batch", "f", "--out-dir", "d", "--name", "{line:}.bmp"}, "must contain {line}"},
        {{"--batch", "f", "--out-dir", "d", "--name", "a/{line}.bmp"}, "without a folder"},
        {{"--batch", "f", "--out-dir", "d", "--name", "{line}.jpg"}, "must end in .png, .bmp"},
        {{"--batch", "f", "--out-dir", "d", "--jobs", "0"}, "--jobs must be 1 to 256"},
        {{"--batch", "f", "--out-dir", "d", "--shard", "5/5"}, "--shard must be K/N"},
        {{"--batch", "f", "--out-dir", "d", "--shard", "1"}, "--shard must be K/N"},
        {{"--batch", "f", "--out-dir", "d", "--force", "--skip-existing"}, "exclude each other"},
        {{"--batch", "f", "--out-dir", "d", "--batch-format", "csv", "--name", "a{line}.png"},
         "CSV records carry their names"},
    };
    for (const Case& c : cases) {
        const auto parsed = ParseArguments(c.args);
        EXPECT_FALSE(parsed.options) << c.message;
        EXPECT_NE(parsed.error.find(c.message), std::string::npos)
            << "got: " << parsed.error << "\nwanted: " << c.message;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << c.message;
    }
}
