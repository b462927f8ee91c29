#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine/ActionEngine.h"
#include "link/Frame.h"
#include "support/EngineHarness.h"
#include "support/EngineTestSupport.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::dataReply;
using test::EngineHarness;
using test::lineSpeed;
using namespace std::chrono_literals;

// A controller with fixed device data that answers only at its own baud rate.
struct Controller {
    std::atomic<int> baud{19200};
    std::atomic<std::uint8_t> firmware{23};
    std::atomic<std::uint8_t> str{0x81};
    std::atomic<std::uint8_t> ler{0x39};
    std::atomic<int> dropNext{0};  // requests left unanswered
    std::atomic<int> corruptNext{0};

    Bytes answer(const test::Pty& pty, const Bytes& req) {
        if (lineSpeed(pty.masterFd()) != baud) {
            return {};
        }
        if (dropNext > 0) {
            --dropNext;
            return {};
        }
        Bytes reply = replyFor(req);
        if (corruptNext > 0 && !reply.empty()) {
            --corruptNext;
            reply.back() ^= 0xFF;
        }
        return reply;
    }

    Bytes replyFor(const Bytes& req) const {
        switch (req[1]) {
            case 0x23:
                return dataReply({firmware.load()});
            case 0x70:
                return dataReply({0x12, 0x34, 0x56, 0x00, 0x2A, 0x00, 0x30, 0x39, 0x11, 0x07});
            case 0x71:
                return dataReply({0x00, 0x05, 0xA0, 3, 0x21, 0x06, 0x15, 9});
            case 0x52:
                return dataReply({0x2D});
            case 0x54:
                return dataReply({25});
            case 0x96:
                return dataReply({'8', '0', '1', '2', '3', '4', '5', '6', '7', '8'});
            case 0x98:
                return dataReply({'A', 'B', 'C', ' ', ' ', ' ', ' ', ' ', ' ', ' '});
            case 0x6c:
                return dataReply({str.load()});
            case 0x6e:
                return dataReply({ler.load()});
            default:
                return {};
        }
    }
};

class ActionEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.setScript([this](const Bytes& req) { return controller.answer(h.pty(), req); });
        h.start();
    }

    std::vector<std::uint8_t> requestCodes() const {
        std::vector<std::uint8_t> out;
        for (const auto& r : h.requests()) {
            out.push_back(r[1]);
        }
        return out;
    }

    // Waits (real time, bounded) until the engine awaits a reply.
    bool awaitingReply() {
        for (int i = 0; i < 20000; ++i) {
            if (h.session().link().RECEIVE_STATE.load() == ReceiveAwaited) {
                return true;
            }
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    // Elapsed time on the harness's clock, which only the time-outs and pauses move.
    std::uint32_t clockSince(std::uint32_t start) { return h.ticks().nowMs() - start; }

    Controller controller;
    // The controller's own time-outs and retry pause, on a clock that moves only when one of
    // them has to run out.
    EngineHarness h{EngineHarness::Config{LinkTiming{}, 0, true}};
};

// With the baud rate found and the status read once, the notes and trace cleared.
class ActionEngineAfterStatusRead : public ActionEngineTest {
  protected:
    void SetUp() override {
        ActionEngineTest::SetUp();
        ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kStatusRead));
        h.notifier().clear();
        h.trace().clear();
    }
};

TEST_F(ActionEngineTest, TheBaudRateTestRunsFirstAndOpensThePortAt19200) {
    ASSERT_TRUE(h.run(cmd::kReadDeviceInfo, notify::kDeviceInfoRead));
    EXPECT_EQ(h.records().port.baudCode.load(), PortSettings::Baud19200);
    EXPECT_TRUE(h.trace().contains(" Send Baudrate Test "));
    EXPECT_TRUE(h.trace().contains(" Baudrate Test successfull "));
    EXPECT_TRUE(h.trace().contains("THREAD_CMD: 0x10080 "));
    EXPECT_EQ(requestCodes().front(), 0x23);
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kDeviceInfoRead}));
    EXPECT_TRUE(h.waitIdle());
}

