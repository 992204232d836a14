// The save command: refusals, the dialog's arguments and starting folder, the names and
// formats its filters choose, the overwrite question about the name really written, the
// file and the status line's note of it, and failed writes with their reasons.

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
    void Renew() {
        QDir(dir.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(dir.path()));
    }
    QTemporaryDir dir;
};

TEST_F(SaveTest, NothingGeneratedAnswersWithoutADialog) {
    Click("Command2");
    Click("Command1");  // empty text: refused, still nothing generated
    Click("Command2");
    EXPECT_EQ(messages, (std::vector<QString>{kNothingToSave, kNoText, kNothingToSave}));
    EXPECT_TRUE(dialogCalls.empty());
}

// The dialog starts in the folder last chosen in this run while it exists, else in Pictures,
// else at home; a new window remembers nothing.
TEST_F(SaveTest, DialogGetsItsArgumentsAndStartingFolder) {
    struct Restore {
        QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
        ~Restore() {
            qputenv("HOME", home);
            if (!config.isEmpty()) qputenv("XDG_CONFIG_HOME", config);
        }
    } restore;
    qputenv("HOME", QFile::encodeName(dir.path()));
    qunsetenv("XDG_CONFIG_HOME");  // Pictures is then HOME/Pictures
    struct Step {
        const char* make;    // a folder made first
        const char* chosen;  // then chosen in the dialog ("" cancels)
        const char* starts;  // where the dialog starts ("" home)
        bool newRun = false;
    } const steps[] = {
        {"a", "a/one", ""},        {"Pictures", "b/two", "a"},  // b does not exist
        {nullptr, "", "Pictures"}, {nullptr, "a/three", "Pictures"},
        {nullptr, "", "a"},        {nullptr, "", "Pictures", true},
    };
    Generate("abc");
    for (const Step& s : steps) {
        if (s.make) {
            ASSERT_TRUE(QDir().mkpath(Path(s.make)));
        }
        if (s.newRun) {
            Open({});
            Generate("abc");
        }
        dialogCalls.clear();
        dialogAnswer = *s.chosen ? Path(s.chosen) : QString();
        Click("Command2");
        ASSERT_EQ(dialogCalls.size(), 1u);
        EXPECT_EQ(dialogCalls[0].folder, *s.starts ? Path(s.starts) : dir.path()) << s.chosen;
    }
    const DialogCall& call = dialogCalls[0];
    EXPECT_EQ(call.title, QString::fromUtf8("保存二维码文件"));
    EXPECT_EQ(
        call.filter,
        QString::fromUtf8("位图文件(*.bmp)|*.bmp|PNG 图片(*.png)|*.png|SVG 矢量图(*.svg)|*.svg"));
    EXPECT_EQ(call.filterIndex, 0);
    EXPECT_EQ(call.flags, Dialogbox::HideReadOnly);  // the program asks the question itself
    EXPECT_EQ(call.owner, nullptr);
}

