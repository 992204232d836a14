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

// The page faults of taking and freeing eight images four times, after a first round.
long FaultsOfRefilling() {
    constexpr std::size_t kImage = 1 << 20;
    auto fill = [] {
        void* images[8];
        for (void*& image : images)
            if ((image = std::malloc(kImage))) std::memset(image, 1, kImage);
        for (void* image : images) std::free(image);
    };
    rusage before{}, after{};
    fill();
    getrusage(RUSAGE_THREAD, &before);
    for (int i = 0; i < 4; ++i) fill();
    getrusage(RUSAGE_THREAD, &after);
    return after.ru_minflt - before.ru_minflt;
}

TEST(Memory, FreedImagesAreReusedWithoutFreshPages) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator is not glibc's";
#endif
    qrdesk::KeepFreedMemoryForReuse();
    // On this thread, and on one of its own as the readers are asked (another arena).
    long onThread = -1;
    std::thread([&] { onThread = FaultsOfRefilling(); }).join();
    EXPECT_LT(FaultsOfRefilling(), 200);  // 4 x 2,048 when they are handed back each time
    EXPECT_LT(onThread, 200);
}

}  // namespace
