// info and status: the two reads of the Diagnosis menu.
#include "cli/Commands.h"
#include "cli/RecordFields.h"

namespace kvt::cli {

int runInfo(CommandContext& c) {
    if (!c.connect() ||
        !c.runAction({cmd::kReadDeviceInfo, notify::kDeviceInfoRead, "Read Device Info"})) {
        return c.code();
    }
    c.result().set("deviceInfo", deviceInfoJson(c.records().deviceInfo));
    return c.code();
}

int runStatus(CommandContext& c) {
    if (c.invocation().has("--watch")) {
        return watchStatus(c);
    }
    if (!c.connect() ||
        !c.runAction({cmd::kReadStatus, notify::kStatusRead, "Read Status Update, LED"})) {
        return c.code();
    }
    c.result().set("status", statusJson(c.records().status, c.program().strings()));
    return c.code();
}

}  // namespace kvt::cli
