// What a new user may throw at the window: a huge paste, text at a symbol's capacity and one
// byte past it, awkward characters, and save paths that are odd, too long or unwritable.

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <iostream>

#include "WindowFixture.h"
#include "support/qt/AwkwardTexts.h"
#include "support/qt/Capacities.h"
#include "support/qt/Hex.h"
#include "support/qt/ScratchDisk.h"

namespace {

class BadInputTest : public WindowTest {
  protected:
    // The way a user brings text in: the clipboard and Ctrl+V into the text box.
    void Paste(const QString& text) {
        Text1()->clear();
        Text1()->setFocus();
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(Text1(), Qt::Key_V, Qt::ControlModifier);
    }
    void PasteAndGenerate(const QString& text) {
        Paste(text);
        Click("Command1");
    }
};

TEST_F(BadInputTest, MillionCharacterPasteIsRefusedPromptlyAndKept) {
    QString text;
    const QString piece = QString::fromUtf8("二维码 qrdesk 😀 0123 ");
    while (text.size() < 1000000) text += piece;
    text.truncate(1000000);
    if (text.back().isHighSurrogate()) text.back() = 'x';
    const QString thai(1000000, QChar(0x0E01));  // not one of them is in the ANSI code page
    struct Case {
        const char* name;
        int encodingIndex;
        const QString& text;
    };
    for (const Case& c : {Case{"UTF-8", 1, text}, Case{"ANSI", 0, text},
                          Case{"ANSI, all unconvertible", 0, thai}}) {
        SCOPED_TRACE(c.name);
        Open({});
        List(3)->setCurrentIndex(c.encodingIndex);
        Paste(c.text);
        ASSERT_EQ(Text1()->toPlainText().size(), 1000000);
        QElapsedTimer timer;
        timer.start();
        Click("Command1");
        const qint64 ms = timer.elapsed();
        // Reported, not asserted: timing belongs to benchmarks.
        std::cout << "[ timing ] generate of 1,000,000 pasted characters (" << c.name << "): " << ms
                  << " ms\n";
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(FirstLine(messages[0]), kTooLong);
        // Counted to the bit, against what version 40 holds.
        EXPECT_TRUE(QRegularExpression(QString::fromUtf8("^需要 [0-9,]+ 位，40-M 最多 18,672 位$"))
                        .match(SecondLine(messages[0]))
                        .hasMatch())
            << SecondLine(messages[0]).toStdString();
        // A million "?": byte segments of at most 65,535 bytes, so 16 of 4 + 16 header bits.
        if (&c.text == &thai) {
            EXPECT_TRUE(SecondLine(messages[0]).startsWith(QString::fromUtf8("需要 8,000,320 位")));
        }
        EXPECT_TRUE(Image1()->Picture().isNull());
        EXPECT_TRUE(Picture1()->Picture().isNull());
        EXPECT_TRUE(Text1()->toPlainText() == c.text);  // the user's text stays in the box
        // The window still works.
        messages.clear();
        PasteAndGenerate("after");
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), QByteArray("after"));
    }
}

// Exactly at a capacity the symbol is made, one byte more does not fit that version.
TEST_F(BadInputTest, TextAtCapacityFitsAndOneBytePastDoesNot) {
    for (const CapacityCase& c : Capacities()) {
        SCOPED_TRACE(c.name);
        qrdesk::ProgramOptions options;
        options.ansiCodePage = c.codePage ? c.codePage : "GBK";
        Open(options);
        List(0)->setCurrentIndex(c.version);
        List(1)->setCurrentIndex(QString("LMQH").indexOf(c.level));
        List(3)->setCurrentIndex(c.codePage ? 0 : 1);
        PasteAndGenerate(c.text);
        if (c.made == 0) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(FirstLine(messages[0]), kTooLong);
            EXPECT_TRUE(Image1()->Picture().isNull());
            continue;
        }
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Image1()->Picture().width(), 4 * c.made + 17 + 8);
        if (!c.codePage || c.ansiHex) {
            EXPECT_EQ(
                DecodedBytes(DecodeImage(Image1()->Picture())),
                c.codePage ? QByteArray::fromStdString(HexBytes(c.ansiHex)) : c.text.toUtf8());
        }
    }
}

