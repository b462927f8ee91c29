#include "data/CalibrationText.h"

#include <array>

namespace kvt {
namespace {

// Labels of the six arrays that have a single row; "Display" (3) counts in percent instead.
constexpr int kDisplayArray = 3;
using RowLabels = std::array<const char*, 10>;
constexpr std::array<RowLabels, 6> kSingleRowLabels = {{
    {"PlOpenL", "PlOpenH", "PlCloseL", "PlCloseH", "", "", "", "", "Imax", "Plau ON"},
    {"", "", "", "", "", "", "", "", "", "PSdelay"},
    {"Open Low", "Open High", "Close Low", "Close High", "KAin2Span", "KAin2Off.", "Hysterese",
     "Deadband", "Gap Open", "Gap Close"},
    {},
    {"Corr.Setp.", "Corr.AOut", "Corr.AIn2", "DF.Low", "DF.High", "Dec.Point", "PGA", "12BSerTO",
     "", " "},
    {"Prop.Gain", "Deri.Time", "For.Gain", "For.Offset", " ", " ", "NPN0 PNP1", "Sen.Imp H",
     "Sen.Imp L", "Gate/10ms"},
}};

int rowTemperature(int row) {
    return kCalLowestTemperature + 10 * row;
}

}  // namespace

std::string calibrationValueLabel(int array, int row, int index) {
    if (index < 0 || index >= kCalRows) {
        return {};
    }
    if (isTemperatureArray(array)) {
        return " " + std::to_string(rowTemperature(row) + index) + " \u00B0C";
    }
    if (array == kDisplayArray) {
        return " " + std::to_string(10 * (index + 1)) + " %";
    }
    if (array < 0 || array >= static_cast<int>(kSingleRowLabels.size())) {
        return {};
    }
    return kSingleRowLabels[static_cast<std::size_t>(array)][static_cast<std::size_t>(index)];
}

std::string temperatureRowText(int row) {
    const int low = rowTemperature(row);
    return std::to_string(low) + " \u00B0C ... " + std::to_string(low + 9) + " \u00B0C";
}

std::optional<std::int32_t> calibrationModeFromWord(std::string_view word) {
    for (const auto& m : kCalibrationModes) {
        if (m.word == word) {
            return m.mode;
        }
    }
    return std::nullopt;
}

}  // namespace kvt
