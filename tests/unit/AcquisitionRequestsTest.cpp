#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "data/ScopeModel.h"
#include "engine/AcquisitionRequests.h"

namespace kvt {
namespace {

ScopeSettings defaults() {
    ScopeSettings s;
    resetScopeSettings(s);
    return s;
}

std::uint8_t selection(int a1, int a2, int a3, int a4) {
    ScopeSettings s = defaults();
    s.analogSel(0) = a1;
    s.analogSel(1) = a2;
    s.analogSel(2) = a3;
    s.analogSel(3) = a4;
    return channelSelectionByte(s);
}

// Each channel has its own bits. Analog 3 or 4 set to none sends zero, and choices a channel
// does not have never spill into another channel's bits.
TEST(ChannelSelection, EachChannelHasItsOwnBitsAndNoneOrAnUnknownChoiceSendsZero) {
    const std::array<int, 5> cases[] = {
        {0, 0, 0, 0, 0x00}, {1, 0, 0, 0, 0x40}, {0, 1, 0, 0, 0x10}, {0, 2, 0, 0, 0x20},
        {0, 3, 0, 0, 0x30}, {0, 0, 1, 0, 0x04}, {0, 0, 2, 0, 0x08}, {0, 0, 0, 1, 0x01},
        {0, 0, 0, 2, 0x02}, {0, 0, 0, 3, 0x03}, {1, 2, 2, 3, 0x6b}, {0, 0, 3, 0, 0x00},
        {0, 0, 0, 4, 0x00}, {2, 0, 0, 0, 0x00}, {0, 7, 0, 0, 0x00}, {-1, -1, -1, 9, 0x00}};
    for (const auto& [a1, a2, a3, a4, byte] : cases) {
        EXPECT_EQ(selection(a1, a2, a3, a4), byte) << a1 << " " << a2 << " " << a3 << " " << a4;
    }
    EXPECT_EQ(channelSelectionByte(defaults()), 0x00);
}

TEST(ChannelSelection, TheReadBackDecodesTheSameLayout) {
    ScopeSettings s = defaults();
    const auto read = [&s](std::uint8_t byte) {
        decodeChannelSelection(byte, s);
        return std::array<int, 4>{s.analogSelRead(0), s.analogSelRead(1), s.analogSelRead(2),
                                  s.analogSelRead(3)};
    };
    EXPECT_EQ(read(0x6b), (std::array<int, 4>{1, 2, 2, 3}));
    // 0xC0 is not analog 1's choice 1, 0x0C not one of analog 3's choices.
    EXPECT_EQ(read(0xFF), (std::array<int, 4>{0, 3, 0, 3}));
    EXPECT_EQ(s.analogSel(2), 3) << "the selection itself is left alone";
}

TEST(AcquisitionRequestData, SetpointsGoInHalfPercentAndRampTimesInTenthsNeverWrapping) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, int> setpoints[] = {
        {10.0f, 20}, {90.0f, 180}, {12.5f, 25}, {100.0f, 200}, {-3.0f, 0}, {250.0f, 200}, {nan, 0}};
    for (const auto& [percent, byte] : setpoints) {
        EXPECT_EQ(setpointByte(percent), byte) << percent;
    }
    const std::pair<float, int> rampTimes[] = {{5.0f, 50},  {0.1f, 1},  {20.0f, 200},
                                               {1e9f, 200}, {-1.0f, 0}, {inf, 200}};
    for (const auto& [seconds, byte] : rampTimes) {
        EXPECT_EQ(rampTimeByte(seconds), byte) << seconds;
    }
}

std::vector<std::string> labels(std::span<const ConfigRequest> requests) {
    std::vector<std::string> out;
    for (const auto& r : requests) {
        out.emplace_back(r.label);
    }
    return out;
}

TEST(AcquisitionRequestOrder, EachModeSendsItsRequestsInOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(labels(stepModeRequests()),
              (V{"ATS", "ATR", "SBS", "SBR", "SES", "SER", "ACS", "ACR", "SAS"}));
    EXPECT_EQ(labels(rampModeRequests()),
              (V{"ATS", "ATR", "SBS", "SBR", "SES", "SER", "RSS", "ACS", "ACR", "SAS"}));
    EXPECT_EQ(labels(triggerModeRequests()), (V{"PRS", "ACS", "ACR", "TAS"}));
    EXPECT_TRUE(stepModeRequests().back().startsStream);
    EXPECT_TRUE(triggerModeRequests().back().startsStream);
}

TEST(AcquisitionRequestOrder, RequestFramesCarryTheirCodesAndData) {
    ScopeSettings s = defaults();
    s.mode = ScopeSettings::StepMode;
    s.masterSlave = 1;
    s.analogSel(0) = 1;
    const AcquisitionPlan plan = AcquisitionPlan::from(s, false);
    std::vector<std::pair<int, int>> codes;
    for (const auto& r : rampModeRequests()) {
        const Request q = r.request(s, plan);
        codes.emplace_back(q.code, q.data[0]);
        EXPECT_EQ(q.replyLength, r.store != nullptr ? 3 : 1) << r.label;
    }
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{0x21, 8},
                                                       {0x22, 0},
                                                       {0x1d, 20},
                                                       {0x1e, 0},
                                                       {0x1f, 180},
                                                       {0x20, 0},
                                                       {0x56, 50},
                                                       {0x2a, 0x40},
                                                       {0x2b, 0},
                                                       {0x24, 1}}));
    ScopeSettings t = defaults();
    t.sampleRateIndex = 3;
    const Request prs = triggerModeRequests()[0].request(t, AcquisitionPlan::from(t, true));
    EXPECT_EQ(prs.code, 0x27);
    EXPECT_EQ(prs.data[0], 40);
    EXPECT_EQ(pasRequest().code, 0x29);
    EXPECT_EQ(pasRequest().data[0], 0x00);
    EXPECT_EQ(pasRequest().replyLength, 1);
}

TEST(AcquisitionRequestOrder, ADamagedAcquisitionTimeIsSentAsTheTimeTheBuffersHold) {
    ScopeSettings s = defaults();
    s.acqTime = 300;
    const Request ats = stepModeRequests()[0].request(s, AcquisitionPlan::from(s, false));
    EXPECT_EQ(ats.data[0], 20);
}

TEST(AcquisitionRequestOrder, ReadBacksAreStoredWithTheirValidFlags) {
    ScopeSettings s = defaults();
    const auto step = stepModeRequests();
    step[1].store(s, 12);
    step[3].store(s, 21);
    step[5].store(s, 181);
    step[7].store(s, 0x6b);
    EXPECT_EQ(s.acqTimeRead, 12);
    EXPECT_EQ(s.acqTimeReadValid, 1);
    EXPECT_FLOAT_EQ(s.setpointBeginRead, 10.5f);
    EXPECT_EQ(s.setpointBeginReadValid, 1);
    EXPECT_FLOAT_EQ(s.setpointEndRead, 90.5f);
    EXPECT_EQ(s.setpointEndReadValid, 1);
    EXPECT_EQ(s.analogSelRead(1), 2);
    EXPECT_EQ(s.analogSelReadValid, 1);
    EXPECT_EQ(step[1].validFlag, &ScopeSettings::acqTimeReadValid);
    EXPECT_EQ(step[7].validFlag, nullptr) << "the selection's flag is only ever set";
}

}  // namespace
}  // namespace kvt
