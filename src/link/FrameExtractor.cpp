#include "link/FrameExtractor.h"

#include <algorithm>

namespace kvt {
namespace {

// Bytes scanned for STX in front of a stream record before they are given up as noise.
constexpr std::uint32_t kResyncWindow = 10;

}  // namespace

std::optional<std::span<const std::uint8_t>> GetReceivedFrame(LinkState& link, TraceSink& trace) {
    ReceiveRing& ring = link.ring;
    const std::uint32_t available = ring.available();
    if (available == 0) {
        return std::nullopt;
    }
    const auto expected = static_cast<std::uint32_t>(
        std::clamp<std::int32_t>(link.expectedLength.load(), 0, ReceiveRing::kSize - 1));
    if (available < expected || expected == 0) {
        return std::nullopt;
    }
    if (link.streamMode.load() != 0) {
        // Never scan or drop more than is there, so the read index cannot pass the write index.
        const std::uint32_t window = std::min(kResyncWindow, available);
        std::uint32_t offset = 0;
        while (offset < window && ring.peek(offset) != STX) {
            ++offset;
        }
        if (offset == window) {
            ring.drop(window);
            return std::nullopt;
        }
        if (available < expected + offset) {
            return std::nullopt;
        }
        ring.drop(offset);
    }
    auto& frame = link.frameBuffer;
    std::fill(frame.begin(), frame.end(), std::uint8_t{0});
    ring.take(std::span(frame.data(), expected));
    frame[expected] = 0x00;
    const std::span<const std::uint8_t> reply(frame.data(), expected);
    trace.bytes(reply, TraceKind::ReceiveBytes);
    return reply;
}

void ClearRcvQueue(LinkState& link, TraceSink& trace) {
    link.ring.clear();
    trace.info("ClearRcvQueue");
}

}  // namespace kvt
