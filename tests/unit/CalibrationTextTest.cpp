#include <gtest/gtest.h>

#include "data/CalibrationText.h"

namespace kvt {
namespace {

TEST(CalibrationText, ValueLabelsByArray) {
    struct Case {
        int array;
        int row;
        int index;
        const char* label;
    };
    for (const Case& c :
         {Case{0, 0, 0, "PlOpenL"}, Case{0, 0, 4, ""}, Case{0, 0, 9, "Plau ON"}, Case{1, 0, 8, ""},
          Case{1, 0, 9, "PSdelay"}, Case{2, 0, 5, "KAin2Off."}, Case{3, 0, 0, " 10 %"},
          Case{3, 0, 9, " 100 %"}, Case{4, 0, 9, " "}, Case{5, 0, 6, "NPN0 PNP1"},
          Case{6, 0, 0, " -20 \u00B0C"}, Case{6, 2, 5, " 5 \u00B0C"}, Case{7, 5, 0, " 30 \u00B0C"},
          Case{7, 9, 9, " 79 \u00B0C"}, Case{8, 0, 0, ""}, Case{-1, 0, 0, ""},
          Case{0, 0, 10, ""}}) {
        EXPECT_EQ(calibrationValueLabel(c.array, c.row, c.index), c.label)
            << c.array << "/" << c.row << "/" << c.index;
    }
}

TEST(CalibrationText, RowsProgressAndModes) {
    EXPECT_EQ(temperatureRowText(0), "-20 \u00B0C ... -11 \u00B0C");
    EXPECT_EQ(temperatureRowText(9), "70 \u00B0C ... 79 \u00B0C");
    EXPECT_EQ(shownRow(3, 5), 0);
    EXPECT_EQ(shownRow(7, 5), 5);
    EXPECT_EQ(calibrationProgress(0xF3), 15);
    EXPECT_EQ(calibrationProgress(0x1F), 1);
    EXPECT_EQ(calibrationModeFromWord("none"), 0);
    EXPECT_EQ(calibrationModeFromWord("standard"), 1);
    EXPECT_EQ(calibrationModeFromWord("extended"), 2);
    EXPECT_EQ(calibrationModeFromWord("Standard"), std::nullopt);
}

}  // namespace
}  // namespace kvt
