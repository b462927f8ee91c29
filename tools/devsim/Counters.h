#pragma once

#include <cstdint>
#include <string>

namespace kvt::devsim {

// What the emulator has seen and done since it started ("counters" prints them all).
struct Counters {
    std::uint64_t requests = 0;        // complete requests heard at the device's rate
    std::uint64_t acks = 0;            // ACK replies
    std::uint64_t naks = 0;            // refusals (bad checksum, nak fault, bad value)
    std::uint64_t dataReplies = 0;     // STX ... BCC replies
    std::uint64_t badChecksums = 0;    // requests whose BCC was wrong
    std::uint64_t unknown = 0;         // requests of a code this controller does not know
    std::uint64_t dropped = 0;         // requests left unanswered by the drop fault or a dead line
    std::uint64_t corrupted = 0;       // replies sent with a wrong checksum on request
    std::uint64_t noiseBytes = 0;      // noise bytes sent on request
    std::uint64_t wrongBaudBytes = 0;  // bytes ignored because the line ran at another rate
    std::uint64_t strayBytes = 0;      // bytes outside any request
    std::uint64_t incomplete = 0;      // requests that stopped half-way
    std::uint64_t streams = 0;         // streams started
    std::uint64_t recordsSent = 0;     // stream records handed to the terminal, all streams
    std::uint64_t recordsLost = 0;     // records due but not sent (terminal full, closed, dead)

    std::string format() const;
    // The value of the counter called `name` in format(), or false.
    bool lookup(const std::string& name, std::uint64_t& value) const;
};

}  // namespace kvt::devsim
