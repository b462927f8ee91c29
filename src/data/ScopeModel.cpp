#include "data/ScopeModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvt {
namespace {

// Master and Slave string ids per analog channel and choice (0: no such choice).
constexpr int kMasterNames[4][5] = {
    {154, 155, 0, 0, 0},
    {156, 155, 158, 0, 0},
    {157, 165, 160, 337, 0},
    {161, 162, 163, 164, 337},
};
constexpr int kSlaveNames[4][5] = {
    {338, 155, 0, 0, 0},
    {404, 155, 158, 0, 0},
    {339, 340, 341, 337, 0},
    {342, 162, 344, 345, 337},
};
constexpr int kBinaryNames[8] = {146, 147, 148, 149, 150, 151, 152, 153};

}  // namespace

void resetScopeSettings(ScopeSettings& s) {
    std::memset(&s, 0, sizeof s);
    s.mode = ScopeSettings::TriggerMode;
    s.acqTime = 8;
    s.setpointBegin = 10.0f;
    s.setpointEnd = 90.0f;
    s.rampTime = 5.0f;
    s.triggerValue = 10;
    s.analogSel(2) = 3;
    s.analogSel(3) = 4;
    s.binarySel[0] = 0;
    s.binarySel[1] = 2;
    s.binarySel[2] = 7;
    s.binarySel[3] = 4;
}

void clearSamples(AcquisitionBuffers& samples) {
    std::memset(&samples, 0, sizeof samples);
}

float samplePeriod(const ScopeSettings& s) {
    if (s.mode != ScopeSettings::TriggerMode || s.sampleRateIndex < 0 ||
        s.sampleRateIndex >= static_cast<int>(kSamplePeriods.size())) {
        return kSamplePeriods[0];
    }
    return kSamplePeriods[static_cast<std::size_t>(s.sampleRateIndex)];
}

int samplePeriodMs(const ScopeSettings& s) {
    if (s.mode != ScopeSettings::TriggerMode || s.sampleRateIndex < 0 ||
        s.sampleRateIndex >= static_cast<int>(kSamplePeriodsMs.size())) {
        return kSamplePeriodsMs[0];
    }
    return kSamplePeriodsMs[static_cast<std::size_t>(s.sampleRateIndex)];
}

std::int32_t sampleCapacity(const ScopeSettings& s) {
    double n = 0;
    if (s.mode == ScopeSettings::TriggerMode) {
        n = std::trunc(s.acqTime / static_cast<double>(samplePeriod(s)) + 0.5);
    } else {
        n = std::trunc(s.acqTime * 249.99998 + 0.5);
    }
    // The arrays hold 5100 entries; whatever a file or a dialog put into acqTime, a recording
    // never takes more than 5000 of them.
    return static_cast<std::int32_t>(std::clamp(n, 0.0, static_cast<double>(kMaxSamples)));
}

std::int32_t displayUpdateInterval(float period) {
    auto u = static_cast<std::int32_t>(0.5 / static_cast<double>(period));
    if (u > 2) {
        u -= 2;
    }
    return u;
}

int analogSignalNameId(int channel, int choice, bool slave) {
    if (channel < 0 || channel >= 4 || choice < 0 || choice >= kAnalogChoiceCounts[channel]) {
        return 0;
    }
    return slave ? kSlaveNames[channel][choice] : kMasterNames[channel][choice];
}

int binarySignalNameId(int bit) {
    return bit >= 0 && bit < 8 ? kBinaryNames[bit] : 0;
}

bool analogChannelHidden(const ScopeSettings& s, int channel) {
    return (channel == 2 && s.analogSel(2) == 3) || (channel == 3 && s.analogSel(3) == 4);
}

}  // namespace kvt
