#include "cli/Signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iterator>

namespace qrdesk::cli {
namespace {

// What the handler touches; a signal handler has nowhere else to put it.
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
std::atomic<bool> stopFlag{false};
std::atomic<int> caught{0};
std::atomic<int> wakeWrite{-1};
int wakeRead = -1;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ, SIGALRM};
struct sigaction previous[std::size(kStopSignals)];

// Async-signal-safe: lock-free atomics, write(2), signal(2), raise(3).
void OnStop(int signal) {
    const int savedErrno = errno;
    int none = 0;
    if (!caught.compare_exchange_strong(none, signal) &&
        (signal == SIGINT || signal == SIGTERM || signal == SIGHUP)) {
        // Asked twice: stop at once (delivered when this handler returns).
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    stopFlag.store(true);
    if (const int fd = wakeWrite.load(); fd >= 0) {
        const char byte = 0;
        if (::write(fd, &byte, 1) < 0) {
            // The pipe is full: it is readable already.
        }
    }
    errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals() {
    stopFlag.store(false);
    caught.store(0);
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
        wakeRead = ends[0];
        wakeWrite.store(ends[1]);
    }
    struct sigaction action {};
    action.sa_handler = OnStop;  // no SA_RESTART: a blocked call returns EINTR
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        // One ignored by whoever started the program stays ignored (nohup, a background job).
        ::sigaction(kStopSignals[i], nullptr, &previous[i]);
        if (previous[i].sa_handler != SIG_IGN) ::sigaction(kStopSignals[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        ::sigaction(kStopSignals[i], &previous[i], nullptr);
    if (const int fd = wakeWrite.exchange(-1); fd >= 0) ::close(fd);
    if (wakeRead >= 0) ::close(wakeRead);
    wakeRead = -1;
}

const std::atomic<bool>& StopSignals::Flag() const {
    return stopFlag;
}

int StopSignals::Caught() const {
    return caught.load();
}

int StopSignals::WakeDescriptor() const {
    return wakeRead;
}

long ReadUnlessStopped(int fd, void* buffer, unsigned long size, const StopSignals* stopSignals) {
    for (;;) {
        if (stopSignals && stopSignals->Flag().load()) {
            errno = ECANCELED;
            return -1;
        }
        if (stopSignals) {
            // Waiting in poll rather than read: a signal that comes just before the wait
            // still ends it, through the wake pipe.
            pollfd fds[2] = {{fd, POLLIN, 0}, {stopSignals->WakeDescriptor(), POLLIN, 0}};
            if (::poll(fds, stopSignals->WakeDescriptor() >= 0 ? 2 : 1, -1) < 0 && errno == EINTR)
                continue;
            if (fds[1].revents != 0) continue;
        }
        const ssize_t n = ::read(fd, buffer, size);
        if (n < 0 && (errno == EINTR || (stopSignals && errno == EAGAIN))) continue;
        return n;
    }
}

int OpenUnlessStopped(const std::string& path, const StopSignals* stopSignals) {
    if (path == "-") return STDIN_FILENO;
    for (;;) {
        // A signal that came just before the wait would otherwise go unseen.
        if (stopSignals && stopSignals->Flag().load()) {
            errno = ECANCELED;
            return -1;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

int ReadWhole(const std::string& path, std::size_t limit, std::string& out,
              const StopSignals* stopSignals) {
    const int fd = OpenUnlessStopped(path, stopSignals);
    if (fd < 0) return errno;
    int error = 0;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (static_cast<std::uint64_t>(st.st_size) > limit)
            error = EFBIG;
        else
            out.reserve(static_cast<std::size_t>(st.st_size) + 1);
    }
    char buffer[64 * 1024];
    while (error == 0) {
        const long n = ReadUnlessStopped(fd, buffer, sizeof buffer, stopSignals);
        if (n < 0) error = errno;
        if (n <= 0) break;
        const auto count = static_cast<std::size_t>(n);
        if (out.size() + count > limit) {
            error = EFBIG;
            break;
        }
        if (out.size() + count > out.capacity())
            out.reserve(std::min(std::max(2 * out.capacity(), sizeof buffer), limit));
        out.append(buffer, count);
    }
    if (path != "-") ::close(fd);
    return error;
}

const char* SignalName(int signal) {
    const char* name = ::sigabbrev_np(signal);
    return name ? name : "?";
}

}  // namespace qrdesk::cli
