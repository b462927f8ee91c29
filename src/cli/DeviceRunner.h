#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliNotifier.h"
#include "cli/Program.h"
#include "cli/ProgressLine.h"
#include "cli/SimulatedLine.h"
#include "engine/DeviceSession.h"

namespace kvt::cli {

// One device action as a command asks for it: the bits to post and the notification that ends
// it, plus what the command wants to see on the way.
struct ActionRequest {
    ActionRequest(std::uint32_t bits, int doneCode, std::string title)
        : bits(bits), doneCode(doneCode), title(std::move(title)) {}

    std::uint32_t bits = 0;
    int doneCode = 0;
    std::string title;  // for the progress line
    // Ctrl+C abandons the action (the command word is cleared), or, for a recording, asks for
    // the orderly stop so that the controller gets its PAS and the samples are kept.
    enum class OnInterrupt { Abandon, StopAcquisition } onInterrupt = OnInterrupt::Abandon;
    // Every notification, on the main thread, before the runner looks at it.
    std::function<void(const CliNotifier::Event&)> onEvent;
    // The progress text of the action; empty for the runner's own (the title and the time, at
    // once for long work, else only once the action takes longer than a second).
    std::function<std::string()> progress;
    bool longWork = false;
    // Asked on every look: true asks for the orderly stop of the acquisition (--stop-after).
    std::function<bool()> stopWanted;
};

struct ActionResult {
    enum Status { Done, Failed, NoBaudRate, Refused, Interrupted } status = Done;
    int code = 0;                // the notification that ended it
    std::string message;         // for the user when it did not end as done
    bool stopRequested = false;  // the acquisition was asked to stop before it ended by itself
    bool interrupted = false;    // by a signal (also when an orderly stop then ended it)

    bool done() const { return status == Done; }
    int exitCode() const;
};

// The device side of a run: the session with its four threads, started once, and the wait for
// each action's end through the notification queue, with the progress line and Ctrl+C.
class DeviceRunner {
  public:
    // How often the main thread looks at signals and the progress while it waits.
    static constexpr std::chrono::milliseconds kPoll{50};
    // How long the engine may sit idle without a notification before the wait gives up.
    static constexpr std::chrono::milliseconds kSilentEnd{400};
    // How long an abandoned action may take to reach the dispatcher.
    static constexpr std::chrono::milliseconds kAbandonWait{3000};

    DeviceRunner(Program& program, const GlobalOptions& options, ProgressLine& progress,
                 LinkTiming timing);
    ~DeviceRunner();
    DeviceRunner(const DeviceRunner&) = delete;
    DeviceRunner& operator=(const DeviceRunner&) = delete;

    // Points the port at its device (--port, --simulate's pseudo-terminal, KVT_com.ini) and
    // starts the threads. False with the reason when the simulated line cannot be made.
    bool start(std::string* error);
    // Posts the bits and waits for the end.
    ActionResult run(const ActionRequest& request);
    // Asks a running acquisition for its orderly stop, with the main window's trace line; false
    // (and nothing asked) when no acquisition runs any more, so that a recording that has just
    // ended by itself is not followed by a hard stop.
    bool requestOrderlyStop();
    // Stop Acquisition of the Scope menu: the orderly stop while an acquisition runs, else the
    // hard stop for a controller that may still be streaming.
    void requestStop();
    // Stops the threads and closes the port. Safe to call more than once.
    void stop();

    bool started() const { return session_ != nullptr; }
    DeviceSession& session() { return *session_; }
    ActionEngine& engine() { return session_->engine(); }
    std::uint32_t testModeWord() const;
    const GlobalOptions& options() const { return options_; }

  private:
    bool handle(const CliNotifier::Event& event, const ActionRequest& request,
                ActionResult& result);
    void abandon();
    std::string progressText(const ActionRequest& request,
                             std::chrono::steady_clock::time_point started);
    std::string failureText(int code);
    std::string baudrateText();

    Program& program_;
    const GlobalOptions& options_;
    ProgressLine& progress_;
    LinkTiming timing_;
    CliNotifier notifier_;
    SimulatedLine simulatedLine_;
    std::unique_ptr<DeviceSession> session_;
    int signalsSeen_ = 0;
};

}  // namespace kvt::cli
