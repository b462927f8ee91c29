#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "data/Records.h"
#include "engine/DeviceSession.h"
#include "support/Pty.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingTrace.h"

namespace kvt::test {

// The engine with its link threads against a scripted controller on a pseudo-terminal. The
// script sees each complete request (as far as the request length function says) and returns the
// bytes to answer, or nothing.
class EngineHarness {
  public:
    using Script = std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)>;

    struct Config {
        // Short reply time-out and retry pause, yet long enough for a loaded machine (sanitizers).
        LinkTiming timing{500, 1000, 20, 4};
        std::uint32_t testMode = 0;
        // The counter moves only when waitFor() lets a timer run out, so a machine's load never
        // fakes a time-out and the timing may be the controller's own.
        bool manualTime = false;
    };

    explicit EngineHarness(Config config);
    EngineHarness() : EngineHarness(Config{}) {}
    ~EngineHarness();

    // Answers requests; the default script answers nothing.
    void setScript(Script script);
    void start();
    void stop();

    Records& records() { return *records_; }
    RecordingTrace& trace() { return trace_; }
    RecordingNotifier& notifier() { return notifier_; }
    DeviceSession& session() { return *session_; }
    ActionEngine& engine() { return session_->engine(); }
    Pty& pty() { return pty_; }
    ManualTickSource& ticks() { return ticks_; }

    // The requests the controller received, in order.
    std::vector<std::vector<std::uint8_t>> requests() const;
    // The same without the baud-rate test's version request in front.
    std::vector<std::vector<std::uint8_t>> actionRequests() const;
    // Runs the action bits and waits for a notification code.
    bool run(std::uint32_t bits, int code);
    // Waits for a notification code. On manual time the clock meanwhile moves on to the end of
    // whichever timer nothing else can end first: an engine timer (retry pause, short waits)
    // while no exchange is in flight, or the reply time-out of a request the controller left
    // unanswered.
    bool waitFor(int code, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // On manual time: waits until link control and the engine have seen the current count and
    // gone back to sleep (see ManualTickSource::settle).
    bool settle() { return ticks_.settle(2); }
    // Waits until the command word is 0 and the engine is at its dispatcher.
    bool waitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  private:
    void serve();
    void moveClock();

    Pty pty_;
    ManualTickSource ticks_;
    RecordingTrace trace_;
    RecordingNotifier notifier_;
    EngineStrings strings_;
    std::unique_ptr<Records> records_;
    std::unique_ptr<DeviceSession> session_;
    mutable std::mutex mutex_;
    Script script_;
    std::vector<std::vector<std::uint8_t>> requests_;
    // Numbers (from 1) of the last request left unanswered and of the last one whose reply
    // time-out the clock was moved past.
    std::size_t unanswered_ = 0;
    std::size_t timedOut_ = 0;
    bool manualTime_ = false;
    std::atomic<bool> stop_{false};
    std::thread peer_;
};

// Waits until the engine's command word is 0 and it is at its dispatcher.
bool waitEngineIdle(ActionEngine& engine, std::chrono::milliseconds timeout);

}  // namespace kvt::test
