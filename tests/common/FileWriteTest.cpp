// Writing symbol files: a failed write leaves no file under the final name and the old file
// intact; the batch's writer replaces only when asked and leaves no temporary file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

TEST(FileWrite, BatchWriterReplacesOnlyWhenAskedAndLeavesNoTemporaryFile) {
    using qrdesk::WriteResult;
    QTemporaryDir dir;
    qrdesk::WriteOptions keep;
    keep.replace = false;
    keep.intoStreams = false;
    qrdesk::WriteOptions force = keep;
    force.replace = true;
    auto write = [](const QString& path, std::string_view bytes, const qrdesk::WriteOptions& o,
                    const char* reason = nullptr) {
        const qrdesk::WriteOutcome outcome = qrdesk::WriteFileSafely(Native(path), bytes, o);
        if (reason) {
            EXPECT_NE(outcome.error.find(reason), std::string::npos) << outcome.error;
        }
        return outcome.result;
    };
    const QString path = dir.filePath("a.bmp");
    EXPECT_EQ(write(path, "first", keep), WriteResult::Written);
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(write(path, "second", keep, "exists"), WriteResult::Exists);
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(write(path, "third", force), WriteResult::Written);
    EXPECT_EQ(ReadFile(path), "third");
    EXPECT_EQ(write(dir.filePath("missing/b.bmp"), "x", keep, "No such file"), WriteResult::Failed);
    ASSERT_TRUE(QDir(dir.path()).mkdir("c.bmp"));
    EXPECT_EQ(write(dir.filePath("c.bmp"), "x", force, "folder"), WriteResult::Failed);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.bmp"});

    // Made with the permissions of any new file (the umask's), not a temporary file's 0600.
    ASSERT_TRUE(WriteFile(dir.filePath("plain"), {}));
    EXPECT_EQ(QFile(path).permissions(), QFile(dir.filePath("plain")).permissions());
}

}  // namespace
