#include "cli/Batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/Generate.h"
#include "common/FileWrite.h"

namespace qrdesk::cli {

bool LineReader::Next(std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    bool started = false;
    for (;;) {
        if (begin_ < end_) {
            started = true;
            const char* from = buffer_ + begin_;
            const char* newline = static_cast<const char*>(std::memchr(from, '\n', end_ - begin_));
            const std::size_t length = newline ? newline - from : end_ - begin_;
            // Keep at most one byte past the limit: enough to know the line is too long.
            const std::size_t room = kMaxLineBytes + 1 - line.size();
            line.append(from, std::min(room, length));
            if (line.size() > kMaxLineBytes) tooLong = true;
            begin_ += length + (newline ? 1 : 0);
            consumed_ += static_cast<std::int64_t>(length + (newline ? 1 : 0));
            if (newline) return true;
            continue;
        }
        if (eof_) return started;
        ssize_t n;
        do n = ::read(fd_, buffer_, sizeof buffer_);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            error_ = errno;
            return false;
        }
        begin_ = 0;
        end_ = static_cast<std::size_t>(n);
        eof_ = n == 0;
    }
}

namespace {

struct Job {
    std::int64_t line;
    std::string text;
};

// A bounded queue: the reader waits while the workers are behind, so memory stays flat.
class JobQueue {
  public:
    explicit JobQueue(std::size_t capacity) : capacity_(capacity) {}
    void Push(Job job) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return jobs_.size() < capacity_; });
        jobs_.push_back(std::move(job));
        notEmpty_.notify_one();
    }
    // Waits for a job; false when the queue is closed and empty.
    bool Pop(Job& job) {
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return !jobs_.empty() || closed_; });
        if (jobs_.empty()) return false;
        job = std::move(jobs_.front());
        jobs_.pop_front();
        notFull_.notify_one();
        return true;
    }
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        notEmpty_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable notFull_, notEmpty_;
    std::deque<Job> jobs_;
    std::size_t capacity_;
    bool closed_ = false;
};

// Counts results and writes failures and the progress bar to err, one thread at a time.
class Reporter {
  public:
    using Clock = std::chrono::steady_clock;
    Reporter(std::FILE* err, bool progress, std::int64_t inputSize)
        : err_(err), progress_(progress), inputSize_(inputSize), start_(Clock::now()) {}

    void Written() {
        std::lock_guard lock(mutex_);
        ++summary_.written;
        MaybeDraw();
    }
    void Failed(std::int64_t line, int code, const std::string& reason) {
        std::lock_guard lock(mutex_);
        ++summary_.failed;
        summary_.code = std::max(summary_.code, code);
        ClearBar();
        std::fprintf(err_, "qrdesk-cli: line %lld: %s\n", static_cast<long long>(line),
                     reason.c_str());
        MaybeDraw();
    }
    // An error of the whole batch (the input could not be read).
    void Error(int code, const std::string& message) {
        std::lock_guard lock(mutex_);
        summary_.code = std::max(summary_.code, code);
        ClearBar();
        std::fprintf(err_, "qrdesk-cli: %s\n", message.c_str());
    }
    void Consumed(std::int64_t bytes) { consumed_.store(bytes, std::memory_order_relaxed); }

    BatchSummary Finish(std::int64_t lines, std::int64_t empty) {
        std::lock_guard lock(mutex_);
        ClearBar();
        summary_.lines = lines;
        summary_.empty = empty;
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        std::fprintf(err_,
                     "qrdesk-cli: %lld written, %lld failed, %lld empty lines skipped, %lld "
                     "lines in %.2f s (%.0f symbols/s)\n",
                     static_cast<long long>(summary_.written),
                     static_cast<long long>(summary_.failed), static_cast<long long>(empty),
                     static_cast<long long>(lines), seconds,
                     seconds > 0 ? static_cast<double>(summary_.written) / seconds : 0.0);
        std::fflush(err_);
        return summary_;
    }

  private:
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
};

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the folder and those above it that are missing.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!IsFolder(part) && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return IsFolder(path);
    }
}

// name in folder, with the folder's trailing slashes left out.
std::string InFolder(std::string folder, const std::string& name) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder == "/" ? folder + name : folder + "/" + name;
}

