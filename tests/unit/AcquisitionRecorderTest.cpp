#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "data/ScopeModel.h"
#include "engine/AcquisitionRecorder.h"
#include "link/Frame.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes record(std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, std::uint8_t a4,
             std::uint8_t status, std::uint8_t marker = STX) {
    return {marker, a1, a2, a3, a4, status};
}

// Records first .. first + count - 1 of a test stream: analog 1 counts 0..255, analog 2 counts
// the wraps of analog 1, the status byte counts every 10 records.
Bytes block(std::uint32_t first, std::int32_t count) {
    Bytes out;
    for (std::uint32_t k = first; k < first + static_cast<std::uint32_t>(count); ++k) {
        const Bytes one =
            record(static_cast<std::uint8_t>(k & 0xFF), static_cast<std::uint8_t>(k >> 8), 128, 128,
                   static_cast<std::uint8_t>(k / 10));
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

float ramp(std::uint32_t k) {
    return analogPercentUnsigned(static_cast<std::uint8_t>(k & 0xFF));
}

ScopeSettings settingsFor(int mode, int acqTime, int rateIndex = 0) {
    ScopeSettings s;
    resetScopeSettings(s);
    s.mode = mode;
    s.acqTime = acqTime;
    s.sampleRateIndex = rateIndex;
    return s;
}

TEST(AcquisitionPlan, BlockSizesUpdateIntervalsAndCapacityFollowTheSamplePeriod) {
    struct Row {
        int block, update, capacity8s, postTrigger8s;
    };
    const Row rows[] = {{49, 122, 2000, 1798}, {20, 48, 800, 719}, {10, 23, 400, 359},
                        {5, 10, 200, 179},     {1, 2, 80, 70},     {1, 2, 40, 34}};
    for (int index = 0; index < 6; ++index) {
        const auto plan = AcquisitionPlan::from(settingsFor(2, 8, index), true);
        const Row& r = rows[index];
        EXPECT_EQ(baseBlockSize(plan.period), r.block) << "rate index " << index;
        EXPECT_EQ(plan.updateInterval, r.update) << "rate index " << index;
        EXPECT_EQ(plan.capacity, r.capacity8s) << "rate index " << index;
        EXPECT_EQ(plan.postTrigger, r.postTrigger8s) << "rate index " << index;
        EXPECT_EQ(plan.periodMs, kSamplePeriodsMs[static_cast<std::size_t>(index)]);
    }
    // Step and Ramp Mode record at 4 ms whatever the rate index.
    const auto step = AcquisitionPlan::from(settingsFor(0, 8, 5), false);
    EXPECT_FLOAT_EQ(step.period, 0.004f);
    EXPECT_EQ(step.capacity, 2000);
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(0, 4), false).capacity, 1000);
    EXPECT_EQ(AcquisitionPlan::from(settingsFor(0, 20), false).updateInterval, 122);
}

TEST(AcquisitionPlan, DamagedSettingsAreBroughtIntoRange) {
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

    // Binary channels 1 and 4 are fixed to bits 0 and 4; an unknown trigger channel rolls.
    ScopeSettings s = settingsFor(2, 8);
    s.binarySel[0] = 6;
    s.binarySel[1] = 3;
    s.binarySel[2] = 99;
    s.binarySel[3] = -1;
    EXPECT_EQ(AcquisitionPlan::from(s, true).binaryBits, (std::array<int, 4>{0, 3, 7, 4}));
    for (int channel : {9, -1, 8}) {
        s.triggerChannel = channel;
        EXPECT_EQ(AcquisitionPlan::from(s, true).triggerChannel, channel == 8 ? 8 : TriggerNone);
    }
}

