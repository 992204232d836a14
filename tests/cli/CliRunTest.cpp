// The real qrdesk-cli executable: its files read back through zxing-cpp, --info, every exit
// code and message. (Its files against the window's are in tests/ui, its batch mode in
// BatchTest.)

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "encoder/clsQRCode.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/Hex.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"

namespace {

// Every error is exactly one line on standard error, naming the program.
void ExpectOneErrorLine(const CliRun& run, const char* cause) {
    EXPECT_TRUE(run.err.startsWith("qrdesk-cli: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith('\n')) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(cause)) << "got: " << run.err.toStdString() << "wanted: " << cause;
}

TEST(CliRun, FilesReadBackAsTheTextsBytesAtTheLevelAsked) {
    struct Case {
        const char* options;  // before the text
        QString text;         // "-": standard input
        const char* output;
        std::string bytes;  // what the symbol holds
        const char* ecLevel;
        int edge;               // the image's width and height
        QByteArray input = {};  // standard input
    };
    const QString url = "https://example.org/qrdesk/items?id=12345";
    const Case cases[] = {
        {"", url, "qrcode.bmp", url.toStdString(), "M", 600},
        {"-o small.bmp --size 200 --symbol-version 5 --level H --mask 3", "HELLO 2024", "small.bmp",
         "HELLO 2024", "H", 200},
        {"-o gbk.bmp --size 400 --encoding ansi --level L", QString::fromUtf8("二维码 qrdesk"),
         "gbk.bmp", HexBytes("b6feceacc2eb 2071726465736b"), "L", 400},
        {"-o sjis.bmp --encoding ansi --ansi-codepage SHIFT_JIS --level Q",
         QString::fromUtf8("漢字のテスト"), "sjis.bmp", HexBytes("8abf8e9a 82cc 8365 8358 8367"),
         "Q", 600},
        // Version 1 and its quiet zone, one pixel per module.
        {"-o u.png --unscaled --mask 7", "ABC123abc", "u.png", "ABC123abc", "M", 29},
        {"-o odd.PNG --size 333", QString::fromUtf8("ünïcödé ✓"), "odd.PNG", "ünïcödé ✓", "M", 333},
        // Standard input whole, its final line break included; a byte-order mark dropped.
        {"", "-", "qrcode.bmp", "line one\nline two\n", "M", 600,
         "\xEF\xBB\xBFline one\nline two\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        QTemporaryDir dir;
        const QStringList args = Words(c.options) << c.text;
        const CliRun run = RunCliProcess(args, dir.path(), c.input);
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty());
        const QByteArray file = ReadFile(dir.filePath(c.output));
        EXPECT_EQ(QImage::fromData(file).size(), QSize(c.edge, c.edge));
        const auto decoded = DecodeFile(file);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(DecodedBytes(decoded).toStdString(), c.bytes);
        EXPECT_EQ(decoded->ecLevel, c.ecLevel);
    }
}

TEST(CliRun, InfoPrintsTheLineForScriptsThenWhatTheReadersShow) {
    QTemporaryDir dir;
    // The standard's example: HELLO WORLD at 1-Q is one alphanumeric segment of 74 bits in
    // 13 data codewords.
    CliRun run = RunCliProcess({"--info", "--level", "Q", "HELLO WORLD"}, dir.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, QByteArray("version 1, level Q, mask 0, segments alphanumeric 11, bits 74 "
                                  "of 104\n"
                                  "zxing-cpp: reads the text as typed\n"
                                  "zbar: reads the text as typed\n"
                                  "wechat: reads the text as typed\n"));
    run = RunCliProcess({"--info", "--mask", "5", "--symbol-version", "3", "abc0123456789012"},
                        dir.path());
    EXPECT_EQ(run.code, 0);
    // byte 3 = 4+8+24, numeric 13 = 4+10+40+4: 94 bits; 3-M holds 44 codewords.
    EXPECT_TRUE(run.out.startsWith(
        "version 3, level M, mask 5, segments byte 3 + numeric 13, bits 94 of 352\n"));
    // Version 40 stretched to 200 pixels has modules of about one pixel: the file does not
    // read, and the report names the sides, tried, at which both readers read it: the
    // window's 400 and 3 pixels a module (at 2, zxing-cpp's default reading misses it).
    run = RunCliProcess({"--info", "--symbol-version", "40", "--size", "200", "abc"}, dir.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(
        run.out.split('\n').mid(1),
        QList<QByteArray>(
            {"zxing-cpp: cannot read the 200-pixel picture",
             "zbar: cannot read the 200-pixel picture", "wechat: cannot read the 200-pixel picture",
             "advice: at --size 400 or --size 555 (-s 3) every reader reads it", ""}));
    // UTF-8 text without an ECI header: zbar takes it for Shift JIS; --eci auto was tried.
    run = RunCliProcess({"--info", "Grüße aus Köln"}, dir.path());
    EXPECT_EQ(
        run.out.split('\n').mid(1),
        QList<QByteArray>({"zxing-cpp: reads the text as typed",
                           "zbar: shows \"Grﾃｼﾃ歹 aus Kﾃｶln\"", "wechat: reads the text as typed",
                           "advice: with --eci auto every reader shows the text as typed", ""}));
    run = RunCliProcess({"--info", "--eci", "auto", "Grüße aus Köln"}, dir.path());
    EXPECT_TRUE(run.out.startsWith("version 2, level M, mask 0, segments eci 26 + byte 17"))
        << run.out.toStdString();
    EXPECT_TRUE(
        run.out.endsWith("zbar: reads the text as typed\nwechat: reads the text as typed\n"))
        << run.out.toStdString();
}

// --mask best scores the eight masks: the file carries the lowest penalty's, which JSON names.
TEST(CliRun, BestMaskIsTheLowestPenalty) {
    QTemporaryDir dir;
    const QString text = "https://example.org/best-mask?id=1234567";
    const CliRun run = RunCliProcess(
        {"--info=json", "--mask", "best", "-s", "4", "-o", "b.png", text}, dir.path());
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const int mask = run.out.mid(run.out.indexOf("\"mask\":") + 7, 1).toInt();
    EXPECT_TRUE(run.out.contains("\"penalty\":")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("\"penalty\":-1"));
    clsQRCode encoder;
    clsQRCode::EncodeReport report;
    const QByteArray bytes = text.toUtf8();
    ASSERT_TRUE(encoder.Encode(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::int32_t>(bytes.size()), {0, 2, -1, false, 0, true},
                               &report));
    EXPECT_EQ(mask, report.mask);
    EXPECT_TRUE(run.out.contains(QByteArray("\"penalty\":") + QByteArray::number(report.penalty)));
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("b.png")))), bytes);
}

