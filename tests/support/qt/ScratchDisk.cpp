#include "support/qt/ScratchDisk.h"

#include <sys/mount.h>
#include <unistd.h>

#include <QFile>

ScratchDisk::ScratchDisk(const QString& folder, const std::string& options)
    : folder_(folder), options_(options) {
    mounted_ = geteuid() == 0 && mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs", 0,
                                       options_.c_str()) == 0;
}

ScratchDisk::~ScratchDisk() {
    if (mounted_) umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    QFile::setPermissions(folder_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool ScratchDisk::MakeReadOnly() {
    if (mounted_)
        return mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs",
                     MS_REMOUNT | MS_RDONLY, options_.c_str()) == 0;
    return geteuid() != 0 &&
           QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
}
