#pragma once
// The readers' check of the symbol the window shows, off the GUI thread: the symbol is drawn
// at once, the verdicts and the advice follow. One worker thread, one check at a time; a newer
// check cancels the one running (its remaining reads return at once) and replaces one waiting,
// so only the latest check's result is ever delivered.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "common/SymbolJob.h"

namespace qrdesk {

class SymbolCheck {
  public:
    // Called on the worker thread with a check's number and the symbol with its verdicts and
    // advice; never for a cancelled check. The receiver compares the number with Latest()
    // when it takes the result over to its own thread.
    using Done = std::function<void(std::uint64_t number, SymbolResult checked)>;

    // readers must outlive this object.
    SymbolCheck(std::span<const SymbolReader* const> readers, Done done);
    // Cancels the check in progress and waits for the worker (at most the read in progress).
    ~SymbolCheck();
    SymbolCheck(const SymbolCheck&) = delete;
    SymbolCheck& operator=(const SymbolCheck&) = delete;

    // Checks made, the symbol of settings made without readers; returns the check's number
    // (1, 2, ...). Cancels any earlier check. settings' overlay is called on the worker for
    // the pictures tried for advice.
    std::uint64_t Start(const SymbolSettings& settings, SymbolResult made);
    // Cancels the check in progress and the one waiting, if any.
    void Cancel();
    // The number of the last check started (0: none).
    std::uint64_t Latest() const { return latest_.load(); }
    // A check is waiting or in progress.
    bool Busy() const;

  private:
    struct Request {
        std::uint64_t number = 0;
        SymbolSettings settings;
        SymbolResult made;
    };
    // A reader that reads nothing once the check it works for is cancelled.
    class Cancellable;

    void Run();

    std::vector<std::unique_ptr<Cancellable>> wrapped_;
    std::vector<const SymbolReader*> readers_;
    Done done_;
    std::atomic<std::uint64_t> latest_{0};
    std::atomic<std::uint64_t> running_{0};  // the check in progress, 0 for none
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Request> waiting_;
    bool working_ = false;
    bool stopping_ = false;
    std::thread worker_;  // started by the first check
};

}  // namespace qrdesk
