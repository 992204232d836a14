// Writing symbol files: a failed write leaves no file under the final name and the old file
// intact; the batch's writer replaces only when asked and leaves no temporary file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Temporaries.h"
#include "common/FileWrite.h"
#include "support/qt/Files.h"

namespace {

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

TEST(FileWrite, FailedWriteLeavesNoFileAndKeepsTheOldOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string error;
    EXPECT_FALSE(qrdesk::WriteFileAtomically(Native(dir.filePath("missing/a.bmp")), "x", &error));
    EXPECT_FALSE(error.empty());

    const QString path = dir.filePath(QString::fromUtf8("a b 二维码 😀.bmp"));
    ASSERT_TRUE(qrdesk::WriteFileAtomically(Native(path), "old", &error)) << error;
    EXPECT_EQ(ReadFile(path), "old");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool canStillWrite = QFileInfo(dir.path()).isWritable();  // root ignores modes
    if (!canStillWrite) {
        EXPECT_FALSE(qrdesk::WriteFileAtomically(Native(path), "new", &error));
        EXPECT_EQ(ReadFile(path), "old");
    }
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The same rules through a path and through a folder opened once (the batch's writer).
TEST(FileWrite, BatchWriterReplacesOnlyWhenAskedAndLeavesNoTemporaryFile) {
    using qrdesk::WriteResult;
    qrdesk::WriteOptions keep;
    keep.replace = false;
    keep.intoStreams = false;
    qrdesk::WriteOptions force = keep;
    force.replace = true;
    for (const bool throughFolder : {false, true}) {
        SCOPED_TRACE(throughFolder ? "OutputFolder" : "WriteFileSafely");
        QTemporaryDir dir;
        const qrdesk::OutputFolder folder(Native(dir.path()));
        ASSERT_EQ(folder.Error(), 0);
        auto write = [&](const QString& name, std::string_view bytes, const qrdesk::WriteOptions& o,
                         const char* reason = nullptr) {
            const qrdesk::WriteOutcome outcome =
                throughFolder ? folder.Write(Native(name), bytes, o)
                              : qrdesk::WriteFileSafely(Native(dir.filePath(name)), bytes, o);
            if (reason) {
                EXPECT_NE(outcome.error.find(reason), std::string::npos) << outcome.error;
            }
            return outcome.result;
        };
        const QString path = dir.filePath("a.bmp");
        EXPECT_EQ(write("a.bmp", "first", keep), WriteResult::Written);
        EXPECT_EQ(ReadFile(path), "first");
        EXPECT_EQ(write("a.bmp", "second", keep, "exists"), WriteResult::Exists);
        EXPECT_EQ(ReadFile(path), "first");
        EXPECT_EQ(write("a.bmp", "third", force), WriteResult::Written);
        EXPECT_EQ(ReadFile(path), "third");
        EXPECT_EQ(write("missing/b.bmp", "x", keep, "No such file"), WriteResult::Failed);
        ASSERT_TRUE(QDir(dir.path()).mkdir("c.bmp"));
        EXPECT_EQ(write("c.bmp", "x", force, "folder"), WriteResult::Failed);
        EXPECT_EQ(write("c.bmp", "x", keep), WriteResult::Failed);
        // A dangling link's name is taken, yet the link is followed as on any path.
        ASSERT_TRUE(QFile::link("d-target.bmp", dir.filePath("d.bmp")));
        EXPECT_EQ(write("d.bmp", "via link", keep), WriteResult::Written);
        EXPECT_EQ(ReadFile(dir.filePath("d-target.bmp")), "via link");
        EXPECT_EQ(write(QString::fromStdString(qrdesk::detail::TemporaryName()), "x", keep),
                  WriteResult::Failed);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                  (QStringList{"a.bmp", "d-target.bmp", "d.bmp"}));

        // Made with the permissions of any new file (the umask's), not a temporary file's 0600.
        ASSERT_TRUE(WriteFile(dir.filePath("plain"), {}));
        EXPECT_EQ(QFile(path).permissions(), QFile(dir.filePath("plain")).permissions());
    }
}

// A folder opened once keeps taking the files when it is renamed, and reports a folder that is
// gone as a failure of every file.
TEST(FileWrite, OutputFolderIsTheFolderOpened) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("a"));
    const qrdesk::OutputFolder folder(Native(dir.filePath("a")));
    ASSERT_TRUE(QDir(dir.path()).rename("a", "b"));
    EXPECT_EQ(folder.Write("x.png", "x").result, qrdesk::WriteResult::Written);
    EXPECT_EQ(ReadFile(dir.filePath("b/x.png")), "x");
    ASSERT_TRUE(QDir(dir.filePath("b")).removeRecursively());
    const qrdesk::WriteOutcome gone = folder.Write("y.png", "y");
    EXPECT_EQ(gone.result, qrdesk::WriteResult::Failed);
    EXPECT_TRUE(gone.folderWide) << gone.error;
    const qrdesk::OutputFolder missing(Native(dir.filePath("none")));
    EXPECT_EQ(missing.Error(), ENOENT);
    EXPECT_TRUE(missing.Write("z.png", "z").folderWide);
}

// What a path stands for decides the write: links are followed by hand (a loop is an error and
// the links stay), this process's descriptors are written into in their own mode (appending
// here), the program's temporary names are refused, and a failure every file in the folder
// would meet is marked so.
TEST(FileWrite, PathsLeadWhereTheyShould) {
    using qrdesk::WriteResult;
    QTemporaryDir dir;
    const std::string folder = Native(dir.path());
    auto at = [&](const std::string& name) { return folder + "/" + name; };
    ASSERT_EQ(::symlink("loop2", at("loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", at("loop2").c_str()), 0);
    ASSERT_EQ(::symlink("made.png", at("dangling").c_str()), 0);
    ASSERT_TRUE(WriteFile(dir.filePath("log"), "old\n"));
    const int log = ::open(at("log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const int readOnly = ::open(at("log").c_str(), O_RDONLY | O_CLOEXEC);
    const struct {
        std::string path;
        WriteResult result;
        int error;
        bool folderWide;
    } cases[] = {
        {at("loop1"), WriteResult::Failed, ELOOP, false},
        {at("dangling"), WriteResult::Written, 0, false},
        {"/dev/fd/" + std::to_string(log), WriteResult::Written, 0, false},
        {"/proc/self/fd/" + std::to_string(log), WriteResult::Written, 0, false},
        {"/dev/fd/" + std::to_string(readOnly), WriteResult::Failed, EBADF, false},
        {at(qrdesk::detail::TemporaryName()), WriteResult::Failed, EINVAL, false},
        {at(std::string(300, 'n')), WriteResult::Failed, ENAMETOOLONG, false},
        {at("missing/x.png"), WriteResult::Failed, ENOENT, true},
    };
    for (const auto& c : cases) {
        const qrdesk::WriteOutcome outcome = qrdesk::WriteFileSafely(c.path, "new\n");
        EXPECT_EQ(outcome.result, c.result) << c.path << ": " << outcome.error;
        EXPECT_EQ(outcome.errnoValue, c.error) << c.path;
        EXPECT_EQ(outcome.folderWide, c.folderWide) << c.path;
    }
    ::close(log);
    ::close(readOnly);
    EXPECT_EQ(ReadFile(dir.filePath("log")), "old\nnew\nnew\n");
    EXPECT_EQ(ReadFile(dir.filePath("made.png")), "new\n");
    EXPECT_TRUE(QFileInfo(dir.filePath("loop1")).isSymLink());
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDir::Name),
              (QStringList{"dangling", "log", "loop1", "loop2", "made.png"}));
}

}  // namespace
