#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "data/ScopeModel.h"
#include "engine/AcquisitionRecorder.h"
#include "link/Frame.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The buffers with a canary behind them: nothing may ever be written past entry 5099.
struct GuardedBuffers {
    AcquisitionBuffers samples;
    std::array<std::uint32_t, 64> canary;
};
constexpr std::uint32_t kCanary = 0xA5A5A5A5u;

Bytes record(std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, std::uint8_t a4,
             std::uint8_t status, std::uint8_t marker = STX) {
    return {marker, a1, a2, a3, a4, status};
}

// Record k of a test stream: analog 1 counts 0..255, the status byte counts every 10 records.
Bytes counting(std::uint32_t k) {
    return record(static_cast<std::uint8_t>(k & 0xFF), static_cast<std::uint8_t>(k >> 8), 128, 128,
                  static_cast<std::uint8_t>(k / 10));
}

Bytes block(std::uint32_t first, std::int32_t count) {
    Bytes out;
    for (std::int32_t r = 0; r < count; ++r) {
        const Bytes one = counting(first + static_cast<std::uint32_t>(r));
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

ScopeSettings settingsFor(int mode, int acqTime, int rateIndex = 0) {
    ScopeSettings s;
    resetScopeSettings(s);
    s.mode = mode;
    s.acqTime = acqTime;
    s.sampleRateIndex = rateIndex;
    return s;
}

class AcquisitionRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guarded = std::make_unique<GuardedBuffers>();
        clearSamples(guarded->samples);
        guarded->canary.fill(kCanary);
    }

    bool canaryIntact() const {
        for (std::uint32_t word : guarded->canary) {
            if (word != kCanary) {
                return false;
            }
        }
        return true;
    }

    AcquisitionBuffers& samples() { return guarded->samples; }

    std::unique_ptr<GuardedBuffers> guarded;
    test::RecordingTrace trace;
};

TEST(AcquisitionPlan, BlockSizesAndUpdateIntervalsForEverySamplePeriod) {
    const int blocks[] = {49, 20, 10, 5, 1, 1};
    const int updates[] = {122, 48, 23, 10, 2, 2};
    const int capacities8s[] = {2000, 800, 400, 200, 80, 40};
    const int postTrigger8s[] = {1798, 719, 359, 179, 70, 34};
    for (int index = 0; index < 6; ++index) {
        const auto plan = AcquisitionPlan::from(settingsFor(2, 8, index), true);
        EXPECT_EQ(baseBlockSize(plan.period), blocks[index]) << "rate index " << index;
        EXPECT_EQ(plan.updateInterval, updates[index]) << "rate index " << index;
        EXPECT_EQ(plan.capacity, capacities8s[index]) << "rate index " << index;
        EXPECT_EQ(plan.postTrigger, postTrigger8s[index]) << "rate index " << index;
        EXPECT_EQ(plan.periodMs, kSamplePeriodsMs[static_cast<std::size_t>(index)]);
    }
}

TEST(AcquisitionPlan, StepAndRampModeRecordAt4MsWhateverTheRateIndex) {
    const auto plan = AcquisitionPlan::from(settingsFor(0, 8, 5), false);
    EXPECT_FLOAT_EQ(plan.period, 0.004f);
    EXPECT_EQ(plan.capacity, 2000);
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(0, 20), false).capacity, 5000);
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(0, 4), false).capacity, 1000);
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(0, 20), false).updateInterval, 122);
}

TEST(AcquisitionPlan, CapacityNeverExceeds5000WhateverTheSettingsHold) {
    for (int acqTime : {-5, 0, 3, 21, 40, 1000, 0x7fffffff}) {
        for (bool trigger : {false, true}) {
            const auto plan = AcquisitionPlan::from(settingsFor(trigger ? 2 : 0, acqTime), trigger);
            EXPECT_LE(plan.capacity, kMaxSamples) << acqTime;
            EXPECT_GE(plan.acqTime, acq::kMinAcqTime);
            EXPECT_LE(plan.acqTime, acq::kMaxAcqTime);
            EXPECT_LT(plan.postTrigger, plan.capacity) << acqTime;
        }
    }
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(0, 1000), false).capacity, 5000);
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(2, 1000), true).capacity, 5000);
}

