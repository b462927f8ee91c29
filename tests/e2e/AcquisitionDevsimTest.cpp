// Recordings end to end: the real serial code over a pseudo-terminal against kvt-devsim, which
// streams like a controller in real time: numbered records at the sample period, for the
// acquisition time of a step or ramp, until PAS in roll and trigger mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "../../tools/devsim/StreamSignal.h"
#include "data/ScopeModel.h"
#include "engine/AcquisitionCommands.h"
#include "engine/DeviceSession.h"
#include "link/Frame.h"
#include "support/Devsim.h"
#include "support/EngineTestSupport.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Clock = std::chrono::steady_clock;
using devsim::streamRecordAt;
using namespace std::chrono_literals;

class AcquisitionDevsimTest : public ::testing::Test {
  protected:
    // The controller's own reply time-out, so that a loaded machine cannot fail a block;
    // tests at 57600 baud shorten it so that the baud-rate test gives 19200 up quickly.
    explicit AcquisitionDevsimTest(std::vector<std::string> args = {"--paced"},
                                   std::int32_t replyTimeoutMs = 10000)
        : sim(KVT_DEVSIM_PATH, std::move(args)), replyTimeoutMs_(replyTimeoutMs) {}

    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        resetScopeSettings(records->scope);
        DeviceSession::Options options;
        options.timing = {500, replyTimeoutMs_, 100, 4};
        session = std::make_unique<DeviceSession>(*records, trace, view, strings, options);
        session->port().setDeviceOverride(sim.terminalPath());
        session->start();
    }
    void TearDown() override {
        if (session) {
            session->stop();
        }
        if (HasFailure()) {
            // What the engine and the emulator did last, to tell a slow machine from a fault.
            test::printTraceTail(trace, 40);
            const auto log = sim.logText();
            for (std::size_t i = log.size() > 20 ? log.size() - 20 : 0; i < log.size(); ++i) {
                std::printf("devsim %s\n", log[i].c_str());
            }
        }
    }

    ActionEngine& engine() { return session->engine(); }
    AcquisitionBuffers& samples() { return records->samples; }
    bool waitFor(int code, std::size_t count = 1) {
        const auto deadline = Clock::now() + 60s;
        while (Clock::now() < deadline) {
            const auto codes = view.recording.codes();
            if (static_cast<std::size_t>(std::count(codes.begin(), codes.end(), code)) >= count) {
                return true;
            }
            view.recording.waitForCount(codes.size() + 1, 100ms);
        }
        return false;
    }
    bool waitIdle() { return test::waitEngineIdle(engine(), 30s); }
    bool streaming() { return sim.command("count").find("streaming=yes") != std::string::npos; }
    bool streamStops() {
        return sim.waitFor(
            "count",
            [](const std::string& r) { return r.find("streaming=no") != std::string::npos; }, 5s);
    }
    std::vector<std::string> requestsHeard() const {
        std::vector<std::string> out;
        for (const auto& line : sim.log()) {
            if (line.direction == "rx" && line.mnemonic != "---") {
                out.push_back(line.mnemonic);
            }
        }
        return out;
    }
    int retries() const { return trace.countStartingWith("Retry "); }

    // Index j of the arrays holds stream record first + j, for j in [from, to).
    void expectRecords(std::uint64_t first, int from, int to) {
        for (int j = from; j < to; ++j) {
            const auto r = streamRecordAt(first + static_cast<std::uint64_t>(j));
            ASSERT_FLOAT_EQ(samples().analog[0][j], analogPercentUnsigned(r[1])) << j;
            ASSERT_FLOAT_EQ(samples().analog[1][j], analogPercentUnsigned(r[2])) << j;
            ASSERT_FLOAT_EQ(samples().analog[2][j], analogPercentOffset(r[3])) << j;
            ASSERT_FLOAT_EQ(samples().analog[3][j], analogPercentOffset(r[4])) << j;
            for (int k = 0; k < kBinaryChannels; ++k) {
                const int bit = k == 0 ? 0 : k == 3 ? 4 : records->scope.binarySel[k];
                ASSERT_EQ(samples().binary[k][j], (r[5] >> bit) & 1) << j << " binary " << k;
            }
        }
    }

    test::Devsim sim;
    std::int32_t replyTimeoutMs_;
    std::unique_ptr<Records> records = std::make_unique<Records>();
    test::RecordingTrace trace;
    test::PaintingView view{records->acquisition};
    test::EngineStrings strings;
    std::unique_ptr<DeviceSession> session;
};

TEST_F(AcquisitionDevsimTest, ATriggeredRecordingHoldsATenthBeforeTheTriggerAndStopsTheStream) {
    records->scope.triggerChannel = 8;  // binary channel 4: bit 4 first rises at record 800
    engine().post(cmd::kTriggerAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(trace.contains("Rising Trigger, Bin-Ch:4, 1, 0"));
    const auto heard = requestsHeard();
    EXPECT_EQ(std::vector<std::string>(heard.begin(), heard.begin() + 5),
              (std::vector<std::string>{"VER", "PRS", "ACS", "ACR", "TAS"}));
    EXPECT_EQ(heard.back(), "PAS");
    EXPECT_EQ(retries(), 0) << "the first PAS is acknowledged";
    EXPECT_TRUE(streamStops());
    // N = 2000, M = 1798: the trigger record 800 at index 201, nothing lost around it.
    EXPECT_EQ(samples().binary[3][200], 0);
    EXPECT_EQ(samples().binary[3][201], 1);
    expectRecords(800 - 201, 0, 2000);
    EXPECT_EQ(test::Devsim::field(sim.command("count"), "lost"), 0);
}

class AcquisitionHardStopTest : public AcquisitionDevsimTest {
  protected:
    AcquisitionHardStopTest() : AcquisitionDevsimTest({"--baud", "57600", "--paced"}, 3000) {}
};

TEST_F(AcquisitionHardStopTest, TheHardStopEndsAStreamStillRunningAt57600) {
    engine().post(cmd::kTriggerAcquisition);
    ASSERT_TRUE(waitFor(notify::kDisplayUpdate));
    EXPECT_EQ(records->port.baudCode.load(), PortSettings::Baud57600);
    // The program lets go of the acquisition without a stop, as after New Project; the
    // emulator streams on.
    engine().clearAll();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(streaming());
    const std::size_t logBefore = sim.log().size();

    EXPECT_EQ(requestAcquisitionStop(engine()), AcquisitionStop::Hard);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(streamStops());
    EXPECT_EQ(records->port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_EQ(trace.count(" Hard PAS"), 2);
    EXPECT_TRUE(trace.contains(" Hard Stop Acquisition done"));

    const auto log = sim.log();
    bool ignoredAt19200 = false;
    bool pasAt57600 = false;
    for (std::size_t i = logBefore; i < log.size(); ++i) {
        ignoredAt19200 = ignoredAt19200 || log[i].note.rfind("ignored: line at 19200", 0) == 0;
        pasAt57600 = pasAt57600 || (log[i].direction == "rx" && log[i].mnemonic == "PAS");
    }
    EXPECT_TRUE(ignoredAt19200) << "PAS went out at 19200 first";
    EXPECT_TRUE(pasAt57600);

    // The next action finds the rate again with the baud-rate test.
    view.recording.clear();
    records->scope.mode = ScopeSettings::StepMode;
    engine().post(cmd::kStepAcquisition);
    ASSERT_TRUE(waitFor(notify::kAcquisitionEnded));
    EXPECT_EQ(records->port.baudCode.load(), PortSettings::Baud57600);
    expectRecords(0, 0, 2000);
}

}  // namespace
}  // namespace kvt
