// The device information as the Device Info dialog and kvtcli show it.
#include "data/DeviceInfoText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kvt {
namespace {

DeviceInfo composedInfo(int firstDigit, std::int32_t suffix, std::int32_t firmware = 5) {
    DeviceInfo info{};
    info.firmwareVersion = firmware;
    const int digits[6] = {firstDigit, 1, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        info.partNumberDigits[i] = digits[i];
    }
    info.partNumberSuffix = suffix;
    return info;
}

void setText(DeviceInfo& info, const std::string& text) {
    for (int i = 0; i < 10; ++i) {
        info.partNumberText1[i] = text[static_cast<std::size_t>(i)];
        info.partNumberText2[i] = text[static_cast<std::size_t>(10 + i)];
    }
}

TEST(DeviceInfoText, PartNumberIsComposedBeforeFirmware7) {
    EXPECT_EQ(partNumberText(composedInfo(2, 0x0000)), "571-482 12345");
    EXPECT_EQ(partNumberText(composedInfo(2, 0x0ABC)), "571-482 12345---ABC");
    EXPECT_EQ(partNumberText(composedInfo(1, 0x0000)), "417 12345");
    // Only the last three of the four hexadecimal digits are the suffix.
    EXPECT_EQ(partNumberText(composedInfo(1, 0x10B2)), "417 12345---0B2");
    EXPECT_EQ(partNumberText(composedInfo(2, 0x1000)), "571-482 12345");
}

TEST(DeviceInfoText, PartNumberIsTheTwoTextsFromFirmware7) {
    DeviceInfo info = composedInfo(2, 0x0ABC, 7);
    const std::string text = "DEMO-DN50-PN16-24V  ";
    setText(info, text);
    EXPECT_TRUE(partNumberIsText(info));
    EXPECT_EQ(partNumberText1(info), "DEMO-DN50-");
    EXPECT_EQ(partNumberText2(info), "PN16-24V  ");
    EXPECT_EQ(partNumberText(info), text);
    // The composed form stays available, for a dialog that shows both.
    EXPECT_EQ(composedPartNumber(info), "571-482 12345---ABC");
}

TEST(DeviceInfoText, Firmware6StillComposesWhateverTheTextsHold) {
    DeviceInfo info = composedInfo(1, 0, 6);
    setText(info, "DEMO-DN50-PN16-24V  ");
    EXPECT_FALSE(partNumberIsText(info));
    EXPECT_EQ(partNumberText(info), "417 12345");
}

TEST(DeviceInfoText, BcdBytesShowTheirTwoDigits) {
    EXPECT_EQ(bcdText(0x23), "23");
    EXPECT_EQ(bcdText(0x07), "07");
    EXPECT_EQ(bcdText(0x123), "23");
}

// Negative parts (-61: hours -1, minutes -1) show as zero.
TEST(DeviceInfoText, OperatingTimeSplitsIntoDaysHoursMinutes) {
    const std::array<int, 4> cases[] = {{1501, 1, 1, 1}, {98765, 68, 14, 5}, {-61, 0, 0, 0}};
    for (const auto& [minutes, days, hours, rest] : cases) {
        const OperatingTime t = splitOperatingTime(minutes);
        EXPECT_EQ((std::array<int, 3>{t.days, t.hours, t.minutes}),
                  (std::array<int, 3>{days, hours, rest}))
            << minutes;
    }
}

}  // namespace
}  // namespace kvt