TEST(TriggerEdges, AnalogAtItsLevelBinaryOnAChange) {
    struct Analog {
        float previous, current;
        int slope;
        bool fires;
    };
    const Analog analog[] = {
        {49.8f, 50.2f, SlopeRising, true},   {49.0f, 50.0f, SlopeRising, true},
        {50.0f, 51.0f, SlopeRising, false},  {50.2f, 49.8f, SlopeRising, false},
        {49.0f, 49.9f, SlopeRising, false},  {50.2f, 49.8f, SlopeFalling, true},
        {51.0f, 50.0f, SlopeFalling, true},  {50.0f, 49.0f, SlopeFalling, false},
        {49.8f, 50.2f, SlopeFalling, false}, {50.2f, 49.8f, 2, false},  // unknown slope
    };
    for (const Analog& a : analog) {
        EXPECT_EQ(analogTriggerFires(a.previous, a.current, 50.0f, a.slope), a.fires)
            << a.previous << " -> " << a.current << " slope " << a.slope;
    }
    EXPECT_TRUE(binaryTriggerFires(0, 1, SlopeRising));
    EXPECT_FALSE(binaryTriggerFires(1, 1, SlopeRising));
    EXPECT_FALSE(binaryTriggerFires(1, 0, SlopeRising));
    EXPECT_TRUE(binaryTriggerFires(1, 0, SlopeFalling));
    EXPECT_FALSE(binaryTriggerFires(0, 1, SlopeFalling));
}

// The buffers with a canary behind them: nothing may ever be written past entry 5099.
struct GuardedBuffers {
    AcquisitionBuffers samples;
    std::array<std::uint32_t, 64> canary;
};
constexpr std::uint32_t kCanary = 0xA5A5A5A5u;

class AcquisitionRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearSamples(guarded->samples);
        guarded->canary.fill(kCanary);
    }

    void start(const ScopeSettings& s, bool trigger) {
        rec.start(AcquisitionPlan::from(s, trigger));
        if (trigger) {
            rec.restartSampleCounter();
        }
    }
    // Feeds the counting stream block by block as the engine asks until `done`; returns the
    // block sizes asked for.
    template <typename Done>
    std::vector<std::int32_t> feed(Done done, std::uint32_t first = 0) {
        std::vector<std::int32_t> sizes;
        for (std::uint32_t k = first; !done() && sizes.size() < 10000;) {
            sizes.push_back(rec.blockSize());
            rec.takeBlock(block(k, sizes.back()));
            k += static_cast<std::uint32_t>(sizes.back());
        }
        return sizes;
    }
    bool canaryIntact() const {
        return std::all_of(guarded->canary.begin(), guarded->canary.end(),
                           [](std::uint32_t word) { return word == kCanary; });
    }
    float a1(int i) const { return guarded->samples.analog[0][i]; }

    std::unique_ptr<GuardedBuffers> guarded = std::make_unique<GuardedBuffers>();
    AcquisitionBuffers& samples = guarded->samples;
    test::RecordingTrace trace;
    AcquisitionRecorder rec{samples, trace};
};

