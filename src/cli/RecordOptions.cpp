#include "cli/RecordOptions.h"

#include <array>

#include "cli/Values.h"
#include "data/ScopeModel.h"

namespace kvt::cli {
namespace {

constexpr std::array<const char*, 9> kTriggerChannels = {"none", "a1", "a2", "a3", "a4",
                                                         "b1",   "b2", "b3", "b4"};
constexpr long kMinAcqTime = 4;
constexpr long kMaxAcqTime = 20;
constexpr long kMaxTriggerLevel = 100;
constexpr double kMaxStopAfter = 24.0 * 3600.0;

template <std::size_t N>
std::optional<std::int32_t> indexOf(const std::array<const char*, N>& words,
                                    const std::string& word) {
    for (std::size_t i = 0; i < N; ++i) {
        if (word == words[i]) {
            return static_cast<std::int32_t>(i);
        }
    }
    return std::nullopt;
}

bool refuse(std::string* error, std::string message) {
    if (error != nullptr) {
        *error = "record: " + std::move(message);
    }
    return false;
}

}  // namespace

std::optional<std::int32_t> triggerChannelOf(const std::string& word) {
    if (const auto named = indexOf(kTriggerChannels, word)) {
        return named;
    }
    const std::optional<long> number = parseWhole(word);
    if (number && *number >= 0 && *number < static_cast<long>(kTriggerChannels.size())) {
        return static_cast<std::int32_t>(*number);
    }
    return std::nullopt;
}

bool applyRecordOptions(const Invocation& inv, ScopeSettings& scope, RecordOptions& options,
                        std::string* error) {
    ScopeSettings s = scope;
    if (const auto mode = inv.value("--mode")) {
        const auto index = indexOf(kScopeModeWords, *mode);
        if (!index) {
            return refuse(error, "--mode is step, ramp or trigger, not '" + *mode + "'");
        }
        s.mode = *index;
    }
    if (const auto time = inv.value("--time")) {
        const std::optional<long> seconds = parseWhole(*time);
        if (!seconds || *seconds < kMinAcqTime || *seconds > kMaxAcqTime) {
            return refuse(error, "--time is whole seconds from 4 to 20, not '" + *time + "'");
        }
        s.acqTime = static_cast<std::int32_t>(*seconds);
    }
    if (const auto ms = inv.value("--sample-ms")) {
        const std::optional<long> value = parseWhole(*ms);
        bool found = false;
        for (std::size_t i = 0; value && i < kSamplePeriodsMs.size(); ++i) {
            if (kSamplePeriodsMs[i] == *value) {
                s.sampleRateIndex = static_cast<std::int32_t>(i);
                found = true;
            }
        }
        if (!found) {
            return refuse(error, "--sample-ms is 4, 10, 20, 40, 100 or 200, not '" + *ms + "'");
        }
    }
    if (const auto channel = inv.value("--trigger")) {
        const auto index = triggerChannelOf(*channel);
        if (!index) {
            return refuse(error, "--trigger is none, a1..a4 or b1..b4, not '" + *channel + "'");
        }
        s.triggerChannel = *index;
    }
    if (const auto level = inv.value("--level")) {
        const std::optional<long> value = parseWhole(*level);
        if (!value || *value < -kMaxTriggerLevel || *value > kMaxTriggerLevel) {
            return refuse(error,
                          "--level is a whole percentage from -100 to 100, not '" + *level + "'");
        }
        s.triggerValue = static_cast<std::int32_t>(*value);
    }
    if (const auto slope = inv.value("--slope")) {
        const auto index = indexOf(kTriggerSlopeWords, *slope);
        if (!index) {
            return refuse(error, "--slope is rising or falling, not '" + *slope + "'");
        }
        s.triggerSlope = *index;
    }
    if (const auto after = inv.value("--stop-after")) {
        const std::optional<double> seconds = parseNumber(*after);
        if (!seconds || *seconds <= 0 || *seconds > kMaxStopAfter) {
            return refuse(error,
                          "--stop-after is a number of seconds above 0, not '" + *after + "'");
        }
        options.stopAfterSeconds = *seconds;
    }
    scope = s;
    return true;
}

}  // namespace kvt::cli
