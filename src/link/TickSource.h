#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

namespace kvt {

// The millisecond counter that the link's timers count with. Tests replace it so that the
// 500 ms and 10000 ms time-outs pass without waiting for them.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual std::uint32_t nowMs() = 0;
    // Longest real time a thread may sleep before it must look at the counter again.
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
    void advance(std::uint32_t ms);
    void onAdvance(std::function<void()> callback) { onAdvance_ = std::move(callback); }

  private:
    std::atomic<std::uint32_t> now_{1000};
    std::function<void()> onAdvance_;
};

}  // namespace kvt
