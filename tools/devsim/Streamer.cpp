#include "Streamer.h"

namespace kvt::devsim {

void Streamer::start(Clock::time_point now, std::chrono::microseconds period, std::uint64_t limit) {
    active_ = true;
    start_ = now;
    period_ = period;
    next_ = 0;
    limit_ = limit;
}

std::optional<std::uint64_t> Streamer::due(Clock::time_point now) const {
    if (!active_ || dueTime(next_) > now) {
        return std::nullopt;
    }
    return next_;
}

std::optional<Clock::time_point> Streamer::nextDue() const {
    if (!active_) {
        return std::nullopt;
    }
    return dueTime(next_);
}

}  // namespace kvt::devsim