// --info json: one object with the symbol's facts and each reader's verdict.
TEST(CliRun, InfoJsonIsOneObject) {
    QTemporaryDir dir;
    const CliRun run = RunCliProcess({"--info", "json", "--level", "Q", "HELLO WORLD"}, dir.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out,
              QByteArray("{\"version\":1,\"level\":\"Q\",\"mask\":0,\"penalty\":-1,\"eci\":0,"
                         "\"segments\":[{\"mode\":"
                         "\"alphanumeric\",\"count\":11}],\"dataBits\":74,\"capacityBits\":104,"
                         "\"pixels\":600,\"readers\":[{\"name\":\"zxing-cpp\",\"read\":true,"
                         "\"bytesExact\":true,\"textAsTyped\":true,\"text\":\"HELLO WORLD\","
                         "\"decoded\":true,\"helpedBy\":null},{\"name\":"
                         "\"zbar\",\"read\":true,\"bytesExact\":true,\"textAsTyped\":true,\"text\":"
                         "\"HELLO WORLD\",\"decoded\":true,\"helpedBy\":null},{\"name\":"
                         "\"wechat\",\"read\":true,\"bytesExact\":true,\"textAsTyped\":true,"
                         "\"text\":\"HELLO WORLD\",\"decoded\":true,\"helpedBy\":null}],"
                         "\"advice\":{"
                         "\"options\":null,\"smallerSize\":0,\"smallerScale\":0,\"largerSize\":0,"
                         "\"largerScale\":0,\"offeredSize\":0,\"level\":null,\"triedLevels\":false,"
                         "\"noneUpTo\":0}}\n"));
    // Quotes, backslashes and line breaks escaped; the image to standard output, the object
    // to standard error.
    const CliRun piped =
        RunCliProcess({"--info=json", "--eci", "26", "-o", "-", "say \"hi\"\\\n"}, dir.path());
    EXPECT_EQ(piped.code, 0);
    EXPECT_TRUE(piped.out.startsWith("\x89PNG"));
    EXPECT_TRUE(piped.err.contains("\"eci\":26,\"segments\":[{\"mode\":\"eci\",\"count\":26},"))
        << piped.err.toStdString();
    EXPECT_TRUE(piped.err.contains("\"text\":\"say \\\"hi\\\"\\\\\\n\""))
        << piped.err.toStdString();
}

