// What a new user may give qrdesk-cli beyond the usage errors CliRunTest covers: text at a
// symbol's capacity and one byte past it, awkward characters, a huge input, odd or
// unwritable output paths and an unreadable input file.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <iostream>

#include "support/qt/AwkwardTexts.h"
#include "support/qt/Capacities.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/Hex.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"
#include "support/qt/ScratchDisk.h"

namespace {

// A folder everybody may enter and read, for the unprivileged runs.
QString OpenFolder(const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(name);
    QDir().mkpath(path);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    return path;
}

// Exit 1 and the reason when the text does not fit; the version chosen otherwise.
TEST(CliBadInput, TextAtCapacityFitsAndOneBytePastDoesNot) {
    QTemporaryDir dir;
    for (const CapacityCase& c : Capacities()) {
        SCOPED_TRACE(c.name);
        QStringList args{"--level", c.level, "--info", "-"};
        if (c.version != 0) args << "--symbol-version" << QString::number(c.version);
        if (c.codePage)
            args << "--encoding"
                 << "ansi"
                 << "--ansi-codepage" << c.codePage;
        QFile::remove(dir.filePath("qrcode.bmp"));
        const CliRun run = RunCliProcess(args, dir.path(), c.text.toUtf8());
        if (c.made == 0) {
            EXPECT_EQ(run.code, 1);
            EXPECT_TRUE(run.err.contains("the data do not fit")) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
            EXPECT_FALSE(QFileInfo::exists(dir.filePath("qrcode.bmp")));
            continue;
        }
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("version %1,").arg(c.made).toUtf8()))
            << run.out.toStdString();
        // 600 pixels are too few for version 40's 185 modules.
        if (c.made < 40 && (!c.codePage || c.ansiHex)) {
            EXPECT_EQ(
                DecodedBytes(DecodeFile(ReadFile(dir.filePath("qrcode.bmp")))),
                c.codePage ? QByteArray::fromStdString(HexBytes(c.ansiHex)) : c.text.toUtf8());
        }
    }
}

// The texts that have a UTF-8 form (no lone surrogate), given on standard input.
TEST(CliBadInput, AwkwardCharactersBecomeThePlatformsBytes) {
    QTemporaryDir dir;
    for (const AwkwardText& c : AwkwardTexts()) {
        if (QString::fromUtf8(c.text.toUtf8()) != c.text) continue;
        SCOPED_TRACE(c.name);
        QStringList args{"-"};
        if (c.codePage)
            args << "--encoding"
                 << "ansi"
                 << "--ansi-codepage" << c.codePage;
        QFile::remove(dir.filePath("qrcode.bmp"));
        const CliRun run = RunCliProcess(args, dir.path(), c.text.toUtf8());
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("qrcode.bmp")))).toHex(), c.hex);
    }
    // Bytes that are not UTF-8 are refused, not guessed at: a surrogate written as UTF-8
    // (CESU), a sequence cut off.
    for (const QByteArray& input : {QByteArray("x\xED\xA0\xBDy"), QByteArray("x\xF0\x9F\x98")}) {
        QFile::remove(dir.filePath("qrcode.bmp"));
        const CliRun run = RunCliProcess({"-"}, dir.path(), input);
        EXPECT_EQ(run.code, 3) << input.toHex().toStdString();
        EXPECT_TRUE(run.err.contains("the text is not valid UTF-8")) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("qrcode.bmp")));
    }
}

TEST(CliBadInput, MillionCharactersAreRefusedPromptly) {
    QTemporaryDir dir;
    const QByteArray million(1000000, 'q');
    QElapsedTimer timer;
    timer.start();
    const CliRun run = RunCliProcess({"-"}, dir.path(), million);
    std::cout << "[ timing ] qrdesk-cli with 1,000,000 characters on standard input: "
              << timer.elapsed() << " ms\n";
    EXPECT_EQ(run.code, 1);
    // Counted to the bit: byte segments of at most 65,535 bytes (the 16-bit count of
    // versions 27 to 40), so 16 of them, each with 4 + 16 header bits.
    EXPECT_TRUE(
        run.err.contains("the data do not fit any version at level M: 1000000 bytes "
                         "need 8000320 bits, version 40 holds 18672"))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("qrcode.bmp")));

    // In a batch only that line fails; the lines around it are written.
    ASSERT_TRUE(WriteFile(dir.filePath("lines.txt"), "first\n" + million + "\nlast\n"));
    const CliRun batch = RunCliProcess({"--batch", "lines.txt", "--out-dir", "out"}, dir.path());
    EXPECT_EQ(batch.code, 1) << batch.err.toStdString();
    EXPECT_TRUE(batch.err.contains("line 2: the line has more than 65536 bytes"))
        << batch.err.toStdString();
    EXPECT_TRUE(batch.err.contains("2 written, 1 failed")) << batch.err.toStdString();
    EXPECT_EQ(Entries(dir.filePath("out")), (QStringList{"qr-1.bmp", "qr-3.bmp"}));
}

