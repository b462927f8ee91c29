#pragma once

#include <string>
#include <vector>

namespace kvt::devsim {

// The command line: a few options of the program itself, and options that are control commands
// run before the terminal opens (--baud 57600 is "baud 57600", --firmware 6 is "set firmware 6").
struct CommandLine {
    bool help = false;
    std::string logPath;
    std::string linkPath;
    std::vector<std::string> startupCommands;
};

// Returns false with a message for an unknown option or a missing value.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& out, std::string& error);

std::string usageText();

}  // namespace kvt::devsim