TEST(AcquisitionPlan, BinaryChannelsOneAndFourAreFixedToBitsZeroAndFour) {
    ScopeSettings s = settingsFor(2, 8);
    s.binarySel[0] = 6;
    s.binarySel[1] = 3;
    s.binarySel[2] = 99;
    s.binarySel[3] = -1;
    const auto plan = AcquisitionPlan::from(s, true);
    EXPECT_EQ(plan.binaryBits, (std::array<int, 4>{0, 3, 7, 4}));
}

TEST(AcquisitionPlan, AnUnknownTriggerChannelMeansRollMode) {
    ScopeSettings s = settingsFor(2, 8);
    s.triggerChannel = 9;
    EXPECT_EQ(AcquisitionPlan::from(s, true).triggerChannel, TriggerNone);
    s.triggerChannel = -1;
    EXPECT_EQ(AcquisitionPlan::from(s, true).triggerChannel, TriggerNone);
    s.triggerChannel = 8;
    EXPECT_EQ(AcquisitionPlan::from(s, true).triggerChannel, 8);
}

TEST(TriggerEdges, RisingAnalogTriggerAtItsLevel) {
    EXPECT_TRUE(analogTriggerFires(49.8f, 50.2f, 50.0f, SlopeRising));
    EXPECT_TRUE(analogTriggerFires(49.0f, 50.0f, 50.0f, SlopeRising));
    EXPECT_FALSE(analogTriggerFires(50.0f, 51.0f, 50.0f, SlopeRising));
    EXPECT_FALSE(analogTriggerFires(50.2f, 49.8f, 50.0f, SlopeRising));
    EXPECT_FALSE(analogTriggerFires(49.0f, 49.9f, 50.0f, SlopeRising));
}

TEST(TriggerEdges, FallingAnalogTriggerAtItsLevel) {
    EXPECT_TRUE(analogTriggerFires(50.2f, 49.8f, 50.0f, SlopeFalling));
    EXPECT_TRUE(analogTriggerFires(51.0f, 50.0f, 50.0f, SlopeFalling));
    EXPECT_FALSE(analogTriggerFires(50.0f, 49.0f, 50.0f, SlopeFalling));
    EXPECT_FALSE(analogTriggerFires(49.8f, 50.2f, 50.0f, SlopeFalling));
    EXPECT_FALSE(analogTriggerFires(50.2f, 49.8f, 50.0f, 2)) << "an unknown slope never fires";
}

TEST(TriggerEdges, BinaryTriggerOnAnyChange) {
    EXPECT_TRUE(binaryTriggerFires(0, 1, SlopeRising));
    EXPECT_FALSE(binaryTriggerFires(1, 1, SlopeRising));
    EXPECT_FALSE(binaryTriggerFires(1, 0, SlopeRising));
    EXPECT_TRUE(binaryTriggerFires(1, 0, SlopeFalling));
    EXPECT_FALSE(binaryTriggerFires(0, 1, SlopeFalling));
}

