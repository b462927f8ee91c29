#pragma once

#include <cstddef>
#include <cstdint>

namespace kvt {

// The serial setpoint state, block 2 of a project file (408 bytes, the rest zero).
struct SerialSetpoint {
    float serialSetpoint;             // percent
    std::int32_t serialTransmit;      // 1 after "Transmit", 0 after "Disable"
    std::int32_t serialSetpointMode;  // 0 serial setpoint, 1 PWM-controlled
    std::int32_t reserved[99];
};

static_assert(sizeof(SerialSetpoint) == 408);
static_assert(offsetof(SerialSetpoint, serialSetpointMode) == 8);

// The controller's built-in test function: the type and time chosen for writing, and what was
// last read back. Not stored in a project file.
struct TestFunctionState {
    std::int32_t testFunctionType = 0;  // 0 none, 1 ramp, 2 step, 3 multistep
    std::int32_t testFunctionTypeRead = 0;
    std::uint8_t testFunctionReadMark = 0;
    float testTime = 0.0f;  // seconds
    // The time as the controller last reported it, valid while the mark is 1. No request of the
    // controller reads it back yet, so it stays unknown.
    float testTimeRead = 0.0f;
    std::uint8_t testTimeReadMark = 0;
};

}  // namespace kvt
