#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "data/FieldParsing.h"
#include "data/ParaIni.h"
#include "data/ParameterLimits.h"

namespace kvt {
namespace {

using test::TempDir;
using test::writeFile;

// The fields that no page edits: what the controller measures or reports, the parameter set
// switch, the slave gain the line never carries and the autosafe fields, which have no page.
const std::set<std::string_view> kUnchecked = {
    "VALID",
    "PARAMETER_SET",
    "AUTO_ZERO_VALUE_ANALOG_IN_2",
    "AUTO_ZERO_VALUE_ANALOG_IN_1",
    "SLAVE_GAIN",
    "AUTOSAFE",
    "OVERTEMPERATURE",
    "OVERTEMPERATURE_LIMIT",
    "AUTOSAFE_SOURCE",
    "CURRENT_LIMIT_LEVEL",
    "OPTION_INPUT_PRESSURE_SENSOR",
    "INPUT_PRESSURE_LIMIT",
    "DELAY_TIME",
    "COIL_ON_TIME",
    "COIL_OFF_TIME",
};

const ParameterLimit& limitOf(std::string_view field) {
    const ParameterLimit* limit = findParameterLimit(field);
    EXPECT_NE(limit, nullptr) << field;
    static const ParameterLimit none{};
    return limit != nullptr ? *limit : none;
}

bool accepts(std::string_view field, double value) {
    return acceptsValue(limitOf(field), value);
}

std::vector<std::string> violatingFields(const ParameterRecord& set) {
    std::vector<std::string> fields;
    for (const ParameterViolation& v : parameterViolations(set)) {
        fields.emplace_back(v.limit->field);
    }
    return fields;
}

TEST(ParameterLimits, EveryRowIsAFieldOfTheRecordOfItsType) {
    std::set<std::string_view> seen;
    for (const ParameterLimit& limit : parameterLimits()) {
        const ParameterField* field = findParameterField(limit.field);
        ASSERT_NE(field, nullptr) << limit.field;
        EXPECT_TRUE(seen.insert(limit.field).second) << limit.field << " twice";
        EXPECT_EQ(field->type == FieldType::Float, limit.kind == LimitKind::Float) << limit.field;
        if (limit.kind == LimitKind::Choice) {
            EXPECT_NE(limit.codes, 0u) << limit.field;
            EXPECT_TRUE(limit.offersCode(0)) << limit.field << ": every group starts at 0";
        } else {
            EXPECT_LT(limit.range.lo, limit.range.hi) << limit.field;
        }
        if (limit.widened) {
            EXPECT_LE(limit.held.lo, limit.range.lo) << limit.field;
            EXPECT_GE(limit.held.hi, limit.range.hi) << limit.field;
        }
    }
}

TEST(ParameterLimits, EveryFieldAPageEditsHasARowAndNoOtherIsChecked) {
    for (const ParameterField& field : parameterFields()) {
        const bool unchecked = kUnchecked.count(field.name) != 0;
        EXPECT_EQ(findParameterLimit(field.name) == nullptr, unchecked) << field.name;
    }
}

TEST(ParameterLimits, WhatAPageParsesPasses) {
    // The most extreme texts a user can type, clamped by the page's own parsing rule, and every
    // code of every group: whatever the pages let through must pass the check.
    for (const ParameterLimit& limit : parameterLimits()) {
        ParameterRecord set{};
        const ParameterField& field = *findParameterField(limit.field);
        switch (limit.kind) {
            case LimitKind::Integer: {
                const auto lo = static_cast<std::int32_t>(limit.range.lo);
                const auto hi = static_cast<std::int32_t>(limit.range.hi);
                for (const char* text : {"-99999999", "99999999", "0", ""}) {
                    setFieldValue(set, field, parseIntegerField(text, lo, hi));
                    EXPECT_TRUE(acceptsValue(limit, fieldValue(set, field)))
                        << limit.field << " " << text;
                }
                break;
            }
            case LimitKind::Float: {
                const auto lo = static_cast<float>(limit.range.lo);
                const auto hi = static_cast<float>(limit.range.hi);
                for (const char* text : {"-99999999", "99999999", "0", "0.05", "0.1", "0.2", ""}) {
                    setFieldValue(set, field, parseFloatField(text, lo, hi));
                    EXPECT_TRUE(acceptsValue(limit, fieldValue(set, field)))
                        << limit.field << " " << text;
                }
                break;
            }
            case LimitKind::Choice:
                for (std::int32_t code = 0; code < 32; ++code) {
                    if (limit.offersCode(code)) {
                        EXPECT_TRUE(acceptsValue(limit, code)) << limit.field << " " << code;
                    }
                }
                break;
        }
    }
}

// The page ranges, where a page's own rule (the integration time's grid, a frequency's spin
// step) is checked by its range only; codes whose radios the template keeps hidden are the
// page's codes too; and the ranges a controller may hold beyond a page.
TEST(ParameterLimits, ValuesAreCheckedAgainstThePageRangesAndCodes) {
    constexpr double nan = std::numeric_limits<float>::quiet_NaN();
    constexpr double inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::string_view field;
        std::vector<double> accepted, refused;
    };
    const Case cases[] = {
        {"PROPORTIONAL_GAIN", {20.0f}, {0.0, 20.1f, nan, inf}},
        {"FORWARD_OFFSET", {80}, {81}},
        {"SETPOINT_OFFSET", {-50}, {-51}},
        {"DERIVATION_TIME", {}, {300}},
        {"WINDOW_SIZE", {3.0f}, {2.9f}},
        {"LIMIT_SIZE", {}, {100.5f}},
        {"CONTROL_CYCLE_TIME", {}, {0}},
        {"CURRENT_MAX", {2000}, {2001}},
        {"SETPOINT_SELECTION", {5}, {6, -1}},
        {"CONTROLLER_STRUCTURE", {7}, {8}},
        {"OUTPUT_MODE", {}, {64}},
        {"ANALOG_IN_1_SIGNAL", {}, {3}},
        {"INTEGRATION_TIME", {0.33f}, {0.04f}},
        {"PWM_FREQUENCY", {25}, {5}},
        {"SELECT_FUNCTION", {3}, {}},
        {"ERROR_SELECT", {7}, {}},
        {"LED_YELLOW", {3}, {}},
        {"FEEDBACK_SELECT", {5}, {}},
        {"DP", {3}, {2}},  // the decimal point has no code 2
        {"SHUT_OFF_LEVEL", {0.0}, {-0.1f, 10.1f}},
        {"RANGE_SENSOR", {1000, 4095}, {4096, -1}},
        {"DISPLAY_SELECT", {7}, {8}},
    };
    for (const Case& c : cases) {
        for (const double v : c.accepted) {
            EXPECT_TRUE(accepts(c.field, v)) << c.field << " = " << v;
        }
        for (const double v : c.refused) {
            EXPECT_FALSE(accepts(c.field, v)) << c.field << " = " << v;
        }
    }
}

// The built-in set holds a shut-off level of 0, the case the held range is for.
TEST(ParameterLimits, TheBuiltInAndTheFirstStartDefaultSetsPass) {
    for (const bool firstStart : {false, true}) {
        TempDir dir;
        if (firstStart) {
            writeFile(dir / "KVT_para.ini",
                      test::readFile(std::string(KVT_TEST_DATA_DIR) + "/KVT_para.first-start.ini"));
        }
        ParameterSets sets;
        ReadParaIni(dir.path(), sets);
        ASSERT_EQ(sets.defaultSet.WINDOW_SIZE, 3.0f);
        EXPECT_EQ(sets.defaultSet.SHUT_OFF_LEVEL, 0.0f);
        EXPECT_TRUE(violatingFields(sets.defaultSet).empty())
            << firstStart << " " << ::testing::PrintToString(violatingFields(sets.defaultSet));
    }
}

TEST(ParameterLimits, AnEmptySetIsRefusedFieldByFieldInRecordOrder) {
    const ParameterRecord zero{};
    EXPECT_EQ(violatingFields(zero),
              (std::vector<std::string>{"PROPORTIONAL_GAIN", "INTEGRATION_TIME", "DEAD_BAND",
                                        "PWM_FREQUENCY", "CONTROL_CYCLE_TIME", "WINDOW_SIZE"}));
}

TEST(ParameterLimits, AViolationNamesTheFieldItsValueAndWhatIsAllowed) {
    TempDir dir;
    ParameterSets sets;
    ReadParaIni(dir.path(), sets);
    ParameterRecord set = sets.defaultSet;
    set.PROPORTIONAL_GAIN = 25.5f;
    set.DP = 2;
    set.SHUT_OFF_LEVEL = -1.0f;
    set.SETPOINT_SELECTION = 6;
    set.RANGE_SENSOR = -505739479;
    set.DEAD_BAND = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::string> lines;
    for (const ParameterViolation& v : parameterViolations(set)) {
        lines.push_back(violationText(v));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "PROPORTIONAL_GAIN = 25.5 (allowed: 0.1..20)",
                         "DEAD_BAND = nan (allowed: 0.1..10)",
                         "SHUT_OFF_LEVEL = -1 (allowed: 0..10)",
                         "SETPOINT_SELECTION = 6 (allowed: 0..5)",
                         "DP = 2 (allowed: 0, 1, 3)",
                         "RANGE_SENSOR = -505739479 (allowed: 0..4095)",
                     }));
}

}  // namespace
}  // namespace kvt
