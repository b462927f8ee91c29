#pragma once

#include <string>

#include "cli/Commands.h"

namespace kvt::cli {

// The text of kvtcli --help: options, every command of the table, exit codes.
std::string programHelp();
// The text of kvtcli COMMAND --help.
std::string commandHelp(const Command& command);
// The hint that follows a usage error.
inline constexpr const char* kUsageHint = "(see kvtcli --help)";

}  // namespace kvt::cli
