// The core reports running out of memory as a result (no picture), never as an exception.
// This executable links the allocator that can be told to fail (support/FailingAllocator.h). Each
// allocation of an Encode is made to fail in turn; no exception may leave, and a run that the
// failure did not reach must give the same picture as a run without it.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "render/mdlVexmora.h"
#include "support/FailingAllocator.h"

namespace {

using qrtest::Failing;

std::vector<std::uint32_t> Pixels(const Picture& p) {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) out.push_back(p.Pixel(x, y));
    return out;
}

TEST(AllocationFailure, LargeCanvasGivesNoPicture) {
    const std::uint8_t cell = 1;
    // 32,766 x 32,766 pixels: about 1 GiB, refused by the allocator.
    std::shared_ptr<Picture> picture;
    {
        Failing failing(-1, std::size_t{256} << 20);
        EXPECT_NO_THROW(picture = mdlVexmora::MatrixToPicture(&cell, 1, 1, 32765, 32765, 0, 0));
        EXPECT_GE(qrtest::Failures(), 1);
    }
    EXPECT_EQ(picture, nullptr);
    // The same call with memory to spare makes the picture (so the refusal is what failed).
    picture = mdlVexmora::MatrixToPicture(&cell, 1, 1, 4095, 4095, 0, 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Pixel(4095, 4095), 0x000000u);
}

TEST(AllocationFailure, WrappingABitmapWithoutMemoryGivesNoPicture) {
    auto* bitmap = new Bitmap;
    bitmap->width = bitmap->height = 1;
    bitmap->indices.assign(1, 1);
    std::shared_ptr<Picture> picture;
    {
        Failing failing(0, SIZE_MAX);
        EXPECT_NO_THROW(picture = mdlVexmora::BitmapToPicture(bitmap, true));
    }
    EXPECT_EQ(picture, nullptr);  // the bitmap was deleted with it (the leak check sees it)
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(AllocationFailure, LargeCanvasUnderAMemoryLimit) {
    // The real situation: a process limited to 512 MiB asks for a 1 GiB canvas. In a child,
    // so that the limit stays there; the child exits 0 only when it got no picture.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlim_t bytes = rlim_t{512} << 20;
        rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
        const std::uint8_t cell = 1;
        const auto picture = mdlVexmora::MatrixToPicture(&cell, 1, 1, 32765, 32765, 0, 0);
        _exit(picture == nullptr ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child died (an exception escaped?)";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

TEST(AllocationFailure, EveryAllocationOfEncodeFailingInTurn) {
    std::string large;
    while (large.size() < 2900) large += "the quick brown fox 0123456789 JUMPS ";
    large.resize(2900);
    struct Case {
        std::string text;
        clsQRCode::EncodeOptions options;
    };
    clsQRCode::EncodeOptions scored;
    scored.scoredMask = true;
    clsQRCode::EncodeOptions largeScored = scored;
    largeScored.level = 1;  // 2,900 bytes fit 40-L
    clsQRCode::EncodeOptions largeFixed;
    largeFixed.level = 1;
    largeFixed.mask = 5;
    const Case cases[] = {
        {"HELLO WORLD", {}}, {large, largeFixed}, {large, largeScored}, {"12345", scored}};
    for (const Case& c : cases) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(c.text.data());
        const auto count = static_cast<std::int32_t>(c.text.size());
        clsQRCode reference;
        clsQRCode::EncodeReport expectedReport;
        const auto expected = reference.Encode(data, count, c.options, &expectedReport);
        ASSERT_NE(expected, nullptr) << c.text.size();
        int failedRuns = 0;
        for (long n = 0;; ++n) {
            std::shared_ptr<Picture> picture;
            clsQRCode::EncodeReport report;
            long failures = 0;
            {
                Failing failing(n, SIZE_MAX);
                // A fresh encoder each time, so that its own first allocations fail too.
                clsQRCode qr;
                EXPECT_NO_THROW(picture = qr.Encode(data, count, c.options, &report)) << n;
                failures = qrtest::Failures();
            }
            if (failures == 0) {  // every allocation went through: the normal result
                ASSERT_NE(picture, nullptr);
                EXPECT_EQ(Pixels(*picture), Pixels(*expected));
                EXPECT_EQ(report.mask, expectedReport.mask);
                break;
            }
            ++failedRuns;
            if (picture) {
                EXPECT_EQ(Pixels(*picture), Pixels(*expected)) << n;
            }
            ASSERT_LT(n, 1000) << "no end to the allocations";
        }
        EXPECT_GE(failedRuns, 1) << "Encode allocated nothing: the test tried no failure";
    }
}

}  // namespace