// -o: names with spaces, Chinese and emoji, long paths; the reason when it cannot be written.
TEST(CliBadInput, OutputPathsOddOrUnwritable) {
    QTemporaryDir dir;
    const QString base = dir.path() + "/";
    ASSERT_TRUE(WriteFile(base + "afile", "x"));
    const QString folder300 = QString(120, 'd');
    const QString name300 = QString(300 - base.size() - folder300.size() - 1 - 4, 'n') + ".bmp";
    struct Case {
        const char* name;
        QString folder;  // made first
        QString output;
        const char* reason;  // empty: written
    };
    const Case cases[] = {
        {"spaces, Chinese, emoji", QString::fromUtf8("my 二维码 😀"),
         QString::fromUtf8("my 二维码 😀/code 二维码 😀.png"), ""},
        {"300 characters", folder300, folder300 + "/" + name300, ""},
        {"longest name, 255 bytes", "long", "long/" + QString(251, 'x') + ".bmp", ""},
        {"name of 256 bytes", "long", "long/" + QString(252, 'x') + ".bmp", "File name too long"},
        {"a file as folder", "", "afile/x.bmp", "cannot write afile/x.bmp: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.folder.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(base + c.folder));
        }
        const CliRun run = RunCliProcess({"-o", c.output, "odd path"}, dir.path());
        if (*c.reason) {
            EXPECT_EQ(run.code, 3);
            EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
            EXPECT_EQ(run.err.count('\n'), 1);
            EXPECT_FALSE(QFileInfo::exists(base + c.output));
            continue;
        }
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        const auto decoded = DecodeFile(ReadFile(base + c.output));
        ASSERT_TRUE(decoded) << (base + c.output).size();
        EXPECT_EQ(DecodedBytes(decoded), "odd path");
        EXPECT_EQ(Entries(QFileInfo(base + c.output).path()).size(), 1);  // no temporary left
    }
}

// A failed write leaves the file that was there as it was, and no partial file.
TEST(CliBadInput, FailedWriteKeepsTheExistingFile) {
    QTemporaryDir dir;
    const QByteArray old(40000, 'o');
    int ran = 0;

    // No write permission on the folder, as an unprivileged user.
    {
        const QString folder = OpenFolder(dir, "noperm");
        ASSERT_TRUE(WriteFile(folder + "/keep.bmp", old));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
        const CliRun run = RunCliProcess({"-o", "keep.bmp", "abc"}, folder, {.unprivileged = true});
        if (run.code != -1) {
            ++ran;
            EXPECT_EQ(run.code, 3) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("cannot write keep.bmp: ")) << run.err.toStdString();
            EXPECT_EQ(ReadFile(folder + "/keep.bmp"), old);
            EXPECT_EQ(Entries(folder), QStringList{"keep.bmp"});
        }
    }
    // A read-only file system, and a full one.
    struct Disk {
        const char* name;
        const char* options;
        bool readOnly;
        const char* replacing;  // the reason when keep.bmp is to be replaced
        const char* creating;   // and when new.bmp is to be made
    };
    for (const Disk& d :
         {Disk{"read-only", "size=1m", true, "Existing file keep.bmp is not writable",
               "Read-only file system"},
          Disk{"full", "size=64k", false, "No space left on device", "No space left on device"}}) {
        SCOPED_TRACE(d.name);
        const QString folder = dir.filePath(d.name);
        ASSERT_TRUE(QDir().mkpath(folder));
        ScratchDisk disk(folder, d.options);
        if (!disk.Mounted()) continue;
        ASSERT_TRUE(WriteFile(folder + "/keep.bmp", old));
        if (d.readOnly) {
            ASSERT_TRUE(disk.MakeReadOnly());
        }
        ++ran;
        for (const auto& [output, reason] :
             {std::pair{"keep.bmp", d.replacing}, std::pair{"new.bmp", d.creating}}) {
            const CliRun run = RunCliProcess({"-o", output, "abc"}, folder);
            EXPECT_EQ(run.code, 3) << output;
            EXPECT_EQ(
                run.err,
                QStringLiteral("qrdesk-cli: cannot write %1: %2\n").arg(output, reason).toUtf8());
            EXPECT_EQ(ReadFile(folder + "/keep.bmp"), old) << output;
            EXPECT_EQ(Entries(folder), QStringList{"keep.bmp"}) << output;
        }
    }
    if (ran == 0) GTEST_SKIP() << "neither an unprivileged user nor a tmpfs is available here";
}

TEST(CliBadInput, UnreadableBatchFileIsReported) {
    QTemporaryDir dir;
    const QString folder = OpenFolder(dir, "work");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::WriteOther | QFileDevice::ExeOther);
    ASSERT_TRUE(WriteFile(folder + "/secret.txt", "abc\n"));
    QFile::setPermissions(folder + "/secret.txt", QFileDevice::WriteOwner);
    const CliRun run = RunCliProcess({"--batch", "secret.txt", "--out-dir", "out"}, folder,
                                     {.unprivileged = true});
    if (run.code == -1) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.err, "qrdesk-cli: cannot read secret.txt: Permission denied\n");
    EXPECT_FALSE(QFileInfo::exists(folder + "/out"));
}

}  // namespace
