// Read Parameter, Write Parameter and the Custom/Factory switch against a scripted controller on
// a pseudo-terminal. The wire table's bytes both ways are held in ParameterGoldenTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "KnownParameterSet.h"
#include "engine/ActionEngine.h"
#include "engine/ParameterWireTable.h"
#include "link/Frame.h"
#include "support/EngineTestSupport.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::frame;

bool isWriteCode(std::uint8_t code) {
    const auto table = parameterWireTable();
    return std::any_of(table.begin(), table.end(), [code](const WireLine& line) {
        return line.writable() && line.writeCode == code;
    });
}

// A controller that keeps one byte per read code; a write stores into the read code above it.
struct RegisterController {
    std::array<std::atomic<std::uint8_t>, 256> reg{};
    std::atomic<int> faultCode{-1};  // the request code the faults apply to; -1 any
    std::atomic<int> drop{0};
    std::atomic<int> corrupt{0};
    std::atomic<int> nak{0};

    bool faultApplies(std::uint8_t code) const {
        return faultCode.load() < 0 || faultCode.load() == code;
    }

    Bytes answer(const Bytes& req) {
        const std::uint8_t code = req[1];
        if (faultApplies(code) && drop > 0) {
            --drop;
            return {};
        }
        if (faultApplies(code) && nak > 0) {
            --nak;
            return {NAK};
        }
        Bytes reply;
        if (isWriteCode(code)) {
            reg[code + 1] = req[2];
            reply = {ACK};
        } else {
            const std::uint8_t b = reg[code];
            reply = {STX, b, b};
        }
        if (faultApplies(code) && corrupt > 0 && reply.size() == 3) {
            --corrupt;
            reply.back() ^= 0x5A;
        }
        return reply;
    }
};

// ---------------------------------------------------------------- wire table

const WireLine& line(const char* mnemonic) {
    const WireLine* l = findWireLine(mnemonic);
    EXPECT_NE(l, nullptr) << mnemonic;
    return *l;
}

struct WireTableTest : ::testing::Test {
    std::uint8_t write(const char* mnemonic) const { return encodeLine(line(mnemonic), set, tf); }

    ParameterRecord set{};
    TestFunctionState tf{};
};

TEST_F(WireTableTest, AFieldSetFromANumberHoldsWhatTheLineSendsForIt) {
    // One rule both ways: the byte of a number is the byte of the field set from it.
    const ParameterField& cycle = *findParameterField("CONTROL_CYCLE_TIME");
    for (const double v : {5.0, 5.9, -1.5, 255.99, 300.4, -0.7, 1e12}) {
        setFieldValue(set, cycle, v);
        EXPECT_EQ(write("CYR"), lineByte(v)) << v;
    }
}

// ---------------------------------------------------------------- actions

// The frames Write Parameter sends for a set: the wire table's writes in table order. Their
// bytes are held in ParameterGoldenTest.
std::vector<Bytes> writeFramesOf(const ParameterRecord& set, int testFunctionType = 0) {
    TestFunctionState tf{};
    tf.testFunctionType = testFunctionType;
    std::vector<Bytes> frames;
    for (const WireLine& line : parameterWireTable()) {
        if (line.writable()) {
            frames.push_back(frame(line.writeCode, encodeLine(line, set, tf)));
        }
    }
    return frames;
}

class ParameterActionsTest : public test::ScriptedControllerTest<RegisterController> {
  protected:
    void SetUp() override {
        controller.reg[0x23] = 23;  // firmware, for the baud-rate test
        ScriptedControllerTest::SetUp();
    }

    void connect() {
        ASSERT_TRUE(h.run(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset));
        ASSERT_TRUE(h.waitIdle());
        h.notifier().clear();
        h.trace().clear();
    }
};

