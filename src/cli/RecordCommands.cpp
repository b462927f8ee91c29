// record and stop: the Scope menu's Start and Stop Acquisition.
#include <algorithm>
#include <array>
#include <chrono>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/ProjectStore.h"
#include "cli/RecordFields.h"
#include "cli/RecordOptions.h"
#include "data/Format.h"
#include "data/ScopeModel.h"
#include "engine/AcquisitionCommands.h"
#include "scope/CsvExport.h"

namespace kvt::cli {
namespace {

using Clock = std::chrono::steady_clock;

// Samples a recording holds: Step and Ramp Mode up to the last announced index, Trigger Mode the
// whole window (it rolls; the newest sample is always at the right edge).
int recordedSamples(const ScopeSettings& scope, int lastIndex) {
    if (scope.mode == ScopeSettings::TriggerMode) {
        return recordedSampleCount(scope);
    }
    return std::clamp(lastIndex, 0, recordedSampleCount(scope));
}

Json recordingJson(const ScopeSettings& scope, int samples) {
    Json out = Json::object();
    Json mode = Json::integer(scope.mode);
    if (scope.mode >= 0 && scope.mode < static_cast<std::int32_t>(kScopeModeWords.size())) {
        mode.withText(kScopeModeWords[static_cast<std::size_t>(scope.mode)]);
    }
    out.set("mode", std::move(mode))
        .set("samples", Json::integer(samples))
        .set("period", Json::real(samplePeriod(scope)))
        .set("acqTime", Json::integer(scope.acqTime));
    return out;
}

FileOutcome saveCsv(CommandContext& c, const std::string& path, int samples) {
    const Records& r = c.records();
    return saveFile(path, recordingCsv(r.scope, r.samples, c.program().strings(), samples));
}

}  // namespace

int runRecord(CommandContext& c) {
    const Invocation& inv = c.invocation();
    const std::optional<std::string> out = inv.value("-o");
    const std::optional<std::string> csv = inv.value("--csv");
    if (out && !c.openOutputProject(*out)) {
        return c.code();
    }
    Records& r = c.records();
    RecordOptions options;
    std::string error;
    if (!applyRecordOptions(inv, r.scope, options, &error)) {
        return c.fail(exit_code::kUsage, error);
    }
    if (csv) {
        // Checked now, so that the recording is not lost at the end.
        if (const FileOutcome target = checkFolderWritable(*csv); !target.ok) {
            return c.fail(exit_code::kFile, target.message);
        }
    }
    const std::uint32_t bit = acquisitionBitForMode(r.scope.mode);
    if (bit == 0) {
        return c.fail(exit_code::kFile, "the project's acquisition mode " +
                                            std::to_string(r.scope.mode) + " is none of 0..2");
    }
    if (!c.connect()) {
        return c.code();
    }

    clearSamples(r.samples);
    const int capacity = recordedSampleCount(r.scope);
    int lastIndex = 0;
    const auto started = Clock::now();
    ActionRequest request{bit, notify::kAcquisitionEnded, "Recording"};
    request.onInterrupt = ActionRequest::OnInterrupt::StopAcquisition;
    request.onEvent = [&lastIndex](const CliNotifier::Event& event) {
        if (event.code == notify::kDisplayUpdate) {
            lastIndex = static_cast<int>(event.value);
        }
    };
    const bool trigger = r.scope.mode == ScopeSettings::TriggerMode;
    request.progress = [&, trigger] {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count();
        if (trigger) {
            return format("Recording (trigger, %d ms): %lld s", samplePeriodMs(r.scope),
                          static_cast<long long>(seconds));
        }
        return format("Recording (%s): %d of %d samples",
                      kScopeModeWords[static_cast<std::size_t>(r.scope.mode)], lastIndex, capacity);
    };
    if (options.stopAfterSeconds) {
        const auto limit = std::chrono::duration<double>(*options.stopAfterSeconds);
        request.stopWanted = [started, limit] { return Clock::now() - started >= limit; };
    }
    c.program().trace().info(acquisitionStartTrace(r.scope.mode));
    const ActionResult result = c.device().run(request);
    if (!result.done()) {
        return c.fail(result.exitCode(), result.message);
    }

    const int samples = recordedSamples(r.scope, lastIndex);
    Json recording = recordingJson(r.scope, samples);
    recording.set("stopped", Json::boolean(result.stopRequested));
    c.result().set("recording", std::move(recording));
    if (out) {
        if (!c.saveOutputProject(*out)) {
            return c.code();
        }
    }
    if (csv) {
        if (const FileOutcome saved = saveCsv(c, *csv, samples); !saved.ok) {
            return c.fail(exit_code::kFile, saved.message);
        }
        c.result().set("csv", Json::string(projectPath(*csv)));
    }
    return c.code();
}

int runStop(CommandContext& c) {
    if (!c.connect()) {
        return c.code();
    }
    // Nothing records in this run, so this is the hard stop: PAS at both rates, no reply awaited.
    c.device().requestStop();
    if (!c.runAction({0, notify::kAcquisitionEnded, "Hard Stop Acquisition"})) {
        return c.code();
    }
    c.result().set("stopped", Json::boolean(true));
    return c.code();
}

}  // namespace kvt::cli