TEST_F(ActionEngineTest, TheBaudRateTestMovesOnTo57600) {
    controller.baud = 57600;
    const std::uint32_t start = h.ticks().nowMs();
    ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kStatusRead));
    EXPECT_EQ(clockSince(start), 10000u) << "one reply time-out at 19200, no retry pause";
    EXPECT_EQ(h.records().port.baudCode.load(), PortSettings::Baud57600);
    EXPECT_TRUE(h.trace().contains(" Init Com Port, ok with Baudrate: 19200"));
    EXPECT_TRUE(h.trace().contains(" Init Com Port, ok with Baudrate: 57600"));
    EXPECT_EQ(h.trace().count(" Send Baudrate Test "), 2);
}

TEST_F(ActionEngineTest, NoAnswerAtAnyRateEndsWithNotification7) {
    controller.baud = 0;
    const std::uint32_t start = h.ticks().nowMs();
    ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kBaudrateFailed));
    EXPECT_EQ(clockSince(start), 20000u);
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(h.records().port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_EQ(h.engine().commandWord(), 0u);
    EXPECT_FALSE(h.session().port().isOpen());
    EXPECT_EQ(h.trace().count("Receive Timeout max retry"), 2);
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kBaudrateFailed}));
}

TEST_F(ActionEngineTest, AnOldFirmwareIsRefusedWithOneMessage) {
    controller.firmware = 2;
    h.engine().post(cmd::kReadDeviceInfo);
    ASSERT_TRUE(h.waitIdle());
    ASSERT_TRUE(h.settle());  // a looping engine would show more boxes before it slept
    const auto boxes = h.notifier().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Controller Firmware must be greater 2");
    EXPECT_EQ(h.records().port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_TRUE(h.notifier().codes().empty());
    EXPECT_EQ(h.records().deviceInfo.firmwareVersion, 2);
}

TEST_F(ActionEngineTest, ReadDeviceInfoDecodesEveryField) {
    controller.firmware = 6;
    ASSERT_TRUE(h.run(cmd::kReadDeviceInfo, notify::kDeviceInfoRead));
    const DeviceInfo& d = h.records().deviceInfo;
    EXPECT_EQ(std::vector<int>(std::begin(d.partNumberDigits), std::end(d.partNumberDigits)),
              (std::vector<int>{1, 2, 3, 4, 5, 6}));
    // Suffix, serial, production year and week, minutes, calibration counter, year and status,
    // module and calibration temperature, firmware.
    EXPECT_EQ((std::vector<int>{d.partNumberSuffix, d.serialNumber, d.productionYear,
                                d.productionWeek, d.operationMinutes, d.calibrationCounter,
                                d.calibrationYear, d.calibrationStatus, d.moduleTemperature,
                                d.calibrationTemperature, d.firmwareVersion}),
              (std::vector<int>{0x2A, 12345, 0x11, 0x07, 1440, 3, 0x21, 9, -5, 25, 6}));
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.partNumberText1[0], 0) << "firmware 6 has no textual part number";
    EXPECT_EQ(requestCodes(), (std::vector<std::uint8_t>{0x23, 0x70, 0x23, 0x71, 0x52, 0x54}));
}

TEST_F(ActionEngineTest, ReadDeviceInfoReadsTheTextualPartNumberFromFirmware7) {
    controller.firmware = 7;
    ASSERT_TRUE(h.run(cmd::kReadDeviceInfo, notify::kDeviceInfoRead));
    const DeviceInfo& d = h.records().deviceInfo;
    EXPECT_EQ(d.partNumberText1[0], '8');
    EXPECT_EQ(d.partNumberText1[9], '8');
    EXPECT_EQ(d.partNumberText2[2], 'C');
    EXPECT_EQ(requestCodes().back(), 0x98);
}