TEST_F(AcquisitionRecorderTest, DecodesTheRawBytesToPercentAndBits) {
    ScopeSettings s = settingsFor(0, 8);
    s.binarySel[1] = 1;
    s.binarySel[2] = 7;
    start(s, false);
    rec.takeBlock(record(255, 0, 0, 255, 0b1001'0011));
    rec.takeBlock(record(0, 255, 128, 128, 0b0110'1100));
    EXPECT_FLOAT_EQ(samples.analog[0][0], 100.0f);
    EXPECT_FLOAT_EQ(samples.analog[1][0], 0.0f);
    EXPECT_NEAR(samples.analog[2][0], -100.39, 0.005);
    EXPECT_NEAR(samples.analog[3][0], 99.61, 0.005);
    EXPECT_FLOAT_EQ(samples.analog[2][1], 0.0f);
    EXPECT_FLOAT_EQ(samples.analog[1][1], 100.0f);
    // Bits 0, 1, 7 and 4 of the status byte: all set in the first record, none in the second.
    for (int c = 0; c < kBinaryChannels; ++c) {
        EXPECT_EQ(samples.binary[c][0], 1) << c;
        EXPECT_EQ(samples.binary[c][1], 0) << c;
    }
    EXPECT_EQ(rec.writeIndex(), 2);
}

TEST_F(AcquisitionRecorderTest, StepModeStoresExactlyTheSamplesOfItsTime) {
    for (int seconds : {8, 20}) {
        SCOPED_TRACE(seconds);
        SetUp();
        start(settingsFor(0, seconds), false);
        const auto sizes = feed([&] { return rec.complete(); });
        const int n = seconds * 250;
        EXPECT_EQ(rec.writeIndex(), n);
        EXPECT_EQ(rec.recordsStored(), n);
        for (int i = 0; i < n; ++i) {
            ASSERT_FLOAT_EQ(a1(i), ramp(static_cast<std::uint32_t>(i))) << i;
            ASSERT_FLOAT_EQ(samples.analog[1][i],
                            analogPercentUnsigned(static_cast<std::uint8_t>(i >> 8)))
                << i;
        }
        rec.forwardFill();
        EXPECT_FLOAT_EQ(a1(n + 2), a1(n - 1));
        EXPECT_EQ(samples.binary[1][n + 2], samples.binary[1][n - 1]);
        EXPECT_TRUE(canaryIntact());
        if (seconds == 8) {
            // 40 blocks of 49 reach 1960; then 38 (to 1998) and two single samples.
            ASSERT_EQ(sizes.size(), 43u);
            EXPECT_EQ(sizes.front(), 49);
            EXPECT_EQ(std::vector<std::int32_t>(sizes.begin() + 40, sizes.end()),
                      (std::vector<std::int32_t>{38, 1, 1}));
            EXPECT_FLOAT_EQ(a1(2003), 0.0f);
        }
    }
}

TEST_F(AcquisitionRecorderTest, ExtraRecordsAtTheEndStayInTheHeadroom) {
    start(settingsFor(0, 20), false);
    for (std::uint32_t b = 0; b < 200; ++b) {
        rec.takeBlock(block(b * 2000, 2000));
    }
    EXPECT_EQ(rec.writeIndex(), 5000);
    rec.forwardFill();
    for (int i = 5003; i < kSampleEntries; ++i) {
        ASSERT_FLOAT_EQ(a1(i), 0.0f) << i;
    }
    EXPECT_TRUE(canaryIntact());
}

TEST_F(AcquisitionRecorderTest, RecordsWithoutTheMarkerAndPartsOfRecordsAreSkipped) {
    start(settingsFor(0, 8), false);
    Bytes bytes = block(0, 3);
    const Bytes noise = record(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF);
    bytes.insert(bytes.begin() + 6, noise.begin(), noise.end());
    bytes.push_back(STX);
    EXPECT_EQ(rec.takeBlock(bytes), 3);
    EXPECT_EQ(rec.writeIndex(), 3);
    EXPECT_FLOAT_EQ(a1(1), ramp(1));
    EXPECT_EQ(rec.samplesSinceUpdate(), 3);

    // In Trigger Mode a block with a skipped record still lands behind the newest sample.
    start(settingsFor(2, 4, 1), true);  // 10 ms: N = 400, blocks of 20
    rec.takeBlock(block(0, 20));
    bytes = block(20, 20);
    bytes[6 * 5] = 0x00;  // record 25 lost its marker
    rec.takeBlock(bytes);
    EXPECT_EQ(rec.writeIndex(), 400);
    EXPECT_FLOAT_EQ(a1(399), ramp(39));
    EXPECT_FLOAT_EQ(a1(399 - 14), ramp(24));
    EXPECT_FLOAT_EQ(a1(399 - 38), ramp(0));
}

TEST_F(AcquisitionRecorderTest, TriggerModeKeepsTheNewestNSamplesWithTheOldestAtIndexZero) {
    start(settingsFor(2, 4, 1), true);
    ASSERT_EQ(rec.writeIndex(), 400);
    int blocks = 0;
    const auto sizes = feed([&] { return ++blocks > 57; });
    EXPECT_EQ(sizes, std::vector<std::int32_t>(57, 20));
    EXPECT_EQ(rec.writeIndex(), 400);
    // 1140 records: the arrays hold records 740..1139.
    for (int i = 0; i < 400; ++i) {
        ASSERT_FLOAT_EQ(a1(i), ramp(740 + static_cast<std::uint32_t>(i))) << i;
    }
    EXPECT_FALSE(rec.triggered());
    EXPECT_TRUE(canaryIntact());
}

TEST_F(AcquisitionRecorderTest, ATriggerLeavesAboutATenthOfTheWindowBeforeItAndIsTraced) {
    // Rate index 1: N = 400, M = 359. Binary channel 2 shows bit 3 of the status byte, which
    // rises at record 80; analog 1 counts up through 50 % (127 -> 128) and falls from 100 % to
    // 0 after record 255.
    struct Case {
        int channel, level, slope;
        std::uint32_t triggerRecord;
        const char* traced;
    };
    const Case cases[] = {
        {6, 0, SlopeRising, 80, "Rising Trigger, Bin-Ch:2, 1, 0"},
        {1, 50, SlopeRising, 128, "Rising Trigger, Ana-Ch:1, Value:50, 50.2, 49.8"},
        {1, 10, SlopeFalling, 256, "Falling Trigger, Ana-Ch:1, Value:10, 0.0, 100.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.traced);
        ScopeSettings s = settingsFor(2, 4, 1);
        s.triggerChannel = c.channel;
        s.triggerValue = c.level;
        s.triggerSlope = c.slope;
        s.binarySel[1] = 3;
        trace.clear();
        start(s, true);
        std::uint32_t consumed = 0;
        for (std::int32_t n : feed([&] { return rec.postTriggerDone(); })) {
            consumed += static_cast<std::uint32_t>(n);
        }
        EXPECT_TRUE(rec.triggered());
        EXPECT_EQ(rec.samplesAfterTrigger(), 360);
        // The trigger record and the 359 after it: exactly the records asked for.
        EXPECT_EQ(consumed, c.triggerRecord + 360);
        EXPECT_EQ(rec.writeIndex(), 400);
        EXPECT_FLOAT_EQ(a1(40), ramp(c.triggerRecord));
        EXPECT_FLOAT_EQ(a1(399), ramp(c.triggerRecord + 359));
        EXPECT_TRUE(trace.contains(c.traced));
        if (c.channel == 6) {
            EXPECT_EQ(samples.binary[1][40], 1);
            EXPECT_EQ(samples.binary[1][39], 0);
        }
    }
}

TEST_F(AcquisitionRecorderTest, ATriggerInTheVeryFirstRecordDoesNotFire) {
    ScopeSettings s = settingsFor(2, 4, 5);  // 200 ms: blocks of one record
    s.triggerChannel = 1;
    s.triggerValue = 50;
    start(s, true);
    // The arrays still hold 0 % from before the start, so the first record would be an edge.
    rec.takeBlock(record(200, 0, 128, 128, 0));
    rec.takeBlock(record(200, 0, 128, 128, 0));
    EXPECT_FALSE(rec.triggered());
    rec.takeBlock(record(100, 0, 128, 128, 0));
    rec.takeBlock(record(200, 0, 128, 128, 0));
    EXPECT_TRUE(rec.triggered());
    EXPECT_EQ(rec.samplesAfterTrigger(), 1);
}

TEST_F(AcquisitionRecorderTest, WithoutTriggerChannelTheRecordingRollsOn) {
    start(settingsFor(2, 4, 0), true);
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
    start(s, true);
    const auto sizes = feed([&] { return rec.postTriggerDone(); });
    EXPECT_EQ(rec.samplesAfterTrigger(), 899);
    EXPECT_EQ(sizes.back(), 48);
}

TEST_F(AcquisitionRecorderTest, TheDrainLandsAtTheEndOfTheWindowWithoutShift) {
    start(settingsFor(2, 4, 5), true);  // N = 20
    for (std::uint32_t k = 0; k < 30; ++k) {
        rec.takeBlock(block(k, 1));
    }
    EXPECT_EQ(rec.takeDrain(block(30, 2)), 2);
    EXPECT_EQ(rec.writeIndex(), 20);
    EXPECT_FLOAT_EQ(a1(0), ramp(10));
    EXPECT_FLOAT_EQ(a1(19), ramp(29));
    EXPECT_FLOAT_EQ(a1(20), ramp(31));
    rec.forwardFill();
    EXPECT_FLOAT_EQ(a1(22), ramp(29));
}

TEST_F(AcquisitionRecorderTest, DisplayUpdatesAndTheForwardFillBeforeTheFirstSample) {
    start(settingsFor(0, 8), false);
    rec.forwardFill();
    EXPECT_FLOAT_EQ(a1(0), 0.0f);
    EXPECT_FLOAT_EQ(a1(1), 0.0f);

    // At 200 ms a display update is due every third sample.
    start(settingsFor(2, 8, 5), true);
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

}  // namespace
}  // namespace kvt
