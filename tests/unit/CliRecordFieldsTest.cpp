// The records as kvtcli shows them: field names, units, the dialogs' words.
#include <gtest/gtest.h>

#include <string>

#include "cli/RecordFields.h"

namespace kvt::cli {
namespace {

class CliTestStrings final : public Strings {
  public:
    std::string text(int id) override { return "#" + std::to_string(id); }
    std::string builtin(int id) override { return text(id); }
    bool libraryLoaded() const override { return false; }
};

DeviceInfo composedInfo(int firstDigit, std::int32_t suffix) {
    DeviceInfo info{};
    info.firmwareVersion = 5;
    const int digits[6] = {firstDigit, 1, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        info.partNumberDigits[i] = digits[i];
    }
    info.partNumberSuffix = suffix;
    return info;
}

TEST(CliRecordFields, DeviceInfoUsesTheFieldNames) {
    DeviceInfo info = composedInfo(2, 0);
    info.serialNumber = 12345;
    info.productionYear = 0x11;
    info.productionWeek = 0x07;
    info.operationMinutes = 1501;
    info.moduleTemperature = -5;
    const Json json = deviceInfoJson(info);
    EXPECT_EQ(json.find("serialNumber")->asInteger(), 12345);
    // Dates are the controller's BCD bytes: numbers in JSON, the two digits as text.
    EXPECT_EQ(json.find("productionYear")->dump(), "11");
    EXPECT_EQ(json.find("productionWeek")->dump(), "7");
    EXPECT_EQ(json.find("productionYear")->displayText(), "11");
    EXPECT_EQ(json.find("productionWeek")->displayText(), "07");
    info.calibrationYear = 0x1A;
    EXPECT_EQ(deviceInfoJson(info).find("calibrationYear")->dump(), "20");
    EXPECT_EQ(json.find("operationMinutes")->asInteger(), 1501);
    EXPECT_EQ(json.find("operationMinutes")->displayText(), "1501 (1 d 01 h 01 min)");
    EXPECT_EQ(json.find("moduleTemperature")->asInteger(), -5);
    EXPECT_EQ(json.find("partNumber")->asString(), "571-482 12345");
    EXPECT_EQ(json.find("partNumberDigits")->dump(), "[2,1,2,3,4,5]");
}

TEST(CliRecordFields, ParametersAreNumbersUnderTheirNames) {
    ParameterRecord set{};
    set.VALID = 1;
    set.PROPORTIONAL_GAIN = 2.3f;
    set.SETPOINT_OFFSET = -50;
    set.DELAY_TIME = 1;
    const Json json = parametersJson(set);
    EXPECT_EQ(json.find("VALID"), nullptr);
    EXPECT_EQ(json.find("PROPORTIONAL_GAIN")->scalarText(), "2.3");
    EXPECT_EQ(json.find("SETPOINT_OFFSET")->scalarText(), "-50");
    EXPECT_EQ(json.find("DELAY_TIME")->scalarText(), "1");
    EXPECT_EQ(json.find("DELAY_TIME")->displayText(), "1 (10 s)");
    EXPECT_NE(json.find("RANGE_SENSOR"), nullptr);
    EXPECT_EQ(json.members().front().first, "PARAMETER_SET");
}

TEST(CliRecordFields, StatusShowsTheDialogsWords) {
    CliTestStrings strings;
    StatusInfo status{};
    status.overvoltage = 2;
    status.digitalOut = 1;
    status.keyLock = 3;
    status.ledRed = 3;
    const Json json = statusJson(status, strings);
    EXPECT_EQ(json.find("overvoltage")->asInteger(), 2);
    EXPECT_EQ(json.find("overvoltage")->displayText(), "#119");
    EXPECT_EQ(json.find("digitalOut")->displayText(), "#104");
    // A value the dialog checks neither button for shows as the number.
    EXPECT_EQ(json.find("keyLock")->displayText(), "3");
    EXPECT_EQ(json.find("ledRed")->displayText(), "3 (blinking)");
}

}  // namespace
}  // namespace kvt::cli
