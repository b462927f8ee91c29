#include "cli/Output.h"

#include <cstdio>

#include "cli/ExitCodes.h"
#include "cli/Help.h"
#include "cli/TextRender.h"

namespace kvt::cli {

int report(const GlobalOptions& options, std::string_view command, const Json& result, int code,
           const std::string& error) {
    if (options.json) {
        Json out = Json::object();
        out.set("command", Json::string(std::string(command)));
        out.set("ok", Json::boolean(code == exit_code::kDone));
        for (const auto& [key, value] : result.members()) {
            out.set(key, value);
        }
        out.set("exitCode", Json::integer(code));
        if (!error.empty()) {
            out.set("error", Json::string(error));
        }
        std::fputs((out.dump() + "\n").c_str(), stdout);
    } else if (!result.members().empty()) {
        std::fputs(renderText(result).c_str(), stdout);
    }
    std::fflush(stdout);
    if (!error.empty()) {
        std::fprintf(stderr, "kvtcli: %s\n", error.c_str());
    }
    return code;
}

int reportUsage(const GlobalOptions& options, std::string_view command, const std::string& error) {
    return report(options, command, Json::object(), exit_code::kUsage, error + " " + kUsageHint);
}

}  // namespace kvt::cli
