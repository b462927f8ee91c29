#pragma once

#include <cstdint>
#include <vector>

#include "link/LinkState.h"

namespace kvt {

// The coarse controller of test mode: answers the request in the transmit buffer with a fixed
// reply per command code, straight into the receive ring, and generates an endless synthetic
// acquisition stream.
class SimulatedDevice {
  public:
    // Pseudo codes with which the acquisition asks for more stream data without a request.
    static constexpr std::uint8_t kStreamTrigger = 0xfe;
    static constexpr std::uint8_t kStreamStepRamp = 0xff;
    // The longest reply built; a longer expected length is cut to this.
    static constexpr std::size_t kScratchSize = 40000;

    // Builds the reply for the request and expected length (exposed for tests).
    std::vector<std::uint8_t> replyFor(std::span<const std::uint8_t> request,
                                       std::int32_t expectedLength);

    // SimulateReply: answers the request now in the transmit buffer.
    void SimulateReply(LinkState& link);

    std::uint32_t streamCounter() const { return streamCounter_; }

  private:
    void appendStream(std::vector<std::uint8_t>& out, std::size_t length);

    std::uint32_t streamCounter_ = 0;
};

}  // namespace kvt
