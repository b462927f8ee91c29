#include "engine/AcquisitionRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "link/Frame.h"

namespace kvt {
namespace {

using PercentTable = std::array<float, 256>;

// Every raw byte decoded once, by the same scaling the scope model defines, so that the block
// loop is a lookup per channel.
PercentTable makeTable(float (*scale)(std::uint8_t)) {
    PercentTable table{};
    for (int raw = 0; raw < 256; ++raw) {
        table[static_cast<std::size_t>(raw)] = scale(static_cast<std::uint8_t>(raw));
    }
    return table;
}

const PercentTable kUnsignedPercent = makeTable(analogPercentUnsigned);
const PercentTable kOffsetPercent = makeTable(analogPercentOffset);

// Binary channels 1 and 4 always show these bits of the status byte.
constexpr int kFirstBinaryBit = 0;
constexpr int kLastBinaryBit = 4;
constexpr int kHighestBit = 7;

}  // namespace

AcquisitionPlan AcquisitionPlan::from(const ScopeSettings& settings, bool triggerMode) {
    ScopeSettings effective = settings;
    effective.mode = triggerMode ? ScopeSettings::TriggerMode : ScopeSettings::StepMode;
    effective.acqTime = std::clamp(settings.acqTime, acq::kMinAcqTime, acq::kMaxAcqTime);

    AcquisitionPlan plan;
    plan.triggerMode = triggerMode;
    plan.period = samplePeriod(effective);
    plan.periodMs = samplePeriodMs(effective);
    plan.acqTime = effective.acqTime;
    plan.capacity = sampleCapacity(effective);
    plan.postTrigger = static_cast<std::int32_t>(std::trunc(acq::kPostTriggerShare * plan.acqTime /
                                                            static_cast<double>(plan.period))) -
                       1;
    plan.updateInterval = displayUpdateInterval(plan.period);
    const std::int32_t channel = settings.triggerChannel;
    plan.triggerChannel =
        channel >= TriggerNone && channel <= TriggerLastBinary ? channel : TriggerNone;
    plan.triggerSlope = settings.triggerSlope;
    plan.triggerValue = settings.triggerValue;
    plan.triggerLevel = static_cast<float>(settings.triggerValue);
    plan.binaryBits = {kFirstBinaryBit, std::clamp(settings.binarySel[1], 0, kHighestBit),
                       std::clamp(settings.binarySel[2], 0, kHighestBit), kLastBinaryBit};
    return plan;
}

bool analogTriggerFires(float previous, float current, float level, std::int32_t slope) {
    if (slope == SlopeRising) {
        return current > previous && previous < level && level <= current;
    }
    if (slope == SlopeFalling) {
        return current < previous && current <= level && level < previous;
    }
    return false;
}

bool binaryTriggerFires(std::int32_t previous, std::int32_t current, std::int32_t slope) {
    if (slope == SlopeRising) {
        return current > previous;
    }
    if (slope == SlopeFalling) {
        return current < previous;
    }
    return false;
}

std::int32_t baseBlockSize(float period) {
    auto n = static_cast<std::int32_t>(acq::kBlockSeconds / static_cast<double>(period));
    if (static_cast<std::int64_t>(n) * static_cast<std::int64_t>(kStreamRecordSize) >
        acq::kMaxBlockBytes) {
        n = acq::kMaxBlockRecords;
    }
    return std::max(n, 1);
}

void AcquisitionRecorder::start(const AcquisitionPlan& plan) {
    plan_ = plan;
    index_ = plan.triggerMode ? plan.capacity : 0;
    sinceUpdate_ = 0;
    triggered_ = false;
    afterTrigger_ = 0;
    sampleCounter_ = 0;
    stored_ = 0;
}

std::int32_t AcquisitionRecorder::blockSize() const {
    std::int32_t n = baseBlockSize(plan_.period);
    if (!plan_.triggerMode) {
        // The last blocks are cut so that exactly N samples are stored.
        const std::int32_t left = plan_.capacity - index_ - 2;
        if (n > left) {
            n = left;
        }
        return n > 0 ? n : 1;
    }
    if (triggered_ && afterTrigger_ + n > plan_.postTrigger) {
        n = plan_.postTrigger - afterTrigger_ + 1;
    }
    return std::max(n, 1);
}

std::int32_t AcquisitionRecorder::takeBlock(std::span<const std::uint8_t> bytes) {
    return take(bytes, false);
}

std::int32_t AcquisitionRecorder::takeDrain(std::span<const std::uint8_t> bytes) {
    return take(bytes, true);
}

std::int32_t AcquisitionRecorder::take(std::span<const std::uint8_t> bytes, bool drain) {
    const std::size_t records = bytes.size() / kStreamRecordSize;
    const std::uint8_t* data = bytes.data();
    const bool trigger = plan_.triggerMode && !drain;
    if (trigger) {
        // Make room for exactly the records that will be stored, so that the arrays keep the
        // newest N samples without a gap even when a block held records without the marker.
        std::int32_t marked = 0;
        for (std::size_t r = 0; r < records; ++r) {
            marked += data[r * kStreamRecordSize] == acq::kRecordMarker ? 1 : 0;
        }
        const std::int32_t excess = index_ + marked - plan_.capacity;
        if (excess > 0) {
            shiftLeft(std::min(excess, index_));
        }
    }
    std::int32_t stored = 0;
    for (std::size_t r = 0; r < records; ++r) {
        const std::uint8_t* record = data + r * kStreamRecordSize;
        if (record[0] != acq::kRecordMarker) {
            continue;
        }
        decode(record, index_);
        if (trigger) {
            triggerTest();
        }
        index_ = std::min(index_ + 1, plan_.capacity);
        ++sinceUpdate_;
        if (triggered_) {
            ++afterTrigger_;
        }
        ++stored;
        if (trigger && postTriggerDone()) {
            break;
        }
    }
    stored_ += stored;
    return stored;
}

void AcquisitionRecorder::decode(const std::uint8_t* record, int index) {
    if (index < 0 || index >= kSampleEntries) {
        return;
    }
    samples_.analog[0][index] = kUnsignedPercent[record[1]];
    samples_.analog[1][index] = kUnsignedPercent[record[2]];
    samples_.analog[2][index] = kOffsetPercent[record[3]];
    samples_.analog[3][index] = kOffsetPercent[record[4]];
    const unsigned status = record[5];
    for (int k = 0; k < kBinaryChannels; ++k) {
        samples_.binary[k][index] = static_cast<std::int32_t>((status >> plan_.binaryBits[k]) & 1u);
    }
}

void AcquisitionRecorder::triggerTest() {
    if (++sampleCounter_ > acq::kCounterWrap) {
        sampleCounter_ = acq::kCounterRestart;
    }
    const std::int32_t channel = plan_.triggerChannel;
    // The first record has no predecessor of this recording to compare with.
    if (channel == TriggerNone || sampleCounter_ <= 1) {
        triggered_ = false;
        afterTrigger_ = 0;
        return;
    }
    if (triggered_ || index_ < 1) {
        return;
    }
    const int i = index_;
    const bool rising = plan_.triggerSlope == SlopeRising;
    if (channel < TriggerFirstBinary) {
        const auto& values = samples_.analog[channel - TriggerFirstAnalog];
        const float previous = values[i - 1];
        const float current = values[i];
        if (analogTriggerFires(previous, current, plan_.triggerLevel, plan_.triggerSlope)) {
            trace_.info(format(rising ? "Rising Trigger, Ana-Ch:%d, Value:%d, %1.1f, %1.1f"
                                      : "Falling Trigger, Ana-Ch:%d, Value:%d, %1.1f, %1.1f",
                               channel, plan_.triggerValue, static_cast<double>(current),
                               static_cast<double>(previous)));
            triggered_ = true;
        }
        return;
    }
    const int binary = channel - TriggerFirstBinary;
    const std::int32_t previous = samples_.binary[binary][i - 1];
    const std::int32_t current = samples_.binary[binary][i];
    if (binaryTriggerFires(previous, current, plan_.triggerSlope)) {
        trace_.info(format(
            rising ? "Rising Trigger, Bin-Ch:%d, %d, %d" : "Falling Trigger, Bin-Ch:%d, %d, %d",
            binary + 1, current, previous));
        triggered_ = true;
    }
}

void AcquisitionRecorder::shiftLeft(int count) {
    if (count <= 0) {
        return;
    }
    count = std::min(count, kMaxSamples);
    const auto moved = static_cast<std::size_t>(kMaxSamples - count);
    for (auto& channel : samples_.analog) {
        std::memmove(channel, channel + count, moved * sizeof channel[0]);
    }
    for (auto& channel : samples_.binary) {
        std::memmove(channel, channel + count, moved * sizeof channel[0]);
    }
    index_ -= count;
}

void AcquisitionRecorder::forwardFill() {
    const int last = index_ - 1;
    if (last < 0 || last >= kSampleEntries) {
        return;
    }
    for (int j = index_; j < index_ + acq::kForwardFill && j < kSampleEntries; ++j) {
        for (auto& channel : samples_.analog) {
            channel[j] = channel[last];
        }
        for (auto& channel : samples_.binary) {
            channel[j] = channel[last];
        }
    }
}

}  // namespace kvt
