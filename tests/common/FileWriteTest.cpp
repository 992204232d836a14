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
    using qrdesk::WriteBatchFile;
    using qrdesk::WriteResult;
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    std::string error;
    EXPECT_EQ(WriteBatchFile(Native(path), "first", false, &error), WriteResult::Written);
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(WriteBatchFile(Native(path), "second", false, &error), WriteResult::Exists);
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(path), "first");
    EXPECT_EQ(WriteBatchFile(Native(path), "third", true, &error), WriteResult::Written);
    EXPECT_EQ(ReadFile(path), "third");
    EXPECT_EQ(WriteBatchFile(Native(dir.filePath("missing/b.bmp")), "x", false, &error),
              WriteResult::Failed);
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    ASSERT_TRUE(QDir(dir.path()).mkdir("c.bmp"));
    EXPECT_EQ(WriteBatchFile(Native(dir.filePath("c.bmp")), "x", true, &error),
              WriteResult::Failed);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.bmp"});

    // Made with the permissions of any new file (the umask's), not a temporary file's 0600.
    ASSERT_TRUE(WriteFile(dir.filePath("plain"), {}));
    EXPECT_EQ(QFile(path).permissions(), QFile(dir.filePath("plain")).permissions());
}

}  // namespace
