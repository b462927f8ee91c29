// Start, Check and Stop Calibration and the matrix transfers against a scripted controller on a
// pseudo-terminal, and the progress reports of test mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>

#include "engine/ActionEngine.h"
#include "link/Frame.h"
#include "support/EngineTestSupport.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Notes = std::vector<test::RecordingNotifier::Note>;
using test::dataReply;
using test::EngineHarness;
using test::frame;

// The 26 rows in transfer order: arrays 0..5 have one row, arrays 6 and 7 ten.
struct Row {
    std::uint8_t address;
    int array, row;
};
std::vector<Row> transferRows() {
    std::vector<Row> out;
    const std::uint8_t single[] = {0x00, 0x0A, 0x14, 0x1E, 0xF0, 0xFA};
    for (int a = 0; a < 6; ++a) {
        out.push_back({single[a], a, 0});
    }
    for (int a = 6; a < 8; ++a) {
        for (int r = 0; r < 10; ++r) {
            out.push_back({static_cast<std::uint8_t>((a == 6 ? 0x28 : 0x8C) + 10 * r), a, r});
        }
    }
    return out;
}

// A controller with the calibration registers and 260 bytes of matrix memory. Replies to a
// chosen code (at a chosen row) can be corrupted after letting some through.
struct CalibrationController {
    std::array<std::atomic<std::uint8_t>, 256> reg{};
    std::array<std::atomic<std::uint8_t>, 260> mem{};
    std::atomic<int> address{0};
    std::atomic<int> corruptCode{-1};
    std::atomic<int> corruptAddress{-1};  // -1: a reply whatever row is selected
    std::atomic<int> corruptSkip{0};
    std::atomic<int> corrupt{0};

    CalibrationController() {
        for (std::size_t i = 0; i < mem.size(); ++i) {
            mem[i] = static_cast<std::uint8_t>(i * 3 + 1);
        }
    }

    Bytes answer(const Bytes& req) {
        Bytes reply = replyFor(req);
        if (req[1] == corruptCode && reply.size() > 1 &&
            (corruptAddress < 0 || corruptAddress == address)) {
            if (corruptSkip > 0) {
                --corruptSkip;
            } else if (corrupt > 0) {
                --corrupt;
                reply.back() ^= 0x33;
            }
        }
        return reply;
    }

    Bytes replyFor(const Bytes& req) {
        const std::uint8_t code = req[1];
        auto among = [code](std::initializer_list<int> codes) {
            return std::find(codes.begin(), codes.end(), code) != codes.end();
        };
        if (among({0x53, 0x5b, 0x5d, 0x57, 0x59})) {  // a write, read back under code + 1
            reg[code + 1] = req[2];
            return {ACK};
        }
        if (among({0x54, 0x5c, 0x5e, 0x58, 0x5a, 0x5f, 0x51})) {
            return dataReply({reg[code]});
        }
        switch (code) {
            case 0x23:
                return dataReply({23});
            case 0x50:
                return {ACK};
            case 0x73:
                address = req[2];
                return {ACK};
            case 0x74:
                std::copy(req.begin() + 2, req.begin() + 12, mem.begin() + address);
                return {ACK};
            case 0x75:
                return dataReply(Bytes(mem.begin() + address, mem.begin() + address + 10));
            default:
                return {};
        }
    }
};

class CalibrationActionsTest : public test::ScriptedControllerTest<CalibrationController> {
  protected:
    CalibrationRecord& cal() { return h.records().calibration; }
};

TEST_F(CalibrationActionsTest, StartSendsModeAndTemperatureAndReadsTheTemperatureBack) {
    cal().CAL_MODE = 5;  // no such mode: sent as 0
    cal().CAL_TEMP_WRITE = 0x1234;
    cal().CAL_OFFSET_VALID = 1;
    cal().CAL_SPAN_VALID = 1;
    ASSERT_TRUE(h.run(cmd::kStartCalibration, notify::kCalibrationStarted));
    EXPECT_EQ(actionRequests(),
              (std::vector<Bytes>{frame(0x50, 0), frame(0x53, 0x34), frame(0x54, 0)}));
    EXPECT_EQ(cal().CAL_TEMP_READ, 0x34);
    EXPECT_EQ(cal().CAL_TEMP_VALID, 1);
    EXPECT_EQ(cal().CAL_OFFSET_VALID, 0);
    EXPECT_EQ(cal().CAL_SPAN_VALID, 0);
    EXPECT_TRUE(h.trace().contains(" Start Calibration "));
    EXPECT_EQ(h.notifier().notes(), (Notes{{notify::kCalibrationStarted, 0, false}}));

    cal().CAL_MODE = 2;
    h.notifier().clear();
    ASSERT_TRUE(h.run(cmd::kStartCalibration, notify::kCalibrationStarted));
    EXPECT_EQ(actionRequests()[3], frame(0x50, 2));
}

