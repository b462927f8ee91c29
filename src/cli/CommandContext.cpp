#include "cli/Commands.h"

#include "cli/ExitCodes.h"
#include "cli/ProjectStore.h"

namespace kvt::cli {

bool CommandContext::connect() {
    std::string error;
    if (!device_.start(&error)) {
        fail(exit_code::kCommunication, error);
        return false;
    }
    return true;
}

bool CommandContext::runAction(const ActionRequest& request) {
    const ActionResult result = device_.run(request);
    if (result.done()) {
        return true;
    }
    fail(result.exitCode(), result.message);
    return false;
}

bool CommandContext::openOutputProject(const std::string& path) {
    if (const FileOutcome target = checkProjectTarget(path); !target.ok) {
        fail(exit_code::kFile, target.message);
        return false;
    }
    if (const FileOutcome opened = openOrCreateProject(program_, path); !opened.ok) {
        fail(exit_code::kFile, opened.message);
        return false;
    }
    return true;
}

bool CommandContext::saveOutputProject(const std::string& path) {
    if (const FileOutcome saved = saveProject(program_, path); !saved.ok) {
        fail(exit_code::kFile, saved.message);
        return false;
    }
    result_.set("project", Json::string(projectPath(path)));
    return true;
}

int CommandContext::fail(int code, std::string message) {
    code_ = code;
    error_ = std::move(message);
    return code;
}

}  // namespace kvt::cli
