#pragma once
// A new file while it is written, before it has its name. On Linux it has no name at all
// (O_TMPFILE): a crash leaves nothing, and giving it its name (linkat) fails atomically when
// the name exists. Where the file system cannot do that, it has a temporary name that only
// this program makes, random rather than derived from a process id (hosts and PID namespaces
// sharing a folder repeat process ids), and it is locked for as long as it is open, so that a
// later run can tell an abandoned one from one being written.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "FileTarget.h"

namespace qrdesk::detail {

struct Pending {
    Fd fd;             // open for writing
    std::string name;  // its temporary name in the folder; empty while it has none
};

// A new temporary name: ".qrdesk-", 16 random hex digits, "-", 16 hex digits that depend on
// them, ".tmp".
std::string TemporaryName();
// Whether name is such a name: a file of that name may be removed once abandoned, so no
// other file is given one.
bool IsTemporaryName(std::string_view name);

// A new file in folder with mode (less the umask): unnamed where it can be, else (or when
// named) under a temporary name. 0, or the errno.
int CreatePending(int folder, mode_t mode, Pending& pending, bool named = false);

// Whether an unnamed file can be given a name (through /proc/self/fd, which a chroot may
// lack): asked only once giving one failed.
bool CanNameUnnamed();

// Gives the file name, which must not exist: EEXIST when it does. 0, or the errno (EPERM or
// EOPNOTSUPP where the file system has neither hard links nor an exclusive rename).
int LinkPending(int folder, Pending& pending, const std::string& name);

// Moves the file over name, replacing what is there. 0, or the errno.
int ReplaceWithPending(int folder, Pending& pending, const std::string& name);

// Removes the file's temporary name, if it has one, and closes it.
void DiscardPending(int folder, Pending& pending);

// Removes the temporary files of this program in folder that are provably abandoned: named
// as only this program names them, this user's, unlocked, and untouched for an hour. Returns
// how many.
int RemoveAbandoned(const std::string& folder);

}  // namespace qrdesk::detail
