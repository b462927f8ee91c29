#pragma once

#include <optional>
#include <string_view>

namespace kvt::cli {

// Numbers in arguments: the whole word must be the number, with a decimal point whatever the
// locale ("2.5", "-50", "1e1"); anything else is refused rather than cut short.
std::optional<double> parseNumber(std::string_view text);
std::optional<long> parseWhole(std::string_view text);

// The serial setpoint as the Serial Setpoint dialog takes it: clamped to 0..100 and rounded
// down to a multiple of 0.5.
float setpointPercent(double value);
// The test time as the Test Function dialog takes it: clamped to 0..20 seconds.
float testTimeSeconds(double value);

}  // namespace kvt::cli
