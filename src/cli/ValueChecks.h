#pragma once

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "data/Records.h"

namespace kvt::cli {

// A value of a project that a write command does not send: outside what the window's pages or
// the calibration dialog let it hold. A damaged or foreign file must never reach a valve.
struct RefusedValue {
    std::string field;  // "PROPORTIONAL_GAIN", "CAL_MATRIX_WRITE[6][2][4]"
    Json value;
    std::string allowed;  // "0.1..20", "0, 1, 3"
    std::string line;     // "PROPORTIONAL_GAIN = 1e+09 (allowed: 0.1..20)"
};

// The fields of a parameter set outside the limits of their pages (ParameterLimits.h).
std::vector<RefusedValue> refusedParameters(const ParameterRecord& set);

// The values Write Matrix would send outside the calibration dialog's ranges: the matrix values
// of the rows that travel, the two DAC values and the temperature.
std::vector<RefusedValue> refusedCalibration(const CalibrationRecord& cal);

// Ends the command before anything was sent: exit 4, one line per value on stderr, and the
// values under "outOfRange" in the result.
int refuseValues(CommandContext& context, const std::string& file,
                 const std::vector<RefusedValue>& values);

}  // namespace kvt::cli
