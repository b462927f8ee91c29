// The comparison behind write-params and diff: what the controller reports against what the
// project would have put there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/ParameterCompare.h"

namespace kvt::cli {
namespace {

std::vector<std::string> names(const std::vector<ParameterDifference>& differences) {
    std::vector<std::string> out;
    for (const ParameterDifference& d : differences) {
        out.emplace_back(d.field->name);
    }
    return out;
}

ParameterRecord defaults() {
    ParameterRecord p{};
    p.FORWARD_GAIN = 1.0f;
    p.PROPORTIONAL_GAIN = 1.0f;
    p.INTEGRATION_TIME = 0.1f;
    p.DEAD_BAND = 0.1f;
    p.PWM_FREQUENCY = 20;
    p.CONTROL_CYCLE_TIME = 1;
    p.SETPOINT_OFFSET = -50;
    p.SETPOINT_SPAN = 50;
    p.CURRENT_MIN = 100;
    p.CURRENT_MAX = 100;
    p.WINDOW_SIZE = 3.0f;
    return p;
}

TEST(CliParameterCompare, ValuesTheLineRoundsMatchWhatTheControllerReports) {
    ParameterRecord project = defaults();
    project.PROPORTIONAL_GAIN = 2.35f;  // sent as 23
    project.CURRENT_MIN = 105;          // sent as 10
    project.RANGE_SENSOR = 1000;        // sent as DFS 0xE8, DDS 0x03
    ParameterRecord device = defaults();
    device.PROPORTIONAL_GAIN = 23 * 0.1f;
    device.CURRENT_MIN = 100;
    device.RANGE_SENSOR = 1000;
    EXPECT_TRUE(compareWithDevice(project, device).empty());
}

TEST(CliParameterCompare, ACodeTheLineCannotCarryDoesNotPassForWritten) {
    // SETPOINT_SELECTION 6 goes out as 0 bits; a controller reporting 0 does not hold the 6.
    ParameterRecord project = defaults();
    project.SETPOINT_SELECTION = 6;
    const auto differences = compareWithDevice(project, defaults());
    ASSERT_EQ(names(differences), std::vector<std::string>{"SETPOINT_SELECTION"});
    EXPECT_EQ(differences[0].project, 6);
    EXPECT_EQ(differences[0].device, 0);
}

TEST(CliParameterCompare, ANumberBeyondItsByteDoesNotPassForWritten) {
    // 300 goes out as its low byte 44; the controller then holds 44, not 300.
    ParameterRecord project = defaults();
    project.DERIVATION_TIME = 300;
    project.SETPOINT_OFFSET = -60;  // -60 + 50 = -10 goes out as 246 and reads back as 196
    ParameterRecord device = defaults();
    device.DERIVATION_TIME = 44;
    device.SETPOINT_OFFSET = 196;
    const auto differences = compareWithDevice(project, device);
    ASSERT_EQ(names(differences), (std::vector<std::string>{"DERIVATION_TIME", "SETPOINT_OFFSET"}));
    EXPECT_EQ(differences[0].project, 300);
    EXPECT_EQ(differences[0].device, 44);
}

TEST(CliParameterCompare, FieldsTheWriteDoesNotSendAreLeftOut) {
    ParameterRecord project = defaults();
    ParameterRecord device = defaults();
    project.SLAVE_GAIN = 4.5f;
    project.AUTO_ZERO_VALUE_ANALOG_IN_1 = 17;
    device.AUTO_ZERO_VALUE_ANALOG_IN_2 = -3;
    project.reserved[10] = 99;
    device.VALID = 1;
    EXPECT_TRUE(compareWithDevice(project, device).empty());
}

TEST(CliParameterCompare, ThePackedBytesCountFieldByField) {
    ParameterRecord project = defaults();
    project.LED_RED = 2;
    project.DISPLAY_SELECT = 7;
    project.PARAMETER_SET = 1;
    ParameterRecord device = defaults();
    device.LED_RED = 2;
    device.DISPLAY_SELECT = 7;
    EXPECT_EQ(names(compareWithDevice(project, device)), std::vector<std::string>{"PARAMETER_SET"});
}

}  // namespace
}  // namespace kvt::cli
