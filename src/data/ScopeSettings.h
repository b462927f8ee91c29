#pragma once

#include <cstddef>
#include <cstdint>

namespace kvt {

// How an acquisition is made and how its channels are shown: 128 words (512 bytes), block 4 of a
// project file. Fields ending in Read or ReadValid are what the controller confirmed.
struct ScopeSettings {
    enum Mode : std::int32_t { StepMode = 0, RampMode = 1, TriggerMode = 2 };

    struct AnalogSelection {
        std::int32_t sel;   // analogSel[c]
        std::int32_t read;  // analogSelRead[c]
    };

    std::int32_t mode;
    std::int32_t acqTime;  // seconds, 4..20
    std::int32_t acqTimeRead;
    std::int32_t acqTimeReadValid;
    float setpointBegin;  // percent, 0..100 in 0.5 steps
    float setpointBeginRead;
    std::int32_t setpointBeginReadValid;
    float setpointEnd;
    float setpointEndRead;
    std::int32_t setpointEndReadValid;
    float rampTime;                // seconds, 0..20 in 0.1 steps
    std::int32_t triggerChannel;   // 0 none, 1..4 analog, 5..8 binary
    std::int32_t triggerSlope;     // 0 rising, 1 falling
    std::int32_t triggerValue;     // percent, -100..100
    std::int32_t sampleRateIndex;  // 0..5: 4, 10, 20, 40, 100, 200 ms
    AnalogSelection analog[4];
    std::int32_t analogSelReadValid;
    std::int32_t binarySel[4];  // bit of the status byte shown; [0] always 0, [3] always 4
    std::int32_t masterSlave;   // 0 Master, 1 Slave
    std::int32_t unused[99];

    std::int32_t& analogSel(int channel) { return analog[channel].sel; }
    std::int32_t analogSel(int channel) const { return analog[channel].sel; }
    std::int32_t& analogSelRead(int channel) { return analog[channel].read; }
    std::int32_t analogSelRead(int channel) const { return analog[channel].read; }
};

static_assert(sizeof(ScopeSettings) == 512);
static_assert(offsetof(ScopeSettings, setpointBegin) == 16);
static_assert(offsetof(ScopeSettings, rampTime) == 40);
static_assert(offsetof(ScopeSettings, sampleRateIndex) == 56);
static_assert(offsetof(ScopeSettings, analog) == 60);
static_assert(offsetof(ScopeSettings, analogSelReadValid) == 92);
static_assert(offsetof(ScopeSettings, binarySel) == 96);
static_assert(offsetof(ScopeSettings, masterSlave) == 112);

}  // namespace kvt