TEST_F(ActionEngineAfterStatusRead, ReadStatusDecodesTheStatusAndLedBytes) {
    const StatusInfo& s = h.records().status;
    const auto fields = [&s] {
        return std::vector<int>{s.overvoltage, s.undervoltage, s.overtemperature, s.digitalOut,
                                s.jumper,      s.keyLock,      s.manualSetpoint,  s.reserve,
                                s.ledRed,      s.ledYellow,    s.ledGreen};
    };
    EXPECT_EQ(fields(), (std::vector<int>{2, 1, 1, 2, 2, 1, 1, 1, 3, 2, 1}));
    EXPECT_TRUE(s.valid());
    controller.str = 0x00;
    ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kStatusRead));
    EXPECT_EQ(fields(), (std::vector<int>{1, 1, 1, 2, 2, 1, 1, 0, 3, 2, 1}));
}

TEST_F(ActionEngineAfterStatusRead, ThreeFailedExchangesAndACleanRunCompleteTheAction) {
    controller.dropNext = 2;
    controller.corruptNext = 1;
    const std::uint32_t start = h.ticks().nowMs();
    ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kStatusRead));
    EXPECT_EQ(clockSince(start), 2u * 10000u + 3u * 1000u) << "two reply time-outs, three pauses";
    for (const char* retry : {"Retry 1 ", "Retry 2 ", "Retry 3 "}) {
        EXPECT_TRUE(h.trace().contains(retry)) << retry;
    }
    EXPECT_EQ(h.notifier().codes(), (std::vector<int>{notify::kStatusRead}));
    EXPECT_TRUE(h.records().status.valid());
}

TEST_F(ActionEngineAfterStatusRead, TheFourthFailedExchangeEndsTheAction) {
    controller.dropNext = 4;
    const std::uint32_t start = h.ticks().nowMs();
    ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kTimeout));
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(clockSince(start), 4u * 10000u + 3u * 1000u) << "no pause after the fourth";
    EXPECT_TRUE(h.trace().contains("stopped "));
    EXPECT_FALSE(h.trace().contains("Retry 4 "));
    const auto notes = h.notifier().notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_FALSE(notes[0].sent) << "error notifications are posted";
    EXPECT_FALSE(h.records().status.valid());
}

TEST_F(ActionEngineAfterStatusRead, BadRepliesAreTracedAsChecksumErrorsAndEndWithNotification6) {
    controller.corruptNext = 4;
    ASSERT_TRUE(h.run(cmd::kReadStatus, notify::kBadReply));
    int checksumLines = 0;
    for (const auto& line : h.trace().lines()) {
        if (line.kind == 7) {
            ++checksumLines;
            EXPECT_EQ(
                line.text.rfind("Action STR '0x6c' Step x192, Error:2 0:0x2 1:0x81 2:0x7e ", 0), 0u)
                << line.text;
        }
    }
    EXPECT_EQ(checksumLines, 4);
}

TEST_F(ActionEngineAfterStatusRead, ClearingTheCommandWordAbandonsTheExchangeAtOnce) {
    controller.dropNext = 100;
    h.engine().post(cmd::kReadStatus);
    ASSERT_TRUE(h.waitIdle(0ms) == false);
    ASSERT_TRUE(awaitingReply());
    h.engine().clearAll();
    // On a standing clock: idle without waiting out the reply time-out.
    ASSERT_TRUE(h.waitIdle());
    EXPECT_EQ(h.session().link().SEND_STATE.load(), SendIdle);
    EXPECT_EQ(h.session().link().RECEIVE_STATE.load(), ReceiveIdle);
    // Well past the reply time-out: link control and the engine look and find nothing to do.
    h.ticks().advance(3 * LinkTiming{}.replyTimeoutMs);
    ASSERT_TRUE(h.settle());
    EXPECT_TRUE(h.notifier().codes().empty());
    EXPECT_EQ(h.trace().count("Receive Timeout max retry"), 0);
}

