#pragma once

#include "cli/Json.h"
#include "data/Records.h"

namespace kvt::cli {

// What `show` reports of a loaded project: its information, serial setpoint, parameter set,
// scope settings, recording and, when stored, the device information.
Json showResult(const Records& records);

// The recording's sample count and period, as `show` and `export` report it.
Json recordingSummary(const ScopeSettings& scope);

}  // namespace kvt::cli
