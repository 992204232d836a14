// The save command: refusals, the dialog's arguments, naming, overwriting, the file written,
// and failed writes.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "support/qt/ScratchDisk.h"

namespace {

class SaveTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(SaveTest, NothingGeneratedAnswersWithoutADialog) {
    Click("Command2");
    Click("Command1");  // empty text: refused, still nothing generated
    Click("Command2");
    EXPECT_EQ(messages, (std::vector<QString>{kNothingToSave, kNoText, kNothingToSave}));
    EXPECT_TRUE(dialogCalls.empty());
}

TEST_F(SaveTest, DialogGetsItsArgumentsAndCancelWritesNothing) {
    Generate("abc");
    dialogAnswer = "";
    Click("Command2");
    ASSERT_EQ(dialogCalls.size(), 1u);
    const DialogCall& call = dialogCalls[0];
    EXPECT_EQ(call.title, QString::fromUtf8("保存二维码文件"));
    EXPECT_EQ(call.filter, QString::fromUtf8("位图文件(*.bmp)|*.bmp"));
    EXPECT_EQ(call.filterIndex, 0);
    EXPECT_EQ(call.folder, "D:\\");
    EXPECT_EQ(call.flags, 6);
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Entries(dir.path()).isEmpty());
}

TEST_F(SaveTest, FileNameIsLowerCasedAndGetsOneBmpExtension) {
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        {"Out/Code", "Out/code.bmp"},  // the folder keeps its case
        {"Out/a.BMP", "Out/a.bmp"},         {"Out/a.bmpx", "Out/a.bmpx.bmp"},
        {"Out/qr.png", "Out/qr.png.bmp"},   {"Out/Qr.BMP", "Out/qr.bmp"},
        {"Out/二维码Ä", "Out/二维码ä.bmp"},
    };
    Generate("abc");
    for (const Case& c : cases) {
        QDir(dir.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(Path("Out")));
        dialogAnswer = Path(QString::fromUtf8(c.chosen));
        Click("Command2");
        EXPECT_EQ(Entries(Path("Out")),
                  QStringList{QFileInfo(QString::fromUtf8(c.written)).fileName()})
            << c.chosen;
        EXPECT_TRUE(QFileInfo::exists(Path(QString::fromUtf8(c.written)))) << c.chosen;
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(questions.empty());
}

TEST_F(SaveTest, WritesA24BitBmpOfTheDisplaySizeThatDecodes) {
    struct Case {
        int option;
        int edge;
    };
    const QString text = QString::fromUtf8("二维码 qrdesk");
    for (const Case& c : {Case{-1, 600}, Case{0, 200}, Case{1, 400}}) {
        Open({});
        if (c.option >= 0) QTest::mouseClick(SizeOption(c.option), Qt::LeftButton);
        Generate(text);
        dialogAnswer = Path(QString("sym%1").arg(c.edge));
        Click("Command2");
        const QByteArray bmp = ReadFile(dialogAnswer + ".bmp");
        ASSERT_EQ(bmp.size(), 54 + c.edge * c.edge * 3) << c.edge;  // rows of 3 * edge bytes
        EXPECT_EQ(bmp.left(2), "BM");
        EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24);  // bits per pixel
        EXPECT_EQ(bmp[30], 0);                               // uncompressed
        QImage image;
        ASSERT_TRUE(image.loadFromData(bmp, "BMP"));
        EXPECT_EQ(image.size(), QSize(c.edge, c.edge));
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  Picture1()->Picture().convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(DecodedBytes(DecodeImage(image)), text.toUtf8());
    }
    // The size in force at generation counts, not a later choice.
    QTest::mouseClick(SizeOption(2), Qt::LeftButton);
    dialogAnswer = Path("later");
    Click("Command2");
    EXPECT_EQ(ReadFile(Path("later.bmp")).size(), 54 + 400 * 400 * 3);
}

TEST_F(SaveTest, AsksBeforeReplacingAFileTheDialogDidNotAskAbout) {
    struct Case {
        const char* chosen;
        const char* existing;
        const char* target;
        bool asked;
    };
    const Case cases[] = {
        {"a", "a.bmp", "a.bmp", true},               // ".bmp" appended
        {"Code.bmp", "code.bmp", "code.bmp", true},  // lower-cased
        {"b.bmp", "b.bmp", "b.bmp", false},          // the dialog asked about this very name
        {"c", "other.bmp", "c.bmp", false},          // nothing to replace
    };
    Generate("abc");
    for (const bool yes : {false, true}) {
        for (const Case& c : cases) {
            QDir(dir.path()).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(dir.path()));
            ASSERT_TRUE(WriteFile(Path(c.existing), "old"));
            questions.clear();
            answerYes = yes;
            dialogAnswer = Path(c.chosen);
            Click("Command2");
            ASSERT_EQ(questions.size(), c.asked ? 1u : 0u) << c.chosen;
            if (c.asked) {
                EXPECT_TRUE(questions[0].contains(Path(c.existing))) << questions[0].toStdString();
            }
            const bool written = !c.asked || yes;
            EXPECT_EQ(ReadFile(Path(c.target)).startsWith("BM"), written) << c.chosen << yes;
            if (QString(c.existing) != c.target) {
                EXPECT_EQ(ReadFile(Path(c.existing)), "old");
            }
            if (!written) {
                EXPECT_EQ(ReadFile(Path(c.target)), "old") << c.chosen;
            }
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveTest, FailedWriteIsReportedWithPathAndReason) {
    Generate("abc");
    dialogAnswer = Path("missing/x");
    Click("Command2");
    ASSERT_EQ(messages.size(), 1u);
    const QString expectedPath = Path("missing/x.bmp");
    EXPECT_TRUE(messages[0].contains(expectedPath)) << messages[0].toStdString();
    const QStringList lines = messages[0].split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_FALSE(lines[1].trimmed().isEmpty());
    EXPECT_TRUE(Entries(dir.path()).isEmpty());
}

TEST_F(SaveTest, FullDiskKeepsTheExistingFileAndLeavesNoPartialOne) {
    ASSERT_TRUE(QDir().mkpath(Path("small")));
    // 64 KiB cannot hold a 600 x 600 bitmap (about 1 MiB).
    ScratchDisk disk(Path("small"), "size=64k,mode=0700");
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const QByteArray old(40000, 'o');
    ASSERT_TRUE(WriteFile(Path("small/keep.bmp"), old));
    Generate("abc");
    for (const char* chosen : {"small/keep", "small/keep.bmp", "small/new.bmp"}) {
        messages.clear();
        dialogAnswer = Path(chosen);
        Click("Command2");
        ASSERT_EQ(messages.size(), 1u) << chosen;
        EXPECT_TRUE(messages[0].contains(Path("small/"))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].endsWith("No space left on device")) << messages[0].toStdString();
        EXPECT_EQ(ReadFile(Path("small/keep.bmp")), old) << chosen;
        EXPECT_EQ(Entries(Path("small")), QStringList{"keep.bmp"}) << chosen;
    }
}

}  // namespace