TEST_F(ParameterActionsTest, WriteParameterSendsTheFortyFramesOfTheTable) {
    h.records().params.currentSet = test::knownParameterSet();
    h.records().testFunction.testFunctionType = 2;
    ASSERT_TRUE(h.run(cmd::kWriteParameter, notify::kParametersWritten));
    const auto requests = actionRequests();
    const std::vector<Bytes> frames = writeFramesOf(test::knownParameterSet(), 2);
    ASSERT_EQ(requests.size(), frames.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i], frames[i]) << "frame " << i;
    }
    EXPECT_TRUE(h.trace().contains(" Write Parameter "));
    const auto notes = h.notifier().notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_TRUE(notes[0].sent);
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(h.engine().commandWord(), 0u);
}

TEST_F(ParameterActionsTest, ReadParameterSendsTheFortyTwoReadsAndDecodesTheReplies) {
    const std::pair<std::uint8_t, std::uint8_t> held[] = {
        {0x02, 23}, {0x65, 0x9A}, {0x7f, 126}, {0x77, 0xE8}, {0x79, 0x13}};
    for (const auto& [code, value] : held) {
        controller.reg[code] = value;
    }
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kParametersRead));
    const auto requests = actionRequests();
    const auto table = parameterWireTable();
    ASSERT_EQ(requests.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(requests[i], frame(table[i].readCode, 0)) << table[i].readMnemonic;
    }
    // The replies reach the device set; the decoding of every line is held in
    // ParameterGoldenTest.
    const ParameterRecord& d = h.records().params.deviceSet;
    EXPECT_TRUE(h.records().params.deviceValid());
    EXPECT_FLOAT_EQ(d.PROPORTIONAL_GAIN, 2.3f);
    EXPECT_EQ(d.CONTROLLER_STRUCTURE, 2);  // 0x9A = 10 011 010
    EXPECT_EQ(h.records().testFunction.testFunctionTypeRead, 2);
    EXPECT_EQ(h.records().testFunction.testFunctionReadMark, 1);
    EXPECT_EQ(d.AUTO_ZERO_VALUE_ANALOG_IN_2, -2);
    EXPECT_EQ(d.RANGE_SENSOR, 1000);
    EXPECT_TRUE(h.trace().contains("Read Parameter"));
    const auto notes = h.notifier().notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].code, notify::kParametersRead);
    EXPECT_TRUE(notes[0].sent);
}

TEST_F(ParameterActionsTest, WriteThenReadRoundTripsAParameterSet) {
    ParameterRecord p = test::knownParameterSet();
    // Values that the line carries exactly.
    p.PROPORTIONAL_GAIN = 2.3f;
    p.FEEDBACK_SELECT_SLAVE = 2;
    p.CURRENT_MIN = 100;
    p.CURRENT_MAX = 1270;
    p.SETPOINT_HYSTERESIS = 1.0f;
    p.SLAVE_GAIN = 0.0f;
    h.records().params.currentSet = p;
    h.records().testFunction.testFunctionType = 1;
    controller.reg[0x55] = 130;
    controller.reg[0x7f] = 120;
    ASSERT_TRUE(h.run(cmd::kWriteParameter | cmd::kReadParameter, notify::kParametersRead));
    EXPECT_EQ(h.notifier().codes(),
              (std::vector<int>{notify::kParametersWritten, notify::kParametersRead}));
    ParameterRecord expected = p;
    expected.VALID = 1;
    expected.AUTO_ZERO_VALUE_ANALOG_IN_1 = 2;
    expected.AUTO_ZERO_VALUE_ANALOG_IN_2 = -8;
    const ParameterRecord& d = h.records().params.deviceSet;
    EXPECT_TRUE(d == expected);
    for (const ParameterField& field : parameterFields()) {
        EXPECT_EQ(fieldValue(d, field), fieldValue(expected, field)) << field.name;
    }
    EXPECT_EQ(h.records().testFunction.testFunctionTypeRead, 1);
    EXPECT_EQ(actionRequests().size(), 40u + 42u);
}

