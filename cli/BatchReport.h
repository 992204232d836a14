#pragma once
// The batch's account of itself on standard error: failures in line order whatever order the
// workers finish in, a progress bar on a terminal, and the summary with its counts.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cli/Batch.h"

namespace qrdesk::cli {

// "1 line", "2 lines".
const char* Plural(std::int64_t n, const char* one, const char* many);

// Counts results and writes failures in line order, the progress bar and the summary to err,
// one thread at a time.
class Reporter {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Outcome { Written, Failed, Existing };

    Reporter(std::FILE* err, bool progress, std::int64_t inputSize)
        : err_(err), progress_(progress), inputSize_(inputSize), start_(Clock::now()) {}

    // The result of the job with this sequence number; message (for a failure) is printed
    // once every job before it has reported.
    void Done(std::int64_t sequence, Outcome outcome, int code = kOk, std::string message = {}) {
        std::lock_guard lock(mutex_);
        Count(sequence, outcome, code, std::move(message));
        Flush(false);
        MaybeDraw();
    }
    struct Result {
        std::int64_t sequence;
        Outcome outcome;
        int code;
        std::string message;
    };
    // Several results at once, as Done one by one.
    void Done(std::vector<Result>& results) {
        if (results.empty()) return;
        std::lock_guard lock(mutex_);
        for (Result& r : results) Count(r.sequence, r.outcome, r.code, std::move(r.message));
        Flush(false);
        MaybeDraw();
    }
    // An error of the whole batch, printed at once (the input cannot be read, the disk is
    // full).
    void Error(int code, const std::string& message) {
        std::lock_guard lock(mutex_);
        summary_.code = std::max(summary_.code, code);
        ClearBar();
        std::fprintf(err_, "qrdesk-cli: %s\n", message.c_str());
    }
    void Consumed(std::int64_t bytes) { consumed_.store(bytes, std::memory_order_relaxed); }

    BatchSummary Finish(BatchSummary counts) {
        std::lock_guard lock(mutex_);
        Flush(true);
        ClearBar();
        counts.written = summary_.written;
        counts.failed = summary_.failed;
        counts.existing = summary_.existing;
        counts.code = std::max(counts.code, summary_.code);
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        std::string line = std::string(counts.signal ? "interrupted: " : "") +
                           std::to_string(counts.written) + " written, " +
                           std::to_string(counts.failed) + " failed, " +
                           std::to_string(counts.empty) +
                           Plural(counts.empty, " empty line", " empty lines") + " skipped";
        if (counts.existing > 0)
            line += ", " + std::to_string(counts.existing) +
                    Plural(counts.existing, " existing file", " existing files") + " left alone";
        if (counts.otherShards > 0)
            line += ", " + std::to_string(counts.otherShards) + " for other shards";
        line += ", " + std::to_string(counts.lines) + Plural(counts.lines, " line", " lines");
        char rate[64];
        std::snprintf(rate, sizeof rate, " in %.2f s (%.0f symbols/s)", seconds,
                      seconds > 0 ? static_cast<double>(counts.written) / seconds : 0.0);
        std::fprintf(err_, "qrdesk-cli: %s%s\n", line.c_str(), rate);
        std::fflush(err_);
        return counts;
    }

  private:
    void Count(std::int64_t sequence, Outcome outcome, int code, std::string message) {
        switch (outcome) {
            case Outcome::Written:
                ++summary_.written;
                break;
            case Outcome::Existing:
                ++summary_.existing;
                break;
            case Outcome::Failed:
                ++summary_.failed;
                summary_.code = std::max(summary_.code, code);
                break;
        }
        // Next in order with nothing to print: no need to wait in the map.
        if (message.empty() && sequence == next_ && pending_.empty())
            next_ = sequence + 1;
        else
            pending_[sequence] = std::move(message);
    }
    // Prints the waiting messages that are next in order (with all, every one left).
    void Flush(bool all) {
        while (!pending_.empty() && (all || pending_.begin()->first == next_)) {
            const auto first = pending_.begin();
            if (!first->second.empty()) {
                ClearBar();
                std::fprintf(err_, "qrdesk-cli: %s\n", first->second.c_str());
            }
            next_ = first->first + 1;
            pending_.erase(first);
        }
    }
    void ClearBar() {
        if (progress_ && barShown_) std::fputs("\r\033[K", err_);
        barShown_ = false;
    }
    // At most ten times a second.
    void MaybeDraw() {
        if (!progress_) return;
        const auto now = Clock::now();
        if (barShown_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
        lastDraw_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate =
            seconds > 0 ? static_cast<double>(summary_.written + summary_.failed) / seconds : 0;
        char bar[64] = "";
        if (inputSize_ > 0) {
            const double fraction = std::min(
                1.0, static_cast<double>(consumed_.load(std::memory_order_relaxed)) / inputSize_);
            constexpr int kWidth = 24;
            const int filled = static_cast<int>(fraction * kWidth);
            std::snprintf(bar, sizeof bar, "[%.*s%.*s] %3d%% ", filled, "########################",
                          kWidth - filled, "........................",
                          static_cast<int>(fraction * 100));
        }
        std::fprintf(err_, "\r\033[K%s%lld written, %lld failed, %.0f/s", bar,
                     static_cast<long long>(summary_.written),
                     static_cast<long long>(summary_.failed), rate);
        std::fflush(err_);
        barShown_ = true;
    }

    std::mutex mutex_;
    std::FILE* err_;
    bool progress_;
    std::int64_t inputSize_;
    std::atomic<std::int64_t> consumed_{0};
    Clock::time_point start_;
    Clock::time_point lastDraw_{};
    bool barShown_ = false;
    BatchSummary summary_;
    std::map<std::int64_t, std::string> pending_;
    std::int64_t next_ = 0;
};

}  // namespace qrdesk::cli
