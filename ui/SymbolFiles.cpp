#include "ui/SymbolFiles.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace qrdesk {
namespace {
// The save dialog's and the failures' texts are translated in their own context.
struct SaveFiles {
    Q_DECLARE_TR_FUNCTIONS(SaveFiles)
};

struct FormatRow {
    FileFormat format;
    const char* description;
    const char* extension;
};
// The dialog's filters in their order; the bitmap's description is the window's own.
constexpr FormatRow kFormats[] = {
    {FileFormat::Bmp, QT_TRANSLATE_NOOP("SaveFiles", "位图文件(*.bmp)"), "bmp"},
    {FileFormat::Png, QT_TRANSLATE_NOOP("SaveFiles", "PNG 图片(*.png)"), "png"},
    {FileFormat::Svg, QT_TRANSLATE_NOOP("SaveFiles", "SVG 矢量图(*.svg)"), "svg"},
};
}  // namespace

QString SaveFilter() {
    QStringList parts;
    for (const FormatRow& row : kFormats)
        parts << SaveFiles::tr(row.description) << QStringLiteral("*.") + row.extension;
    return parts.join('|');
}

FileFormat SaveFormatFromFilter(int filterIndex) {
    const int count = static_cast<int>(std::size(kFormats));
    return filterIndex >= 1 && filterIndex <= count ? kFormats[filterIndex - 1].format
                                                    : FileFormat::Bmp;
}

const char* SaveExtension(FileFormat format) {
    for (const FormatRow& row : kFormats)
        if (row.format == format) return row.extension;
    return "bmp";
}

QString SavePath(const QString& chosenPath, FileFormat format) {
    const qsizetype slash = chosenPath.lastIndexOf('/');
    QString path = chosenPath.left(slash + 1) + chosenPath.mid(slash + 1).toLower();
    const QString suffix = QStringLiteral(".") + SaveExtension(format);
    if (!path.endsWith(suffix)) path += suffix;
    return path;
}

int WriteErrno(const QString& path) {
    const QFileInfo file(path);
    if (file.isDir()) return EISDIR;
    const QFileInfo folder(file.absolutePath());
    if (!file.exists() && folder.exists() && !folder.isDir()) return ENOTDIR;
    const QByteArray probe = QFile::encodeName(file.exists() ? path : folder.filePath());
    return ::access(probe.constData(), W_OK) == 0 ? 0 : errno;
}

QString SaveFailureReason(const QString& path, int errnoValue, const std::string& reason) {
    switch (errnoValue) {
        case ENOENT:
            return SaveFiles::tr("文件夹不存在");
        case ENOTDIR:
            return SaveFiles::tr("路径中有一部分不是文件夹");
        case EACCES:
        case EPERM:
            return SaveFiles::tr("没有写入权限");
        case EROFS:
            return SaveFiles::tr("文件系统为只读");
        case ENOSPC:
        case EDQUOT:
            return SaveFiles::tr("磁盘空间不足");
        case ENAMETOOLONG:
            return SaveFiles::tr("文件名过长");
        case EISDIR:
            return SaveFiles::tr("已有同名的文件夹");
        case 0:
            if (QFileInfo(path).isDir()) return SaveFiles::tr("已有同名的文件夹");
            break;
        default:
            break;
    }
    return QString::fromStdString(reason);
}

}  // namespace qrdesk
