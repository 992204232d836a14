#include "common/Memory.h"

#include <malloc.h>

namespace qrdesk {

void KeepFreedMemoryForReuse() {
    // Fixed values also stop glibc from moving them itself.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

}  // namespace qrdesk