TEST_F(AcquisitionRecorderTest, DecodesTheRawBytesToPercentAndBits) {
    ScopeSettings s = settingsFor(0, 8);
    s.binarySel[1] = 1;
    s.binarySel[2] = 7;
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(s, false));
    rec.takeBlock(record(255, 0, 0, 255, 0b1001'0011));
    rec.takeBlock(record(0, 255, 128, 128, 0b0110'1100));
    EXPECT_FLOAT_EQ(samples().analog[0][0], 100.0f);
    EXPECT_FLOAT_EQ(samples().analog[1][0], 0.0f);
    EXPECT_NEAR(samples().analog[2][0], -100.39, 0.005);
    EXPECT_NEAR(samples().analog[3][0], 99.61, 0.005);
    EXPECT_FLOAT_EQ(samples().analog[2][1], 0.0f);
    EXPECT_FLOAT_EQ(samples().analog[1][1], 100.0f);
    // Bits 0, 1, 7 and 4 of the status byte.
    EXPECT_EQ(samples().binary[0][0], 1);
    EXPECT_EQ(samples().binary[1][0], 1);
    EXPECT_EQ(samples().binary[2][0], 1);
    EXPECT_EQ(samples().binary[3][0], 1);
    EXPECT_EQ(samples().binary[0][1], 0);
    EXPECT_EQ(samples().binary[1][1], 0);
    EXPECT_EQ(samples().binary[2][1], 0);
    EXPECT_EQ(samples().binary[3][1], 0);
    EXPECT_EQ(rec.writeIndex(), 2);
}

// Runs a Step Mode recording block by block as the engine does; returns the block sizes.
std::vector<std::int32_t> recordStepMode(AcquisitionRecorder& rec) {
    std::vector<std::int32_t> sizes;
    std::uint32_t k = 0;
    while (!rec.complete() && sizes.size() < 10000) {
        const std::int32_t n = rec.blockSize();
        sizes.push_back(n);
        rec.takeBlock(block(k, n));
        k += static_cast<std::uint32_t>(n);
    }
    return sizes;
}

TEST_F(AcquisitionRecorderTest, An8SecondStepModeRecordingStoresExactly2000Samples) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(0, 8), false));
    const auto sizes = recordStepMode(rec);
    EXPECT_EQ(rec.writeIndex(), 2000);
    EXPECT_EQ(rec.recordsStored(), 2000);
    EXPECT_EQ(sizes.front(), 49);
    // 40 blocks of 49 reach 1960; then 38 (to 1998) and two single samples.
    ASSERT_EQ(sizes.size(), 43u);
    EXPECT_EQ(sizes[40], 38);
    EXPECT_EQ(sizes[41], 1);
    EXPECT_EQ(sizes[42], 1);
    EXPECT_FLOAT_EQ(samples().analog[0][1999], analogPercentUnsigned(1999 & 0xFF));
    rec.forwardFill();
    EXPECT_FLOAT_EQ(samples().analog[0][2002], samples().analog[0][1999]);
    EXPECT_EQ(samples().binary[1][2002], samples().binary[1][1999]);
    EXPECT_FLOAT_EQ(samples().analog[0][2003], 0.0f);
}

TEST_F(AcquisitionRecorderTest, A20SecondStepModeRecordingStoresExactly5000Samples) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(0, 20), false));
    recordStepMode(rec);
    EXPECT_EQ(rec.writeIndex(), 5000);
    EXPECT_EQ(rec.recordsStored(), 5000);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], analogPercentUnsigned(i & 0xFF)) << i;
        ASSERT_FLOAT_EQ(samples().analog[1][i],
                        analogPercentUnsigned(static_cast<std::uint8_t>(i >> 8)))
            << i;
    }
    rec.forwardFill();
    EXPECT_TRUE(canaryIntact());
}

TEST_F(AcquisitionRecorderTest, ExtraRecordsAtTheEndStayInTheHeadroom) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(0, 20), false));
    for (int b = 0; b < 200; ++b) {
        rec.takeBlock(block(static_cast<std::uint32_t>(b) * 2000, 2000));
    }
    EXPECT_EQ(rec.writeIndex(), 5000);
    rec.forwardFill();
    for (int i = 5003; i < kSampleEntries; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], 0.0f) << i;
    }
    EXPECT_TRUE(canaryIntact());
}

TEST_F(AcquisitionRecorderTest, RecordsWithoutTheMarkerAreSkipped) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(0, 8), false));
    Bytes bytes = block(0, 3);
    const Bytes noise = record(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF);
    bytes.insert(bytes.begin() + 6, noise.begin(), noise.end());
    bytes.push_back(STX);  // a trailing part of a record is no record
    EXPECT_EQ(rec.takeBlock(bytes), 3);
    EXPECT_EQ(rec.writeIndex(), 3);
    EXPECT_FLOAT_EQ(samples().analog[0][1], analogPercentUnsigned(1));
    EXPECT_EQ(rec.samplesSinceUpdate(), 3);
}

