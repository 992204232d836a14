// The readers' verdicts of --info json held to what apps read from the very file written:
// zbarimg on the file and zxing-cpp's ReadBarcodes with its default options, small pictures
// included; and advice that reads in both apps when it is followed.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <random>

#include "support/qt/AppReaders.h"
#include "support/qt/CliProcess.h"
#include "support/qt/QtPrinters.h"

namespace {

const QString kUrl = "https://example.org";

struct Info {
    QJsonObject json;
    AppReading zbarimg, zxing;
};

// qrdesk-cli --info json -o v.png ARGS TEXT in dir, and what the apps read from v.png.
Info InfoOf(const QTemporaryDir& dir, const QStringList& args, const QString& text) {
    const CliRun run =
        RunCliProcess(QStringList{"--info", "json", "-o", "v.png"} + args << text, dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    Info info;
    info.json = QJsonDocument::fromJson(run.out).object();
    info.zbarimg = ZbarimgReads(dir.filePath("v.png"));
    info.zxing = ZxingAppReads(dir.filePath("v.png"));
    EXPECT_TRUE(info.zbarimg.ran) << "zbarimg (package zbar-tools) did not run";
    EXPECT_TRUE(info.zxing.ran);
    return info;
}

QJsonObject Verdict(const Info& info, const char* reader) {
    for (const QJsonValue& v : info.json["readers"].toArray())
        if (v["name"].toString() == reader) return v.toObject();
    ADD_FAILURE() << "no verdict of " << reader;
    return {};
}

bool BothAppsRead(const Info& info) {
    return info.zbarimg.found && info.zxing.found;
}

// 3,000 digits, the same every run: version 29 at level M.
QString Digits() {
    std::mt19937 random(3000);
    QString digits;
    for (int i = 0; i < 3000; ++i) digits += QChar('0' + static_cast<int>(random() % 10));
    return digits;
}

}  // namespace

TEST(Verdicts, EqualWhatAppsReadFromTheFile) {
    QTemporaryDir dir;
    struct Row {
        QStringList args;
        QString text;
    };
    std::vector<Row> rows;
    for (int size = 33; size <= 80; ++size)
        rows.push_back({{"--size", QString::number(size)}, kUrl});
    for (const char* scale : {"1", "2", "3"}) rows.push_back({{"-s", scale}, kUrl});
    // 2,331 bytes fill version 40 at level M: 2 pixels a module.
    std::mt19937 random(2331);
    QString letters;
    for (int i = 0; i < 2331; ++i) letters += QChar('a' + static_cast<int>(random() % 26));
    rows.push_back({{"-s", "2"}, letters});
    int unread[2] = {0, 0};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const Info info = InfoOf(dir, row.args, row.text);
        const QJsonObject zbar = Verdict(info, "zbar"), zxing = Verdict(info, "zxing-cpp");
        EXPECT_EQ(zbar["read"].toBool(), info.zbarimg.found);
        EXPECT_EQ(zxing["read"].toBool(), info.zxing.found);
        if (info.zbarimg.found) {
            EXPECT_EQ(zbar["text"].toString(), QString(info.zbarimg.text));
        }
        if (info.zxing.found) {
            EXPECT_EQ(zxing["text"].toString(), QString(info.zxing.text));
        }
        unread[0] += !info.zxing.found;
        unread[1] += !info.zbarimg.found;
    }
    // The table holds pictures each reader cannot read, not only ones both read.
    EXPECT_GT(unread[0], 0);
    EXPECT_GT(unread[1], 0);
}

// A fully transparent foreground shows as a blank picture: no reader is said to read it, and
// the colours are warned about.
TEST(Verdicts, TransparentForegroundIsUnreadable) {
    QTemporaryDir dir;
    const CliRun run = RunCliProcess(
        {"--info", "json", "--foreground", "00000000", "-o", "t.png", kUrl}, dir.path());
    ASSERT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.contains("contrast")) << run.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    for (const QJsonValue& reader : json["readers"].toArray()) {
        EXPECT_FALSE(reader["read"].toBool()) << reader["name"].toString().toStdString();
        EXPECT_FALSE(reader["decoded"].toBool());
    }
    EXPECT_FALSE(ZxingAppReads(dir.filePath("t.png")).found);
}

// 3,000 digits at 600 pixels (version 29, modules of 4 and 5 pixels mixed): zxing-cpp cannot
// read it. Each side and level offered reads in both apps when followed.
TEST(Verdicts, AdviceReadsWhenFollowed) {
    QTemporaryDir dir;
    const QString digits = Digits();
    const Info made = InfoOf(dir, {}, digits);
    EXPECT_EQ(made.json["version"].toInt(), 29);
    EXPECT_FALSE(Verdict(made, "zxing-cpp")["read"].toBool());
    EXPECT_FALSE(made.zxing.found);
    const QJsonObject advice = made.json["advice"].toObject();
    std::vector<QStringList> followed;
    for (const char* key : {"smallerSize", "largerSize", "offeredSize"})
        if (const int side = advice[key].toInt(); side != 0)
            followed.push_back({"--size", QString::number(side)});
    if (advice["level"].isString()) followed.push_back({"--level", advice["level"].toString()});
    EXPECT_GE(followed.size(), 3u);
    for (const QStringList& args : followed) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Info info = InfoOf(dir, args, digits);
        EXPECT_TRUE(BothAppsRead(info));
        EXPECT_TRUE(Verdict(info, "zxing-cpp")["textAsTyped"].toBool());
        EXPECT_TRUE(Verdict(info, "zbar")["textAsTyped"].toBool());
    }

    // A character set that a reader cannot show: the advice is the encoding, and it reads.
    const QString kanji = QString::fromUtf8("冝冝冝");
    const Info cp932 =
        InfoOf(dir, {"--encoding", "ansi", "--ansi-codepage", "CP932", "--eci", "20"}, kanji);
    EXPECT_EQ(cp932.json["advice"]["options"].toString(), "--encoding utf-8 --eci auto");
    const Info utf8 = InfoOf(dir, {"--encoding", "utf-8", "--eci", "auto"}, kanji);
    EXPECT_TRUE(BothAppsRead(utf8));
    EXPECT_EQ(QString(utf8.zbarimg.text), kanji);
    EXPECT_EQ(QString(utf8.zxing.text), kanji);
}
