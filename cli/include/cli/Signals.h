#pragma once
// The signals that stop qrdesk-cli cleanly: SIGINT, SIGTERM, SIGHUP, SIGXFSZ and SIGALRM. The
// handler only records the signal and wakes whatever waits (it is async-signal-safe); the
// program then stops taking work, removes what it had in flight, reports and exits with
// 128 + the signal. A second such signal ends the program at once, as if not caught.

#include <atomic>
#include <cstddef>
#include <string>

namespace qrdesk::cli {

class StopSignals {
  public:
    // Catches the signals (without SA_RESTART, so that a blocked call returns) for as long as
    // the object lives, but for those the program was started with ignored (nohup, the
    // background jobs of a shell without job control); the previous handling comes back with
    // its end.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Set once a signal came.
    const std::atomic<bool>& Flag() const;
    // The first signal that came, 0 for none.
    int Caught() const;
    // Readable once a signal came: poll it beside what is waited for.
    int WakeDescriptor() const;
};

// Reads up to size bytes from fd like read(2), but returns -1 with errno ECANCELED as soon as
// a stop signal comes (without stopSignals: a plain read), whatever fd is waiting for.
long ReadUnlessStopped(int fd, void* buffer, unsigned long size, const StopSignals* stopSignals);

// Opens path for reading, standard input for "-" (not to be closed then). A FIFO without a
// writer waits in open(): a stop signal ends that wait with -1 and errno ECANCELED.
int OpenUnlessStopped(const std::string& path, const StopSignals* stopSignals);

// Reads the file at path ("-": standard input) whole into out, at most limit bytes. A regular
// file larger than that is not read at all; a stream is read until it ends or passes the
// limit, its buffer grown by doubling but never past it. 0, or the errno: EFBIG past the
// limit, ECANCELED when a stop signal came (in open() too, waiting for a FIFO's writer).
int ReadWhole(const std::string& path, std::size_t limit, std::string& out,
              const StopSignals* stopSignals);

// The signal's name without "SIG" ("INT"), for messages.
const char* SignalName(int signal);

}  // namespace qrdesk::cli
