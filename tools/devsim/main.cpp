#include <unistd.h>

#include "CommandLine.h"
#include "ControlCommands.h"
#include "Emulator.h"

using namespace kvt::devsim;

int main(int argc, char** argv) {
    const Clock::time_point origin = Clock::now();
    const StopSignals signals;
    CommandLine commandLine;
    std::string problem;
    if (!parseCommandLine(argc, argv, commandLine, problem)) {
        Emulator::warn(problem);
        return 2;
    }
    if (commandLine.help) {
        std::string text = usageText();
        text.pop_back();
        Emulator::say(text);
        return 0;
    }

    Emulator emulator(origin, commandLine.linkPath);
    if (!commandLine.logPath.empty() && !emulator.openLog(commandLine.logPath, problem)) {
        Emulator::warn(problem);
        return 2;
    }
    CommandContext startup{emulator, [](std::string_view) {}, true, 0};
    for (const std::string& command : commandLine.startupCommands) {
        const std::string reply = runControlCommand(startup, command);
        if (reply.rfind("error", 0) == 0) {
            Emulator::warn("'" + command + "': " + reply.substr(7));
            return 2;
        }
    }
    if (!emulator.openTerminal(problem)) {
        Emulator::warn(problem);
        return 1;
    }
    ControlInput input(STDIN_FILENO);
    return emulator.run(input, signals);
}
