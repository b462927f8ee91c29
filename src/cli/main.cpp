// kvtcli: the service tool's device actions from the command line.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Help.h"
#include "cli/Interrupt.h"
#include "cli/LinkTimingOverride.h"
#include "cli/Output.h"
#include "data/CommandLine.h"

namespace {

using namespace kvt;
using namespace kvt::cli;

int runCommand(const Invocation& inv, const Command& command, const LinkTiming& timing) {
    const GlobalOptions& g = inv.global;
    Program program;
    std::string error;
    if (!program.setWorkingDirectory(g.workdir, &error)) {
        return report(g, command.declaration.name, Json::object(), exit_code::kFile, error);
    }
    program.loadLanguageLibrary();
    if (command.device) {
        program.applyStartupFiles();
    }
    if (g.log) {
        program.openTrace(g.simulate ? kTestModeSimulate : 0u);
    }
    ProgressLine progress(ProgressLine::wanted(g.json));
    DeviceRunner device(program, g, progress, timing);
    CommandContext context(inv, program, device);
    const int code = command.handler(context);
    // The order of the window's end: the threads stop (the port closes), then the trace.
    device.stop();
    progress.clear();
    program.closeTrace();
    if (code == exit_code::kUsage) {
        return reportUsage(g, command.declaration.name, context.error());
    }
    return report(g, command.declaration.name, context.result(), code, context.error());
}

}  // namespace

int main(int argc, char** argv) {
    Interrupt::install();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parseArguments(args, [](std::string_view name) {
        const Command* command = findCommand(name);
        return command != nullptr ? &command->declaration : nullptr;
    });
    const Invocation& inv = parsed.invocation;
    const Command* command = commandOf(inv.command);
    const std::string_view name =
        command != nullptr ? command->declaration.name : std::string_view();
    if (!parsed.ok) {
        return reportUsage(inv.global, name, parsed.error);
    }
    if (inv.global.help) {
        std::fputs((command != nullptr ? commandHelp(*command) : programHelp()).c_str(), stdout);
        return exit_code::kDone;
    }
    LinkTiming timing;
    if (const char* text = std::getenv(kLinkTimingVariable); text != nullptr) {
        std::string error;
        if (!applyLinkTiming(text, timing, &error)) {
            return reportUsage(inv.global, name, error);
        }
    }
    return runCommand(inv, *command, timing);
}
