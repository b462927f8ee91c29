// The parameter, calibration and setpoint actions through the engine, the link threads and the
// real serial code, against kvt-devsim on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/Records.h"
#include "engine/DeviceSession.h"
#include "link/Frame.h"
#include "support/Devsim.h"
#include "support/EngineTestSupport.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Devsim;
using test::frame;
using test::kPatient;
using test::kQuickTimeOut;

// A parameter set whose every value the line carries exactly.
ParameterRecord representableSet() {
    ParameterRecord p{};
    p.PARAMETER_SET = 1;
    p.FORWARD_OFFSET = 12;
    p.FORWARD_GAIN = 1.25f;
    p.PROPORTIONAL_GAIN = 2.3f;
    p.INTEGRATION_TIME = 0.35f;
    p.INTEGRATION_LIMIT = 80;
    p.DEAD_BAND = 0.5f;
    p.DERIVATION_TIME = 40;
    p.PWM_FREQUENCY = 250;
    p.CONTROL_CYCLE_TIME = 5;
    p.CONTROLLER_STRUCTURE = 6;
    p.SETPOINT_SIGNAL = 2;
    p.SETPOINT_DIRECTION = 1;
    p.SHUT_OFF = 1;
    p.SHUT_OFF_LEVEL = 2.5f;
    p.SETPOINT_ADJUSTMENT = 1;
    p.SETPOINT_OFFSET = 25;
    p.SETPOINT_SPAN = 60;
    p.SETPOINT_SELECTION = 5;
    p.RAMP_FUNCTION = 3;
    p.RAMP_RISE_TIME = 1.5f;
    p.RAMP_FALL_TIME = 20.0f;
    p.ANALOG_OUT_SELECT = 7;
    p.FEEDBACK_SELECT = 5;
    p.AUTO_ZERO_FEEDBACK_ANALOG_IN_2 = 1;
    p.ANALOG_IN_2_SIGNAL = 1;
    p.ANALOG_IN_2_DIRECTION = 1;
    p.AUTOSAFE = 1;
    p.OVERTEMPERATURE = 1;
    p.OVERTEMPERATURE_LIMIT = 85;
    p.AUTOSAFE_SOURCE = 1;
    p.CURRENT_LIMIT_LEVEL = 1500;
    p.OPTION_INPUT_PRESSURE_SENSOR = 3;
    p.INPUT_PRESSURE_LIMIT = 70;
    p.DELAY_TIME = 7;
    p.COIL_ON_TIME = 3;
    p.COIL_OFF_TIME = 6;
    p.SELECT_FUNCTION = 6;
    p.SELECT_POLARITY = 1;
    p.DISPLAY_SELECT = 6;
    p.KEY_LOCK = 1;
    p.KEY_FUNCTION = 2;
    p.LED_YELLOW = 3;
    p.LED_GREEN = 2;
    p.LED_RED = 1;
    p.PRESSURE_SWITCH_OUTPUT_SOURCE = 2;
    p.OUTPUT_DELAY = 0.3f;
    p.OUTPUT_MODE = 1;
    p.WINDOW_SIZE = 3.0f;
    p.LIMIT_SIZE = 12.5f;
    p.LIMIT_HYSTERESIS = 0.7f;
    p.ERROR_SELECT = 4;
    p.SETPOINT_RANGE_DETECTION = 1;
    p.I_VALUE = 1;
    p.ANALOG_OUT_SIGNAL = 1;
    p.ANALOG_OUT_DIRECTION = 1;
    p.FEEDBACK_SELECT_SLAVE = 3;
    p.ANALOG_IN_1_SIGNAL = 2;
    p.ANALOG_IN_1_DIRECTION = 1;
    p.CURRENT_MIN = 120;
    p.CURRENT_MAX = 1800;
    p.AUTO_ZERO_FEEDBACK_ANALOG_IN_1 = 1;
    p.PWM = 1;
    p.SETPOINT_HYSTERESIS = 1.5f;
    p.DP = 1;
    p.RANGE_SENSOR = 2500;
    return p;
}

