// The parameter record's field rules; its field table itself is held in ParameterGoldenTest.
#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "data/Records.h"

namespace kvt {
namespace {

TEST(ParameterFields, AnIntFieldTakesTheNumberTruncatedTowardZero) {
    ParameterRecord record{};
    const ParameterField& span = *findParameterField("SETPOINT_SPAN");
    const std::pair<double, std::int32_t> cases[] = {
        {2.99, 2},
        {-2.99, -2},
        {0.5, 0},
        {-0.5, 0},
        {2147483647.9, 2147483647},
        {-2147483648.9, -2147483648LL},
        {2147483648.0, 0},
        {-3e9, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& [value, expected] : cases) {
        record.SETPOINT_SPAN = 77;
        setFieldValue(record, span, value);
        EXPECT_EQ(record.SETPOINT_SPAN, expected) << value;
        EXPECT_EQ(truncatedInt(value), expected) << value;
    }
    setFieldValue(record, *findParameterField("DEAD_BAND"), 0.96);
    EXPECT_EQ(record.DEAD_BAND, 0.96f) << "a float field takes the nearest float";
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
