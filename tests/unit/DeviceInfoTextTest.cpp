// The device information as the Device Info dialog and kvtcli show it.
#include "data/DeviceInfoText.h"

#include <gtest/gtest.h>

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

TEST(DeviceInfoText, OperatingTimeSplitsIntoDaysHoursMinutes) {
    const OperatingTime t = splitOperatingTime(1501);
    EXPECT_EQ(t.days, 1);
    EXPECT_EQ(t.hours, 1);
    EXPECT_EQ(t.minutes, 1);
    const OperatingTime big = splitOperatingTime(98765);
    EXPECT_EQ(big.days, 68);
    EXPECT_EQ(big.hours, 14);
    EXPECT_EQ(big.minutes, 5);
}

TEST(DeviceInfoText, NegativePartsOfTheOperatingTimeShowAsZero) {
    // -61: days 0, hours -1, minutes -1 before they are held at 0.
    const OperatingTime t = splitOperatingTime(-61);
    EXPECT_EQ(t.days, 0);
    EXPECT_EQ(t.hours, 0);
    EXPECT_EQ(t.minutes, 0);
}

}  // namespace
}  // namespace kvt
