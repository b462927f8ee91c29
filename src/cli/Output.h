#pragma once

#include <string>
#include <string_view>

#include "cli/Arguments.h"
#include "cli/Json.h"

namespace kvt::cli {

// Writes the end of a run: with --json one object on stdout ("command", "ok", the result's
// members, "exitCode", and "error" when there is one); otherwise the result as text on stdout.
// An error goes to stderr in both cases. Returns the exit code.
int report(const GlobalOptions& options, std::string_view command, const Json& result, int code,
           const std::string& error);

// A usage error: the reason and the hint on one line on stderr (and the JSON object with
// --json). Returns the usage exit code.
int reportUsage(const GlobalOptions& options, std::string_view command, const std::string& error);

}  // namespace kvt::cli
