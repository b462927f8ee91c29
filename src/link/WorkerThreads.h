#pragma once

#include <functional>
#include <thread>
#include <vector>

#include "link/LinkState.h"

namespace kvt {

// Owns the four worker threads. They start in the order link control, engine, transmit, receive;
// they stop through link control, which stops the other three and reports last.
class WorkerThreads {
  public:
    struct Bodies {
        std::function<void()> mainCtrl;
        std::function<void()> action;  // may be empty when only the link runs
        std::function<void()> writeCom;
        std::function<void()> readCom;
    };

    explicit WorkerThreads(LinkState& link) : link_(link) {}
    ~WorkerThreads() { stop(); }
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    void start(Bodies bodies);
    // Asks link control to stop (run flag 1 -> 2), waits until it shows 3, joins every thread.
    // Safe to call more than once.
    void stop();
    bool running() const { return !threads_.empty(); }

  private:
    LinkState& link_;
    std::vector<std::thread> threads_;
};

}  // namespace kvt