class EngineActionsTest : public ::testing::Test {
  protected:
    virtual LinkTiming timing() const { return kPatient; }

    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        DeviceSession::Options options;
        options.timing = timing();
        session = std::make_unique<DeviceSession>(*records, trace, notifier, strings, options);
        session->port().setDeviceOverride(sim.terminalPath());
        session->start();
        // The first action runs the baud-rate test, which opens the port.
        ASSERT_TRUE(run(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset));
        mark = requests().size();
        notifier.clear();
        trace.clear();
    }

    void TearDown() override {
        if (session) {
            session->stop();
        }
    }

    bool run(std::uint32_t bits, int code) {
        session->engine().post(bits);
        return notifier.waitFor(code);
    }
    bool waitIdle() {
        for (int i = 0; i < 5000; ++i) {
            if (session->engine().commandWord() == 0 && session->engine().step() == 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // Every request the emulator received, in order.
    std::vector<Bytes> requests() const {
        std::vector<Bytes> out;
        for (const auto& line : sim.log()) {
            if (line.direction == "rx" && line.mnemonic != "---") {
                out.push_back(line.bytes);
            }
        }
        return out;
    }
    // The requests since the set-up.
    std::vector<Bytes> actionRequests() const {
        const auto all = requests();
        return {all.begin() + static_cast<long>(std::min(mark, all.size())), all.end()};
    }

    std::string reg(const std::string& name, int value) {
        return sim.command("reg " + name + " " + std::to_string(value));
    }
    std::int64_t regValue(const std::string& name) {
        const std::string reply = sim.command("reg " + name);
        const auto space = reply.rfind(' ');
        return space == std::string::npos ? -1 : std::stoll(reply.substr(space + 1));
    }

    Devsim sim{KVT_DEVSIM_PATH};
    std::unique_ptr<Records> records = std::make_unique<Records>();
    test::RecordingTrace trace;
    test::RecordingNotifier notifier;
    test::EngineStrings strings;
    std::unique_ptr<DeviceSession> session;
    std::size_t mark = 0;
};

TEST_F(EngineActionsTest, ReadParameterDecodesWhatTheEmulatorHolds) {
    ASSERT_EQ(reg("KPR", 23).rfind("ok", 0), 0u);
    reg("CCR", 0x9A);
    reg("CAR", 0x0E);  // selection 7: kept; factory set
    reg("CFR", 0x00);
    reg("OFR", 75);
    reg("DFR", 0xE8);
    reg("DDR", 0x13);
    reg("CIR", 11);
    reg("HYR", 25);
    ParameterRecord& device = records->params.deviceSet;
    device.SETPOINT_SELECTION = 4;
    ASSERT_TRUE(run(cmd::kReadParameter, notify::kParametersRead));
    EXPECT_TRUE(records->params.deviceValid());
    EXPECT_FLOAT_EQ(device.PROPORTIONAL_GAIN, 2.3f);
    EXPECT_FLOAT_EQ(device.INTEGRATION_TIME, 0.1f);  // the emulator's own value
    EXPECT_FLOAT_EQ(device.FORWARD_GAIN, 1.0f);
    EXPECT_EQ(device.CONTROLLER_STRUCTURE, 2);
    EXPECT_EQ(device.SETPOINT_RANGE_DETECTION, 3);
    EXPECT_EQ(records->testFunction.testFunctionTypeRead, 2);
    EXPECT_EQ(device.SETPOINT_SELECTION, 4);
    EXPECT_EQ(device.PARAMETER_SET, 1);
    EXPECT_EQ(device.DISPLAY_SELECT, 7);
    EXPECT_EQ(device.SETPOINT_OFFSET, 25);
    EXPECT_EQ(device.RANGE_SENSOR, 1000);
    EXPECT_EQ(device.CURRENT_MIN, 110);
    EXPECT_FLOAT_EQ(device.SETPOINT_HYSTERESIS, 2.5f);
    EXPECT_EQ(device.AUTO_ZERO_VALUE_ANALOG_IN_1, 3);
    EXPECT_EQ(device.AUTO_ZERO_VALUE_ANALOG_IN_2, -2);
    const auto sent = actionRequests();
    ASSERT_EQ(sent.size(), 42u);
    EXPECT_EQ(sent.front(), frame(0x02, 0));
    EXPECT_EQ(sent.back(), frame(0x3f, 0));
}

TEST_F(EngineActionsTest, WriteParameterSendsFortyFramesThatTheControllerKeeps) {
    records->params.currentSet = representableSet();
    records->params.currentSet.PROPORTIONAL_GAIN = 2.35f;
    records->params.currentSet.DISPLAY_SELECT = 7;
    records->params.currentSet.SETPOINT_OFFSET = -50;
    records->testFunction.testFunctionType = 3;
    ASSERT_TRUE(run(cmd::kWriteParameter, notify::kParametersWritten));
    const auto sent = actionRequests();
    ASSERT_EQ(sent.size(), 40u);
    EXPECT_EQ(sent[0], frame(0x01, 23));
    EXPECT_EQ(sent[9], frame(0x64, 0xEE));  // structure 6, detection 1, auto zero, type 3
    EXPECT_EQ(sent[14], frame(0x0d, 0));
    EXPECT_EQ(sent[22], frame(0x6a, 0x1F));
    EXPECT_EQ(sent[36], frame(0x76, 0xC4));
    EXPECT_EQ(sent[37], frame(0x78, 0x09));
    EXPECT_EQ(regValue("KPR"), 23);
    EXPECT_EQ(regValue("CFR"), 0x1F);
    EXPECT_EQ(regValue("CIR"), 12);
    EXPECT_EQ(regValue("AZR"), 131) << "read-only values are not written";
}

TEST_F(EngineActionsTest, WriteThenReadRoundTripsAParameterSet) {
    const ParameterRecord p = representableSet();
    records->params.currentSet = p;
    records->testFunction.testFunctionType = 1;
    ASSERT_TRUE(run(cmd::kWriteParameter | cmd::kReadParameter, notify::kParametersRead));
    EXPECT_EQ(notifier.codes(),
              (std::vector<int>{notify::kParametersWritten, notify::kParametersRead}));
    ParameterRecord expected = p;
    expected.VALID = 1;
    expected.AUTO_ZERO_VALUE_ANALOG_IN_1 = 3;   // the emulator's own
    expected.AUTO_ZERO_VALUE_ANALOG_IN_2 = -2;  // auto-zero counts
    const ParameterRecord& device = records->params.deviceSet;
    for (const ParameterField& field : parameterFields()) {
        EXPECT_EQ(fieldValue(device, field), fieldValue(expected, field)) << field.name;
    }
    EXPECT_TRUE(device == expected);
    EXPECT_EQ(records->testFunction.testFunctionTypeRead, 1);
    EXPECT_EQ(actionRequests().size(), 82u);
}

class EngineActionsTimeOutTest : public EngineActionsTest {
  protected:
    LinkTiming timing() const override { return kQuickTimeOut; }
};

TEST_F(EngineActionsTimeOutTest, ThreeLostRequestsAndACleanRunCompleteTheRead) {
    sim.command("drop 3");
    ASSERT_TRUE(run(cmd::kReadParameter, notify::kParametersRead));
    EXPECT_TRUE(trace.contains("Retry 3 "));
    EXPECT_EQ(notifier.codes(), (std::vector<int>{notify::kParametersRead}));
    EXPECT_EQ(actionRequests().size(), 3u + 42u);
    EXPECT_TRUE(records->params.deviceValid());
}

TEST_F(EngineActionsTest, TheFourthBadReplyEndsTheReadWithNotification6) {
    sim.command("bad-bcc 4");
    ASSERT_TRUE(run(cmd::kReadParameter, notify::kBadReply));
    EXPECT_TRUE(waitIdle());
    EXPECT_TRUE(trace.contains("stopped "));
    EXPECT_FALSE(trace.contains("Retry 4 "));
    EXPECT_EQ(notifier.codes(), (std::vector<int>{notify::kBadReply}));
    EXPECT_FALSE(records->params.deviceValid());
}

// Three STX bytes form a well-formed one-byte reply of their own: in front of the real reply
// they would pass for it, and the status would report every alarm.
TEST_F(EngineActionsTest, StxNoiseInFrontOfAReplyIsRetriedNotBelieved) {
    ASSERT_TRUE(run(cmd::kReadStatus, notify::kStatusRead));
    const StatusInfo clean = records->status;
    ASSERT_TRUE(clean.valid());
    records->status = StatusInfo{};
    notifier.clear();
    sim.command("noise 3 0x02");
    ASSERT_TRUE(run(cmd::kReadStatus, notify::kStatusRead));
    EXPECT_TRUE(trace.contains("Reply followed by 3 more bytes"));
    EXPECT_TRUE(trace.contains("Retry 1 "));
    EXPECT_EQ(notifier.codes(), (std::vector<int>{notify::kStatusRead}));
    EXPECT_EQ(records->status.overvoltage, clean.overvoltage);
    EXPECT_EQ(records->status.undervoltage, clean.undervoltage);
    EXPECT_EQ(records->status.overtemperature, clean.overtemperature);
    EXPECT_EQ(records->status.ledRed, clean.ledRed);
}

TEST_F(EngineActionsTimeOutTest, TheFourthLostRequestEndsTheWriteWithNotification4) {
    sim.command("drop 4");
    ASSERT_TRUE(run(cmd::kWriteParameter, notify::kTimeout));
    EXPECT_TRUE(waitIdle());
    EXPECT_EQ(notifier.codes(), (std::vector<int>{notify::kTimeout}));
    EXPECT_EQ(actionRequests().size(), 4u);
}

TEST_F(EngineActionsTest, CustomFactorySwitchIsReadBack) {
    records->params.currentSet.PARAMETER_SET = 1;
    records->params.currentSet.SETPOINT_SELECTION = 2;
    ASSERT_TRUE(run(cmd::kCustomFactorySetAlt | cmd::kReadParameter, notify::kParametersRead));
    EXPECT_EQ(notifier.codes(),
              (std::vector<int>{notify::kParameterSetSent, notify::kParametersRead}));
    EXPECT_EQ(actionRequests().front(), frame(0x60, 0x25));
    EXPECT_EQ(records->params.deviceSet.PARAMETER_SET, 1);
    EXPECT_EQ(records->params.deviceSet.SETPOINT_SELECTION, 2);
    EXPECT_EQ(records->params.deviceSet.OVERTEMPERATURE, 1) << "CAS inverts bit 0";
    EXPECT_EQ(records->params.deviceSet.AUTOSAFE, 1) << "CAS inverts bit 5";
}

TEST_F(EngineActionsTest, MatrixWriteThenReadRoundTrips) {
    CalibrationRecord& cal = records->calibration;
    for (int a = 0; a < kCalArrays; ++a) {
        for (int r = 0; r < kCalRows; ++r) {
            for (int v = 0; v < 10; ++v) {
                cal.CAL_MATRIX_WRITE[a][r][v] = (a * 31 + r * 7 + v * 3 + 5) & 0xFF;
            }
        }
    }
    cal.CAL_OFFSET_WRITE = 4095;
    cal.CAL_SPAN_WRITE = 0x456;
    cal.CAL_TEMP_WRITE = 24;
    ASSERT_TRUE(run(cmd::kWriteMatrix | cmd::kReadMatrix, notify::kMatrixRead));
    EXPECT_EQ(notifier.codes(), (std::vector<int>{notify::kMatrixWritten, notify::kMatrixRead}));
    const auto sent = actionRequests();
    ASSERT_EQ(sent.size(), 57u + 57u);
    EXPECT_EQ(sent[1].size(), 13u) << "a row write is one 13-byte frame";
    EXPECT_EQ(sent[52], frame(0x5b, 0xFF));
    EXPECT_EQ(sent[53], frame(0x5d, 0x0F));
    for (int a = 0; a < kCalArrays; ++a) {
        const int lastRow = a >= 6 ? kCalRows : 1;
        for (int r = 0; r < lastRow; ++r) {
            for (int v = 0; v < 10; ++v) {
                EXPECT_EQ(cal.CAL_MATRIX_READ[a][r][v], cal.CAL_MATRIX_WRITE[a][r][v])
                    << a << "," << r << "," << v;
            }
        }
    }
    EXPECT_TRUE(cal.isMatrixPresent());
    EXPECT_EQ(cal.CAL_OFFSET_READ, 4095);
    EXPECT_EQ(cal.CAL_SPAN_READ, 0x456);
    EXPECT_EQ(cal.CAL_TEMP_READ, 24);
    // The controller keeps the last single row (array 5, address 0xFA) as written.
    std::string row;
    for (int v = 0; v < 10; ++v) {
        char text[4];
        std::snprintf(text, sizeof text, v == 0 ? "%02X" : " %02X",
                      static_cast<unsigned>(cal.CAL_MATRIX_WRITE[5][0][v]));
        row += text;
    }
    EXPECT_EQ(sim.command("mem 250"), "ok mem 250 " + row);
}

TEST_F(EngineActionsTest, CalibrationStartCheckAndStopReportTheControllersProgress) {
    records->calibration.CAL_MODE = 1;
    records->calibration.CAL_TEMP_WRITE = 22;
    ASSERT_TRUE(run(cmd::kStartCalibration, notify::kCalibrationStarted));
    EXPECT_EQ(records->calibration.CAL_TEMP_READ, 22);
    for (int expected = 1; expected <= 2; ++expected) {
        ASSERT_TRUE(waitIdle());
        session->engine().post(cmd::kCheckCalibration);
        ASSERT_TRUE(notifier.waitForCount(static_cast<std::size_t>(1 + expected)));
        EXPECT_EQ(notifier.notes().back().value, expected);
        EXPECT_EQ(records->calibration.CAL_STATUS, expected << 4 | 1);
    }
    ASSERT_TRUE(run(cmd::kStopCalibration, notify::kCalibrationStopped));
    EXPECT_EQ(notifier.notes().back().value, 2);
    EXPECT_EQ(records->calibration.CAL_STATUS, 2 << 4 | 3) << "the emulator's stopped phase";
    EXPECT_EQ(actionRequests().back(), (Bytes{0x02, 0x51, 0x00, 0x51}));
}

TEST_F(EngineActionsTest, SerialAndPwmSetpointsAndTheirWithdrawal) {
    SerialSetpoint& sp = records->serialSetpoint;
    sp = {};
    sp.serialSetpoint = 50.0f;
    sp.serialTransmit = 1;
    ASSERT_TRUE(run(cmd::kSerialSetpoint, notify::kSetpointDone));
    sp.serialTransmit = 0;
    notifier.clear();
    ASSERT_TRUE(run(cmd::kSerialSetpoint, notify::kSetpointDone));
    sp.serialSetpointMode = 1;
    sp.serialTransmit = 1;
    notifier.clear();
    ASSERT_TRUE(run(cmd::kSerialSetpoint, notify::kSetpointDone));
    // With a PWM setpoint running the controller acknowledges TCS.
    sp.serialTransmit = 0;
    notifier.clear();
    ASSERT_TRUE(run(cmd::kSerialSetpoint, notify::kSetpointDone));
    EXPECT_EQ(actionRequests(), (std::vector<Bytes>{frame(0x25, 100), frame(0x26, 0),
                                                    frame(0x7e, 127), frame(0x51, 0)}));
    EXPECT_FALSE(trace.contains("Retry 1 "));
}

TEST_F(EngineActionsTest, TestFunctionWrittenAndReadBackAndAutoAdapt) {
    records->params.currentSet.CONTROLLER_STRUCTURE = 3;
    records->testFunction.testFunctionType = 2;
    records->testFunction.testTime = 2.5f;
    ASSERT_TRUE(run(cmd::kWriteTestFunction | cmd::kReadTestFunction, notify::kTestFunctionRead));
    EXPECT_EQ(notifier.codes(),
              (std::vector<int>{notify::kTestFunctionWritten, notify::kTestFunctionRead}));
    EXPECT_EQ(records->testFunction.testFunctionTypeRead, 2);
    EXPECT_EQ(records->params.deviceSet.CONTROLLER_STRUCTURE, 3);
    // The inverted bit 5 of Write Test Function reads back as auto zero on.
    EXPECT_EQ(records->params.deviceSet.AUTO_ZERO_FEEDBACK_ANALOG_IN_1, 1);
    notifier.clear();
    ASSERT_TRUE(run(cmd::kWriteAutoAdapt, notify::kAutoAdaptWritten));
    EXPECT_EQ(actionRequests(),
              (std::vector<Bytes>{frame(0x64, 0xA3), frame(0x56, 25), frame(0x65, 0),
                                  Bytes{0x02, 0x91, 0x01, 0x92}}));
}

}  // namespace
}  // namespace kvt
