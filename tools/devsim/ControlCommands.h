#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kvt::devsim {

class Emulator;

struct CommandContext {
    Emulator& emulator;
    // Lines a command prints before its reply (help, state); the reply is the returned line.
    std::function<void(std::string_view)> info;
    // Commands given as options or in a state file run before the terminal exists.
    bool startup = false;
    int depth = 0;  // nesting of "source"
};

// Runs one control line. Returns the reply: "ok ..." or "error: ...", or an empty string for a
// blank or comment line.
std::string runControlCommand(CommandContext& context, std::string_view line);

// The control commands for --help and "help".
std::string controlCommandHelp();

}  // namespace kvt::devsim
