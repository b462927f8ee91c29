// Serial Setpoint, Write and Read Test Function and Write AutoAdapt Function against a scripted
// controller on a pseudo-terminal.
#include <gtest/gtest.h>

#include <atomic>

#include "engine/ActionEngine.h"
#include "link/Frame.h"
#include "support/EngineTestSupport.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;
using test::frame;

// Acknowledges the setpoint and test function requests, answers CCR with a set byte, and
// refuses a chosen request a number of times.
struct Controller {
    std::atomic<std::uint8_t> ccr{0};
    std::atomic<int> nakCode{-1};
    std::atomic<int> naks{0};

    Bytes answer(const Bytes& req) {
        const std::uint8_t code = req[1];
        if (code == nakCode && naks > 0) {
            --naks;
            return {NAK};
        }
        switch (code) {
            case 0x23:
                return {STX, 23, 23};
            case 0x65:
                return {STX, ccr, ccr};
            case 0x25:
            case 0x26:
            case 0x51:
            case 0x56:
            case 0x64:
            case 0x7e:
            case 0x91:
                return {ACK};
            default:
                return {};
        }
    }
};

class SetpointActionsTest : public test::ScriptedControllerTest<Controller> {
  protected:
    // The information lines of the trace, without the engine's own state lines.
    std::vector<std::string> infoLines() {
        std::vector<std::string> out;
        for (const auto& line : h.trace().lines()) {
            if (line.kind == 5 && line.text.rfind("THREAD_CMD", 0) != 0) {
                out.push_back(line.text);
            }
        }
        return out;
    }

    void setpoint(float value, bool transmit, int mode) {
        SerialSetpoint& sp = h.records().serialSetpoint;
        sp.serialSetpoint = value;
        sp.serialTransmit = transmit ? 1 : 0;
        sp.serialSetpointMode = mode;
    }

    // Runs one step of the stopped engine with the link in the given send state.
    void stepAfterSendState(std::uint32_t step, std::int32_t sendState, std::uint32_t bits = 0) {
        h.engine().goTo(step);
        h.session().link().SEND_STATE = sendState;
        h.engine().post(bits);
        h.engine().pass();
    }
    std::string firstTraceLine() {
        const auto lines = h.trace().lines();
        return lines.empty() ? std::string() : lines[0].text;
    }
};

TEST_F(SetpointActionsTest, EachModeSendsItsSetpointOrItsWithdrawal) {
    struct Case {
        float value;
        bool transmit;
        int mode;
        Bytes sent;
        const char* traced;
    };
    const Case cases[] = {
        {50.0f, true, 0, frame(0x25, 100), " Send STS Set Transmit Setpoint "},
        {50.0f, true, 1, frame(0x7e, 127), " Send PWM  "},
        {50.0f, false, 0, frame(0x26, 0), " Send RTS Reset Transmit Setpoint "},
        // The PWM setpoint is switched off by TCS, which the controller acknowledges.
        {80.0f, false, 1, Bytes{0x02, 0x51, 0x00, 0x51}, " Send TCS "},
    };
    std::size_t sent = 0;
    for (const Case& c : cases) {
        setpoint(c.value, c.transmit, c.mode);
        h.notifier().clear();
        h.trace().clear();
        ASSERT_TRUE(h.run(cmd::kSerialSetpoint, notify::kSetpointDone)) << c.traced;
        const Frames requests = actionRequests();
        ASSERT_EQ(requests.size(), ++sent);
        EXPECT_EQ(requests.back(), c.sent) << c.traced;
        const auto info = infoLines();
        ASSERT_GE(info.size(), 2u);
        EXPECT_EQ(info[info.size() - 2], " Serial Setpoint ");
        EXPECT_EQ(info.back(), c.traced);
        EXPECT_EQ(h.notifier().notes(),
                  (std::vector<test::RecordingNotifier::Note>{{notify::kSetpointDone, 0, true}}));
        EXPECT_FALSE(h.trace().contains("Receive Timeout max retry"));
    }
}

TEST_F(SetpointActionsTest, ARefusedSetpointNamesBothRequestsAndStartsAgain) {
    setpoint(10.0f, true, 0);
    controller.nakCode = 0x25;
    controller.naks = 1;
    ASSERT_TRUE(h.run(cmd::kSerialSetpoint, notify::kSetpointDone));
    EXPECT_EQ(actionRequests(), (Frames{frame(0x25, 20), frame(0x25, 20)}));
    int named = 0;
    for (const auto& line : h.trace().lines()) {
        if (line.kind == 4 && line.text.rfind("Action ", 0) == 0) {
            ++named;
            EXPECT_EQ(line.text, "Action STS/RTS '0x25' Step x255, Error:2 0:0x15 bcc:0 ");
        }
    }
    EXPECT_EQ(named, 1);
    EXPECT_EQ(h.trace().count(" Serial Setpoint "), 2);
}

