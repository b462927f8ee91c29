// The live status as the Status Info dialog and kvtcli show it.
#include "data/StatusText.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt {
namespace {

const StatusCondition& condition(std::string_view name) {
    for (const StatusCondition& c : statusConditions()) {
        if (c.name == name) {
            return c;
        }
    }
    ADD_FAILURE() << "no condition " << name;
    return statusConditions().front();
}

TEST(StatusText, ConditionsAreTheEightTwoStateFieldsInRecordOrder) {
    ASSERT_EQ(statusConditions().size(), 8u);
    EXPECT_EQ(statusConditions().front().field, &StatusInfo::overvoltage);
    EXPECT_EQ(statusConditions().back().field, &StatusInfo::reserve);
    StatusInfo status{};
    status.keyLock = 2;
    EXPECT_EQ(status.*(condition("keyLock").field), 2);
}

TEST(StatusText, EachValueHasTheWordOfItsButton) {
    EXPECT_EQ(conditionTextId(condition("overvoltage"), 1), 19);   // NO
    EXPECT_EQ(conditionTextId(condition("overvoltage"), 2), 119);  // YES
    EXPECT_EQ(conditionTextId(condition("digitalOut"), 1), 104);   // High
    EXPECT_EQ(conditionTextId(condition("digitalOut"), 2), 105);   // Low
    EXPECT_EQ(conditionTextId(condition("jumper"), 1), 35);        // On
    EXPECT_EQ(conditionTextId(condition("jumper"), 2), 36);        // Off
    EXPECT_EQ(conditionTextId(condition("reserve"), 1), 181);      // Disabled
    EXPECT_EQ(conditionTextId(condition("reserve"), 2), 182);      // Enabled
    EXPECT_EQ(condition("manualSetpoint").captionId, 189);
}

TEST(StatusText, ValuesOtherThanOneAndTwoHaveNoWord) {
    for (const std::int32_t value : {0, 3, -1, 0x101}) {
        EXPECT_FALSE(conditionTextId(condition("keyLock"), value).has_value()) << value;
    }
}

TEST(StatusText, LedsAreInRecordOrderWithTheirLabels) {
    ASSERT_EQ(statusLeds().size(), 3u);
    EXPECT_EQ(statusLeds()[0].field, &StatusInfo::ledRed);
    EXPECT_EQ(statusLeds()[0].captionId, 297);
    EXPECT_EQ(statusLeds()[1].field, &StatusInfo::ledGreen);
    EXPECT_EQ(statusLeds()[1].captionId, 295);
    EXPECT_EQ(statusLeds()[2].field, &StatusInfo::ledYellow);
    EXPECT_EQ(statusLeds()[2].captionId, 296);
}

TEST(StatusText, LedStatesHaveTheirNames) {
    EXPECT_EQ(ledStateName(*ledStateOf(0)), "dark");
    EXPECT_EQ(ledStateName(*ledStateOf(1)), "lit");
    EXPECT_EQ(ledStateName(*ledStateOf(2)), "third picture");
    EXPECT_EQ(ledStateName(*ledStateOf(3)), "blinking");
    EXPECT_FALSE(ledStateOf(4).has_value());
    EXPECT_FALSE(ledStateOf(-1).has_value());
}

TEST(StatusText, BlinkingLedAlternatesWithThePhase) {
    EXPECT_EQ(ledPicture(3, true, true), LedPicture::Lit);
    EXPECT_EQ(ledPicture(3, true, false), LedPicture::Dark);
    EXPECT_EQ(ledPicture(1, true, false), LedPicture::Lit);
    EXPECT_EQ(ledPicture(0, true, true), LedPicture::Dark);
    EXPECT_EQ(ledPicture(2, true, true), LedPicture::Third);
}

TEST(StatusText, LedIsNeutralUntilTheRecordIsValid) {
    EXPECT_EQ(ledPicture(1, false, true), LedPicture::Neutral);
    EXPECT_EQ(ledPicture(4, true, true), LedPicture::Neutral);
}

}  // namespace
}  // namespace kvt
