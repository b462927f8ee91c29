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
