#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/Arguments.h"
#include "cli/DeviceRunner.h"
#include "cli/Json.h"
#include "cli/Program.h"

namespace kvt::cli {

// What a command works with, and where it leaves its result.
class CommandContext {
  public:
    CommandContext(const Invocation& invocation, Program& program, DeviceRunner& device)
        : invocation_(invocation), program_(program), device_(device) {}

    const Invocation& invocation() const { return invocation_; }
    Program& program() { return program_; }
    Records& records() { return program_.records(); }
    Json& result() { return result_; }
    const std::string& error() const { return error_; }

    // Starts the link and the engine. Commands call it once their files are in order, so that a
    // bad file never costs a baud-rate test.
    bool connect();
    DeviceRunner& device() { return device_; }
    // Runs one action; false when it did not end as done (the error and code are then set).
    bool runAction(const ActionRequest& request);

    // The project that -o names: checked to be writable, then opened (or made of the defaults),
    // before the controller is asked. False when it cannot be (the error and code are then set).
    bool openOutputProject(const std::string& path);
    // Saves the project under -o's path and names it in the result; false when the save failed
    // (the error and code are then set).
    bool saveOutputProject(const std::string& path);

    // Ends the command with an exit code and a reason for the user.
    int fail(int code, std::string message);
    int code() const { return code_; }

  private:
    const Invocation& invocation_;
    Program& program_;
    DeviceRunner& device_;
    Json result_ = Json::object();
    std::string error_;
    int code_ = 0;
};

using CommandHandler = int (*)(CommandContext& context);

// A command of the table: how it is parsed, how the help shows it, what runs it.
struct Command {
    CommandSpec declaration;
    std::string_view usage;        // "read-params [-o FILE.KVT]"
    std::string_view description;  // lines for the help, without indentation
    bool device;                   // talks to the controller (and so starts up like the window)
    CommandHandler handler;
};

std::span<const Command> commands();
const Command* findCommand(std::string_view name);
const Command* commandOf(const CommandSpec* declaration);

// The handlers, one file per family.
int runInfo(CommandContext& context);
int runStatus(CommandContext& context);
// status --watch: reads the status every two seconds and prints each change until Ctrl+C.
int watchStatus(CommandContext& context);
int runReadParams(CommandContext& context);
int runWriteParams(CommandContext& context);
int runDiff(CommandContext& context);
int runParamSet(CommandContext& context);
int runReadMatrix(CommandContext& context);
int runWriteMatrix(CommandContext& context);
int runSetpoint(CommandContext& context);
int runTestFunction(CommandContext& context);
int runAutoAdapt(CommandContext& context);
int runCalibrate(CommandContext& context);
int runResetCounter(CommandContext& context);
int runRecord(CommandContext& context);
int runStop(CommandContext& context);
int runShow(CommandContext& context);
int runExport(CommandContext& context);

}  // namespace kvt::cli
