// status --watch: the live status as a running log of changes, for watching an intermittent
// alarm from a terminal.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/RecordFields.h"
#include "data/StatusChanges.h"
#include "data/StatusText.h"

namespace kvt::cli {
namespace {

constexpr std::chrono::milliseconds kWatchPeriod{2000};

std::string clockText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// Waits for the next reading; false when Ctrl+C came first.
bool waitForNextReading() {
    const auto until = std::chrono::steady_clock::now() + kWatchPeriod;
    while (std::chrono::steady_clock::now() < until) {
        if (Interrupt::requested()) {
            return false;
        }
        std::this_thread::sleep_for(DeviceRunner::kPoll);
    }
    return !Interrupt::requested();
}

void printChange(const StatusChange& change, const std::string& time, Strings& strings, bool json) {
    const std::string text = statusChangeText(change, strings);
    if (json) {
        Json line = Json::object();
        line.set("time", Json::string(time))
            .set("captionId", Json::integer(change.captionId))
            .set("value", Json::integer(change.value))
            .set("text", Json::string(text));
        std::printf("%s\n", line.dump().c_str());
    } else {
        std::printf("%s %s\n", time.c_str(), text.c_str());
    }
    std::fflush(stdout);
}

}  // namespace

int watchStatus(CommandContext& c) {
    if (!c.connect()) {
        return c.code();
    }
    const bool json = c.device().options().json;
    // Nothing seen yet: every field of the first reading prints.
    StatusInfo seen{};
    for (const StatusCondition& condition : statusConditions()) {
        seen.*condition.field = -1;
    }
    for (const StatusLed& led : statusLeds()) {
        seen.*led.field = -1;
    }
    for (;;) {
        const ActionResult result =
            c.device().run({cmd::kReadStatus, notify::kStatusRead, "Read Status Update, LED"});
        if (result.status == ActionResult::Interrupted) {
            break;
        }
        if (!result.done()) {
            return c.fail(result.exitCode(), result.message);
        }
        const StatusInfo& now = c.records().status;
        const std::string time = clockText();
        for (const StatusChange& change : statusChanges(seen, now)) {
            printChange(change, time, c.program().strings(), json);
        }
        seen = now;
        if (!waitForNextReading()) {
            break;
        }
    }
    c.result().set("status", statusJson(c.records().status, c.program().strings()));
    return c.code();
}

}  // namespace kvt::cli
