#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "link/Frame.h"

namespace kvt {

// Bytes from the port waiting to be taken as a reply. One writer (the receive thread, or the
// simulated device in test mode) moves the write index, one reader (link control) moves the read
// index. The writer never fills the last free byte, so at most kSize - 1 bytes are held.
class ReceiveRing {
  public:
    static constexpr std::uint32_t kSize = static_cast<std::uint32_t>(kLinkBufferSize);

    std::uint32_t readIndex() const { return read_.load(std::memory_order_acquire); }
    std::uint32_t writeIndex() const { return write_.load(std::memory_order_acquire); }

    // Free space for the writer.
    std::uint32_t freeSpace() const;
    // Bytes available to the reader.
    std::uint32_t available() const;

    // Writer side: appends as many bytes as fit; returns how many were appended.
    std::size_t append(std::span<const std::uint8_t> bytes);

    // Reader side.
    std::uint8_t peek(std::uint32_t offset) const { return bytes_[(readIndex() + offset) % kSize]; }
    void drop(std::uint32_t count);
    void take(std::span<std::uint8_t> out);

    // Empties the ring by setting both indices to 0. Only while no reply is awaited.
    void clear();

    // Test access: place the indices anywhere, as a long run would leave them.
    void setIndicesForTest(std::uint32_t read, std::uint32_t write) {
        read_ = read % kSize;
        write_ = write % kSize;
    }

  private:
    std::atomic<std::uint32_t> read_{0};
    std::atomic<std::uint32_t> write_{0};
    std::uint8_t bytes_[kSize] = {};
};

}  // namespace kvt
