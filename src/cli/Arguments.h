#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvt::cli {

// The options that every command takes, before or after the command name.
struct GlobalOptions {
    std::string port;  // --port PATH: the device path, whatever KVT_com.ini chooses
    bool simulate = false;
    std::string workdir;  // --workdir DIR; empty: the current directory
    bool log = false;
    bool json = false;
    bool help = false;
};

// An option of one command: "--pwm", "-o FILE".
struct OptionSpec {
    std::string_view name;
    bool takesValue = false;
};

// What the parser needs to know of a command.
struct CommandSpec {
    std::string_view name;
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0;
    std::span<const OptionSpec> options;
};

// One command line, parsed.
struct Invocation {
    GlobalOptions global;
    const CommandSpec* command = nullptr;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> options;

    bool has(std::string_view option) const;
    std::optional<std::string> value(std::string_view option) const;
};

struct ParseResult {
    bool ok = false;
    Invocation invocation;
    std::string error;  // one line, for a usage error
};

using CommandLookup = std::function<const CommandSpec*(std::string_view name)>;

// Parses the arguments after the program name. Global options may stand anywhere; "--name=value"
// works for every option that takes a value; "--" ends the options. A word that begins with "-"
// and a digit is a value (a negative number), not an option. Every option may be given once.
ParseResult parseArguments(std::span<const std::string> args, const CommandLookup& lookup);

}  // namespace kvt::cli