// The template with every "{line}" replaced by the line number.
std::string FileName(const std::string& nameTemplate, std::int64_t line) {
    std::string name = nameTemplate;
    const std::string number = std::to_string(line);
    for (std::size_t at = name.find("{line}"); at != std::string::npos;
         at = name.find("{line}", at + number.size()))
        name.replace(at, 6, number);
    return name;
}

void Work(const CliOptions& options, JobQueue& queue, Reporter& reporter) {
    clsQRCode encoder;  // one per thread: Encode keeps working state in its instance
    Job job;
    while (queue.Pop(job)) {
        const std::string path = InFolder(options.outDir, FileName(options.nameTemplate, job.line));
        // Early refusal saves the work; the atomic link below is what guarantees it.
        if (!options.force && Exists(path)) {
            reporter.Failed(job.line, kInputOutput, path + " exists (--force replaces it)");
            continue;
        }
        const SymbolFile file =
            MakeSymbolFile(encoder, job.text, options, options.nameFormat, false);
        if (file.code != kOk) {
            reporter.Failed(job.line, file.code, file.error);
            continue;
        }
        std::string error;
        switch (WriteBatchFile(path, file.bytes, options.force, &error)) {
            case WriteResult::Written:
                break;
            case WriteResult::Exists:
                reporter.Failed(job.line, kInputOutput, path + " exists (--force replaces it)");
                continue;
            case WriteResult::Failed:
                reporter.Failed(job.line, kInputOutput, "cannot write " + path + ": " + error);
                continue;
        }
        reporter.Written();
    }
}

}  // namespace

BatchSummary RunBatch(const CliOptions& options, std::FILE* err, bool progress) {
    auto fail = [&](const std::string& message) {
        std::fprintf(err, "qrdesk-cli: %s\n", message.c_str());
        BatchSummary summary;
        summary.code = kInputOutput;
        return summary;
    };

    const bool fromStdin = options.batchFile == "-";
    const std::string inputName = fromStdin ? "standard input" : options.batchFile;
    int fd = STDIN_FILENO;
    if (!fromStdin) {
        fd = ::open(options.batchFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return fail("cannot read " + inputName + ": " + ErrnoReason(errno));
    }
    struct stat st {};
    std::int64_t inputSize = 0;
    if (::fstat(fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            if (!fromStdin) ::close(fd);
            return fail("cannot read " + inputName + ": it is a folder");
        }
        if (S_ISREG(st.st_mode)) inputSize = st.st_size;
    }
    struct Closer {
        int fd;
        bool owned;
        ~Closer() {
            if (owned) ::close(fd);
        }
    } closer{fd, !fromStdin};

    if (Exists(options.outDir) && !IsFolder(options.outDir))
        return fail("--out-dir " + options.outDir + " is not a folder");
    if (!Exists(options.outDir) && !MakeFolders(options.outDir))
        return fail("cannot make the folder " + options.outDir);

    const int workers = options.jobs > 0
                            ? options.jobs
                            : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    JobQueue queue(static_cast<std::size_t>(workers) * 16);
    Reporter reporter(err, progress, inputSize);
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(Work, std::cref(options), std::ref(queue), std::ref(reporter));

    LineReader reader(fd);
    std::string line;
    bool tooLong = false;
    std::int64_t number = 0, empty = 0;
    while (reader.Next(line, tooLong)) {
        ++number;
        reporter.Consumed(reader.Consumed());
        if (tooLong) {
            reporter.Failed(number, kDoesNotFit,
                            "the line has more than " + std::to_string(kMaxLineBytes) +
                                " bytes, more than any symbol holds");
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            ++empty;
            continue;
        }
        queue.Push({number, line});
    }
    if (reader.Error() != 0)
        reporter.Error(kInputOutput,
                       "cannot read " + inputName + ": " + ErrnoReason(reader.Error()));
    queue.Close();
    for (std::thread& t : threads) t.join();

    // The files were not synced one by one; once they are on disk the batch is done.
    const int dirFd = ::open(options.outDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0 || ::syncfs(dirFd) != 0)
        reporter.Error(kInputOutput, "cannot sync the files in " + options.outDir +
                                         " to disk: " + ErrnoReason(errno));
    if (dirFd >= 0) ::close(dirFd);
    return reporter.Finish(number, empty);
}

}  // namespace qrdesk::cli
