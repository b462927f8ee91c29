#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kvt {

// A thread's doorbell. Whoever changes a flag that the thread waits for rings it; the thread
// sleeps until rung or until its next deadline. A ring that comes before the wait is not lost.
class Wakeup {
  public:
    void signal();
    // Returns true when rung, false on time-out; consumes the ring either way.
    bool waitFor(std::chrono::milliseconds timeout);

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool pending_ = false;
};

// The same for a thread that also waits on a file descriptor with poll(): the ring makes an
// eventfd readable.
class FdWakeup {
  public:
    FdWakeup();
    ~FdWakeup();
    FdWakeup(const FdWakeup&) = delete;
    FdWakeup& operator=(const FdWakeup&) = delete;

    void signal();
    int fd() const { return fd_; }
    void consume();
    bool waitFor(std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
};

}  // namespace kvt
