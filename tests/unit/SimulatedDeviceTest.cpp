#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "link/Frame.h"
#include "link/LinkState.h"
#include "link/SimulatedDevice.h"
#include "link/TickSource.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes request(std::uint8_t code, std::uint8_t data = 0) {
    return {STX, code, data, static_cast<std::uint8_t>(code + data)};
}

class SimulatedDeviceTest : public ::testing::Test {
  protected:
    SimulatedDevice device;
    Bytes reply(const Bytes& req, int expected = 3) { return device.replyFor(req, expected); }
};

TEST_F(SimulatedDeviceTest, AnswersByCommandCodeAndRefusesABadChecksum) {
    EXPECT_EQ(reply(request(0x02)), (Bytes{0x02, 0x40, 0x40})) << "KPR reads 6.4";
    EXPECT_EQ(reply(request(0x01, 0x17), 1), (Bytes{ACK}));
    EXPECT_EQ(reply({STX, 0x01, 0x05, 0x00}, 1), (Bytes{NAK})) << "bad BCC";
    EXPECT_EQ(reply(request(0x23)), (Bytes{0x02, 0x17, 0x17})) << "firmware 23";
    EXPECT_EQ(reply({STX, 0x23, 0x00, 0x24}), (Bytes{0x02, 0x15, 0x00}));
    EXPECT_EQ(reply({STX, 0x6e, 0x55, 0x00}), (Bytes{0x02, 0xff, 0xff})) << "validity not tested";
    EXPECT_EQ(reply(request(0x70), 12), (Bytes{0x02, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x2d}));
    EXPECT_EQ(reply({STX, 0x70, 0x00, 0x00}, 12), (Bytes{0x02, 0x15, 0x15}));
    EXPECT_EQ(reply(request(0x75), 12), (Bytes{0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x37}));
    EXPECT_EQ(reply(request(0x00)), (Bytes{0x00, 0x01, 0x02, 0x00}));
    // Every other request of the program gets a reply of the awaited shape.
    EXPECT_EQ(reply(request(0x55)), (Bytes{0x02, 0x80, 0x80})) << "AZR";
    EXPECT_EQ(reply(request(0x7f)), (Bytes{0x02, 0x80, 0x80})) << "AVR";
    EXPECT_EQ(reply(request(0x7e, 127), 1), (Bytes{ACK})) << "PWM setpoint";
    EXPECT_EQ(reply(request(0x51), 1), (Bytes{ACK})) << "setpoint switch-off";
    EXPECT_EQ(reply(request(0x51), 3), (Bytes{0x02, 0x83, 0x83})) << "stop calibration";
    const Bytes counters = reply(request(0x71), 10);
    ASSERT_EQ(counters.size(), 10u);
    EXPECT_TRUE(isValidDataReply(counters));
    EXPECT_EQ(counters.back(), 0xdc);
    for (std::uint8_t code : {0x96, 0x98}) {
        const Bytes text = reply(request(code), 12);
        ASSERT_EQ(text.size(), 12u);
        EXPECT_TRUE(isValidDataReply(text));
    }
}

TEST_F(SimulatedDeviceTest, TheLongMatrixRowWriteChecksItsOwnBcc) {
    Bytes row(13, 0);
    const std::uint8_t values[] = {0x28, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    buildRequest(row, 0x74, std::span(values).subspan(1));
    EXPECT_EQ(reply(row, 1), (Bytes{ACK}));
    row[12] ^= 1;
    EXPECT_EQ(reply(row, 1), (Bytes{NAK}));
}

TEST_F(SimulatedDeviceTest, StreamsSyntheticRecords) {
    const Bytes first = reply(request(SimulatedDevice::kStreamStepRamp), 6 * 101);
    ASSERT_EQ(first.size(), 606u);
    for (int k = 0; k < 101; ++k) {
        const std::uint8_t* r = &first[static_cast<std::size_t>(6 * k)];
        EXPECT_EQ(r[0], STX);
        EXPECT_EQ(r[1], static_cast<std::uint8_t>(
                            static_cast<int>((std::sin(k * 0.01) * 50 + 50) * 2.55)));
        EXPECT_EQ(r[3], 0xC0);
        EXPECT_EQ(r[4], 0x80);
        if (k < 99) {
            EXPECT_EQ(r[2], 0x00) << k;
            EXPECT_EQ(r[5], 0x00) << k;
        } else {
            EXPECT_EQ(r[2], static_cast<std::uint8_t>(static_cast<int>((201 - k) * 2.55))) << k;
            EXPECT_EQ(r[5], 0x02) << k;
        }
    }
    EXPECT_EQ(device.streamCounter(), 101u);
}

TEST_F(SimulatedDeviceTest, CutsTheLastRecordToTheExpectedLength) {
    const Bytes part = reply(request(SimulatedDevice::kStreamTrigger), 14);
    EXPECT_EQ(part.size(), 14u);
    EXPECT_EQ(part[12], STX);
    EXPECT_EQ(device.streamCounter(), 3u);
}

TEST_F(SimulatedDeviceTest,
       AcknowledgesAndThreeThousandRecordsResetTheStreamAndPasNeedsAnIdleStream) {
    reply(request(0xff), 60);
    EXPECT_EQ(reply(request(0x29), 1), (Bytes{NAK})) << "PAS while streaming";
    EXPECT_EQ(device.streamCounter(), 0u);
    EXPECT_EQ(reply(request(0x29), 1), (Bytes{ACK}));
    reply(request(0xff), 60);
    reply(request(0x24, 0), 1);
    EXPECT_EQ(device.streamCounter(), 0u);
    // The counter also restarts after three thousand records.
    reply(request(0xff), 6 * 3001);
    EXPECT_EQ(device.streamCounter(), 0u);
}

TEST_F(SimulatedDeviceTest, SimulateReplyAppendsToTheRing) {
    ManualTickSource ticks;
    LinkState link(ticks);
    link.ring.setIndicesForTest(19999, 19999);
    const Bytes req = request(0x02);
    std::copy(req.begin(), req.end(), link.transmitBuffer.begin());
    link.transmitLength = 4;
    link.expectedLength = 3;
    device.SimulateReply(link);
    EXPECT_EQ(link.ring.available(), 3u);
    EXPECT_EQ(link.ring.writeIndex(), 2u);
}

}  // namespace
}  // namespace kvt