TEST_F(AcquisitionRecorderTest, TriggerModeKeepsTheNewestNSamplesWithTheOldestAtIndexZero) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(2, 4, 1), true));  // 10 ms: N = 400, blocks of 20
    ASSERT_EQ(rec.writeIndex(), 400);
    std::uint32_t k = 0;
    for (int b = 0; b < 57; ++b) {
        const std::int32_t n = rec.blockSize();
        ASSERT_EQ(n, 20);
        rec.takeBlock(block(k, n));
        k += 20;
        ASSERT_EQ(rec.writeIndex(), 400);
    }
    // 1140 records: the arrays hold records 740..1139.
    for (int i = 0; i < 400; ++i) {
        ASSERT_FLOAT_EQ(samples().analog[0][i], analogPercentUnsigned((740 + i) & 0xFF)) << i;
    }
    EXPECT_FALSE(rec.triggered());
    EXPECT_TRUE(canaryIntact());
}

TEST_F(AcquisitionRecorderTest, ABlockWithSkippedRecordsStillLandsBehindTheNewestSample) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(2, 4, 1), true));
    rec.takeBlock(block(0, 20));
    Bytes bytes = block(20, 20);
    bytes[6 * 5] = 0x00;  // record 25 lost its marker
    rec.takeBlock(bytes);
    EXPECT_EQ(rec.writeIndex(), 400);
    EXPECT_FLOAT_EQ(samples().analog[0][399], analogPercentUnsigned(39));
    EXPECT_FLOAT_EQ(samples().analog[0][399 - 14], analogPercentUnsigned(24));
    EXPECT_FLOAT_EQ(samples().analog[0][399 - 38], analogPercentUnsigned(0));
}

// A Trigger Mode recording of the counting stream with a trigger on binary channel 2 (bit 3 of
// the status byte, which rises at record 80); returns the records consumed.
std::uint32_t triggerRun(AcquisitionRecorder& rec) {
    std::uint32_t k = 0;
    rec.restartSampleCounter();
    while (!rec.postTriggerDone() && k < 100000) {
        const std::int32_t n = rec.blockSize();
        rec.takeBlock(block(k, n));
        k += static_cast<std::uint32_t>(n);
    }
    return k;
}

TEST_F(AcquisitionRecorderTest, TriggerModePutsAboutATenthOfTheWindowBeforeTheTrigger) {
    ScopeSettings s = settingsFor(2, 4, 1);  // N = 400, M = 359
    s.triggerChannel = 6;
    s.binarySel[1] = 3;
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(s, true));
    const std::uint32_t consumed = triggerRun(rec);
    EXPECT_TRUE(rec.triggered());
    EXPECT_EQ(rec.samplesAfterTrigger(), 360);
    // The trigger record 80 and the 359 after it: exactly the records asked for.
    EXPECT_EQ(consumed, 80u + 360u);
    EXPECT_EQ(rec.writeIndex(), 400);
    const int triggerIndex = 400 - 360;
    EXPECT_EQ(samples().binary[1][triggerIndex], 1);
    EXPECT_EQ(samples().binary[1][triggerIndex - 1], 0);
    EXPECT_FLOAT_EQ(samples().analog[0][triggerIndex], analogPercentUnsigned(80));
    EXPECT_FLOAT_EQ(samples().analog[0][399], analogPercentUnsigned(439 & 0xFF));
    EXPECT_TRUE(trace.contains("Rising Trigger, Bin-Ch:2, 1, 0"));
}

TEST_F(AcquisitionRecorderTest, AnAnalogTriggerTracesItsValues) {
    ScopeSettings s = settingsFor(2, 4, 1);
    s.triggerChannel = 1;
    s.triggerValue = 50;
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(s, true));
    triggerRun(rec);
    // Analog 1 counts up: 127 is 49.8 %, 128 is 50.2 %.
    EXPECT_TRUE(trace.contains("Rising Trigger, Ana-Ch:1, Value:50, 50.2, 49.8"));
    EXPECT_FLOAT_EQ(samples().analog[0][400 - 360], analogPercentUnsigned(128));

    trace.clear();
    s.triggerSlope = SlopeFalling;
    s.triggerValue = 10;
    rec.start(AcquisitionPlan::from(s, true));
    triggerRun(rec);
    // Analog 1 falls from 255 (100 %) to 0 after record 255.
    EXPECT_TRUE(trace.contains("Falling Trigger, Ana-Ch:1, Value:10, 0.0, 100.0"));
}

