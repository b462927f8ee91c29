#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace kvt {

// The 30 words through which link and engine publish their state for the Debug dialog. Words 1,
// 6, 8 and 9 are the engine's variables themselves; the others are copies.
enum StatusWord : int {
    StatusThreadStep = 0,
    StatusThreadCmd = 1,
    StatusSendState = 2,
    StatusReceiveState = 3,
    StatusRetry = 4,
    StatusActionStep = 6,
    StatusActionRetry = 7,
    StatusActionRetryStep = 8,
    StatusActionSubCmd = 9,
};
inline constexpr int kStatusWordCount = 30;
using StatusBlock = std::array<std::atomic<std::uint32_t>, kStatusWordCount>;

}  // namespace kvt
