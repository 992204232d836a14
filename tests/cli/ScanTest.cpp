// --read against independent references: pictures made by three other generators (qrencode,
// zint, segno), turned, blurred, shrunk and saved as JPEG by ImageMagick, each read by
// zxing-cpp's ReadBarcodes with default options; what that reads, --read must read with the
// same text. Two symbols in one picture, a blank picture, files that are not pictures.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "support/qt/AppReaders.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"

namespace {

struct Generator {
    const char* name;
    const char* command;  // %T the text, %O the PNG written
};

constexpr Generator kGenerators[] = {
    {"qrencode", "qrencode -s 4 -o %O %T"},
    {"zint", "zint -b 58 --scale=2 -o %O -d %T"},
    {"segno", "/usr/bin/python3 -m segno.cli --scale 4 -o %O %T"},
};

struct Variant {
    const char* name;
    const char* convert;  // ImageMagick's options from the PNG to the file; "" keeps the PNG
    const char* extension;
};

constexpr Variant kVariants[] = {
    {"as made", "", "png"},
    {"turned 13°", "-background white -rotate 13", "png"},
    {"turned 90°", "-rotate 90", "png"},
    {"turned 200°", "-background white -rotate 200", "png"},
    {"blurred", "-blur 0x1.2", "png"},
    {"JPEG 40", "-quality 40", "jpg"},
    {"shrunk to 70%", "-resize 70%", "png"},
};

constexpr const char* kTexts[] = {"https://example.org/scan?id=42", "扫一扫 UTF-8 Grüße"};

QString Quoted(const QString& text) {
    return "'" + QString(text).replace("'", "'\\''") + "'";
}

TEST(Scan, ReadsWhatZxingReadsInOtherGeneratorsPictures) {
    QTemporaryDir dir;
    int pictures = 0, zxingRead = 0;
    for (const Generator& g : kGenerators)
        for (int t = 0; t < 2; ++t) {
            const QString png = QStringLiteral("%1-%2.png").arg(g.name).arg(t);
            const CliRun made = RunShell(QString(g.command)
                                             .replace("%T", Quoted(QString::fromUtf8(kTexts[t])))
                                             .replace("%O", png),
                                         dir.path());
            ASSERT_EQ(made.code, 0) << g.name << ": " << made.err.toStdString();
            for (const Variant& v : kVariants) {
                SCOPED_TRACE(std::string(g.name) + " " + kTexts[t] + " " + v.name);
                QString file = png;
                if (*v.convert) {
                    file = QStringLiteral("%1-%2-%3.%4")
                               .arg(g.name)
                               .arg(t)
                               .arg(pictures)
                               .arg(v.extension);
                    ASSERT_EQ(RunShell(QStringLiteral("convert %1 %2 %3").arg(png, v.convert, file),
                                       dir.path())
                                  .code,
                              0);
                }
                ++pictures;
                const AppReading zxing = ZxingAppReads(dir.filePath(file));
                ASSERT_TRUE(zxing.ran);
                const CliRun scan = RunCliProcess({"--read", file}, dir.path());
                if (!zxing.found) {
                    EXPECT_TRUE(scan.code == 0 || scan.code == 4) << scan.err.toStdString();
                    continue;
                }
                ++zxingRead;
                EXPECT_EQ(scan.code, 0) << scan.err.toStdString();
                EXPECT_EQ(scan.out, zxing.text + "\n");
            }
        }
    EXPECT_EQ(pictures, 42);
    // The set is only a test when the reference reads most of it.
    EXPECT_GE(zxingRead, 36);
}

TEST(Scan, TwoSymbolsInReadingOrderThreeReadersAndExitCodes) {
    QTemporaryDir dir;
    ASSERT_EQ(
        RunShell("qrencode -s 5 -o a.png first && qrencode -s 5 -o b.png second && "
                 "convert b.png a.png +append two.png && convert -size 300x200 xc:white "
                 "blank.png && printf 'not a picture' > text.png && truncate -s 600M huge.png",
                 dir.path())
            .code,
        0);
    // As zbarimg --raw: one text a line, left before right.
    CliRun run = RunCliProcess({"--read", "two.png"}, dir.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "second\nfirst\n");
    // Standard input, and a blank picture among others: still 0.
    run = RunCliProcess({"--read", "blank.png", "-"}, dir.path(), ReadFile(dir.filePath("a.png")));
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "first\n");
    const struct {
        QStringList args;
        int code;
        const char* err;  // the start of the message on standard error
    } exits[] = {
        {{"--read", "blank.png"}, 4, ""},
        {{"--read", "missing.png"}, 3, "qrdesk-cli: cannot read missing.png: "},
        {{"--read", "text.png"}, 3, "qrdesk-cli: text.png: "},
        {{"--read", "."}, 3, "qrdesk-cli: cannot read .: "},
        {{"--read", "huge.png"}, 3, "qrdesk-cli: huge.png: a picture file of more than 512 MB"},
        {{"--read", "no\nsuch.png"}, 3, "qrdesk-cli: cannot read no\\nsuch.png: "},
        {{"--read", "-o", "x.png", "a.png"}, 2, "qrdesk-cli: --output is for making symbols"},
        {{"--read", "--force", "--skip-existing", "a.png"},
         2,
         "qrdesk-cli: --force is for making symbols"},
        {{"-s", "4", "--read", "a.png"}, 2, "qrdesk-cli: --scale is for making symbols"},
    };
    for (const auto& e : exits) {
        SCOPED_TRACE(e.args.join(' ').toStdString());
        run = RunCliProcess(e.args, dir.path());
        EXPECT_EQ(run.code, e.code);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith(e.err)) << run.err.toStdString();
    }
    // --info json: three readers for each symbol, and what the modules say.
    run = RunCliProcess({"--read", "--info", "json", "two.png"}, dir.path());
    ASSERT_EQ(run.code, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    const QJsonArray symbols = json["symbols"].toArray();
    ASSERT_EQ(symbols.size(), 2);
    for (const QJsonValue symbol : symbols) {
        const QJsonArray readers = symbol["readers"].toArray();
        ASSERT_EQ(readers.size(), 3);
        EXPECT_EQ(readers[2]["name"].toString(), "wechat");
        for (const QJsonValue r : readers) EXPECT_TRUE(r["read"].toBool());
        // qrencode's defaults: level L, the smallest version.
        EXPECT_EQ(symbol["version"].toInt(), 1);
        EXPECT_EQ(symbol["level"].toString(), "L");
        EXPECT_EQ(symbol["segments"].toArray().size(), 1);
    }
    EXPECT_EQ(symbols[0]["text"].toString(), "second");
}

}  // namespace
