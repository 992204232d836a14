#include "cli/Batch.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "BatchReport.h"
#include "Values.h"
#include "cli/Generate.h"
#include "common/FileWrite.h"

namespace qrdesk::cli {
namespace {

struct Job {
    std::int64_t sequence;  // the order messages are printed in
    std::int64_t line;      // line or record number, from 1
    std::string name;       // the CSV record's file name; empty for lines
    std::string text;
};

// A bounded queue: the reader waits while the workers are behind, so memory stays flat.
class JobQueue {
  public:
    explicit JobQueue(std::size_t capacity) : capacity_(capacity) {}
    // False when the queue was closed meanwhile (the job is not taken).
    bool Push(Job job) {
        std::unique_lock lock(mutex_);
        notFull_.wait(lock, [&] { return jobs_.size() < capacity_ || closed_; });
        if (closed_) return false;
        jobs_.push_back(std::move(job));
        notEmpty_.notify_one();
        return true;
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
    // No more jobs; with drop, the waiting ones are dropped too.
    void Close(bool drop) {
        std::lock_guard lock(mutex_);
        closed_ = true;
        if (drop) jobs_.clear();
        notEmpty_.notify_all();
        notFull_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable notFull_, notEmpty_;
    std::deque<Job> jobs_;
    std::size_t capacity_;
    bool closed_ = false;
};

// What stops a batch before its input ends: a signal, or a file system that takes no more.
struct Stop {
    std::atomic<bool> now{false};
    std::atomic<int> signal{0};
    std::atomic<bool> diskFull{false};
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

// A CSV record's file name: a plain name of its own folder.
std::string CheckName(const std::string& name) {
    if (name.empty()) return "the record has no file name";
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (name == "." || name == ".." || name.find('/') != std::string::npos || control)
        return "\"" + name + "\" is not a plain file name";
    return {};
}

void Work(const CliOptions& options, JobQueue& queue, Reporter& reporter, Stop& stop) {
    SymbolMaker maker;  // one per thread: the encoder keeps working state in its instance
    Job job;
    while (queue.Pop(job)) {
        if (stop.now.load()) break;
        auto fail = [&](int code, const std::string& reason) {
            reporter.Done(job.sequence, Reporter::Outcome::Failed, code,
                          "line " + std::to_string(job.line) + ": " + reason);
        };
        const std::string name =
            job.name.empty() ? BatchFileName(options.nameTemplate, job.line) : job.name;
        OutputType type = options.type;
        if (!job.name.empty() && !options.typeGiven) {
            const auto fromName = TypeFromName(name);
            if (!fromName) {
                fail(kUsage, "\"" + name + "\" must end in .png, .bmp, .svg or .txt (or give -t)");
                continue;
            }
            type = *fromName;
        }
        const std::string path = InFolder(options.outDir, name);
        // Early refusal saves the work; the atomic move below is what guarantees it.
        if (!options.force && Exists(path)) {
            if (options.skipExisting)
                reporter.Done(job.sequence, Reporter::Outcome::Existing);
            else
                fail(kInputOutput, path + " exists (--force replaces it)");
            continue;
        }
        const SymbolFile file = maker.Make(job.text, options, type, false);
        if (file.code != kOk) {
            fail(file.code, file.error);
            continue;
        }
        std::string error;
        int errorNumber = 0;
        switch (WriteBatchFile(path, file.bytes, options.force, &error, &errorNumber, &stop.now)) {
            case WriteResult::Written:
                reporter.Done(job.sequence, Reporter::Outcome::Written);
                break;
            case WriteResult::Cancelled:
                return;
            case WriteResult::Exists:
                if (options.skipExisting)
                    reporter.Done(job.sequence, Reporter::Outcome::Existing);
                else
                    fail(kInputOutput, path + " exists (--force replaces it)");
                break;
            case WriteResult::Failed:
                if (IsFileSystemFull(errorNumber)) {
                    // One message for the batch, not one for every line that follows.
                    if (!stop.diskFull.exchange(true)) {
                        reporter.Error(kInputOutput,
                                       "cannot write " + path + ": " + error + "; the batch stops");
                        stop.now.store(true);
                        queue.Close(true);
                    }
                    return;
                }
                fail(kInputOutput, "cannot write " + path + ": " + error);
                break;
        }
    }
}

// Waits for SIGINT or SIGTERM (blocked in every thread of the batch) and stops the batch; a
// SIGUSR2 from the batch itself ends the wait when the batch is done.
void WatchSignals(Stop& stop, JobQueue& queue, pthread_t reader) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR2);
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    if (signal == SIGUSR2) return;
    stop.signal.store(signal);
    stop.now.store(true);
    queue.Close(true);
    pthread_kill(reader, SIGUSR1);  // out of a read that waits for input
}

void NoAction(int) {}

}  // namespace

std::string BatchFileName(const std::string& nameTemplate, std::int64_t line) {
    std::string name;
    const std::string number = std::to_string(line);
    for (std::size_t at = 0; at < nameTemplate.size();) {
        const std::size_t open = nameTemplate.find("{line", at);
        const std::size_t close =
            open == std::string::npos ? std::string::npos : nameTemplate.find('}', open);
        if (close == std::string::npos) {
            name += nameTemplate.substr(at);
            break;
        }
        name += nameTemplate.substr(at, open - at);
        const std::string field = nameTemplate.substr(open, close - open + 1);
        if (const auto width = LineFieldWidth(field)) {
            const std::size_t pad = static_cast<std::size_t>(*width);
            name += std::string(pad > number.size() ? pad - number.size() : 0, '0') + number;
            at = close + 1;
        } else {
            // Not a field: its first character stays, and the search goes on after it.
            name += nameTemplate[open];
            at = open + 1;
        }
    }
    return name;
}

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
    struct Closer {
        int fd;
        bool owned;
        ~Closer() {
            if (owned) ::close(fd);
        }
    } closer{fd, !fromStdin};
    struct stat st {};
    std::int64_t inputSize = 0;
    if (::fstat(fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) return fail("cannot read " + inputName + ": it is a folder");
        if (S_ISREG(st.st_mode)) inputSize = st.st_size;
    }
    if (Exists(options.outDir) && !IsFolder(options.outDir))
        return fail("--out-dir " + options.outDir + " is not a folder");
    if (!Exists(options.outDir) && !MakeFolders(options.outDir))
        return fail("cannot make the folder " + options.outDir);
    // Files a killed run had in flight.
    RemoveStaleTemporaries(options.outDir);

