#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "Constants.h"

namespace kvt::devsim {

// Bytes on their way to the PC. Unpaced, every byte may go at once; paced, each byte leaves only
// when the line would have carried it (kBitsPerByte at the baud rate, one after the other).
class OutputLine {
  public:
    // 0 turns pacing off.
    void setByteTime(std::chrono::nanoseconds byteTime) { byteTime_ = byteTime; }
    bool paced() const { return byteTime_.count() > 0; }

    void enqueue(std::span<const std::uint8_t> bytes, Clock::time_point now);
    std::size_t pending() const { return bytes_.size(); }
    void clear();

    enum class Flush { Done, Blocked, Failed };
    // Writes every byte that is due to the (non-blocking) fd. Blocked: the terminal is full, wait
    // for POLLOUT. Failed: the terminal is gone.
    Flush flush(int fd, Clock::time_point now);
    // When the next byte becomes due (paced only; nothing when none waits for its time).
    std::optional<Clock::time_point> nextDue(Clock::time_point now) const;

  private:
    struct Pending {
        std::uint8_t byte;
        Clock::time_point due;
    };
    std::deque<Pending> bytes_;
    std::chrono::nanoseconds byteTime_{0};
    Clock::time_point lineFreeAt_{};  // when the last queued byte has left the line
};

}  // namespace kvt::devsim
