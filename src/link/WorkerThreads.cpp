#include "link/WorkerThreads.h"

#include <chrono>

namespace kvt {

void WorkerThreads::start(Bodies bodies) {
    stop();
    for (auto& flag : link_.runFlag) {
        flag = RunNotStarted;
    }
    std::function<void()>* ordered[] = {&bodies.mainCtrl, &bodies.action, &bodies.writeCom,
                                        &bodies.readCom};
    for (auto* body : ordered) {
        if (*body) {
            threads_.emplace_back(std::move(*body));
        }
    }
}

void WorkerThreads::stop() {
    if (threads_.empty()) {
        return;
    }
    auto& mainCtrl = link_.runFlag[static_cast<int>(ThreadId::MainCtrl)];
    // Link control may not have marked itself running yet; wait for it so the request is seen.
    while (mainCtrl.load() == RunNotStarted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::int32_t running = RunRunning;
    mainCtrl.compare_exchange_strong(running, RunStopRequested);
    link_.wake(ThreadId::MainCtrl);
    while (mainCtrl.load() != RunStopped) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (auto& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

}  // namespace kvt