TEST_F(ParameterActionsTest, ForwardValuesReachTheDeviceSetOnlyWithTheControllerStructure) {
    connect();
    h.records().params.deviceSet.FORWARD_OFFSET = 99;
    h.records().params.deviceSet.FORWARD_GAIN = 9.0f;
    controller.reg[0x33] = 12;
    controller.reg[0x35] = 150;
    controller.faultCode = 0x65;  // CCR never answers properly
    controller.corrupt = 4;
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kBadReply));
    EXPECT_EQ(h.records().params.deviceSet.FORWARD_OFFSET, 99);
    EXPECT_FLOAT_EQ(h.records().params.deviceSet.FORWARD_GAIN, 9.0f);
    EXPECT_FALSE(h.records().params.deviceValid());

    h.notifier().clear();
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kParametersRead));
    EXPECT_EQ(h.records().params.deviceSet.FORWARD_OFFSET, 12);
    EXPECT_FLOAT_EQ(h.records().params.deviceSet.FORWARD_GAIN, 1.5f);
}

TEST_F(ParameterActionsTest, ThreeFailuresAndACleanRunCompleteTheRead) {
    connect();
    controller.faultCode = 0x49;  // ASR, the 25th read
    controller.corrupt = 2;
    controller.nak = 0;
    controller.drop = 1;
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kParametersRead));
    EXPECT_TRUE(h.trace().contains("Retry 1 "));
    EXPECT_TRUE(h.trace().contains("Retry 2 "));
    EXPECT_TRUE(h.trace().contains("Retry 3 "));
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kParametersRead}));
    EXPECT_TRUE(h.records().params.deviceValid());
    // Every retry starts again at KPR: 3 × 25 requests, then the 42 of the clean run.
    const auto requests = actionRequests();
    ASSERT_EQ(requests.size(), 3u * 25u + 42u);
    EXPECT_EQ(requests[25][1], 0x02);
    EXPECT_EQ(requests[50][1], 0x02);
    EXPECT_EQ(requests[75][1], 0x02);
    EXPECT_EQ(h.trace().count("Read Parameter"), 4);
    // The read resets ACTION_RETRY once it has all replies.
    EXPECT_EQ(h.session().link().status[StatusActionRetry].load(), 0u);
}

TEST_F(ParameterActionsTest, TheFourthFailureAnywhereEndsTheRead) {
    connect();
    // A failure at KPR, then three more at different lines of the restarted read: the count
    // covers the whole action.
    h.setScript([this, seen = 0](const Bytes& req) mutable {
        const int n = ++seen;
        if (n == 1 || n == 2 + 10 || n == 2 + 10 + 1 + 30 || n == 2 + 10 + 1 + 30 + 1 + 41) {
            return Bytes{STX, 0x40, 0x41};
        }
        return controller.answer(req);
    });
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kBadReply));
    EXPECT_TRUE(h.waitIdle());
    EXPECT_TRUE(h.trace().contains("stopped "));
    EXPECT_TRUE(h.trace().contains("Retry 3 "));
    EXPECT_FALSE(h.trace().contains("Retry 4 "));
    const auto notes = h.notifier().notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_FALSE(notes[0].sent);
    EXPECT_FALSE(h.records().params.deviceValid());
    EXPECT_EQ(h.engine().commandWord(), 0u);
}

// Three STX bytes form a well-formed one-byte reply of their own: in front of the real reply they
// would pass for it. Bytes still waiting behind a reply make the exchange fail and the read
// restart, so the set comes out as the controller holds it.
TEST_F(ParameterActionsTest, StxNoiseInFrontOfAReplyIsRetriedNotBelieved) {
    connect();
    for (int code = 0; code < 256; code += 2) {
        controller.reg[code] = static_cast<std::uint8_t>(code * 7 + 11);
    }
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kParametersRead));
    const ParameterRecord clean = h.records().params.deviceSet;
    h.records().params.deviceSet = ParameterRecord{};
    h.notifier().clear();
    h.setScript([this, seen = 0](const Bytes& req) mutable {
        Bytes reply = controller.answer(req);
        if (++seen == 3) {
            reply.insert(reply.begin(), {STX, STX, STX});
        }
        return reply;
    });
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kParametersRead));
    EXPECT_EQ(h.trace().count("Reply followed by 3 more bytes"), 1);
    EXPECT_TRUE(h.trace().contains("Retry 1 "));
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kParametersRead}));
    EXPECT_EQ(std::memcmp(&h.records().params.deviceSet, &clean, sizeof clean), 0);
}

