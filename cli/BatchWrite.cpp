#include "cli/BatchWrite.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace qrdesk::cli {
namespace {

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<std::size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Writes and closes fd; on failure removes path and sets *error.
bool FinishFile(int fd, const QByteArray& path, const QByteArray& bytes, QString* error) {
    const bool written = WriteAll(fd, bytes);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    *error = Reason(written ? errno : writeError);
    ::unlink(path.constData());
    return false;
}

// Creates path exclusively and writes it in place.
WriteResult WriteInPlace(const QByteArray& path, const QByteArray& bytes, QString* error) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const bool exists = errno == EEXIST;
        *error = exists ? QStringLiteral("the file exists") : Reason(errno);
        return exists ? WriteResult::Exists : WriteResult::Failed;
    }
    return FinishFile(fd, path, bytes, error) ? WriteResult::Written : WriteResult::Failed;
}

}  // namespace

WriteResult WriteBatchFile(const QString& path, const QByteArray& bytes, bool replace,
                           QString* error) {
    QString ignored;
    if (!error) error = &ignored;
    const QByteArray target = QFile::encodeName(path);

    // A temporary name in the same folder (a move does not cross file systems), unique among
    // the threads of this process and, by the process id, among processes; short, so that a
    // target name near the length limit still has one. Made with the permissions of any new
    // file (0666 less the umask), which the move keeps.
    static std::atomic<unsigned> counter{0};
    const QString folder = QFileInfo(path).path();
    int fd = -1;
    QByteArray temporary;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(QStringLiteral("%1/.qrdesk-%2-%3.tmp")
                                          .arg(folder)
                                          .arg(::getpid())
                                          .arg(counter.fetch_add(1)));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        *error = Reason(errno);
        return WriteResult::Failed;
    }
    if (!FinishFile(fd, temporary, bytes, error)) return WriteResult::Failed;

    int moveError = 0;
    if (replace) {
        if (::rename(temporary.constData(), target.constData()) == 0) return WriteResult::Written;
        moveError = errno;
    } else {
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) == 0)
            return WriteResult::Written;
        moveError = errno;
        // No such rename here: a hard link refuses an existing name just as atomically.
        if (moveError == EINVAL || moveError == ENOSYS)
            moveError = ::link(temporary.constData(), target.constData()) == 0 ? 0 : errno;
    }

    WriteResult result = WriteResult::Written;
    if (moveError == EEXIST) {
        *error = QStringLiteral("the file exists");
        result = WriteResult::Exists;
    } else if (!replace && (moveError == EPERM || moveError == EOPNOTSUPP)) {
        result = WriteInPlace(target, bytes, error);
    } else if (moveError != 0) {
        *error = Reason(moveError);
        result = WriteResult::Failed;
    }
    ::unlink(temporary.constData());
    return result;
}

}  // namespace qrdesk::cli
