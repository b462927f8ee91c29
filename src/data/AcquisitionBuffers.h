#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kvt {

inline constexpr int kSampleEntries = 5100;  // 5000 in use at most; the rest is fill headroom
inline constexpr int kMaxSamples = 5000;
inline constexpr int kAnalogChannels = 4;
inline constexpr int kBinaryChannels = 4;

// The recorded samples, block 7 of a project file (163200 bytes). Index 0 is the oldest sample.
struct AcquisitionBuffers {
    float analog[kAnalogChannels][kSampleEntries];         // percent
    std::int32_t binary[kBinaryChannels][kSampleEntries];  // 0 or 1
};

static_assert(sizeof(AcquisitionBuffers) == 163200);
static_assert(offsetof(AcquisitionBuffers, binary) == 81600);

// The two words beside the buffers that engine and view share while recording.
struct AcquisitionFlags {
    // Set when the engine announces new samples; cleared by the view at the end of every paint.
    std::atomic<std::int32_t> displayUpdatePending{0};
    // 1 from the start of an acquisition until its stop; the view thins its traces meanwhile.
    std::atomic<std::uint8_t> acquisitionActive{0};
};

}  // namespace kvt