TEST_F(AcquisitionRecorderTest, ATriggerInTheVeryFirstRecordDoesNotFire) {
    ScopeSettings s = settingsFor(2, 4, 5);  // 200 ms: blocks of one record
    s.triggerChannel = 1;
    s.triggerValue = 50;
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(s, true));
    rec.restartSampleCounter();
    // The arrays still hold 0 % from before the start, so the first record would be an edge.
    rec.takeBlock(record(200, 0, 128, 128, 0));
    EXPECT_FALSE(rec.triggered());
    rec.takeBlock(record(200, 0, 128, 128, 0));
    EXPECT_FALSE(rec.triggered()) << "no edge between the first and the second record";
    rec.takeBlock(record(100, 0, 128, 128, 0));
    rec.takeBlock(record(200, 0, 128, 128, 0));
    EXPECT_TRUE(rec.triggered());
    EXPECT_EQ(rec.samplesAfterTrigger(), 1);
}

TEST_F(AcquisitionRecorderTest, WithoutTriggerChannelTheRecordingRollsOn) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(2, 4, 0), true));
    rec.restartSampleCounter();
    for (std::uint32_t b = 0; b < 100; ++b) {
        rec.takeBlock(block(b * 49, rec.blockSize()));
    }
    EXPECT_FALSE(rec.triggered());
    EXPECT_FALSE(rec.postTriggerDone());
    // The counter counts to 2000 and goes on from 2.
    EXPECT_EQ(rec.sampleCounter(), 4900 - 2000 - 1999 + 1);
}

TEST_F(AcquisitionRecorderTest, TheLastBlockAfterTheTriggerIsCutToThePostTriggerCount) {
    ScopeSettings s = settingsFor(2, 4, 0);  // 4 ms: N = 1000, M = 898
    s.triggerChannel = 6;
    s.binarySel[1] = 3;
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(s, true));
    rec.restartSampleCounter();
    std::uint32_t k = 0;
    std::int32_t last = 0;
    while (!rec.postTriggerDone()) {
        last = rec.blockSize();
        rec.takeBlock(block(k, last));
        k += static_cast<std::uint32_t>(last);
    }
    EXPECT_EQ(rec.samplesAfterTrigger(), 899);
    EXPECT_EQ(last, 48);
    EXPECT_GT(last, 0);
}

TEST_F(AcquisitionRecorderTest, TheDrainLandsAtTheEndOfTheWindowWithoutShift) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(2, 4, 5), true));  // N = 20
    rec.restartSampleCounter();
    for (std::uint32_t k = 0; k < 30; ++k) {
        rec.takeBlock(block(k, 1));
    }
    EXPECT_EQ(rec.takeDrain(block(30, 2)), 2);
    EXPECT_EQ(rec.writeIndex(), 20);
    EXPECT_FLOAT_EQ(samples().analog[0][0], analogPercentUnsigned(10));
    EXPECT_FLOAT_EQ(samples().analog[0][19], analogPercentUnsigned(29));
    EXPECT_FLOAT_EQ(samples().analog[0][20], analogPercentUnsigned(31));
    rec.forwardFill();
    EXPECT_FLOAT_EQ(samples().analog[0][22], analogPercentUnsigned(29));
}

TEST_F(AcquisitionRecorderTest, At200MsADisplayUpdateIsDueEveryThirdSample) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(2, 8, 5), true));
    std::vector<int> due;
    for (std::uint32_t k = 0; k < 9; ++k) {
        ASSERT_EQ(rec.blockSize(), 1);
        rec.takeBlock(block(k, 1));
        if (rec.updateDue()) {
            due.push_back(static_cast<int>(k));
            rec.markAnnounced();
        }
    }
    EXPECT_EQ(due, (std::vector<int>{2, 5, 8}));
}

TEST_F(AcquisitionRecorderTest, ForwardFillDoesNothingBeforeTheFirstSample) {
    AcquisitionRecorder rec(samples(), trace);
    rec.start(AcquisitionPlan::from(settingsFor(0, 8), false));
    rec.forwardFill();
    EXPECT_FLOAT_EQ(samples().analog[0][0], 0.0f);
    EXPECT_FLOAT_EQ(samples().analog[0][1], 0.0f);
}

}  // namespace
}  // namespace kvt
