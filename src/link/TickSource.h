#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace kvt {

// The millisecond counter that the link's timers count with. Tests replace it so that the
// 500 ms and 10000 ms time-outs pass without waiting for them.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual std::uint32_t nowMs() = 0;
    // Longest real time a thread may sleep before it must look at the counter again. A thread
    // asks right before it sleeps, after a pass that found nothing to do.
    virtual std::chrono::milliseconds maxSleep(std::chrono::milliseconds wanted) { return wanted; }
};

class SteadyTickSource final : public TickSource {
  public:
    std::uint32_t nowMs() override;
};

// A counter that moves only when a test says so; advance() rings the link so its threads look.
class ManualTickSource final : public TickSource {
  public:
    std::uint32_t nowMs() override { return now_.load(); }
    std::chrono::milliseconds maxSleep(std::chrono::milliseconds wanted) override;
    void advance(std::uint32_t ms);
    void onAdvance(std::function<void()> callback) { onAdvance_ = std::move(callback); }

    // Waits until `threads` threads sleep on this counter and each of them has looked at the
    // current count and found nothing more to do: whatever the count allows has happened, so a
    // test can show that something did not. False when that takes longer than the time-out
    // (real time), for example because a thread is busy or has ended.
    bool settle(std::size_t threads, std::chrono::milliseconds timeout = std::chrono::seconds(20));

  private:
    std::atomic<std::uint32_t> now_{1000};
    std::function<void()> onAdvance_;
    std::mutex mutex_;
    std::condition_variable slept_;
    std::map<std::thread::id, std::uint64_t> sleeps_;
};

}  // namespace kvt
