#include "cli/Batch.h"

#include <fcntl.h>
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

#include "BatchNames.h"
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

// What stops a batch before its input ends: a signal, or a folder that takes no more files.
struct Stop {
    const StopSignals* stopSignals;
    std::atomic<bool> folderFull{false};
    bool Now() const { return folderFull.load() || (stopSignals && stopSignals->Flag().load()); }
};

// A bounded queue: the reader waits while the workers are behind, so memory stays flat. A
// full queue wakes the reader only once it is half empty, and a worker takes several jobs at
// a time: threads that hand over one job per wake-up spent more time waking than working.
// It takes no more than its share of those waiting, so that the last jobs of a batch (or a
// short batch of large pictures) are not left to one worker while the others are idle.
class JobQueue {
  public:
    JobQueue(std::size_t workers, const Stop& stop)
        : capacity_(workers * 16), workers_(workers), stop_(stop) {}
    // False when the batch stops meanwhile (the job is not taken).
    bool Push(Job job) {
        std::unique_lock lock(mutex_);
        if (jobs_.size() >= capacity_) {
            // A signal cannot notify a condition variable: look at the stop now and then.
            while (!notFull_.wait_for(lock, std::chrono::milliseconds(100),
                                      [&] { return jobs_.size() <= capacity_ / 2 || closed_; }))
                if (stop_.Now()) return false;
        }
        if (closed_ || stop_.Now()) return false;
        jobs_.push_back(std::move(job));
        if (jobs_.size() == 1) notEmpty_.notify_one();
        return true;
    }
    // Waits for jobs and takes up to most of them (and its share), in order, into jobs; false
    // when the queue is closed and empty.
    bool Pop(std::vector<Job>& jobs, std::size_t most) {
        jobs.clear();
        std::unique_lock lock(mutex_);
        notEmpty_.wait(lock, [&] { return !jobs_.empty() || closed_; });
        if (jobs_.empty()) return false;
        const bool wasFull = jobs_.size() > capacity_ / 2;
        most = std::clamp<std::size_t>(jobs_.size() / workers_, 1, most);
        while (!jobs_.empty() && jobs.size() < most) {
            jobs.push_back(std::move(jobs_.front()));
            jobs_.pop_front();
        }
        if (wasFull && jobs_.size() <= capacity_ / 2) notFull_.notify_one();
        // Others may wait while jobs are left (the reader woke only one of them).
        if (!jobs_.empty()) notEmpty_.notify_one();
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
    std::size_t workers_;
    const Stop& stop_;
    bool closed_ = false;
};

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the folder and those above it that are missing; 0 or the errno.
int MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!IsFolder(part) && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) return IsFolder(path) ? 0 : ENOTDIR;
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
        return Quoted(name) + " is not a plain file name";
    return {};
}

// Jobs a worker takes from the queue at a time; their results go to the reporter together.
constexpr std::size_t kJobsPerTake = 8;

