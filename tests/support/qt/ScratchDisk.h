#pragma once
// A small scratch file system over a folder, to run out of space or be read-only on demand:
// a tmpfs, which only root can mount. Unmounted (and the folder's permissions given back)
// when it goes.

#include <QString>
#include <string>

class ScratchDisk {
  public:
    // options as tmpfs takes them, "size=64k,mode=0700" for example.
    ScratchDisk(const QString& folder, const std::string& options);
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk&) = delete;
    ScratchDisk& operator=(const ScratchDisk&) = delete;

    bool Mounted() const { return mounted_; }
    // Makes the folder unwritable once its contents are in place: the tmpfs remounted
    // read-only; without one, for a user other than root (whom permission bits do not stop),
    // the folder's write permission taken away. False when neither is possible.
    bool MakeReadOnly();

  private:
    QString folder_;
    std::string options_;
    bool mounted_ = false;
};
