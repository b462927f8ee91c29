#pragma once

#include <cstdint>

namespace kvt {

// Time-outs and limits of the link and the engine, in one place. The defaults are the
// controller's; tests against the emulator shorten them to keep dead-line cases quick.
struct LinkTiming {
    std::int32_t sendTimeoutMs = 500;
    std::int32_t replyTimeoutMs = 10000;
    std::int32_t retryPauseMs = 1000;
    // The fourth failed exchange of an action ends it.
    std::int32_t retryLimit = 4;
};

// Receive time-outs tolerated per exchange: the first one ends it.
inline constexpr std::int32_t kReceiveRetryLimit = 1;
// The transmit thread sends at most this many bytes when asked for more than a buffer holds.
inline constexpr std::int32_t kTransmitClamp = 19997;
// The receive thread reads at most this many bytes at once.
inline constexpr std::int32_t kReceiveReadClamp = 19999;
// Below this much free ring space the receive thread drops whole stream records.
inline constexpr std::int32_t kStreamReserve = 18;
// Polling period of a thread that has nothing to watch (port closed, test mode).
inline constexpr std::int32_t kIdlePollMs = 100;

}  // namespace kvt
