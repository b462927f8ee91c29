#pragma once

#include <cstdint>
#include <string>

#include "Constants.h"

namespace kvt::devsim {

// Faults injected on request. Counts apply to the next requests of a known code heard at the
// device's own rate (or, for badBcc and noise, to the next replies).
struct Faults {
    unsigned drop = 0;    // requests that get no answer and have no effect
    unsigned nak = 0;     // requests refused with NAK (and no effect)
    unsigned badBcc = 0;  // data replies sent with a wrong checksum
    unsigned noise = 0;   // bytes sent before the next reply
    std::uint8_t noiseByte = kDefaultNoiseByte;
    bool dead = false;  // no answer and no stream until "normal"

    void clear() { *this = Faults{}; }
    std::string describe() const;
};

}  // namespace kvt::devsim