TEST(CliRun, ExitCodesAndMessages) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
    ASSERT_TRUE(WriteFile(dir.filePath("afile"), "x"));
    ASSERT_TRUE(WriteFile(dir.filePath("lines.txt"), "a\n"));
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
        {{"--mask", "9", "x"}, {}, 2, "--mask must be auto, best or 0 to 7"},
        {{"--size", "0", "x"}, {}, 2, "--size must be a number of pixels from 29"},
        {{"--size", "30", url},
         {},
         2,
         "--size 30 is smaller than the symbol: version 4 needs at "
         "least 41 pixels"},
        {{"--encoding", "ansi", "--ansi-codepage", "NOPE", "x"}, {}, 2, "unknown code page"},
        {{"-o", "x.jpg", "x"}, {}, 2, "must end in .png, .bmp, .svg or .txt"},
        {{}, {}, 2, "the text is empty"},  // no TEXT: standard input, here empty
        {{""}, {}, 2, "the text is empty"},
        {{"-"}, "", 2, "the text is empty"},
        {{"-"}, "ab\xFF\xFE", 3, "the text is not valid UTF-8"},
        {{"-o", "missing/x.bmp", "x"}, {}, 3, "cannot write missing/x.bmp"},
        {{"-o", "folder.bmp", "x"}, {}, 3, "cannot write folder.bmp: it is a folder"},
        {{"--batch", "nope.txt", "--out-dir", "o"}, {}, 3, "cannot read nope.txt: No such file"},
        {{"--batch", ".", "--out-dir", "o"}, {}, 3, "cannot read .: it is a folder"},
        // A name's control characters are shown escaped: the message stays one line.
        {{"-r", "no\nsuch"}, {}, 3, "cannot read no\\nsuch: No such file"},
        {{"--logo", "no\nlogo.png", "x"}, {}, 3, "--logo no\\nlogo.png: No such file"},
        {{"--batch", "lines.txt", "--out-dir", "afile"}, {}, 3, "--out-dir afile is not a folder"},
        {{QString(3000, 'a')}, {}, 1, "the data do not fit any version at level M: 3000 bytes"},
        {{"--symbol-version", "1", "--level", "H", "0123456789012345678"},
         {},
         1,
         "the data do not fit version 1 at level H: 19 bytes need 78 bits, it holds 72"},
        // The ECI header's 4 + 8 bits count too.
        {{"-v", "1", "-l", "H", "--eci", "26", "0123456789012345678"},
         {},
         1,
         "the data do not fit version 1 at level H: 19 bytes need 90 bits, it holds 72"},
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
    const CliRun folder = RunCliProcess({"-"}, dir.path(), {.inputFile = dir.path()});
    EXPECT_EQ(folder.code, 3);
    ExpectOneErrorLine(folder, "cannot read standard input: Is a directory");

    const CliRun help = RunCliProcess({"--help"}, dir.path());
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: qrdesk-cli")) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty());
    const CliRun version = RunCliProcess({"--version"}, dir.path());
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "qrdesk-cli " QRDESK_VERSION "\n");
}

}  // namespace
