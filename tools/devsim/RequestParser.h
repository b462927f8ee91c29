#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "Constants.h"

namespace kvt::devsim {

// Cuts the bytes from the PC into requests the way a controller does: a request starts with STX,
// its length follows from the command code, and a request that stops half-way is given up after
// kRequestGapLimit. Bytes outside a request are reported as discarded.
class RequestParser {
  public:
    enum class Kind { Request, Discarded, Incomplete };
    using Sink = std::function<void(Kind, std::span<const std::uint8_t>)>;

    explicit RequestParser(Sink sink) : sink_(std::move(sink)) {}

    void feed(std::span<const std::uint8_t> bytes, Clock::time_point now);
    // Gives up a half-received request (reported as Incomplete) and any discarded bytes.
    void reset();

  private:
    void flushDiscarded();

    Sink sink_;
    std::vector<std::uint8_t> request_;
    std::vector<std::uint8_t> discarded_;
    Clock::time_point lastByte_{};
};

}  // namespace kvt::devsim
