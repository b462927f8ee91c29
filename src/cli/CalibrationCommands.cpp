// calibrate and reset-counter: the controller's own calibration and its counters.
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "data/CalibrationText.h"
#include "data/FieldParsing.h"

namespace kvt::cli {
namespace {

constexpr auto kCheckInterval = std::chrono::seconds(1);
// A controller that never reports the end is stopped after ten minutes of checks.
constexpr int kMaxChecks = 600;
constexpr const char* kCaution =
    "!!! Caution !!! The valve moves on its own between fully closed and fully open while the "
    "controller calibrates. Start only when the process allows it.";

// Runs one calibration action and gives the progress its notification carries.
bool runCalibrationStep(CommandContext& c, std::uint32_t bit, int doneCode, const char* title,
                        std::int32_t& progress) {
    ActionRequest request{bit, doneCode, title};
    request.onEvent = [&progress, doneCode](const CliNotifier::Event& e) {
        if (e.code == doneCode) {
            progress = static_cast<std::int32_t>(e.value);
        }
    };
    return c.runAction(request);
}

// Waits a second between checks, but not after Ctrl+C.
void pause() {
    const auto until = std::chrono::steady_clock::now() + kCheckInterval;
    while (!Interrupt::requested() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(DeviceRunner::kPoll);
    }
}

struct CounterName {
    std::string_view word;
    std::uint32_t bit;
    int doneCode;
    const char* title;
};
constexpr CounterName kCounters[] = {
    {"calibration", cmd::kResetCalibrationCounter, notify::kCalibrationCounterReset,
     "Reset Calibration Counter"},
    {"operation", cmd::kResetOperationCounter, notify::kOperationCounterReset,
     "Reset Operation Counter"},
};

}  // namespace

int runCalibrate(CommandContext& c) {
    const std::optional<std::string> modeWord = c.invocation().value("--mode");
    const std::optional<std::int32_t> mode =
        modeWord ? calibrationModeFromWord(*modeWord) : std::nullopt;
    if (!mode) {
        return c.fail(exit_code::kUsage, "calibrate: say --mode none, standard or extended");
    }
    std::optional<std::int32_t> temperature;
    if (const auto given = c.invocation().value("--temperature")) {
        const std::int32_t t = parseIntegerField(*given, -1, 1000);
        if (!kCalTemperatureRange.contains(t) || integerFieldText(t) != *given) {
            return c.fail(exit_code::kUsage, "calibrate: --temperature takes 0 to 40 (C)");
        }
        temperature = t;
    }
    std::fprintf(stderr, "%s\n", kCaution);
    if (!c.invocation().has("--yes")) {
        return c.fail(exit_code::kUsage, "calibrate starts only with --yes");
    }
    if (!c.connect()) {
        return c.code();
    }
    CalibrationRecord& cal = c.records().calibration;
    if (!temperature) {
        // The start sends a calibration temperature: without one given, the controller keeps
        // its own.
        ActionRequest read{cmd::kReadMatrix, notify::kMatrixRead, "Read Matrix"};
        read.longWork = true;
        if (!c.runAction(read)) {
            return c.code();
        }
        temperature = cal.CAL_TEMP_READ;
    }
    cal.CAL_MODE = *mode;
    cal.CAL_TEMP_WRITE = *temperature;

    std::int32_t progress = 0;
    if (!runCalibrationStep(c, cmd::kStartCalibration, notify::kCalibrationStarted,
                            "Start Calibration", progress)) {
        return c.code();
    }
    int checks = 0;
    bool complete = false;
    while (!Interrupt::requested() && checks < kMaxChecks) {
        pause();
        if (Interrupt::requested()) {
            break;
        }
        if (!runCalibrationStep(c, cmd::kCheckCalibration, notify::kCalibrationChecked,
                                "Check Calibration", progress)) {
            return c.code();
        }
        ++checks;
        std::fprintf(stderr, "calibration progress %d/%d\n", progress, kCalProgressDone);
        if (progress >= kCalProgressDone) {
            complete = true;
            break;
        }
    }
    // Stopped in every case, so that the controller does not go on calibrating on its own.
    std::int32_t stopped = progress;
    const bool interrupted = Interrupt::requested();
    if (interrupted) {
        // The stop still has to reach the controller; the runner waits for it.
        std::fprintf(stderr, "interrupted: stopping the calibration\n");
    }
    const bool stopOk = runCalibrationStep(c, cmd::kStopCalibration, notify::kCalibrationStopped,
                                           "Stop Calibration", stopped);
    Json out = Json::object();
    out.set("mode", Json::string(std::string(*modeWord)));
    out.set("temperature", Json::integer(*temperature));
    out.set("progress", Json::integer(stopOk ? stopped : progress));
    out.set("status", Json::integer(cal.CAL_STATUS));
    out.set("checks", Json::integer(checks));
    out.set("complete", Json::boolean(complete));
    c.result().set("calibration", std::move(out));
    if (!stopOk) {
        return c.code();
    }
    if (interrupted) {
        return c.fail(exit_code::kInterrupted, "calibration stopped before it was complete");
    }
    if (!complete) {
        return c.fail(exit_code::kCommunication,
                      "the controller did not report the calibration complete; stopped");
    }
    return c.code();
}

int runResetCounter(CommandContext& c) {
    const std::string& which = c.invocation().args[0];
    const CounterName* counter = nullptr;
    for (const CounterName& n : kCounters) {
        if (n.word == which) {
            counter = &n;
        }
    }
    if (counter == nullptr) {
        return c.fail(exit_code::kUsage, "reset-counter: say calibration or operation");
    }
    if (!c.invocation().has("--yes")) {
        return c.fail(exit_code::kUsage, "reset-counter sets the counter to 0 only with --yes");
    }
    if (!c.connect() || !c.runAction({counter->bit, counter->doneCode, counter->title})) {
        return c.code();
    }
    // The engine's reset action only logs: the controller has no request for it, and its
    // counter stays as it is.
    std::fprintf(stderr, "note: the controller's %s counter is not changed by this action\n",
                 std::string(counter->word).c_str());
    c.result().set("counterReset", Json::string(std::string(counter->word)));
    c.result().set("sentToController", Json::boolean(false));
    return c.code();
}

}  // namespace kvt::cli
