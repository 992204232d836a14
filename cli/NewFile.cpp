#include "cli/NewFile.h"

#include <fcntl.h>
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

// Creates path exclusively and writes it; removes it again when the write fails.
NewFileResult WriteInPlace(const QByteArray& path, const QByteArray& bytes, QString* error) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno == EEXIST ? QStringLiteral("the file exists") : Reason(errno);
        return errno == EEXIST ? NewFileResult::Exists : NewFileResult::Failed;
    }
    const bool ok = WriteAll(fd, bytes) && ::fdatasync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !ok) {
        *error = Reason(ok ? errno : writeError);
        ::unlink(path.constData());
        return NewFileResult::Failed;
    }
    return NewFileResult::Written;
}

}  // namespace

NewFileResult WriteNewFile(const QString& path, const QByteArray& bytes, QString* error) {
    QString ignored;
    if (!error) error = &ignored;
    const QByteArray target = QFile::encodeName(path);
    const QFileInfo info(path);

    // A temporary name in the same folder (hard links do not cross file systems), unique
    // among the threads of this process and, by the process id, among processes; short, so
    // that a target name near the length limit still has one.
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    QByteArray temporary;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(QStringLiteral("%1/.qrdesk-%2-%3.tmp")
                                          .arg(info.path())
                                          .arg(::getpid())
                                          .arg(counter.fetch_add(1)));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        *error = Reason(errno);
        return NewFileResult::Failed;
    }
    const bool ok = WriteAll(fd, bytes) && ::fdatasync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !ok) {
        *error = Reason(ok ? errno : writeError);
        ::unlink(temporary.constData());
        return NewFileResult::Failed;
    }

    NewFileResult result = NewFileResult::Written;
    if (::link(temporary.constData(), target.constData()) != 0) {
        const int linkError = errno;
        if (linkError == EEXIST) {
            *error = QStringLiteral("the file exists");
            result = NewFileResult::Exists;
        } else if (linkError == EPERM || linkError == EOPNOTSUPP || linkError == EMLINK) {
            result = WriteInPlace(target, bytes, error);
        } else {
            *error = Reason(linkError);
            result = NewFileResult::Failed;
        }
    }
    ::unlink(temporary.constData());
    return result;
}

}  // namespace qrdesk::cli
