#include "link/ReceiveRing.h"

#include <algorithm>

namespace kvt {

std::uint32_t ReceiveRing::freeSpace() const {
    const std::uint32_t read = readIndex();
    const std::uint32_t write = writeIndex();
    return read > write ? read - write - 1 : read - write + (kSize - 1);
}

std::uint32_t ReceiveRing::available() const {
    const std::uint32_t read = readIndex();
    const std::uint32_t write = writeIndex();
    return write >= read ? write - read : write - read + kSize;
}

std::size_t ReceiveRing::append(std::span<const std::uint8_t> bytes) {
    const std::size_t count = std::min<std::size_t>(bytes.size(), freeSpace());
    std::uint32_t write = writeIndex();
    for (std::size_t i = 0; i < count; ++i) {
        bytes_[write] = bytes[i];
        write = (write + 1) % kSize;
    }
    write_.store(write, std::memory_order_release);
    return count;
}

void ReceiveRing::drop(std::uint32_t count) {
    count = std::min(count, available());
    read_.store((readIndex() + count) % kSize, std::memory_order_release);
}

void ReceiveRing::take(std::span<std::uint8_t> out) {
    std::uint32_t read = readIndex();
    for (auto& byte : out) {
        byte = bytes_[read];
        read = (read + 1) % kSize;
    }
    read_.store(read, std::memory_order_release);
}

void ReceiveRing::clear() {
    read_.store(0, std::memory_order_release);
    write_.store(0, std::memory_order_release);
}

}  // namespace kvt