// One job: its result is added to results.
void WorkOn(const Job& job, const CliOptions& options, const OutputFolder& folder,
            SymbolMaker& maker, const WriteOptions& writing, JobQueue& queue, Reporter& reporter,
            Stop& stop, std::vector<Reporter::Result>& results, bool& quit) {
    auto done = [&](Reporter::Outcome outcome, int code = kOk, std::string message = {}) {
        results.push_back({job.sequence, outcome, code, std::move(message)});
    };
    auto fail = [&](int code, const std::string& reason) {
        done(Reporter::Outcome::Failed, code, "line " + std::to_string(job.line) + ": " + reason);
    };
    const std::string name =
        job.name.empty() ? BatchFileName(options.nameTemplate, job.line) : job.name;
    OutputType type = options.type;
    if (!job.name.empty() && !options.typeGiven) {
        const auto fromName = TypeFromName(name);
        if (!fromName) {
            fail(kUsage, Quoted(name) + " must end in .png, .bmp, .svg or .txt (or give -t)");
            return;
        }
        type = *fromName;
    }
    const std::string path = InFolder(options.outDir, name);
    const std::string shown = Printable(path);
    // No look for an existing file first: the writer refuses one atomically when it links the
    // new file, and a look of its own would cost every new file a system call to save the
    // symbol's few microseconds for a file that exists.
    const SymbolFile file = maker.Make(job.text, options, type, false);
    if (file.code != kOk) {
        fail(file.code, file.error);
        return;
    }
    const WriteOutcome outcome = folder.Write(name, file.bytes, writing);
    if (outcome.folderWide) {
        // One message for the batch, not one for every line that follows.
        if (!stop.folderFull.exchange(true)) {
            reporter.Done(results);  // the messages of the lines before, first
            results.clear();
            reporter.Error(kInputOutput,
                           "cannot write " + shown + ": " + outcome.error + "; the batch stops");
            queue.Close(true);
        }
        quit = true;
        return;
    }
    if (outcome.result == WriteResult::Written) {
        done(Reporter::Outcome::Written);
        return;
    }
    if (outcome.result == WriteResult::Cancelled || stop.Now()) {
        quit = true;  // in flight: gone
        return;
    }
    // Without --force, a name taken by what the writer does not replace (a folder, a FIFO)
    // exists as a file does.
    const bool taken = outcome.result == WriteResult::Exists ||
                       (outcome.result == WriteResult::Failed && !options.force && Exists(path));
    switch (taken ? WriteResult::Exists : outcome.result) {
        case WriteResult::Exists:
            if (options.skipExisting)
                done(Reporter::Outcome::Existing);
            else
                fail(kInputOutput, shown + " exists (--force replaces it)");
            break;
        default:
            fail(kInputOutput, "cannot write " + shown + ": " + outcome.error);
            break;
    }
}

void Work(const CliOptions& options, const OutputFolder& folder, JobQueue& queue,
          Reporter& reporter, Stop& stop) {
    SymbolMaker maker;  // one per thread: the encoder keeps working state in its instance
    WriteOptions writing;
    writing.replace = options.force;
    writing.intoStreams = false;  // a batch makes files
    writing.cancel = stop.stopSignals ? &stop.stopSignals->Flag() : nullptr;
    std::vector<Job> jobs;
    std::vector<Reporter::Result> results;
    bool quit = false;
    while (!quit && queue.Pop(jobs, kJobsPerTake)) {
        for (const Job& job : jobs) {
            if (stop.Now()) {
                quit = true;
                break;
            }
            WorkOn(job, options, folder, maker, writing, queue, reporter, stop, results, quit);
            if (quit) break;
        }
        reporter.Done(results);
        results.clear();
    }
}

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

