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

TEST(StatusText, ValuesOtherThanOneAndTwoHaveNoWord) {
    for (const std::int32_t value : {0, 3, -1, 0x101}) {
        EXPECT_FALSE(conditionTextId(condition("keyLock"), value).has_value()) << value;
    }
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