TEST_F(CalibrationActionsTest, CheckAndStopReportTheHighNibbleOfTheStatus) {
    controller.reg[0x5f] = 0xF3;
    controller.reg[0x5c] = 0x34;
    controller.reg[0x5e] = 0xF2;
    controller.reg[0x58] = 0x10;
    controller.reg[0x5a] = 0x1C;
    ASSERT_TRUE(h.run(cmd::kCheckCalibration, notify::kCalibrationChecked));
    EXPECT_EQ(actionRequests(), (std::vector<Bytes>{frame(0x5f, 0), frame(0x5c, 0), frame(0x5e, 0),
                                                    frame(0x58, 0), frame(0x5a, 0)}));
    EXPECT_EQ(cal().CAL_STATUS, 0xF3);
    EXPECT_EQ(cal().CAL_STATUS_VALID, 1);
    EXPECT_EQ(cal().CAL_OFFSET_READ, 0x234) << "only the low nibble of OHR counts";
    EXPECT_EQ(cal().CAL_OFFSET_VALID, 1);
    EXPECT_EQ(cal().CAL_SPAN_READ, 0xC10);
    EXPECT_EQ(cal().CAL_SPAN_VALID, 1);
    EXPECT_TRUE(h.trace().contains(" Check Calibration "));

    controller.reg[0x51] = 0x52;
    ASSERT_TRUE(h.run(cmd::kStopCalibration, notify::kCalibrationStopped));
    EXPECT_EQ(actionRequests().back(), (Bytes{0x02, 0x51, 0x00, 0x51}));
    EXPECT_EQ(cal().CAL_STATUS, 0x52);
    EXPECT_TRUE(h.trace().contains(" Stop Calibration "));
    EXPECT_EQ(h.notifier().notes(), (Notes{{notify::kCalibrationChecked, 15, true},
                                           {notify::kCalibrationStopped, 5, true}}));
}

TEST_F(CalibrationActionsTest, StopClearsEveryCalibrationBit) {
    ASSERT_TRUE(h.run(cmd::kStopCalibration, notify::kCalibrationStopped));
    h.stop();
    h.engine().post(cmd::kStartCalibration | cmd::kCheckCalibration | cmd::kStopCalibration |
                    cmd::kReadMatrix);
    h.engine().goTo(0x133);
    h.engine().pass();
    EXPECT_EQ(h.engine().commandWord(), cmd::kReadMatrix);
    EXPECT_EQ(h.engine().step(), 0u);
}

TEST_F(CalibrationActionsTest, ReadMatrixTransfersTwentySixRowsThenDacAndTemperature) {
    controller.reg[0x5c] = 0x34;
    controller.reg[0x5e] = 0x02;
    controller.reg[0x58] = 0x78;
    controller.reg[0x5a] = 0x06;
    controller.reg[0x54] = 21;
    cal().CAL_MATRIX_READ[0][5][10] = 0x0101;  // a row that is not transferred
    ASSERT_TRUE(h.run(cmd::kReadMatrix, notify::kMatrixRead));
    std::vector<Bytes> expected;
    for (const Row& r : transferRows()) {
        expected.push_back(frame(0x73, r.address));
        expected.push_back(frame(0x75, 0));
    }
    for (std::uint8_t code : {0x5c, 0x5e, 0x58, 0x5a, 0x54}) {
        expected.push_back(frame(code, 0));
    }
    EXPECT_EQ(actionRequests(), expected);
    for (const Row& r : transferRows()) {
        for (int v = 0; v < 10; ++v) {
            EXPECT_EQ(cal().CAL_MATRIX_READ[r.array][r.row][v],
                      static_cast<std::uint8_t>((r.address + v) * 3 + 1))
                << r.array << "," << r.row << "," << v;
        }
        EXPECT_EQ(cal().CAL_MATRIX_READ[r.array][r.row][10] & 0xFF, 1);
    }
    EXPECT_EQ(cal().CAL_MATRIX_READ[0][5][10], 0x0100) << "only the mark byte is cleared";
    EXPECT_TRUE(cal().isMatrixPresent());
    EXPECT_EQ(cal().CAL_OFFSET_READ, 0x234);
    EXPECT_EQ(cal().CAL_SPAN_READ, 0x678);
    EXPECT_EQ(cal().CAL_TEMP_READ, 21);
    EXPECT_EQ(h.notifier().notes(), (Notes{{notify::kMatrixRead, 0, false}}));
    EXPECT_TRUE(h.trace().contains(" Read Matrix "));
}

