#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <functional>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

inline constexpr int kWriterSaveFailed = 3; // exit status of a writer whose step reported failure

// One step of the child (a save, an answer recorded); the flag alternates, starting with true.
using SaveVersion = std::function<bool(bool newVersion)>;

// A child process (POSIX) that repeats its step until killed with SIGKILL and reports every
// completed step by one byte on a pipe. The parent goes on only once the child runs. Killed and
// reaped on destruction, so no child outlives a failed assertion.
class Writer {
public:
    explicit Writer(const SaveVersion& save)
    {
        int ready[2];
        int progress[2];
        if (::pipe(ready) != 0) return;
        if (::pipe(progress) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(progress[0]);
            // A report that does not fit the pipe is dropped; the writer never waits for it.
            ::fcntl(progress[1], F_SETFL, O_NONBLOCK);
            const char go = 'g';
            if (::write(ready[1], &go, 1) != 1) ::_exit(1);
            ::close(ready[1]);
            for (bool newVersion = true;; newVersion = !newVersion) {
                if (!save(newVersion)) ::_exit(kWriterSaveFailed);
                const char saved = 's';
                [[maybe_unused]] const ssize_t n = ::write(progress[1], &saved, 1);
            }
        }
        ::close(ready[1]);
        ::close(progress[1]);
        progress_ = progress[0];
        char go = 0;
        while (pid_ > 0 && ::read(ready[0], &go, 1) < 0 && errno == EINTR) {
        }
        ::close(ready[0]);
        if (pid_ < 0) {
            ::close(progress_);
            progress_ = -1;
        }
    }
    ~Writer()
    {
        kill();
        if (progress_ >= 0) ::close(progress_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool started() const { return pid_ > 0; }

    // Waits until the child reports its first completed save; false when it died first.
    bool waitForFirstSave()
    {
        char saved = 0;
        ssize_t n = 0;
        while ((n = ::read(progress_, &saved, 1)) < 0 && errno == EINTR) {
        }
        return n == 1;
    }

    // After kill(): how many completed steps the child reported that were not read yet.
    std::size_t drainReports()
    {
        std::size_t count = 0;
        char buffer[256];
        ssize_t n = 0;
        while ((n = ::read(progress_, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            count += n > 0 ? static_cast<std::size_t>(n) : 0;
        return count;
    }

    // Kills and reaps the child; returns its wait status.
    int kill()
    {
        int status = 0;
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            pid_ = -1;
        }
        return status;
    }

private:
    pid_t pid_ = -1;
    int progress_ = -1;
};

inline void sleepFor(std::chrono::nanoseconds d)
{
    timespec ts{static_cast<time_t>(d.count() / 1000000000),
                static_cast<long>(d.count() % 1000000000)};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}
