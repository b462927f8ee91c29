#include "link/TickSource.h"

#include <algorithm>

namespace kvt {

std::uint32_t SteadyTickSource::nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::chrono::milliseconds ManualTickSource::maxSleep(std::chrono::milliseconds wanted) {
    {
        std::lock_guard lock(mutex_);
        ++sleeps_[std::this_thread::get_id()];
    }
    slept_.notify_all();
    return wanted;
}

void ManualTickSource::advance(std::uint32_t ms) {
    now_.fetch_add(ms);
    if (onAdvance_) {
        onAdvance_();
    }
}

bool ManualTickSource::settle(std::size_t threads, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    if (!slept_.wait_until(lock, deadline, [&] { return sleeps_.size() >= threads; })) {
        return false;
    }
    // Two rounds: the first sleep after a ring may end a pass that began before the count
    // moved; the pass before the second one began after the first, so it saw the count.
    for (int round = 0; round < 2; ++round) {
        const std::map<std::thread::id, std::uint64_t> before = sleeps_;
        lock.unlock();
        if (onAdvance_) {
            onAdvance_();
        }
        lock.lock();
        const bool all = slept_.wait_until(lock, deadline, [&] {
            return std::all_of(before.begin(), before.end(), [&](const auto& entry) {
                return sleeps_[entry.first] > entry.second;
            });
        });
        if (!all) {
            return false;
        }
    }
    return true;
}

}  // namespace kvt