TEST_F(CalibrationActionsTest, ABadRowRestartsTheReadFromArrayZero) {
    controller.corruptCode = 0x75;
    controller.corruptSkip = 4;
    controller.corrupt = 1;
    ASSERT_TRUE(h.run(cmd::kReadMatrix, notify::kMatrixRead));
    const auto requests = actionRequests();
    ASSERT_EQ(requests.size(), 10u + 57u);
    EXPECT_EQ(requests[10], frame(0x73, 0x00));
    EXPECT_TRUE(h.trace().contains("Retry 1 "));
    EXPECT_EQ(h.trace().count(" Read Matrix "), 2);
    EXPECT_TRUE(cal().isMatrixPresent());
}

TEST_F(CalibrationActionsTest, AReadThatFailsLeavesNoMatrixPresent) {
    cal().matrixPresent() = 1;
    cal().CAL_MATRIX_READ[3][0][10] = 1;
    controller.corruptCode = 0x75;
    controller.corruptAddress = 0x14;  // array 2, the third row of every attempt
    controller.corrupt = 4;
    ASSERT_TRUE(h.run(cmd::kReadMatrix, notify::kBadReply));
    EXPECT_FALSE(cal().isMatrixPresent());
    // Rows read before the failure keep their marks.
    const int marks[] = {1, 1, 0, 0};
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(cal().CAL_MATRIX_READ[a][0][10], marks[a]) << a;
    }
    EXPECT_TRUE(h.trace().contains("stopped "));
    int named = 0;
    for (const auto& line : h.trace().lines()) {
        if (line.kind == 7) {
            ++named;
            EXPECT_EQ(line.text.rfind("Action WAR '0x75' Step x356, Error:2 ", 0), 0u);
        }
    }
    EXPECT_EQ(named, 4);
}

TEST_F(CalibrationActionsTest, WriteMatrixSendsEveryRowThenDacAndTemperature) {
    for (int a = 0; a < 8; ++a) {
        for (int r = 0; r < 10; ++r) {
            for (int v = 0; v < 10; ++v) {
                cal().CAL_MATRIX_WRITE[a][r][v] = 0x100 + a * 16 + r * 10 + v;  // low byte sent
            }
        }
    }
    cal().CAL_OFFSET_WRITE = 4095;
    cal().CAL_SPAN_WRITE = 0x0ABC;
    cal().CAL_TEMP_WRITE = 25;
    ASSERT_TRUE(h.run(cmd::kWriteMatrix, notify::kMatrixWritten));
    std::vector<Bytes> expected;
    for (const Row& r : transferRows()) {
        Bytes values;
        for (int v = 0; v < 10; ++v) {
            values.push_back(static_cast<std::uint8_t>(r.array * 16 + r.row * 10 + v));
        }
        Bytes was = {STX, 0x74};
        was.insert(was.end(), values.begin(), values.end());
        was.push_back(static_cast<std::uint8_t>(0x74 + ComputeBcc(values)));
        expected.push_back(frame(0x73, r.address));
        expected.push_back(was);
        EXPECT_EQ(controller.mem[r.address + 9u].load(), values[9]);
    }
    for (const Bytes& dac : {frame(0x5b, 0xFF), frame(0x5d, 0x0F), frame(0x57, 0xBC),
                             frame(0x59, 0x0A), frame(0x53, 25)}) {
        expected.push_back(dac);
    }
    EXPECT_EQ(actionRequests(), expected);
    EXPECT_EQ(h.notifier().notes(), (Notes{{notify::kMatrixWritten, 0, false}}));
    EXPECT_TRUE(h.trace().contains(" Write Matrix "));
}

// In test mode the simulated controller's status byte never changes; the engine reports its own
// count of status replies instead.
TEST(CalibrationTestMode, ProgressIsTheEnginesCountOfStatusReplies) {
    EngineHarness::Config config;
    config.timing = test::kPatient;
    config.testMode = 1;
    EngineHarness h(config);
    h.start();
    // Each action is posted once the one before has ended.
    const std::uint32_t sequence[] = {cmd::kStartCalibration, cmd::kCheckCalibration,
                                      cmd::kCheckCalibration, cmd::kStopCalibration};
    std::size_t ended = 0;
    for (std::uint32_t bit : sequence) {
        h.engine().post(bit);
        ASSERT_TRUE(h.notifier().waitForCount(++ended));
    }
    EXPECT_EQ(h.notifier().notes(), (Notes{{notify::kCalibrationStarted, 0, false},
                                           {notify::kCalibrationChecked, 1, true},
                                           {notify::kCalibrationChecked, 2, true},
                                           {notify::kCalibrationStopped, 2, true}}));
    const CalibrationRecord& cal = h.records().calibration;
    EXPECT_EQ(cal.CAL_STATUS, 2);
    EXPECT_EQ(cal.CAL_OFFSET_READ, 0x310);
    EXPECT_EQ(cal.CAL_TEMP_READ, 0x1b);
    EXPECT_TRUE(h.requests().empty()) << "nothing goes on the line in test mode";
}

}  // namespace
}  // namespace kvt