TEST_F(ActionEngineAfterStatusRead, AnUnknownCommandBitIsReportedAndCleared) {
    h.engine().post(0x1000000);
    ASSERT_TRUE(h.waitIdle());
    EXPECT_TRUE(h.trace().contains("Unknown THREAD_CMD: 0x1000000 "));
    const auto boxes = h.notifier().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unknown THREAD_CMD: 0x1000000 ");
    EXPECT_EQ(boxes[0].caption, "KVT");
    EXPECT_TRUE(boxes[0].owned);
}

TEST_F(ActionEngineAfterStatusRead, ACorruptStepIsReportedOnce) {
    h.stop();
    h.engine().goTo(0x300);
    h.engine().post(cmd::kReadStatus);
    h.engine().pass();
    EXPECT_TRUE(h.trace().contains("Wrong Action-Step: x300"));
    ASSERT_EQ(h.notifier().boxes().size(), 1u);
    EXPECT_FALSE(h.notifier().boxes()[0].owned);
    EXPECT_EQ(h.engine().step(), 0u);
    EXPECT_EQ(h.engine().commandWord(), 0u);
}

TEST_F(ActionEngineAfterStatusRead, CounterResetsSendNothing) {
    const auto before = h.requests().size();
    ASSERT_TRUE(h.run(cmd::kResetOperationCounter, notify::kOperationCounterReset));
    ASSERT_TRUE(h.run(cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset));
    EXPECT_EQ(h.requests().size(), before);
    EXPECT_TRUE(h.trace().contains(" Reset Operation Counter "));
    EXPECT_TRUE(h.trace().contains(" Reset Calibration Counter "));
}

TEST_F(ActionEngineAfterStatusRead, AVanishedDeviceEndsTheActionAndForcesANewBaudRateTest) {
    controller.dropNext = 1000;
    h.engine().post(cmd::kReadStatus);
    ASSERT_TRUE(awaitingReply());
    h.pty().closeMaster();
    ASSERT_TRUE(h.notifier().waitFor(notify::kSendFailed));
    EXPECT_TRUE(h.waitIdle());
    EXPECT_EQ(h.records().port.baudCode.load(), PortSettings::BaudUnknown);
    EXPECT_FALSE(h.session().port().isOpen());
    EXPECT_FALSE(h.trace().contains("Retry 1 "));
}

TEST_F(ActionEngineAfterStatusRead, PublishesItsStepAndCommandInTheStatusBlock) {
    controller.dropNext = 100;
    h.engine().post(cmd::kReadStatus);
    auto& status = h.session().link().status;
    ASSERT_TRUE(awaitingReply());
    EXPECT_EQ(status[StatusThreadCmd].load(), cmd::kReadStatus);
    EXPECT_EQ(status[StatusActionStep].load(), 0x192u);
    EXPECT_EQ(status[StatusActionSubCmd].load(), 0x6cu);
    h.engine().clearAll();
}

// A user interface that never handles a sent notification must not keep the threads from
// stopping.
class StuckNotifier final : public Notifier {
  public:
    void send(int, std::intptr_t, const AbandonCheck& abandon) override {
        entered = true;
        while (!abandon()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    void post(int, std::intptr_t) override {}
    BoxResult messageBox(const MessageBoxRequest&, const AbandonCheck&) override {
        return BoxResult::Ok;
    }
    std::atomic<bool> entered{false};
};

TEST(ActionEngineShutdown, AStuckNotificationIsAbandonedWhenTheThreadsStop) {
    test::Pty pty;
    Records records;
    test::RecordingTrace trace;
    test::EngineStrings strings;
    StuckNotifier notifier;
    DeviceSession session(records, trace, notifier, strings);
    session.start();
    records.port.baudCode = PortSettings::Baud19200;  // skip the baud-rate test
    session.engine().post(cmd::kResetCalibrationCounter);
    while (!notifier.entered) {
        std::this_thread::sleep_for(1ms);
    }
    session.stop();
    EXPECT_FALSE(session.running());
}

}  // namespace
}  // namespace kvt
