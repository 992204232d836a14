// The save command: refusals, the dialog's arguments and starting folder, the names and
// formats that its filters choose, the overwrite question about the name really written, the
// files written and what the status line says, and failed writes with their reasons.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "support/qt/ScratchDisk.h"

namespace {

const QString kFilter =
    QString::fromUtf8("位图文件(*.bmp)|*.bmp|PNG 图片(*.png)|*.png|SVG 矢量图(*.svg)|*.svg");

// Points HOME (and the XDG folders found from it) at a folder of the test's own for as long
// as it lives, so that "the user's Pictures folder" is one the test makes or leaves out.
class ScopedHome {
  public:
    explicit ScopedHome(const QString& home) {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_PICTURES_DIR"})
            saved_.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv("HOME", QFile::encodeName(home));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_PICTURES_DIR");
    }
    ~ScopedHome() {
        for (const Saved& s : saved_) {
            if (s.set)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

  private:
    struct Saved {
        const char* name;
        bool set;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

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

TEST_F(SaveTest, DialogGetsItsArgumentsAndCancelWritesNothing) {
    ScopedHome home(dir.path());
    Generate("abc");
    dialogAnswer = "";
    Click("Command2");
    ASSERT_EQ(dialogCalls.size(), 1u);
    const DialogCall& call = dialogCalls[0];
    EXPECT_EQ(call.title, QString::fromUtf8("保存二维码文件"));
    EXPECT_EQ(call.filter, kFilter);
    EXPECT_EQ(call.filterIndex, 0);
    EXPECT_EQ(call.folder, dir.path());
    // The program asks the overwrite question itself; the dialog is told not to.
    EXPECT_EQ(call.flags, Dialogbox::HideReadOnly);
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Entries(dir.path()).isEmpty());
    EXPECT_TRUE(window->StatusNotice().isEmpty());
}

// The folder last chosen in this run while it exists, else Pictures, else home; a new
// window (a new run) remembers nothing.
TEST_F(SaveTest, DialogStartsInTheLastFolderElsePicturesElseHome) {
    ScopedHome home(dir.path());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_TRUE(pictures.startsWith(dir.path())) << pictures.toStdString();
    struct Step {
        const char* name;
        const char* make;    // a folder made before the step, relative to home
        const char* remove;  // a folder removed before it
        const char* chosen;  // the file chosen in the step's dialog, relative to home
        QString expected;    // where the dialog starts
        bool newRun = false;
    };
    const Step steps[] = {
        {"no Pictures: home", "a", nullptr, "a/one", dir.path()},
        {"the last folder", "Pictures", nullptr, "b/two", Path("a")},
        {"the last folder does not exist: Pictures", nullptr, nullptr, "a/three", pictures},
        {"cancelled: the last folder", nullptr, nullptr, "", Path("a")},
        {"the last folder removed: Pictures", nullptr, "a", "", pictures},
        {"a new run", "a", nullptr, "", pictures, true},
    };
    Generate("abc");
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.make) {
            ASSERT_TRUE(QDir().mkpath(Path(s.make)));
        }
        if (s.remove) {
            ASSERT_TRUE(QDir(Path(s.remove)).removeRecursively());
        }
        if (s.newRun) {
            Open({});
            Generate("abc");
        }
        dialogCalls.clear();
        dialogAnswer = QString(s.chosen).isEmpty() ? QString() : Path(s.chosen);
        Click("Command2");
        ASSERT_EQ(dialogCalls.size(), 1u);
        EXPECT_EQ(dialogCalls[0].folder, s.expected);
    }
}

TEST_F(SaveTest, FileNamesFollowTheFilterChosen) {
    struct Case {
        int filter;  // 1 bitmap, 2 PNG, 3 SVG; others as the bitmap
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        // The bitmap's steps as they were: the name lower-cased, ".bmp" once.
        {1, "Out/Code", "Out/code.bmp"},  // the folder keeps its case
        {1, "Out/a.BMP", "Out/a.bmp"},
        {1, "Out/a.bmpx", "Out/a.bmpx.bmp"},
        {1, "Out/qr.png", "Out/qr.png.bmp"},
        {1, "Out/Qr.BMP", "Out/qr.bmp"},
        {1, "Out/二维码Ä", "Out/二维码ä.bmp"},
        // The same steps with the other extensions.
        {2, "Out/Code", "Out/code.png"},
        {2, "Out/A.PNG", "Out/a.png"},
        {2, "Out/a.bmp", "Out/a.bmp.png"},
        {3, "Out/Qr.SVG", "Out/qr.svg"},
        {3, "Out/x.png", "Out/x.png.svg"},
        {0, "Out/Zero", "Out/zero.bmp"},
        {4, "Out/Four", "Out/four.bmp"},
    };
    Generate("abc");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        Renew();
        ASSERT_TRUE(QDir().mkpath(Path("Out")));
        dialogAnswer = Path(QString::fromUtf8(c.chosen));
        dialogFilter = c.filter;
        Click("Command2");
        EXPECT_EQ(Entries(Path("Out")),
                  QStringList{QFileInfo(QString::fromUtf8(c.written)).fileName()});
        EXPECT_TRUE(QFileInfo::exists(Path(QString::fromUtf8(c.written))));
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(questions.empty());
}

// Each format holds the picture of the size in force at generation, and reads back as the
// text: the bitmap and PNG pixel for pixel, the SVG drawn by an independent renderer.
TEST_F(SaveTest, WritesEachFormatAtTheDisplaySizeAndItDecodes) {
    struct Case {
        int filter;
        int option;  // -1: the 600-pixel box as it opens
        int edge;
    };
    const Case cases[] = {{1, -1, 600}, {1, 0, 200},  {1, 1, 400}, {2, -1, 600},
                          {2, 0, 200},  {3, -1, 600}, {3, 1, 400}};
    const QString text = QString::fromUtf8("二维码 qrdesk");
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("filter %1, %2 pixels").arg(c.filter).arg(c.edge).toStdString());
        Open({});
        if (c.option >= 0) QTest::mouseClick(SizeOption(c.option), Qt::LeftButton);
        Generate(text);
        dialogAnswer = Path(QString("sym%1-%2").arg(c.edge).arg(c.filter));
        dialogFilter = c.filter;
        Click("Command2");
        ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
        const char* extension = c.filter == 2 ? ".png" : c.filter == 3 ? ".svg" : ".bmp";
        const QByteArray file = ReadFile(dialogAnswer + extension);
        QImage image;
        if (c.filter == 1) {
            ASSERT_EQ(file.size(), 54 + c.edge * c.edge * 3);  // rows of 3 * edge bytes
            EXPECT_EQ(file.left(2), "BM");
            EXPECT_EQ(static_cast<unsigned char>(file[28]), 24);  // bits per pixel
            EXPECT_EQ(file[30], 0);                               // uncompressed
            ASSERT_TRUE(image.loadFromData(file, "BMP"));
        } else if (c.filter == 2) {
            EXPECT_TRUE(file.startsWith("\x89PNG\r\n\x1a\n"));
            ASSERT_TRUE(image.loadFromData(file, "PNG"));
        } else {
            EXPECT_TRUE(file.contains(QString("width=\"%1\"").arg(c.edge).toLatin1()));
            // Whole modules: a symbol of N modules (and 8 of quiet zone) in a viewBox of them.
            const int modules = Image1()->Picture().width();
            EXPECT_TRUE(file.contains(QString("viewBox=\"0 0 %1 %1\"").arg(modules).toLatin1()));
            image = RenderSvg(file, c.edge);
            EXPECT_EQ(DecodedBytes(DecodeImage(image)), text.toUtf8());
            continue;
        }
        EXPECT_EQ(image.size(), QSize(c.edge, c.edge));
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

// The question is about the file that will be written, whatever the dialog showed; a "no"
// writes nothing, and a file of another name is never touched.
TEST_F(SaveTest, AsksAboutTheNameReallyWritten) {
    struct Case {
        const char* chosen;
        int filter;
        const char* existing;
        const char* target;
        bool asked;
    };
    const Case cases[] = {
        {"Photo.bmp", 1, "Photo.bmp", "photo.bmp", false},  // not the file written
        {"Photo.bmp", 1, "photo.bmp", "photo.bmp", true},
        {"a", 1, "a.bmp", "a.bmp", true},               // ".bmp" appended
        {"Code.bmp", 1, "code.bmp", "code.bmp", true},  // lower-cased
        {"b.bmp", 1, "b.bmp", "b.bmp", true},           // as chosen: the dialog no longer asks
        {"c", 1, "other.bmp", "c.bmp", false},          // nothing to replace
        {"d", 2, "d.png", "d.png", true},
        {"d", 1, "d.png", "d.bmp", false},
        {"E.svg", 3, "e.svg", "e.svg", true},
    };
    Generate("abc");
    for (const bool yes : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(QString("%1, filter %2, yes %3")
                             .arg(c.chosen)
                             .arg(c.filter)
                             .arg(yes)
                             .toStdString());
            Renew();
            ASSERT_TRUE(WriteFile(Path(c.existing), "old"));
            Generate("abc");  // no notice of an earlier save
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
            EXPECT_EQ(ReadFile(Path(c.target)) != "old" && QFileInfo::exists(Path(c.target)),
                      written);
            if (QString(c.existing) != c.target) {
                EXPECT_EQ(ReadFile(Path(c.existing)), "old");
            }
            if (!written) {
                EXPECT_EQ(ReadFile(Path(c.target)), "old");
                EXPECT_TRUE(window->StatusNotice().isEmpty());
            }
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveTest, StatusLineNamesTheFileWritten) {
    Generate("abc");
    const QStringList report = window->StatusLines();
    ASSERT_EQ(report.size(), 2);
    auto* status = Find<QLabel>("StatusBar1");
    dialogAnswer = Path("Named");
    dialogFilter = 2;
    Click("Command2");
    const QString notice = QString::fromUtf8("已保存：") + Path("named.png");
    EXPECT_EQ(window->StatusNotice(), notice);
    // Below the report, which stays as it was.
    EXPECT_EQ(status->text(), (report + QStringList{notice}).join('\n'));
    EXPECT_EQ(window->StatusLines(), report);
    // A failed save leaves the last notice alone and says why in a message instead.
    dialogAnswer = Path("missing/x");
    Click("Command2");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(window->StatusNotice(), notice);
    // A new symbol's report replaces the notice.
    Generate("def");
    EXPECT_TRUE(window->StatusNotice().isEmpty());
    EXPECT_EQ(status->text(), window->StatusLines().join('\n'));
}

// The common reasons in Chinese, after the path; the system's text for the rest.
TEST_F(SaveTest, FailedWritesSayWhyInChinese) {
    ASSERT_TRUE(WriteFile(Path("afile"), "x"));
    ASSERT_TRUE(QDir().mkpath(Path("taken.bmp")));
    ASSERT_TRUE(QDir().mkpath(Path("long")));
    struct Case {
        const char* name;
        QString chosen;  // relative to the folder
        QString written;
        const char* reason;
    };
    const Case cases[] = {
        {"missing folder", "missing/x", "missing/x.bmp", "文件夹不存在"},
        {"a file as folder", "afile/x", "afile/x.bmp", "路径中有一部分不是文件夹"},
        {"a folder of that name", "taken", "taken.bmp", "已有同名的文件夹"},
        {"name of 256 bytes", "long/" + QString(252, 'x'), "long/" + QString(252, 'x') + ".bmp",
         "文件名过长"},
    };
    Generate("abc");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        dialogAnswer = Path(c.chosen);
        Click("Command2");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], QString::fromUtf8("无法保存文件 %1\n%2")
                                   .arg(Path(c.written), QString::fromUtf8(c.reason)));
    }
    EXPECT_TRUE(Entries(Path("long")).isEmpty());
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
