#pragma once

#include <array>
#include <cstdint>

#include "data/AcquisitionBuffers.h"
#include "data/ScopeSettings.h"

namespace kvt {

// Sample periods of Trigger Mode by sampleRateIndex, in milliseconds and as the 32-bit floats the
// arithmetic uses.
inline constexpr std::array<int, 6> kSamplePeriodsMs = {4, 10, 20, 40, 100, 200};
inline constexpr std::array<float, 6> kSamplePeriods = {0.004f, 0.01f, 0.02f, 0.04f, 0.1f, 0.2f};

// New-project defaults: Trigger Mode, 8 s, 4 ms, no trigger, channels 3 and 4 set to none,
// binary bits 0, 2, 7, 4.
void resetScopeSettings(ScopeSettings& settings);
void clearSamples(AcquisitionBuffers& samples);

// Sample period P: 4 ms in Step and Ramp Mode, by sampleRateIndex in Trigger Mode (an index out
// of range counts as 0).
float samplePeriod(const ScopeSettings& settings);
int samplePeriodMs(const ScopeSettings& settings);

// Samples per acquisition, never more than the 5000 the arrays are meant to hold.
std::int32_t sampleCapacity(const ScopeSettings& settings);

// Samples between two display updates: trunc(0.5 / P), less 2 when that is more than 2.
std::int32_t displayUpdateInterval(float period);

// Raw stream bytes to percent.
inline float analogPercentUnsigned(std::uint8_t raw) {
    return static_cast<float>(raw * (100.0 / 255.0));
}
inline float analogPercentOffset(std::uint8_t raw) {
    return static_cast<float>((static_cast<int>(raw) - 128) * (200.0 / 255.0));
}

// String ids of the signal names. Analog channel c has analogChoiceCount(c) choices; the last
// choice of channels 3 and 4 is "none".
inline constexpr std::array<int, 4> kAnalogChoiceCounts = {2, 3, 4, 5};
int analogSignalNameId(int channel, int choice, bool slave);
int binarySignalNameId(int bit);
// Channel shown as none (channel 3 choice 3, channel 4 choice 4).
bool analogChannelHidden(const ScopeSettings& settings, int channel);

}  // namespace kvt
