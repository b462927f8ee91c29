#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "Constants.h"

namespace kvt::devsim {

// When the acquisition records are due. Record k is due at start + (k + 1) * period, computed
// from the start each time, so the stream keeps its rate over any length of time however late
// the process wakes up (a late wake-up sends the overdue records at once).
class Streamer {
  public:
    // limit: records after which the stream ends by itself; 0 for none.
    void start(Clock::time_point now, std::chrono::microseconds period, std::uint64_t limit = 0);
    void stop() { active_ = false; }
    bool active() const { return active_; }

    // Number of the next record if it is due at `now`; the caller sends it and calls advance().
    std::optional<std::uint64_t> due(Clock::time_point now) const;
    void advance() {
        ++next_;
        if (limit_ != 0 && next_ >= limit_) {
            active_ = false;
        }
    }
    // True once a stream with a limit has sent all its records.
    bool finished() const { return limit_ != 0 && next_ >= limit_; }
    std::optional<Clock::time_point> nextDue() const;

    // Records of the current (or last) stream so far, and its period.
    std::uint64_t records() const { return next_; }
    std::chrono::microseconds period() const { return period_; }

  private:
    Clock::time_point dueTime(std::uint64_t k) const {
        return start_ + period_ * static_cast<std::int64_t>(k + 1);
    }

    bool active_ = false;
    Clock::time_point start_{};
    std::chrono::microseconds period_{};
    std::uint64_t next_ = 0;
    std::uint64_t limit_ = 0;
};

}  // namespace kvt::devsim
