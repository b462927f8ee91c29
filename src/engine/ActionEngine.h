#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "data/Records.h"
#include "data/Strings.h"
#include "data/TraceSink.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"
#include "link/LinkState.h"
#include "link/SerialPort.h"
#include "link/SimulatedDevice.h"

namespace kvt {

// One request of an action: what goes on the line and what reply it awaits.
struct Request {
    static constexpr std::size_t kMaxData = 11;

    std::string_view mnemonic;  // named in the error traces of this request
    std::uint8_t code = 0;
    std::array<std::uint8_t, kMaxData> data{};
    std::uint8_t dataLength = 1;         // a request that carries no value still sends one 0x00
    std::int32_t replyLength = 3;        // 1: an acknowledge; otherwise a data reply of that length
    std::string_view sendMnemonic = {};  // names a send failure, when it differs
    // Outside a stream the controller sends exactly one reply per request, so bytes waiting
    // behind a reply mean it was not the reply (noise in front of it) and the exchange fails.
    // Requests next to a stream (the one that starts it, PAS) expect stream bytes around them.
    bool streamAround = false;

    static Request read(std::string_view mnemonic, std::uint8_t code, std::int32_t replyLength = 3);
    static Request write(std::string_view mnemonic, std::uint8_t code, std::uint8_t value);
};

// The three steps of one exchange: send, await the send, await the reply.
struct ExchangeSteps {
    std::uint32_t send;
    std::uint32_t awaitSend;
    std::uint32_t awaitReply;
    static constexpr ExchangeSteps at(std::uint32_t first) { return {first, first + 1, first + 2}; }
};

// What one phase of an exchange came to. Failed: the engine has already moved to the retry
// pause or the error end; the action may only note the failure.
struct ExchangeResult {
    enum Kind { Busy, Advanced, Replied, Failed } kind = Busy;
    std::span<const std::uint8_t> reply = {};
    bool replied() const { return kind == Replied; }
    bool failed() const { return kind == Failed; }
    // Whether the engine should run its next pass at once.
    bool progressed() const { return kind != Busy; }
};

class ActionEngine;

// A family of actions owns a range of steps and runs them on the engine.
class ActionFamily {
  public:
    virtual ~ActionFamily() = default;
    virtual bool ownsStep(std::uint32_t step) const = 0;
    // Runs the current step; returns true when something changed (the engine then runs the next
    // pass at once), false while it waits for the link, a timer or the user interface.
    virtual bool runStep(ActionEngine& engine, std::uint32_t step) = 0;
};

// The action engine: one device action at a time as a numbered sequence of steps, with the
// dispatcher's priority order, the retry pause, the error end and the notifications.
class ActionEngine {
  public:
    struct Services {
        LinkState& link;
        SerialPort& port;
        TraceSink& trace;
        Records& records;
        Notifier& notifier;
        Strings& strings;
        // In test mode the acquisition asks the simulated device for stream data itself.
        SimulatedDevice* simulator = nullptr;
    };

    explicit ActionEngine(Services services);
    ~ActionEngine();
    ActionEngine(const ActionEngine&) = delete;
    ActionEngine& operator=(const ActionEngine&) = delete;

    // --- user-interface side ---
    std::uint32_t commandWord() const { return link_.status[StatusThreadCmd].load(); }
    // ORs the bits into THREAD_CMD and rings the engine.
    void post(std::uint32_t bits);
    // Clears the bits; clearing all of them abandons whatever runs.
    void clear(std::uint32_t bits);
    void clearAll();

    // --- engine thread ---
    void ActionThread();
    // One pass; true when it changed something (tests step it without a thread).
    bool pass();

    // --- for the action families ---
    LinkState& link() { return link_; }
    SerialPort& port() { return port_; }
    TraceSink& trace() { return trace_; }
    Records& records() { return records_; }
    Notifier& notifier() { return notifier_; }
    Strings& strings() { return strings_; }
    SimulatedDevice* simulator() { return simulator_; }

    std::uint32_t step() const { return link_.status[StatusActionStep].load(); }
    void goTo(std::uint32_t step) { link_.status[StatusActionStep] = step; }
    std::int32_t retryCount() const { return retry_; }
    void resetRetryCount() { retry_ = 0; }

    // Runs the phase of the exchange that the current step is in. `actionStart` is where a retry
    // resumes. A Replied result leaves the step unchanged: the caller stores the values and moves
    // on. Failed exchanges go to the retry pause or the error end by themselves.
    // With ReplyFailure::Report a time-out or a bad reply is traced and returned as Failed without
    // moving on (the baud-rate test tries the next rate instead of retrying).
    enum class ReplyFailure { Retry, Report };
    ExchangeResult exchange(const Request& request, ExchangeSteps steps, std::uint32_t actionStart,
                            ReplyFailure onReplyFailure = ReplyFailure::Retry);

    // The normal end of an action: clear its bits, back to the dispatcher, notify.
    void finish(std::uint32_t bits, int code, bool sent = true, std::intptr_t value = 0);
    // A failed exchange: retry from actionStart, or end the action when the limit is reached.
    void failExchange(int errorCode, std::uint32_t actionStart, bool countsAgainstLimit);
    // Goes to the retry pause without counting (a send failure).
    void startRetryPause(std::uint32_t actionStart);
    void goToErrorEnd(int errorCode);

    // Sends or posts notification 0x8001.
    void notifySent(int code, std::intptr_t value = 0);
    void notifyPosted(int code, std::intptr_t value = 0);
    BoxResult messageBox(const MessageBoxRequest& request);

    // Waits for the engine's timer: true once it has run out. Starts it on the first call.
    void startTimer(int timer, std::int32_t ms) { link_.timers.set(timer, ms); }
    bool timerExpired(int timer) const { return link_.timers.expired(timer); }

    // Drops the running exchange: link control returns to idle at once instead of waiting out a
    // stale reply time-out.
    void abandonExchange();
    // Drains the port input and empties the receive ring.
    void flushInput();
    // True when no exchange is running (neither send nor receive state is 1).
    bool linkIdle() const;
    bool stopRequested() const { return link_.stopRequested(ThreadId::Action); }

    // The error trace of a failed request (exposed for tests).
    std::string errorText(std::string_view mnemonic, std::span<const std::uint8_t> buffer,
                          std::int32_t state) const;

    static constexpr const char* kStoppedText = "stopped ";

  private:
    bool dispatch();
    bool retryPause(std::uint32_t step);
    bool errorEnd();
    bool runBaudTest(std::uint32_t step);
    bool deviceGoneEnd();
    // Bytes received after the reply just taken, in the receive ring or still at the port.
    int bytesBehindReply();

    LinkState& link_;
    SerialPort& port_;
    TraceSink& trace_;
    Records& records_;
    Notifier& notifier_;
    Strings& strings_;
    SimulatedDevice* simulator_;
    std::vector<std::unique_ptr<ActionFamily>> families_;
    std::int32_t retry_ = 0;  // ACTION_RETRY
    int errorCode_ = 0;       // 3 send failed, 4 no reply, 6 wrong reply
    std::uint32_t lastStep_ = 0;
};

}  // namespace kvt
