#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/CalibrationRecord.h"

namespace kvt {

// The two temperature arrays ("Sensor Offset", "Sensor Span") hold ten rows of ten degrees each.
inline constexpr int kCalSensorOffsetArray = 6;
inline constexpr int kCalSensorSpanArray = 7;
inline constexpr int kCalLowestTemperature = -20;
inline constexpr bool isTemperatureArray(int array) {
    return array == kCalSensorOffsetArray || array == kCalSensorSpanArray;
}
// The row a dialog shows: the temperature row for the two temperature arrays, else row 0.
inline constexpr int shownRow(int array, int row) {
    return isTemperatureArray(array) ? row : 0;
}

// The label of value `index` (0..9) of row `row` of array `array`, as the calibration dialogs
// show it.
std::string calibrationValueLabel(int array, int row, int index);
// "-20 °C ... -11 °C" for row 0 up to "70 °C ... 79 °C" for row 9.
std::string temperatureRowText(int row);

// The controller reports the progress of its calibration in the high nibble of the status byte;
// it has finished at 15.
inline constexpr std::int32_t kCalProgressDone = 15;
inline constexpr std::int32_t calibrationProgress(std::int32_t status) {
    return (status >> 4) & 0x0F;
}

// CAL_MODE by the words kvtcli takes and the captions the start confirmation shows.
struct CalibrationModeName {
    std::int32_t mode;
    std::string_view word;
    std::string_view caption;
};
inline constexpr std::array<CalibrationModeName, 3> kCalibrationModes = {{
    {0, "none", "No Compensation"},
    {1, "standard", "Standard"},
    {2, "extended", "Extended"},
}};
std::optional<std::int32_t> calibrationModeFromWord(std::string_view word);

}  // namespace kvt
