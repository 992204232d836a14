// The window's check off the GUI thread: a newer check cancels an older one, whose remaining
// reads are not made and whose verdicts never arrive; closing during a read is safe.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "ui/SymbolCheck.h"

namespace {

using namespace std::chrono_literals;

// Reads nothing; each call is recorded by the picture's width, and the first call at
// blockWidth waits until Release().
class GateReader : public qrdesk::SymbolReader {
  public:
    explicit GateReader(int blockWidth) : blockWidth_(blockWidth) {}
    const char* Name() const override { return "gate"; }
    const char* Help() const override { return ""; }
    qrdesk::Reading Read(const qrdesk::GreyView& image, bool) const override {
        std::unique_lock lock(mutex_);
        widths_.push_back(image.width);
        if (image.width == blockWidth_ && !released_) {
            entered_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return released_; });
        }
        return {};
    }
    void WaitEntered() const {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, 10s, [&] { return entered_; }));
    }
    void Release() const {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    std::vector<int> Widths() const {
        const std::lock_guard lock(mutex_);
        return widths_;
    }

  private:
    int blockWidth_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    mutable std::vector<int> widths_;
    mutable bool entered_ = false, released_ = false;
};

qrdesk::SymbolSettings Settings(int side) {
    qrdesk::SymbolSettings settings;
    settings.text = u"HELLO WORLD";
    settings.size = side;
    settings.keepWritten = true;
    return settings;
}

struct Delivered {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<std::uint64_t, qrdesk::SymbolResult>> results;
    void Add(std::uint64_t number, qrdesk::SymbolResult result) {
        const std::lock_guard lock(mutex);
        results.emplace_back(number, std::move(result));
        arrived.notify_all();
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, 30s, [&] { return results.size() >= count; });
    }
};

TEST(SymbolCheck, ANewerCheckCancelsTheOlderOneAndOnlyItsVerdictsArrive) {
    // A reader that never decodes sends the check on to other sides and levels: many reads,
    // none of which a cancelled check may still make.
    const GateReader reader(200);
    const qrdesk::SymbolReader* readers[] = {&reader};
    Delivered delivered;
    std::vector<int> widthsAtRelease;
    {
        qrdesk::SymbolCheck check(readers, [&](std::uint64_t number, qrdesk::SymbolResult r) {
            delivered.Add(number, std::move(r));
        });
        clsQRCode encoder;
        const auto first = qrdesk::MakeSymbol(encoder, Settings(200));
        const auto second = qrdesk::MakeSymbol(encoder, Settings(300));
        ASSERT_TRUE(first.Made() && second.Made());
        EXPECT_EQ(check.Start(Settings(200), first), 1u);
        reader.WaitEntered();
        EXPECT_TRUE(check.Busy());
        EXPECT_EQ(check.Start(Settings(300), second), 2u);
        widthsAtRelease = reader.Widths();
        reader.Release();
        ASSERT_TRUE(delivered.WaitFor(1));
        while (check.Busy()) std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(delivered.results.size(), 1u);
    EXPECT_EQ(delivered.results[0].first, 2u);
    const qrdesk::SymbolResult& result = delivered.results[0].second;
    EXPECT_EQ(result.side, 300);
    ASSERT_EQ(result.verdicts.size(), 1u);
    EXPECT_FALSE(result.verdicts[0].decoded);
    EXPECT_TRUE(result.advice.triedLevels) << "the newer check ran to its end";
    // The older check made its one blocked read and no other after the newer began.
    const std::vector<int> widths = reader.Widths();
    ASSERT_EQ(widthsAtRelease, std::vector<int>{200});
    ASSERT_GT(widths.size(), 1u);
    EXPECT_EQ(widths[1], 300) << "the cancelled check read on";
}

TEST(SymbolCheck, ClosingDuringAReadWaitsForItAndDeliversNothing) {
    const GateReader reader(400);
    const qrdesk::SymbolReader* readers[] = {&reader};
    Delivered delivered;
    auto check = std::make_unique<qrdesk::SymbolCheck>(
        readers, [&](std::uint64_t n, qrdesk::SymbolResult r) { delivered.Add(n, std::move(r)); });
    clsQRCode encoder;
    check->Start(Settings(400), qrdesk::MakeSymbol(encoder, Settings(400)));
    reader.WaitEntered();
    std::thread release([&] {
        std::this_thread::sleep_for(50ms);
        reader.Release();
    });
    check.reset();  // returns once the read in progress does
    release.join();
    EXPECT_TRUE(delivered.results.empty());
    EXPECT_EQ(reader.Widths(), std::vector<int>{400});
}

TEST(SymbolCheck, CancelDropsAWaitingCheck) {
    const GateReader reader(200);
    const qrdesk::SymbolReader* readers[] = {&reader};
    Delivered delivered;
    qrdesk::SymbolCheck check(
        readers, [&](std::uint64_t n, qrdesk::SymbolResult r) { delivered.Add(n, std::move(r)); });
    clsQRCode encoder;
    check.Start(Settings(200), qrdesk::MakeSymbol(encoder, Settings(200)));
    reader.WaitEntered();
    check.Start(Settings(300), qrdesk::MakeSymbol(encoder, Settings(300)));  // waits
    check.Cancel();
    reader.Release();
    while (check.Busy()) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(delivered.results.empty());
    EXPECT_EQ(reader.Widths(), std::vector<int>{200});
}

}  // namespace