TEST_F(BadInputTest, AwkwardCharactersBecomeThePlatformsBytesAndDecode) {
    for (const AwkwardText& c : AwkwardTexts()) {
        SCOPED_TRACE(c.name);
        qrdesk::ProgramOptions options;
        options.ansiCodePage = c.codePage ? c.codePage : "GBK";
        Open(options);
        List(3)->setCurrentIndex(c.codePage ? 0 : 1);
        PasteAndGenerate(c.text);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Text1()->toPlainText(), c.text);  // the box keeps what was pasted
        EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())).toHex(), c.hex);
    }
}

// Paths a user may choose in the save dialog. The file names are lower-cased and get ".bmp"
// (the save command's naming); the folders are kept as chosen.
TEST_F(BadInputTest, SavesToOddPathsOrSaysWhyNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.path() + "/";
    // A 300-character path: base + folder + "/" + name + ".bmp".
    const QString folder300 = QString(120, 'd');
    const QString name300 = QString(300 - base.size() - folder300.size() - 1 - 4, 'n');
    ASSERT_GT(name300.size(), 0);
    ASSERT_TRUE(WriteFile(base + "afile", "x"));
    struct Case {
        const char* name;
        QString folder;   // made before saving, relative to base
        QString chosen;   // relative to base
        QString written;  // relative to base; empty: the save fails with a message
    };
    const Case cases[] = {
        {"spaces", "my files", "my files/My Code", "my files/my code.bmp"},
        {"Chinese and emoji", QString::fromUtf8("二维码 文件夹 😀"),
         QString::fromUtf8("二维码 文件夹 😀/二维码 😀 A"),
         QString::fromUtf8("二维码 文件夹 😀/二维码 😀 a.bmp")},
        {"300 characters", folder300, folder300 + "/" + name300,
         folder300 + "/" + name300 + ".bmp"},
        {"longest name, 255 bytes", "long", "long/" + QString(251, 'x'),
         "long/" + QString(251, 'x') + ".bmp"},
        {"name of 256 bytes", "long", "long/" + QString(252, 'x'), ""},
        {"missing folder", "", "no such folder/qr", ""},
        {"a file as folder", "", "afile/qr", ""},
    };
    Generate("odd paths");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        if (!c.folder.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(base + c.folder));
        }
        dialogAnswer = base + c.chosen;
        Click("Command2");
        if (c.written.isEmpty()) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8("无法保存文件 ")))
                << messages[0].toStdString();
            EXPECT_EQ(messages[0].split('\n').size(), 2);  // the path, then the reason
            if (!c.folder.isEmpty()) {
                EXPECT_EQ(Entries(base + c.folder), QStringList{QString(251, 'x') + ".bmp"});
            }
            continue;
        }
        EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
        const QByteArray bmp = ReadFile(base + c.written);
        ASSERT_TRUE(bmp.startsWith("BM")) << (base + c.written).size();
        QImage image;
        ASSERT_TRUE(image.loadFromData(bmp, "BMP"));
        EXPECT_EQ(DecodedBytes(DecodeImage(image)), QByteArray("odd paths"));
        // No temporary file left beside it.
        EXPECT_EQ(Entries(QFileInfo(base + c.written).path()).size(), 1);
    }
}

// A folder that cannot be written: as root the permission bits do not stop a write, so a
// small tmpfs remounted read-only stands in; other users get a folder without write
// permission.
TEST_F(BadInputTest, ReadOnlyFolderKeepsTheExistingFileAndTells) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkpath(folder));
    ScratchDisk disk(folder, "size=1m,mode=0755");
    ASSERT_TRUE(WriteFile(folder + "/keep.bmp", "old contents"));
    if (!disk.MakeReadOnly()) GTEST_SKIP() << "cannot make a read-only folder here";
    Generate("abc");
    for (const char* chosen : {"keep", "keep.bmp", "new"}) {
        SCOPED_TRACE(chosen);
        messages.clear();
        dialogAnswer = folder + "/" + chosen;
        Click("Command2");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains(folder + "/")) << messages[0].toStdString();
        // Read-only for root on the remounted tmpfs, no permission for another user.
        EXPECT_EQ(SecondLine(messages[0]),
                  QString::fromUtf8(disk.Mounted() ? "文件系统为只读" : "没有写入权限"));
        EXPECT_EQ(ReadFile(folder + "/keep.bmp"), "old contents");
        EXPECT_EQ(Entries(folder), QStringList{"keep.bmp"});
    }
}

}  // namespace