TEST_F(ParameterActionsTest, TimeOutsEndTheWriteWithNotification4AndNameTheRequest) {
    connect();
    controller.faultCode = 0x05;  // TDS
    controller.drop = 4;
    ASSERT_TRUE(h.run(cmd::kWriteParameter, notify::kTimeout));
    int named = 0;
    for (const auto& line : h.trace().lines()) {
        if (line.text.rfind("Action TDS '0x5' Step x8d, Error:3 ", 0) == 0) {
            EXPECT_EQ(line.kind, 4);
            ++named;
        }
    }
    EXPECT_EQ(named, 4);
    EXPECT_FALSE(h.trace().contains("Retry 4 "));
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kTimeout}));
}

TEST_F(ParameterActionsTest, ABadReplyIsTracedWithTheLinesMnemonicAndStep) {
    connect();
    controller.faultCode = 0x06;  // TDR, the third read: steps 0xb..0xd
    controller.reg[0x06] = 0x11;
    controller.corrupt = 1;
    ASSERT_TRUE(h.run(cmd::kReadParameter, notify::kParametersRead));
    int checksumLines = 0;
    for (const auto& line : h.trace().lines()) {
        if (line.kind == 7) {
            ++checksumLines;
            EXPECT_EQ(line.text, "Action TDR '0x6' Step xd, Error:2 0:0x2 1:0x11 2:0x4b bcc:92 ");
        }
    }
    EXPECT_EQ(checksumLines, 1);
}

TEST_F(ParameterActionsTest, ANakToAWriteIsRetriedFromTheFirstWrite) {
    connect();
    h.records().params.currentSet = test::knownParameterSet();
    controller.faultCode = 0x60;  // CAS of Write Parameter, the 12th write
    controller.nak = 1;
    ASSERT_TRUE(h.run(cmd::kWriteParameter, notify::kParametersWritten));
    const auto requests = actionRequests();
    ASSERT_EQ(requests.size(), 12u + 40u);
    EXPECT_EQ(requests[12], writeFramesOf(test::knownParameterSet())[0]);
    EXPECT_TRUE(h.trace().contains("Retry 1 "));
    EXPECT_EQ(h.trace().count(" Write Parameter "), 2);
}

TEST_F(ParameterActionsTest, CustomFactorySwitchSendsCasAndTheReadBackFollows) {
    h.records().params.currentSet = test::knownParameterSet();
    h.records().params.currentSet.PARAMETER_SET = 1;  // Factory
    ASSERT_TRUE(h.run(cmd::kCustomFactorySet | cmd::kReadParameter, notify::kParametersRead));
    const auto requests = actionRequests();
    ASSERT_EQ(requests.size(), 1u + 42u);
    // Overtemperature 1 and autosafe 1 are sent as clear bits; selection 4, direction 1.
    EXPECT_EQ(requests[0], frame(0x60, 0x18));
    EXPECT_EQ(h.notifier().codes(),
              (std::vector<int>{notify::kParameterSetSent, notify::kParametersRead}));
    EXPECT_TRUE(h.trace().contains(" Custom, Factory Parameter Send "));
    EXPECT_EQ(h.records().params.deviceSet.PARAMETER_SET, 1);

    h.notifier().clear();
    ASSERT_TRUE(h.run(cmd::kCustomFactorySetAlt, notify::kParameterSetSent));
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(h.engine().commandWord(), 0u);
}

}  // namespace
}  // namespace kvt
