#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kvt {

inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ACK = 0x06;
inline constexpr std::uint8_t NAK = 0x15;

// Every buffer of the link (transmit, receive ring, frame, reply) holds this many bytes.
inline constexpr std::size_t kLinkBufferSize = 20000;
using LinkBuffer = std::array<std::uint8_t, kLinkBufferSize>;

// Length of a stream record: STX and five data bytes.
inline constexpr std::size_t kStreamRecordSize = 6;

// 8-bit additive checksum (carry discarded), not an XOR.
constexpr std::uint8_t ComputeBcc(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return sum;
}

// Writes STX, code, data and BCC into out; returns the frame length (data.size() + 3).
// A request that carries no value still sends one data byte 0x00: callers pass it.
std::size_t buildRequest(std::span<std::uint8_t> out, std::uint8_t code,
                         std::span<const std::uint8_t> data);

// A data reply is accepted when byte 0 is STX and the BCC over bytes 1..len-2 equals the last byte.
bool isValidDataReply(std::span<const std::uint8_t> reply);

// An acknowledge is accepted when byte 0 is ACK (NAK and everything else fail).
inline bool isAck(std::span<const std::uint8_t> reply) {
    return !reply.empty() && reply[0] == ACK;
}

}  // namespace kvt
