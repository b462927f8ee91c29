#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "data/ParameterPageRules.h"
#include "data/StringTable.h"

namespace kvt {
namespace {

template <typename Row>
const Row& rowOf(std::span<const Row> PageTable::*rows, std::string_view field) {
    for (const PageTable& page : parameterPageTables()) {
        for (const Row& row : page.*rows) {
            if (row.field == field) {
                return row;
            }
        }
    }
    ADD_FAILURE() << field;
    static const Row none{};
    return none;
}
const NumericRow& numeric(std::string_view f) {
    return rowOf(&PageTable::numerics, f);
}
const ChoiceRow& choice(std::string_view f) {
    return rowOf(&PageTable::choices, f);
}

VisibilityFlags allShown() {
    VisibilityFlags flags{};
    flags.fill(1);
    return flags;
}

// ------------------------------------------------------------------------------ edits, spins

TEST(ParameterPageRules, EditsParseClampSnapAndWriteBackInTheirFormat) {
    struct Case {
        std::string_view field;
        const char* typed;
        double value;
        const char* shown;
        int position;
    };
    const Case cases[] = {
        {"INTEGRATION_TIME", "0.33", 0.30f, "0.30", 6},  // onto the 0.05 s grid
        {"INTEGRATION_TIME", "12", 10.0f, "10.00", 200},
        {"INTEGRATION_TIME", "0", 0.05f, "0.05", 1},
        {"FORWARD_GAIN", "1.234", 1.234f, "1.23", 123},  // parsed "%1.1f", shown again "%1.2f"
        {"PROPORTIONAL_GAIN", "0", 0.1f, "0.1", 1},
        {"SHUT_OFF_LEVEL", "0.1", 0.2f, "0.2", 2},
        {"WINDOW_SIZE", "2", 3.0f, "3.0", 30},
        {"LIMIT_SIZE", "10.3", 10.3f, "10.3", 20},  // threshold spin steps 0.5
        {"SETPOINT_OFFSET", "-60", -50, "-50", -50},
        {"FORWARD_OFFSET", "500", 80, "80", 80},
        {"FORWARD_OFFSET", "12abc", 12, "12", 12},
        {"PWM_FREQUENCY", "5", 20, "20", 2},
        {"CURRENT_MAX", "1999", 1999, "1999", 199},
        {"RANGE_SENSOR", "5", 5, "005", 5},
        {"RANGE_SENSOR", "1500", 999, "999", 999},
    };
    for (const Case& c : cases) {
        const ParsedEdit parsed = parseNumericEdit(numeric(c.field), c.typed);
        EXPECT_DOUBLE_EQ(parsed.value, c.value) << c.field << " " << c.typed;
        EXPECT_EQ(parsed.text, c.shown) << c.field << " " << c.typed;
        EXPECT_EQ(parsed.position, c.position) << c.field << " " << c.typed;
    }
}

TEST(ParameterPageRules, SpinsStopAtTheirBoundsAndStoreInTheirTarget) {
    struct Case {
        std::string_view field;
        std::int32_t structure;
        int requested;
        int position;
        std::string_view target;
        const char* shown;
    };
    const Case cases[] = {
        {"LIMIT_SIZE", 0, 21, 21, "LIMIT_SIZE", "10.5"},  // one up from 10.0
        {"WINDOW_SIZE", 0, 29, 30, "WINDOW_SIZE", "3.0"},
        {"FORWARD_OFFSET", 6, 81, 80, "FORWARD_OFFSET", "80"},
        {"SETPOINT_OFFSET", 0, -51, -50, "SETPOINT_OFFSET", "-50"},
        {"PWM_FREQUENCY", 0, 1, 2, "PWM_FREQUENCY", "20"},
        {"INTEGRATION_TIME", 3, 7, 7, "INTEGRATION_TIME", "0.35"},
        {"FORWARD_GAIN", 7, 251, 250, "FORWARD_GAIN", "2.50"},
        {"FORWARD_GAIN", 6, 0, 1, "SLAVE_GAIN", "0.01"},  // the slave gain spin
        {"FORWARD_GAIN", 6, 101, 100, "SLAVE_GAIN", "1.00"},
    };
    for (const Case& c : cases) {
        ParameterRecord copy{};
        copy.CONTROLLER_STRUCTURE = c.structure;
        const SpinMove move = applySpin(numeric(c.field), copy, c.requested);
        EXPECT_EQ(move.position, c.position) << c.field;
        EXPECT_EQ(move.field, c.target) << c.field;
        EXPECT_EQ(move.text, c.shown) << c.field;
        EXPECT_EQ(formatValue(numeric(c.field).format, pageFieldValue(copy, c.target)), c.shown);
        if (c.target != c.field) {
            EXPECT_EQ(pageFieldValue(copy, c.field), 0.0) << "the edit's own field is untouched";
        }
    }
}

// A stored float lies near, not on, its grid value (0.35f < 0.35): no position may be lost on
// the way from spin to field and back.
TEST(ParameterPageRules, EverySpinPositionSurvivesTheRecord) {
    for (const PageTable& page : parameterPageTables()) {
        for (const NumericRow& row : page.numerics) {
            for (int p = row.spinLo; p <= row.spinHi; ++p) {
                ParameterRecord record{};
                setPageFieldValue(record, row.field, spinValue(row, p));
                ASSERT_EQ(spinPosition(row, pageFieldValue(record, row.field)), p) << row.field;
            }
        }
    }
}

TEST(ParameterPageRules, RangeTextsForTooltips) {
    EXPECT_EQ(numericRangeText(numeric("INTEGRATION_TIME")), "0.05 .. 10.00 sec");
    EXPECT_EQ(numericRangeText(numeric("FORWARD_OFFSET")), "0 .. 80 %");
    EXPECT_EQ(numericRangeText(numeric("PROPORTIONAL_GAIN")), "0.1 .. 20.0");
    EXPECT_EQ(numericRangeText(numeric("RANGE_SENSOR")), "0 .. 999");
}

// ------------------------------------------------------------------------------ fix-ups

TEST(ParameterPageRules, CurrentDerivedSetpointKeepsTheSetWithoutAMaximum) {
    struct Case {
        std::int32_t feedback, slave, min, max, offset, span;
        bool changed;
    };
    const Case cases[] = {
        {3, 0, 400, 2000, 20, 80, true},   {0, 3, 400, 2000, 20, 80, true},
        {0, 0, 400, 2000, -50, 50, false}, {3, 0, 400, 0, -50, 50, false},
        {3, 0, 2000, 100, 100, 0, true},  // a minimum above the maximum stays in range
    };
    for (const Case& c : cases) {
        ParameterRecord r{};
        r.FEEDBACK_SELECT = c.feedback;
        r.FEEDBACK_SELECT_SLAVE = c.slave;
        r.CURRENT_MIN = c.min;
        r.CURRENT_MAX = c.max;
        r.SETPOINT_OFFSET = -50;
        r.SETPOINT_SPAN = 50;
        EXPECT_EQ(applyCurrentDerivedSetpoint(r), c.changed) << c.min << "/" << c.max;
        EXPECT_EQ(r.SETPOINT_OFFSET, c.offset) << c.min << "/" << c.max;
        EXPECT_EQ(r.SETPOINT_SPAN, c.span) << c.min << "/" << c.max;
    }
}

TEST(ParameterPageRules, RefreshAndOpeningFixUps) {
    for (std::int32_t slave : {0, 3}) {
        ParameterRecord r{};
        r.FEEDBACK_SELECT = 3 - slave;
        r.FEEDBACK_SELECT_SLAVE = slave;
        r.CURRENT_MIN = 400;
        r.CURRENT_MAX = 2000;
        applyRefreshFixUps(r);
        EXPECT_EQ(r.SETPOINT_ADJUSTMENT, 1);
        EXPECT_EQ(r.SETPOINT_OFFSET, 20);
    }
    ParameterRecord plain{};
    applyRefreshFixUps(plain);
    EXPECT_EQ(plain, ParameterRecord{});

    for (float gain : {0.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f}) {
        ParameterRecord r{};
        r.SLAVE_GAIN = gain;
        applyOpeningFixUps(r);
        EXPECT_FLOAT_EQ(r.SLAVE_GAIN, gain == 0.5f ? 0.5f : 0.01f);
    }
}

// ------------------------------------------------------------------------------ enabling

// One character per structure 0..7.
TEST(ParameterPageRules, StructureEnablesTheControlParameters) {
    struct Case {
        std::string_view field;
        const char* enabled;
    };
    const Case cases[] = {
        {"FORWARD_OFFSET", "00000011"},    {"FORWARD_GAIN", "00000011"},
        {"INTEGRATION_TIME", "01010111"},  {"INTEGRATION_LIMIT", "01010111"},
        {"DEAD_BAND", "01010111"},         {"DERIVATION_TIME", "00110111"},
        {"PROPORTIONAL_GAIN", "11111111"}, {"CONTROL_CYCLE_TIME", "11111111"},
        {"SHUT_OFF_LEVEL", "00000011"},
    };
    const VisibilityFlags flags = allShown();
    for (const Case& c : cases) {
        for (std::int32_t s = 0; s < 8; ++s) {
            ParameterRecord copy{};
            copy.CONTROLLER_STRUCTURE = s;
            EXPECT_EQ(numericEnabled({copy, flags, 0}, numeric(c.field)), c.enabled[s] == '1')
                << c.field << " in structure " << s;
        }
    }
    ParameterRecord copy{};
    std::string radios;
    for (const ChoiceOption& o : choice("CONTROLLER_STRUCTURE").options) {
        radios += optionEnabled({copy, flags, 0}, choice("CONTROLLER_STRUCTURE"), o) ? '1' : '0';
    }
    EXPECT_EQ(radios, "00001011");
}

TEST(ParameterPageRules, PageRulesFollowTheEditedSet) {
    struct Case {
        std::string_view set;
        std::int32_t value;
        std::string_view field;
        bool enabled;
    };
    const Case cases[] = {
        {"DISPLAY_SELECT", 3, "RANGE_SENSOR", false},
        {"DISPLAY_SELECT", 3, "DP", false},
        {"DISPLAY_SELECT", 7, "DP", true},
        {"RAMP_FUNCTION", 0, "RAMP_RISE_TIME", false},
        {"RAMP_FUNCTION", 0, "RAMP_FALL_TIME", false},
        {"RAMP_FUNCTION", 2, "RAMP_RISE_TIME", true},
        {"SETPOINT_ADJUSTMENT", 0, "SETPOINT_SPAN", false},
        {"SETPOINT_ADJUSTMENT", 1, "SETPOINT_OFFSET", true},
        {"FEEDBACK_SELECT", 3, "SETPOINT_OFFSET", false},
        {"FEEDBACK_SELECT", 3, "SETPOINT_ADJUSTMENT", false},
        {"FEEDBACK_SELECT_SLAVE", 3, "CURRENT_MIN", true},
        {"FEEDBACK_SELECT", 2, "CURRENT_MAX", false},
        {"FEEDBACK_SELECT", 2, "SETPOINT_ADJUSTMENT", true},
    };
    const VisibilityFlags flags = allShown();
    for (const Case& c : cases) {
        ParameterRecord copy{};
        copy.SETPOINT_ADJUSTMENT = 1;
        setPageFieldValue(copy, c.set, c.value);
        const PageState state{copy, flags, 0};
        const bool enabled = findParameterLimit(c.field)->kind == LimitKind::Choice
                                 ? optionEnabled(state, choice(c.field), choice(c.field).options[0])
                                 : numericEnabled(state, numeric(c.field));
        EXPECT_EQ(enabled, c.enabled) << c.set << " " << c.value << ": " << c.field;
    }
}

// The factory set, a running action or a hidden flag disable whatever the page rules allow.
TEST(ParameterPageRules, FactorySetActionsAndFlagsDisableEverything) {
    ParameterRecord copy{};
    copy.CONTROLLER_STRUCTURE = 7;
    copy.RAMP_FUNCTION = 3;
    copy.SETPOINT_ADJUSTMENT = 1;
    copy.FEEDBACK_SELECT_SLAVE = 3;
    const VisibilityFlags shown = allShown();
    const VisibilityFlags hidden{};
    ParameterRecord factory = copy;
    factory.PARAMETER_SET = 1;
    const PageState gates[] = {{factory, shown, 0}, {copy, shown, 0x1}, {copy, hidden, 0}};
    int enabledWhenEditable = 0;
    for (const PageTable& page : parameterPageTables()) {
        for (const NumericRow& row : page.numerics) {
            enabledWhenEditable += numericEnabled({copy, shown, 0}, row) ? 1 : 0;
            for (const PageState& gate : gates) {
                EXPECT_FALSE(numericEnabled(gate, row)) << row.field;
            }
        }
        for (const ChoiceRow& row : page.choices) {
            for (const ChoiceOption& o : row.options) {
                enabledWhenEditable += optionEnabled({copy, shown, 0}, row, o) ? 1 : 0;
                for (const PageState& gate : gates) {
                    EXPECT_FALSE(optionEnabled(gate, row, o)) << row.field << " " << o.code;
                }
            }
        }
    }
    EXPECT_GT(enabledWhenEditable, 80);
    EXPECT_FALSE(optionEnabled({copy, shown, 0}, choice("FEEDBACK_SELECT"),
                               choice("FEEDBACK_SELECT").options[5]));
    EXPECT_FALSE(optionEnabled({copy, shown, 0}, choice("SETPOINT_SELECTION"),
                               choice("SETPOINT_SELECTION").options[1]));
}

// ------------------------------------------------------------------------------ device column

TEST(ParameterPageRules, DeviceColumnTextsAndTheRedRadio) {
    StringTable strings;
    ParameterRecord copy{};
    ParameterRecord device{};
    device.DP = 2;  // no radio: "No", every radio grey
    device.ANALOG_OUT_SELECT = 5;
    copy.ANALOG_OUT_SELECT = 3;
    device.SETPOINT_SIGNAL = 1;
    device.DISPLAY_SELECT = 7;
    device.AUTO_ZERO_VALUE_ANALOG_IN_2 = -12;
    device.RANGE_SENSOR = 5;
    EXPECT_EQ(deviceGroupText(strings, choice("DP"), device, true), "No");
    EXPECT_EQ(differingDeviceOption(choice("DP"), copy, device, true), nullptr);
    EXPECT_EQ(deviceGroupText(strings, choice("ANALOG_OUT_SELECT"), device, true), "I-Value (yi)");
    const ChoiceOption* red =
        differingDeviceOption(choice("ANALOG_OUT_SELECT"), copy, device, true);
    ASSERT_NE(red, nullptr);
    EXPECT_STREQ(red->text, "I - Value (yi)");
    EXPECT_EQ(differingDeviceOption(choice("ANALOG_OUT_SELECT"), copy, device, false), nullptr);
    EXPECT_EQ(deviceGroupText(strings, choice("SETPOINT_SIGNAL"), device, true), "0 - 20 mA");
    EXPECT_EQ(deviceGroupText(strings, choice("DISPLAY_SELECT"), device, true), "7");
    EXPECT_EQ(deviceNumericText(strings, numeric("RANGE_SENSOR"), device, true), "005");
    const DeviceValueRow& zero = parameterPageTable(ParameterPage::AnalogIn).deviceValues[0];
    EXPECT_EQ(deviceWordText(strings, zero, device, true), "-12");
    EXPECT_EQ(deviceWordText(strings, zero, device, false), " -- ");
    EXPECT_EQ(deviceGroupText(strings, choice("DP"), device, false), " -- ");
    EXPECT_EQ(deviceNumericText(strings, numeric("RANGE_SENSOR"), device, false), " -- ");
}

TEST(ParameterPageRules, TabMarkerOnlyForDifferencesThePageShows) {
    const PageTable& control = parameterPageTable(ParameterPage::Control);
    ParameterRecord copy{};
    ParameterRecord device{};
    device.PWM = 1;  // the polarity group is hidden
    device.PROPORTIONAL_GAIN = 1.04f;
    copy.PROPORTIONAL_GAIN = 1.0f;  // both show "1.0"
    EXPECT_FALSE(pageDiffersFromDevice(control, copy, device, true));
    copy.I_VALUE = 1;
    EXPECT_TRUE(pageDiffersFromDevice(control, copy, device, true));
    EXPECT_FALSE(pageDiffersFromDevice(control, copy, device, false));
}

// ------------------------------------------------------------------------------ structure

TEST(ParameterPageRules, StructureCaptionsAndClicks) {
    ParameterRecord copy{};
    copy.CONTROLLER_STRUCTURE = 6;
    EXPECT_EQ(structureCaption(copy, 1359), 349);
    EXPECT_EQ(structureCaption(copy, 1362), 350);
    copy.CONTROLLER_STRUCTURE = 7;
    EXPECT_EQ(structureCaption(copy, 1359), 194);
    EXPECT_EQ(structureCaption(copy, 1362), 196);
    EXPECT_EQ(structureCaption(copy, 1365), std::nullopt);

    ParameterRecord current{};
    VisibilityFlags flags{};
    for (std::int32_t code : {0, 1, 2, 3, 5}) {
        EXPECT_FALSE(applyStructureClick(code, copy, current, flags)) << code;
    }
    EXPECT_EQ(copy.CONTROLLER_STRUCTURE, 7);
    EXPECT_EQ(flags, VisibilityFlags{});
    EXPECT_TRUE(applyStructureClick(4, copy, current, flags));
    EXPECT_EQ(copy.CONTROLLER_STRUCTURE, 4);
    EXPECT_EQ(flags[findParameterField("FEEDBACK_SELECT")->flag], 1);
    EXPECT_EQ(current.CONTROLLER_STRUCTURE, 0);
    EXPECT_TRUE(applyStructureClick(6, copy, current, flags));
    EXPECT_EQ(current.CONTROLLER_STRUCTURE, 6);
}

}  // namespace
}  // namespace kvt