BatchSummary RunBatch(const CliOptions& options, std::FILE* err, bool progress,
                      const StopSignals* stopSignals) {
    auto fail = [&](const std::string& message) {
        std::fprintf(err, "qrdesk-cli: %s\n", message.c_str());
        BatchSummary summary;
        summary.code = kInputOutput;
        return summary;
    };

    const bool fromStdin = options.batchFile == "-";
    const std::string inputName = fromStdin ? "standard input" : Printable(options.batchFile);
    const int fd = OpenUnlessStopped(options.batchFile, stopSignals);
    if (fd < 0) {
        if (errno == ECANCELED) {
            BatchSummary summary;
            summary.signal = stopSignals->Caught();
            summary.code = 128 + summary.signal;
            std::fprintf(err, "qrdesk-cli: interrupted by SIG%s\n", SignalName(summary.signal));
            return summary;
        }
        return fail("cannot read " + inputName + ": " + ErrnoReason(errno));
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
    const std::string outDir = Printable(options.outDir);
    if (Exists(options.outDir) && !IsFolder(options.outDir))
        return fail("--out-dir " + outDir + " is not a folder");
    if (!Exists(options.outDir))
        if (const int error = MakeFolders(options.outDir); error != 0)
            return fail("cannot make the folder " + outDir + ": " + ErrnoReason(error));
    // Temporary files of a run killed where the file system has no unnamed files.
    if (const int removed = RemoveAbandonedTemporaries(options.outDir); removed > 0)
        std::fprintf(err, "qrdesk-cli: removed %d temporary %s that an earlier run left in %s\n",
                     removed, Plural(removed, "file", "files"), outDir.c_str());

    // Opened once for all the files (see OutputFolder).
    const OutputFolder folder(options.outDir);
    if (folder.Error() != 0)
        return fail("cannot open the folder " + outDir + ": " + ErrnoReason(folder.Error()));

    const int workers = options.jobs > 0
                            ? options.jobs
                            : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    Stop stop{stopSignals};
    JobQueue queue(static_cast<std::size_t>(workers), stop);
    Reporter reporter(err, progress, inputSize);
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(Work, std::cref(options), std::cref(folder), std::ref(queue),
                             std::ref(reporter), std::ref(stop));

    BatchSummary counts;
    std::int64_t sequence = 0;
    // record: the number that picks the shard; line: the line of the file, for messages.
    auto take = [&](std::int64_t record, std::int64_t line, std::string name, std::string text,
                    bool tooLong) {
        if (record % options.shardCount != options.shardIndex) {
            ++counts.otherShards;
            return;
        }
        if (tooLong) {
            reporter.Done(sequence++, Reporter::Outcome::Failed, kDoesNotFit,
                          "line " + std::to_string(line) + ": the line has more than " +
                              std::to_string(kMaxLineBytes) + " bytes, more than any symbol holds");
            return;
        }
        if (text.empty()) {
            ++counts.empty;
            return;
        }
        queue.Push({sequence++, line, std::move(name), std::move(text)});
    };
    int readError = 0;
    if (options.batchFormat == BatchFormat::Lines) {
        LineReader reader(fd, stopSignals);
        std::string line;
        bool tooLong = false;
        while (!stop.Now() && reader.Next(line, tooLong)) {
            reporter.Consumed(reader.Consumed());
            if (!line.empty() && line.back() == '\r') line.pop_back();
            ++counts.lines;
            take(counts.lines, counts.lines, {}, std::move(line), tooLong);
        }
        readError = reader.Error();
    } else {
        CsvReader reader(fd, stopSignals);
        NameRegistry names;
        std::vector<std::string> fields;
        bool tooLong = false, malformed = false, first = true;
        while (!stop.Now() && reader.Next(fields, tooLong, malformed)) {
            reporter.Consumed(reader.Consumed());
            const bool header =
                first && fields.size() == 2 && fields[0] == "name" && fields[1] == "text";
            first = false;
            if (header) continue;
            const std::int64_t record = ++counts.lines, line = reader.Line();
            if (fields.size() == 1 && fields[0].empty()) {
                ++counts.empty;
                continue;
            }
            std::string problem = malformed            ? "the record is not well-formed CSV"
                                  : fields.size() != 2 ? "a record has two fields, name and text"
                                                       : CheckName(fields[0]);
            if (problem.empty() && !fields[1].empty() && !tooLong)
                if (const std::int64_t earlier = names.Claim(fields[0], line))
                    problem = Quoted(fields[0]) + " is already the name of line " +
                              std::to_string(earlier);
            if (!problem.empty() && record % options.shardCount == options.shardIndex) {
                reporter.Done(sequence++, Reporter::Outcome::Failed, kUsage,
                              "line " + std::to_string(line) + ": " + problem);
                continue;
            }
            if (problem.empty()) take(record, line, fields[0], std::move(fields[1]), tooLong);
        }
        readError = reader.Error();
    }
    if (readError != 0 && readError != ECANCELED && !stop.Now())
        reporter.Error(kInputOutput, "cannot read " + inputName + ": " + ErrnoReason(readError));
    queue.Close(stop.Now());
    for (std::thread& t : threads) t.join();

    // The files were not synced one by one; once they are on disk the batch is done.
    if (!stop.folderFull.load()) {
        const int dirFd = ::open(options.outDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 || ::syncfs(dirFd) != 0)
            reporter.Error(kInputOutput, "cannot sync the files in " + outDir +
                                             " to disk: " + ErrnoReason(errno));
        if (dirFd >= 0) ::close(dirFd);
    }
    counts.signal = stopSignals ? stopSignals->Caught() : 0;
    counts.diskFull = stop.folderFull.load();
    BatchSummary summary = reporter.Finish(counts);
    if (summary.signal != 0) summary.code = 128 + summary.signal;
    return summary;
}

}  // namespace qrdesk::cli
