#include "cli/Values.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kvt::cli {
namespace {

constexpr double kSetpointMax = 100.0;
constexpr double kSetpointSteps = 2.0;  // 0.5 % steps
constexpr double kTestTimeMax = 20.0;

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<long> parseWhole(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

float setpointPercent(double value) {
    const double clamped = std::clamp(value, 0.0, kSetpointMax);
    return static_cast<float>(std::trunc(clamped * kSetpointSteps) / kSetpointSteps);
}

float testTimeSeconds(double value) {
    return static_cast<float>(std::clamp(value, 0.0, kTestTimeMax));
}

}  // namespace kvt::cli
