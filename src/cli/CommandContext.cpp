#include "cli/Commands.h"

#include "cli/ExitCodes.h"

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

int CommandContext::fail(int code, std::string message) {
    code_ = code;
    error_ = std::move(message);
    return code;
}

}  // namespace kvt::cli
