#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A FIFO under a given name, for code that must refuse it without waiting. A plain open of a
// FIFO for reading blocks until a writer comes, so a reader that regressed would hang the test
// for ever: readsWithoutWaiting runs the reading code and, should it still be busy after the
// bound, opens the FIFO's writing end once, which releases the reader, and reports the wait.
class FifoGuard {
public:
    static constexpr std::chrono::seconds kBound{10}; // a hang, not a slow machine

    explicit FifoGuard(std::string path) : path_(std::move(path))
    {
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    }
    FifoGuard(const FifoGuard&) = delete;
    FifoGuard& operator=(const FifoGuard&) = delete;

    bool made() const { return made_; }
    const std::string& path() const { return path_; }

    // Runs read on this thread; false when it was still busy after kBound.
    bool readsWithoutWaiting(const std::function<void()>& read)
    {
        std::mutex mutex;
        std::condition_variable doneChanged;
        bool done = false;
        bool waited = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            if (doneChanged.wait_for(lock, kBound, [&] { return done; })) return;
            waited = true;
            // The writing end opens only while a reader has the FIFO open, so try until the
            // reader has returned.
            while (
                !doneChanged.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) {
                const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
            }
        });
        read();
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        doneChanged.notify_all();
        watchdog.join();
        return !waited;
    }

    // Still a FIFO: nothing replaced it with a file.
    bool stillFifo() const
    {
        struct stat st {};
        return ::lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    }

private:
    std::string path_;
    bool made_ = false;
};
