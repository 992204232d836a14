// Freed memory is kept for the next picture: a reader's working images (here eight of 1 MiB,
// a 1,024-pixel square each) freed together and taken again cost no fresh pages. With glibc's
// defaults they are handed back and fault in all their 2,048 pages again each time.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "common/Memory.h"

namespace {

long PageFaults() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

TEST(Memory, FreedImagesAreReusedWithoutFreshPages) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator is not glibc's";
#endif
    qrdesk::KeepFreedMemoryForReuse();
    constexpr std::size_t kImage = 1 << 20;
    // On a thread of its own, as the readers are asked, and on this one.
    for (const bool own : {true, false}) {
        long faults = -1;
        auto run = [&] {
            auto fill = [] {
                void* images[8];
                for (void*& image : images)
                    if ((image = std::malloc(kImage))) std::memset(image, 1, kImage);
                for (void* image : images) std::free(image);
            };
            fill();
            const long before = PageFaults();
            for (int i = 0; i < 4; ++i) fill();
            faults = PageFaults() - before;
        };
        if (own)
            std::thread(run).join();
        else
            run();
        SCOPED_TRACE(own);
        EXPECT_LT(faults, 200);  // 4 x 2,048 when they are handed back each time
    }
}

}  // namespace