TEST_F(SaveTest, FileNameIsLowerCasedAndGetsTheFiltersExtensionOnce) {
    struct Case {
        const char* chosen;
        const char* written;
        int filter = 1;  // 1 bitmap, 2 PNG, 3 SVG, others the bitmap
    };
    const Case cases[] = {
        {"Out/Code", "Out/code.bmp"},  // the folder keeps its case
        {"Out/a.BMP", "Out/a.bmp"},         {"Out/a.bmpx", "Out/a.bmpx.bmp"},
        {"Out/qr.png", "Out/qr.png.bmp"},   {"Out/Qr.BMP", "Out/qr.bmp"},
        {"Out/二维码Ä", "Out/二维码ä.bmp"}, {"Out/Code", "Out/code.png", 2},
        {"Out/A.PNG", "Out/a.png", 2},      {"Out/a.bmp", "Out/a.bmp.png", 2},
        {"Out/Qr.SVG", "Out/qr.svg", 3},    {"Out/x.png", "Out/x.png.svg", 3},
        {"Out/Four", "Out/four.bmp", 4},
    };
    Generate("abc");
    for (const Case& c : cases) {
        QDir(dir.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(Path("Out")));
        dialogAnswer = Path(QString::fromUtf8(c.chosen));
        dialogFilter = c.filter;
        Click("Command2");
        EXPECT_EQ(Entries(Path("Out")),
                  QStringList{QFileInfo(QString::fromUtf8(c.written)).fileName()})
            << c.chosen;
        EXPECT_TRUE(QFileInfo::exists(Path(QString::fromUtf8(c.written)))) << c.chosen;
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(questions.empty());
}

// The bitmap and PNG hold the shown picture pixel for pixel; the SVG, drawn by another
// renderer, whole modules in a viewBox of modules. All read back as the text.
TEST_F(SaveTest, WritesEachFormatOfTheDisplaySizeThatDecodes) {
    struct Case {
        int option;
        int edge;
        int filter;
    };
    const QString text = QString::fromUtf8("二维码 qrdesk");
    const char* const extensions[] = {".bmp", ".png", ".svg"};
    for (const Case& c :
         {Case{-1, 600, 1}, Case{0, 200, 1}, Case{1, 400, 1}, Case{0, 200, 2}, Case{1, 400, 3}}) {
        SCOPED_TRACE(c.filter * 1000 + c.edge);
        Open({});
        if (c.option >= 0) QTest::mouseClick(SizeOption(c.option), Qt::LeftButton);
        Generate(text);
        dialogAnswer = Path(QString("sym%1").arg(c.edge));
        dialogFilter = c.filter;
        Click("Command2");
        const QByteArray file = ReadFile(dialogAnswer + extensions[c.filter - 1]);
        QImage image;
        if (c.filter == 3) {
            const int modules = Image1()->Picture().width();
            EXPECT_TRUE(file.contains(
                QString("viewBox=\"0 0 %1 %1\" width=\"%2\"").arg(modules).arg(c.edge).toLatin1()))
                << file.left(300).toStdString();
            EXPECT_EQ(DecodedBytes(DecodeImage(RenderSvg(file, c.edge))), text.toUtf8());
            continue;
        }
        if (c.filter == 1) {
            ASSERT_EQ(file.size(), 54 + c.edge * c.edge * 3);  // rows of 3 * edge bytes
            EXPECT_EQ(file.left(2), "BM");
            EXPECT_EQ(static_cast<unsigned char>(file[28]), 24);  // bits per pixel
            EXPECT_EQ(file[30], 0);                               // uncompressed
        }
        ASSERT_TRUE(image.loadFromData(file, c.filter == 1 ? "BMP" : "PNG"));
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  Picture1()->Picture().convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(DecodedBytes(DecodeImage(image)), text.toUtf8());
    }
    // The size in force at generation counts, not a later choice.
    QTest::mouseClick(SizeOption(2), Qt::LeftButton);
    dialogAnswer = Path("later");
    dialogFilter = 1;
    Click("Command2");
    EXPECT_EQ(ReadFile(Path("later.bmp")).size(), 54 + 400 * 400 * 3);
}

// The question names the file that will be written, whatever the dialog showed; the status
// line names the file written.
TEST_F(SaveTest, AsksAboutTheNameReallyWritten) {
    struct Case {
        const char* chosen;
        const char* existing;
        const char* target;
        bool asked;
        int filter = 1;
    };
    const Case cases[] = {
        {"Photo.bmp", "Photo.bmp", "photo.bmp", false},  // not the file written
        {"Photo.bmp", "photo.bmp", "photo.bmp", true},
        {"a", "a.bmp", "a.bmp", true},  // ".bmp" appended
        {"b.bmp", "b.bmp", "b.bmp", true},
        {"c", "other.bmp", "c.bmp", false},  // nothing to replace
        {"d", "d.png", "d.png", true, 2},
        {"d", "d.png", "d.bmp", false},
    };
    for (const bool yes : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.existing) + (yes ? " yes" : " no"));
            Renew();
            ASSERT_TRUE(WriteFile(Path(c.existing), "old"));
            Generate("abc");  // no note of an earlier save
            questions.clear();
            answerYes = yes;
            dialogAnswer = Path(c.chosen);
            dialogFilter = c.filter;
            Click("Command2");
            ASSERT_EQ(questions.size(), c.asked ? 1u : 0u);
            if (c.asked) {
                EXPECT_EQ(questions[0],
                          QString::fromUtf8("%1 已存在。\n要替换它吗？").arg(Path(c.target)));
            }
            const bool written = !c.asked || yes;
            EXPECT_EQ(ReadFile(Path(c.target)) == "old", !written);
            if (QString(c.existing) != c.target) {
                EXPECT_EQ(ReadFile(Path(c.existing)), "old");
            }
            EXPECT_EQ(window->StatusNotice(),
                      written ? QString::fromUtf8("已保存：") + Path(c.target) : QString());
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveTest, FailedWriteSaysWhyInChinese) {
    ASSERT_TRUE(WriteFile(Path("afile"), "x"));
    ASSERT_TRUE(QDir().mkpath(Path("taken.bmp")));
    const char* const cases[][3] = {
        {"missing/x", "missing/x.bmp", "文件夹不存在"},
        {"afile/x", "afile/x.bmp", "路径中有一部分不是文件夹"},
        {"taken", "taken.bmp", "已有同名的文件夹"},
    };
    Generate("abc");
    for (const auto& c : cases) {
        messages.clear();
        dialogAnswer = Path(c[0]);
        Click("Command2");
        EXPECT_EQ(
            messages,
            std::vector<QString>{
                QString::fromUtf8("无法保存文件 %1\n%2").arg(Path(c[1]), QString::fromUtf8(c[2]))});
        EXPECT_TRUE(window->StatusNotice().isEmpty());
    }
    EXPECT_EQ(Entries(dir.path()), (QStringList{"afile", "taken.bmp"}));
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
        EXPECT_EQ(SecondLine(messages[0]), QString::fromUtf8("磁盘空间不足"));
        EXPECT_EQ(ReadFile(Path("small/keep.bmp")), old) << chosen;
        EXPECT_EQ(Entries(Path("small")), QStringList{"keep.bmp"}) << chosen;
    }
}

}  // namespace