TEST_F(SetpointActionsTest, SendFailuresNameTheRequestOfTheirBranch) {
    ASSERT_TRUE(h.run(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset));
    h.stop();
    h.trace().clear();
    stepAfterSendState(0x252, SendTimeout, cmd::kSerialSetpoint);
    EXPECT_EQ(h.trace().lines().at(0).kind, 2);
    EXPECT_EQ(firstTraceLine().rfind("Action STS '0x", 0), 0u) << firstTraceLine();
    EXPECT_NE(firstTraceLine().find("Step x252, Error:3 "), std::string::npos);
    EXPECT_EQ(h.engine().step(), step::kRetryPause);

    h.trace().clear();
    stepAfterSendState(0x254, SendWriteFailed);
    EXPECT_EQ(firstTraceLine().rfind("Action RTS '0x", 0), 0u) << firstTraceLine();
    EXPECT_NE(firstTraceLine().find("Step x254, Error:4 "), std::string::npos);
}

TEST_F(SetpointActionsTest, WriteTestFunctionSendsCcsAndRssAndARetryStartsAgainAtCcs) {
    h.records().params.currentSet.CONTROLLER_STRUCTURE = 3;
    h.records().testFunction.testFunctionType = 2;
    h.records().testFunction.testTime = 2.5f;
    ASSERT_TRUE(h.run(cmd::kWriteTestFunction, notify::kTestFunctionWritten));
    EXPECT_EQ(actionRequests(), (Frames{frame(0x64, 0xA3), frame(0x56, 25)}));
    EXPECT_TRUE(h.trace().contains(" Write Test Function "));
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(h.engine().commandWord(), 0u);

    h.records().params.currentSet.CONTROLLER_STRUCTURE = 0;
    h.records().params.currentSet.AUTO_ZERO_FEEDBACK_ANALOG_IN_1 = 1;
    h.records().testFunction.testFunctionType = 1;
    h.records().testFunction.testTime = 0.1f;
    controller.nakCode = 0x56;
    controller.naks = 1;
    h.notifier().clear();
    ASSERT_TRUE(h.run(cmd::kWriteTestFunction, notify::kTestFunctionWritten));
    const Frames requests = actionRequests();
    EXPECT_EQ(Frames(requests.begin() + 2, requests.end()),
              (Frames{frame(0x64, 0x40), frame(0x56, 1), frame(0x64, 0x40), frame(0x56, 1)}));
}

TEST_F(SetpointActionsTest, APendingStopOfAcquisitionTakesOverBeforeRss) {
    ASSERT_TRUE(h.run(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset));
    h.stop();
    stepAfterSendState(0x293, SendDone, cmd::kWriteTestFunction | cmd::kStopAcquisition);
    EXPECT_EQ(h.engine().step(), 0x240u);
    EXPECT_EQ(h.engine().commandWord() & cmd::kWriteTestFunction, cmd::kWriteTestFunction);

    // Without the stop bit the same step sends RSS.
    h.engine().clear(cmd::kStopAcquisition);
    h.engine().goTo(0x293);
    h.engine().pass();
    EXPECT_EQ(h.engine().step(), 0x294u);
    EXPECT_EQ(h.session().link().transmitBuffer[1], 0x56);
}

TEST_F(SetpointActionsTest, ReadTestFunctionDecodesCcrWithoutTheForwardValues) {
    ParameterRecord& d = h.records().params.deviceSet;
    d.FORWARD_OFFSET = 99;
    d.FORWARD_GAIN = 2.5f;
    controller.ccr = 0xA3;
    ASSERT_TRUE(h.run(cmd::kReadTestFunction, notify::kTestFunctionRead));
    EXPECT_EQ(actionRequests(), (Frames{frame(0x65, 0)}));
    EXPECT_EQ(d.CONTROLLER_STRUCTURE, 3);
    EXPECT_EQ(d.SETPOINT_RANGE_DETECTION, 0);
    EXPECT_EQ(d.AUTO_ZERO_FEEDBACK_ANALOG_IN_1, 1);
    EXPECT_EQ(h.records().testFunction.testFunctionTypeRead, 2);
    EXPECT_EQ(h.records().testFunction.testFunctionReadMark, 1);
    EXPECT_EQ(d.FORWARD_OFFSET, 99);
    EXPECT_FLOAT_EQ(d.FORWARD_GAIN, 2.5f);
    EXPECT_TRUE(h.trace().contains(" Read Test Function "));
}

TEST_F(SetpointActionsTest, AutoAdaptSendsApsAndEndsOnlyAtTheFourthRefusal) {
    ASSERT_TRUE(h.run(cmd::kWriteAutoAdapt, notify::kAutoAdaptWritten));
    EXPECT_EQ(actionRequests(), (Frames{Bytes{0x02, 0x91, 0x01, 0x92}}));
    EXPECT_TRUE(h.trace().contains(" Write AutoAdapt Function "));

    controller.nakCode = 0x91;
    controller.naks = 3;
    h.notifier().clear();
    ASSERT_TRUE(h.run(cmd::kWriteAutoAdapt, notify::kAutoAdaptWritten));
    EXPECT_EQ(actionRequests().size(), 1u + 4u);
    EXPECT_TRUE(h.trace().contains("Retry 3 "));

    controller.naks = 4;
    h.notifier().clear();
    ASSERT_TRUE(h.run(cmd::kWriteAutoAdapt, notify::kBadReply));
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(actionRequests().size(), 1u + 4u + 4u);
    EXPECT_TRUE(h.trace().contains("stopped "));
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kBadReply}));
}

}  // namespace
}  // namespace kvt
