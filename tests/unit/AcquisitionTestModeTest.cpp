// The acquisition actions in test mode: the simulated device produces the stream (pseudo codes
// 0xfe and 0xff) and timer 3 paces the blocks. The tick source is driven by the test, so a 20 s
// recording takes no 20 s and every block's pacing shows in the time that passed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "data/ScopeModel.h"
#include "engine/AcquisitionCommands.h"
#include "engine/DeviceSession.h"
#include "link/Frame.h"
#include "link/SimulatedDevice.h"
#include "support/EngineTestSupport.h"
#include "support/Pty.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// The stream the simulated device sends after an acknowledged start request.
Bytes simulatedStream(std::size_t records) {
    SimulatedDevice device;
    return device.replyFor(Bytes{STX, SimulatedDevice::kStreamStepRamp, 0x00, 0xff},
                           static_cast<std::int32_t>(records * kStreamRecordSize));
}

class AcquisitionTestModeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScopeSettings(records->scope);
        DeviceSession::Options options;
        options.timing = {500, 300, 20, 4};
        options.testMode = 1;
        options.ticks = &ticks;
        session = std::make_unique<DeviceSession>(*records, trace, view, strings, options);
        session->port().setDeviceOverride(pty.slavePath());
        ticks.onAdvance([this] { session->link().wakeAll(); });
        session->start();
    }
    void TearDown() override { session->stop(); }

    ActionEngine& engine() { return session->engine(); }
    AcquisitionBuffers& samples() { return records->samples; }

    bool received(int code, std::size_t count = 1) const {
        const auto codes = view.recording.codes();
        return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), code)) >= count;
    }

    // Lets the engine run; whenever it waits for one of its own timers (block pacing, retry
    // pause, hard stop) and no exchange is in flight, the clock moves on to that timer's end.
    bool runUntil(int code, std::size_t count = 1) {
        constexpr int kTimers[] = {TimerRetryPause, TimerEngineWait, TimerAcqBlock, TimerAcqStop};
        for (int pass = 0; pass < 200000; ++pass) {
            if (received(code, count)) {
                return true;
            }
            const LinkState& link = session->link();
            std::int32_t wait = -1;
            for (int timer : kTimers) {
                const std::int32_t left = link.timers.get(timer);
                if (left > 0 && (wait < 0 || left < wait)) {
                    wait = left;
                }
            }
            // Seen again after the timers: the engine announces before it arms the next block.
            if (received(code, count)) {
                return true;
            }
            if (wait > 0 && link.SEND_STATE.load() != SendRequested &&
                link.RECEIVE_STATE.load() != ReceiveAwaited) {
                ticks.advance(static_cast<std::uint32_t>(wait));
            } else {
                view.recording.waitForCount(view.recording.notes().size() + 1, 1ms);
            }
        }
        return false;
    }

    std::vector<std::intptr_t> updates() const { return view.updates(); }

    test::Pty pty;
    std::unique_ptr<Records> records = std::make_unique<Records>();
    test::RecordingTrace trace;
    test::PaintingView view{records->acquisition};
    test::EngineStrings strings;
    ManualTickSource ticks;
    std::unique_ptr<DeviceSession> session;
};

TEST_F(AcquisitionTestModeTest, An8SecondStepModeRecordingIsPacedAndStoresExactly2000Samples) {
    records->scope.mode = ScopeSettings::StepMode;
    records->scope.binarySel[1] = 1;
    const std::uint32_t before = ticks.nowMs();
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(runUntil(notify::kAcquisitionEnded));
    // 40 blocks of 196 ms, one of 152 ms and two of 4 ms: the stream's own 8 s.
    EXPECT_EQ(ticks.nowMs() - before, 8000u);
    EXPECT_EQ(updates().back(), 2000);
    EXPECT_EQ(view.recording.codes().back(), notify::kAcquisitionEnded);

    const Bytes stream = simulatedStream(2000);
    for (int i = 0; i < 2000; ++i) {
        const std::uint8_t* r = &stream[static_cast<std::size_t>(i) * kStreamRecordSize];
        ASSERT_FLOAT_EQ(samples().analog[0][i], analogPercentUnsigned(r[1])) << i;
        ASSERT_FLOAT_EQ(samples().analog[1][i], analogPercentUnsigned(r[2])) << i;
        ASSERT_FLOAT_EQ(samples().analog[2][i], analogPercentOffset(0xC0)) << i;
    }
    // The simulated status byte turns 0x02 from record 99 on.
    EXPECT_EQ(samples().binary[1][98], 0);
    EXPECT_EQ(samples().binary[1][99], 1);
    EXPECT_EQ(records->scope.acqTimeRead, 0x1b);
    EXPECT_FALSE(trace.contains("Retry 1 "));
}

TEST_F(AcquisitionTestModeTest, At200MsBlocksHoldOneSampleAndEveryThirdIsAnnounced) {
    records->scope.sampleRateIndex = 5;  // roll mode: no trigger channel
    const std::uint32_t before = ticks.nowMs();
    engine().post(cmd::kTriggerAcquisition);
    ASSERT_TRUE(runUntil(notify::kDisplayUpdate, 3));
    EXPECT_EQ(ticks.nowMs() - before, 9u * 200u) << "nine blocks of one sample";
    EXPECT_EQ(updates(), (std::vector<std::intptr_t>{40, 40, 40}));
    EXPECT_EQ(trace.count("Display update 40"), 3);

    requestAcquisitionStop(engine());
    ASSERT_TRUE(runUntil(notify::kAcquisitionEnded));
    // The simulated device refuses PAS while its stream runs; the retry finds it idle.
    EXPECT_EQ(trace.count("Retry 1 "), 1);
    EXPECT_FALSE(trace.contains("stopped "));
    EXPECT_EQ(engine().commandWord(), 0u);
}

}  // namespace
}  // namespace kvt
