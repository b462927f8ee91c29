#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "data/AcquisitionBuffers.h"
#include "data/ScopeSettings.h"
#include "data/TraceSink.h"

namespace kvt {

// Limits of a recording, in one place.
namespace acq {
// The acquisition time the settings allow, in seconds. A damaged project file may hold anything;
// the controller is told, and the buffers sized for, a time within this range.
inline constexpr std::int32_t kMinAcqTime = 4;
inline constexpr std::int32_t kMaxAcqTime = 20;
// A block asks for about this much time of data, so that the view is fed about five times a
// second and a reply never needs more than 2000 records.
inline constexpr double kBlockSeconds = 0.2;
inline constexpr std::int32_t kMaxBlockBytes = 20000;
inline constexpr std::int32_t kMaxBlockRecords = 2000;
// The sample counter of Trigger Mode counts to this and then goes on from kCounterRestart, so
// that it never comes back to the values that mean "first record".
inline constexpr std::int32_t kCounterWrap = 2000;
inline constexpr std::int32_t kCounterRestart = 2;
// Share of the window that follows the trigger.
inline constexpr double kPostTriggerShare = 0.9;
// Entries the forward fill writes behind the last sample.
inline constexpr int kForwardFill = 3;
// Records read after a stop in Trigger Mode.
inline constexpr std::int32_t kDrainRecords = 2;
// Byte 0 of every stream record.
inline constexpr std::uint8_t kRecordMarker = 0x02;
}  // namespace acq

// Trigger channels and slopes of the scope settings.
enum TriggerChannel : std::int32_t {
    TriggerNone = 0,
    TriggerFirstAnalog = 1,
    TriggerFirstBinary = 5,
    TriggerLastBinary = 8
};
enum TriggerSlope : std::int32_t { SlopeRising = 0, SlopeFalling = 1 };

// What a start action fixes for the whole recording, taken from the scope settings once.
struct AcquisitionPlan {
    bool triggerMode = false;
    float period = 0.004f;            // P
    std::int32_t periodMs = 4;        // PRS data
    std::int32_t acqTime = 8;         // seconds, within kMinAcqTime..kMaxAcqTime
    std::int32_t capacity = 0;        // N, never more than 5000
    std::int32_t postTrigger = 0;     // M
    std::int32_t updateInterval = 0;  // U
    std::int32_t triggerChannel = TriggerNone;
    std::int32_t triggerSlope = SlopeRising;
    float triggerLevel = 0.0f;
    std::int32_t triggerValue = 0;
    // Bit of the status byte shown on each binary channel; channels 1 and 4 are fixed to bits 0
    // and 4 whatever the settings hold.
    std::array<int, kBinaryChannels> binaryBits{};

    // The mode comes from the action that runs (its command bit), not from the settings.
    static AcquisitionPlan from(const ScopeSettings& settings, bool triggerMode);
};

// The edge tests of Trigger Mode on the previous and the current sample.
bool analogTriggerFires(float previous, float current, float level, std::int32_t slope);
bool binaryTriggerFires(std::int32_t previous, std::int32_t current, std::int32_t slope);

// Samples expected in one block before Trigger Mode's post-trigger cut: trunc(0.2 / P), 1..2000.
std::int32_t baseBlockSize(float period);

// Turns the stream of 6-byte records into samples: decoding, Trigger Mode's shift and trigger
// test, the post-trigger count, the forward fill and the count that paces the display updates.
// Knows nothing of the link or the engine, so the arithmetic is tested and measured on its own.
class AcquisitionRecorder {
  public:
    AcquisitionRecorder(AcquisitionBuffers& samples, TraceSink& trace)
        : samples_(samples), trace_(trace) {}

    // The start state: write index 0 (Step, Ramp) or N (Trigger), counts at 0, not triggered.
    void start(const AcquisitionPlan& plan);
    // When the start request of Trigger Mode goes out.
    void restartSampleCounter() { sampleCounter_ = 0; }
    const AcquisitionPlan& plan() const { return plan_; }

    // Samples to ask for in the next block.
    std::int32_t blockSize() const;
    // Stores the records of a block (whole records only; a trailing part is ignored). Records
    // without the marker are skipped. Trigger Mode first shifts the arrays so that the block
    // lands behind the newest samples, and stops taking records once the post-trigger count is
    // exceeded. Returns the records stored.
    std::int32_t takeBlock(std::span<const std::uint8_t> bytes);
    // The two records read after a stop: stored like the others, without shift or trigger test.
    std::int32_t takeDrain(std::span<const std::uint8_t> bytes);
    // Copies the last stored sample of every array to the three entries behind it.
    void forwardFill();

    // Step and Ramp Mode: all N samples are there.
    bool complete() const { return index_ >= plan_.capacity; }
    // Trigger Mode: the trigger came and the post-trigger count is exceeded.
    bool postTriggerDone() const { return triggered_ && afterTrigger_ > plan_.postTrigger; }
    // More samples than the update interval since the last announcement.
    bool updateDue() const { return sinceUpdate_ > plan_.updateInterval; }
    void markAnnounced() { sinceUpdate_ = 0; }

    std::int32_t writeIndex() const { return index_; }
    bool triggered() const { return triggered_; }
    std::int32_t samplesAfterTrigger() const { return afterTrigger_; }
    std::int32_t samplesSinceUpdate() const { return sinceUpdate_; }
    std::int32_t sampleCounter() const { return sampleCounter_; }
    // Records stored since the start (never reset by a shift).
    std::int64_t recordsStored() const { return stored_; }

  private:
    std::int32_t take(std::span<const std::uint8_t> bytes, bool drain);
    void decode(const std::uint8_t* record, int index);
    void triggerTest();
    void shiftLeft(int count);

    AcquisitionBuffers& samples_;
    TraceSink& trace_;
    AcquisitionPlan plan_;
    std::int32_t index_ = 0;        // i
    std::int32_t sinceUpdate_ = 0;  // samples since update
    bool triggered_ = false;
    std::int32_t afterTrigger_ = 0;  // samples after trigger, the trigger sample included
    std::int32_t sampleCounter_ = 0;
    std::int64_t stored_ = 0;
};

}  // namespace kvt
