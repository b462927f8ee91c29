#pragma once

#include <array>
#include <optional>
#include <string>

#include "cli/Arguments.h"
#include "data/ScopeSettings.h"

namespace kvt::cli {

// kvtcli's words for the codes of the scope settings, by code: what --mode and --slope take and
// what the output shows.
inline constexpr std::array<const char*, 3> kScopeModeWords = {"step", "ramp", "trigger"};
inline constexpr std::array<const char*, 2> kTriggerSlopeWords = {"rising", "falling"};

// The recording options of `record`, checked and applied to the scope settings the way the
// Scope Setup dialog would set them. Values outside what the dialog allows are refused (a script
// should learn of its typo), not clamped.
struct RecordOptions {
    std::optional<double> stopAfterSeconds;  // --stop-after: orderly stop after this long
};

bool applyRecordOptions(const Invocation& invocation, ScopeSettings& scope, RecordOptions& options,
                        std::string* error);

// Trigger channel by name: none, a1..a4 (analog), b1..b4 (binary), or the number 0..8.
std::optional<std::int32_t> triggerChannelOf(const std::string& word);

}  // namespace kvt::cli
