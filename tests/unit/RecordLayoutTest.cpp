#include <gtest/gtest.h>

#include <cstring>

#include "data/Records.h"

namespace kvt {
namespace {

TEST(ParameterFields, EveryVisibilityFlagIsUsedExactlyOnce) {
    int uses[kVisibilityFlagCount] = {};
    for (const auto& field : parameterFields()) {
        if (field.flag >= 0) {
            ASSERT_LT(field.flag, kVisibilityFlagCount) << field.name;
            ++uses[field.flag];
        }
    }
    for (int i = 0; i < kVisibilityFlagCount; ++i) {
        EXPECT_EQ(uses[i], 1) << "flag " << i;
    }
}

TEST(ParameterFields, OffsetsFollowTheWordOrderOfTheRecord) {
    const auto fields = parameterFields();
    ASSERT_EQ(fields.size(), 70u);  // words 0..70 without the reserved word 56
    for (std::size_t i = 1; i < fields.size(); ++i) {
        EXPECT_GT(fields[i].offset, fields[i - 1].offset) << fields[i].name;
    }
    EXPECT_EQ(findParameterField("SETPOINT_HYSTERESIS")->offset, 272u);
    EXPECT_EQ(findParameterField("SETPOINT_SPAN")->offset, 72u);
    EXPECT_EQ(findParameterField("NOT_A_FIELD"), nullptr);
}

TEST(ParameterFields, ValuesReadAndWriteThroughTheTable) {
    ParameterRecord record{};
    setFieldValue(record, *findParameterField("PROPORTIONAL_GAIN"), 2.35);
    setFieldValue(record, *findParameterField("SETPOINT_OFFSET"), -50.7);
    EXPECT_FLOAT_EQ(record.PROPORTIONAL_GAIN, 2.35f);
    EXPECT_EQ(record.SETPOINT_OFFSET, -50);
    EXPECT_DOUBLE_EQ(fieldValue(record, *findParameterField("SETPOINT_OFFSET")), -50.0);
}

TEST(ParameterSets, ComparisonCoversTheReservedWords) {
    ParameterRecord a{};
    ParameterRecord b{};
    EXPECT_EQ(a, b);
    b.reserved[83] = 1;
    EXPECT_FALSE(a == b);
}

TEST(DerivedStatus, ComesFromAValidDeviceSetOnly) {
    ParameterSets sets{};
    sets.deviceSet.PARAMETER_SET = 0;
    EXPECT_EQ(parameterSetState(sets), 0);
    EXPECT_EQ(setpointAdjustmentState(sets), 0);
    sets.deviceSet.VALID = 1;
    EXPECT_EQ(parameterSetState(sets), 2);
    sets.deviceSet.PARAMETER_SET = 1;
    EXPECT_EQ(parameterSetState(sets), 1);
    sets.deviceSet.PARAMETER_SET = 5;
    EXPECT_EQ(parameterSetState(sets), 0);
    sets.deviceSet.SETPOINT_ADJUSTMENT = 1;
    EXPECT_EQ(setpointAdjustmentState(sets), 2);
    sets.deviceSet.VALID = 0x101;  // only the low byte counts
    EXPECT_EQ(setpointAdjustmentState(sets), 2);
}

TEST(CodedTimings, ConvertBetweenSecondsAndCodes) {
    EXPECT_EQ(timing::coilOnTimeCode(3.0), 0);
    EXPECT_EQ(timing::coilOnTimeCode(4.0), 3);
    EXPECT_DOUBLE_EQ(timing::coilOnTimeSeconds(0), 0.5);
    EXPECT_DOUBLE_EQ(timing::coilOnTimeSeconds(3), 4.0);
    EXPECT_EQ(timing::delayTimeCode(12), 1);
    EXPECT_DOUBLE_EQ(timing::delayTimeSeconds(1), 10.0);
    EXPECT_EQ(timing::delayTimeCode(0), -1);
    EXPECT_DOUBLE_EQ(timing::delayTimeSeconds(-1), 0.0);
    EXPECT_EQ(timing::coilOffTimeCode(7), 2);
    EXPECT_DOUBLE_EQ(timing::coilOffTimeSeconds(2), 6.0);
}

TEST(CalibrationRecord, MatrixPresentIsTheValidMarkOfTheLastRowRead) {
    CalibrationRecord cal{};
    const auto* words = reinterpret_cast<const std::int32_t*>(&cal);
    cal.matrixPresent() = 1;
    EXPECT_EQ(words[1774], 1);
    EXPECT_TRUE(cal.isMatrixPresent());
}

}  // namespace
}  // namespace kvt