    // SIGINT and SIGTERM go to the watcher only; SIGUSR1 interrupts the reader's read.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    struct sigaction wake {
    }, previousWake{};
    wake.sa_handler = NoAction;  // no SA_RESTART: the read returns EINTR
    sigaction(SIGUSR1, &wake, &previousWake);

    const int workers = options.jobs > 0
                            ? options.jobs
                            : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    JobQueue queue(static_cast<std::size_t>(workers) * 16);
    Reporter reporter(err, progress, inputSize);
    Stop stop;
    std::thread watcher(WatchSignals, std::ref(stop), std::ref(queue), pthread_self());
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(Work, std::cref(options), std::ref(queue), std::ref(reporter),
                             std::ref(stop));

    BatchSummary counts;
    std::int64_t sequence = 0;
    auto take = [&](std::int64_t number, std::string name, std::string text, bool tooLong) {
        if (number % options.shardCount != options.shardIndex) {
            ++counts.otherShards;
            return;
        }
        if (tooLong) {
            reporter.Done(sequence++, Reporter::Outcome::Failed, kDoesNotFit,
                          "line " + std::to_string(number) + ": the line has more than " +
                              std::to_string(kMaxLineBytes) + " bytes, more than any symbol holds");
            return;
        }
        if (text.empty()) {
            ++counts.empty;
            return;
        }
        queue.Push({sequence++, number, std::move(name), std::move(text)});
    };
    int readError = 0;
    if (options.batchFormat == BatchFormat::Lines) {
        LineReader reader(fd, &stop.now);
        std::string line;
        bool tooLong = false;
        while (!stop.now.load() && reader.Next(line, tooLong)) {
            reporter.Consumed(reader.Consumed());
            if (!line.empty() && line.back() == '\r') line.pop_back();
            take(++counts.lines, {}, std::move(line), tooLong);
        }
        readError = reader.Error();
    } else {
        CsvReader reader(fd, &stop.now);
        std::vector<std::string> fields;
        bool tooLong = false, malformed = false, first = true;
        while (!stop.now.load() && reader.Next(fields, tooLong, malformed)) {
            reporter.Consumed(reader.Consumed());
            const bool header =
                first && fields.size() == 2 && fields[0] == "name" && fields[1] == "text";
            first = false;
            if (header) continue;
            const std::int64_t number = ++counts.lines;
            if (fields.size() == 1 && fields[0].empty()) {
                ++counts.empty;
                continue;
            }
            std::string problem = malformed            ? "the record is not well-formed CSV"
                                  : fields.size() != 2 ? "a record has two fields, name and text"
                                                       : CheckName(fields[0]);
            if (!problem.empty() && number % options.shardCount == options.shardIndex) {
                reporter.Done(sequence++, Reporter::Outcome::Failed, kUsage,
                              "line " + std::to_string(number) + ": " + problem);
                continue;
            }
            if (problem.empty()) take(number, fields[0], std::move(fields[1]), tooLong);
        }
        readError = reader.Error();
    }
    if (readError != 0 && !stop.now.load())
        reporter.Error(kInputOutput, "cannot read " + inputName + ": " + ErrnoReason(readError));
    queue.Close(stop.now.load());
    for (std::thread& t : threads) t.join();
    pthread_kill(watcher.native_handle(), SIGUSR2);
    watcher.join();
    sigaction(SIGUSR1, &previousWake, nullptr);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    // The files were not synced one by one; once they are on disk the batch is done.
    if (!stop.diskFull.load()) {
        const int dirFd = ::open(options.outDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 || ::syncfs(dirFd) != 0)
            reporter.Error(kInputOutput, "cannot sync the files in " + options.outDir +
                                             " to disk: " + ErrnoReason(errno));
        if (dirFd >= 0) ::close(dirFd);
    }
    counts.signal = stop.signal.load();
    counts.diskFull = stop.diskFull.load();
    BatchSummary summary = reporter.Finish(counts);
    if (summary.signal != 0) summary.code = 128 + summary.signal;
    return summary;
}

}  // namespace qrdesk::cli
