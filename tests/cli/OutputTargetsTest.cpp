// -o onto whatever a path stands for: a FIFO, a device or a socket is written into and stays
// what it was; through a symbolic link the target is replaced and the link stays; a replaced
// file keeps its mode and owner, a hard-linked one its links.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <thread>

#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"
#include "support/qt/ImageDecode.h"
#include "support/qt/QtPrinters.h"

namespace {

struct stat StatOf(const QString& path, bool follow = true) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    EXPECT_EQ(follow ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st), 0)
        << path.toStdString();
    return st;
}

// Everything that arrives on fd until its writer closes it.
QByteArray Drain(int fd) {
    QByteArray all;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) all.append(buffer, n);
    return all;
}

TEST(OutputTargets, FifoIsWrittenIntoAndStaysAFifo) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
        received = Drain(fd);
        ::close(fd);
    });
    const CliRun run = RunCliProcess({"-o", "pipe", "through a FIFO"}, dir.path());
    reader.join();
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
    EXPECT_TRUE(received.startsWith("\x89PNG"));  // no extension: PNG, as for standard output
    EXPECT_EQ(DecodedBytes(DecodeFile(received)), "through a FIFO");
}

TEST(OutputTargets, SocketIsWrittenInto) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("sock"));
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), static_cast<qsizetype>(sizeof address.sun_path));
    std::memcpy(address.sun_path, path.constData(), path.size() + 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    QByteArray received;
    std::thread reader([&] {
        const int client = ::accept(server, nullptr, nullptr);
        received = Drain(client);
        ::close(client);
    });
    const CliRun run = RunCliProcess({"-o", "sock", "-t", "bmp", "into a socket"}, dir.path());
    reader.join();
    ::close(server);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(S_ISSOCK(StatOf(dir.filePath("sock")).st_mode));
    EXPECT_TRUE(received.startsWith("BM"));
    EXPECT_EQ(DecodedBytes(DecodeFile(received)), "into a socket");
}

TEST(OutputTargets, DevicesStayDevicesAndLinksStayLinks) {
    QTemporaryDir dir;
    // /dev/null takes the picture; /dev/full refuses it and stays a device, also through a
    // link, which stays a link.
    CliRun run = RunCliProcess({"-o", "/dev/null", "x"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
    ASSERT_TRUE(QFile::link("/dev/full", dir.filePath("full.png")));
    run = RunCliProcess({"-o", "full.png", "x"}, dir.path());
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.err, "qrdesk-cli: cannot write full.png: No space left on device\n");
    EXPECT_TRUE(S_ISCHR(StatOf("/dev/full").st_mode));
    EXPECT_TRUE(S_ISLNK(StatOf(dir.filePath("full.png"), false).st_mode));

    // A link to a file: the file is replaced, the link stays and shows the new file.
    ASSERT_TRUE(WriteFile(dir.filePath("target.png"), "old"));
    ASSERT_TRUE(QFile::link("target.png", dir.filePath("link.png")));
    run = RunCliProcess({"-o", "link.png", "via a link"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(S_ISLNK(StatOf(dir.filePath("link.png"), false).st_mode));
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("target.png")))), "via a link");
    // A dangling link: its target is made.
    ASSERT_TRUE(QFile::link("made.png", dir.filePath("dangling.png")));
    run = RunCliProcess({"-o", "dangling.png", "made"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(dir.filePath("made.png")))), "made");
    // A block device is refused outright.
    if (QFile::exists("/dev/loop0")) {
        run = RunCliProcess({"-o", "/dev/loop0", "-t", "png", "x"}, dir.path());
        EXPECT_EQ(run.code, 3);
        EXPECT_TRUE(run.err.contains("it is a block device")) << run.err.toStdString();
    }
}

TEST(OutputTargets, ReplacedFilesKeepModeOwnerAndLinks) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.png"), b = dir.filePath("b.png");
    ASSERT_TRUE(WriteFile(a, "old"));
    ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
    CliRun run = RunCliProcess({"-o", "a.png", "linked"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(StatOf(a).st_ino, StatOf(b).st_ino);  // still one file under both names
    EXPECT_EQ(StatOf(a).st_nlink, 2u);
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(b))), "linked");

    const QString c = dir.filePath("c.png");
    ASSERT_TRUE(WriteFile(c, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(c).constData(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(c).constData(), 65534, 65534), 0);
    }
    run = RunCliProcess({"-o", "c.png", "kept"}, dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(StatOf(c).st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(StatOf(c).st_uid, 65534u);
        EXPECT_EQ(StatOf(c).st_gid, 65534u);
    }
    EXPECT_EQ(DecodedBytes(DecodeFile(ReadFile(c))), "kept");
    EXPECT_EQ(Entries(dir.path()), (QStringList{"a.png", "b.png", "c.png"}));  // no temporary
}

}  // namespace
