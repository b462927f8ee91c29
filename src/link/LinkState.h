#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "data/StatusBlock.h"
#include "link/Frame.h"
#include "link/LinkTiming.h"
#include "link/ReceiveRing.h"
#include "link/Wakeup.h"

namespace kvt {

class TickSource;

// The four worker threads, in the order they are started.
enum class ThreadId : int { MainCtrl = 0, Action = 1, WriteCom = 2, ReadCom = 3 };
inline constexpr int kThreadCount = 4;

enum RunFlag : std::int32_t {
    RunNotStarted = 0,
    RunRunning = 1,
    RunStopRequested = 2,
    RunStopped = 3,
};

enum SendState : std::int32_t {
    SendIdle = 0,
    SendRequested = 1,
    SendDone = 2,
    SendTimeout = 3,
    SendWriteFailed = 4,
    SendShortWrite = 5,
};

enum ReceiveState : std::int32_t {
    ReceiveIdle = 0,
    ReceiveAwaited = 1,
    ReceiveDone = 2,
    ReceiveTimeout = 3,
};

// Timer numbers of the ten millisecond down-counters.
enum TimerId : int {
    TimerLink = 0,        // link control's send and reply time-outs
    TimerRetryPause = 1,  // the engine's pause before a retry
    TimerEngineWait = 2,  // short waits inside actions
    TimerAcqBlock = 3,    // acquisition pacing in test mode
    TimerAcqStop = 4,     // acquisition hard stop
};
inline constexpr int kTimerCount = 10;

// The ten millisecond down-counters. A timer is kept as its start and length on the tick
// source, so it counts down whether or not a thread is awake to decrement it; a thread that waits
// for one sleeps exactly until it runs out.
class LinkTimers {
  public:
    explicit LinkTimers(TickSource& ticks) : ticks_(ticks) {}

    void set(int timer, std::int32_t ms);
    // Milliseconds left; 0 once run out (and for a timer never set).
    std::int32_t get(int timer) const;
    bool expired(int timer) const { return get(timer) == 0; }
    // Time until the nearest running timer runs out; -1 when none runs.
    std::int32_t nearest() const;

  private:
    struct Counter {
        std::atomic<std::uint64_t> packed{0};  // start ms in the high half, length in the low
    };
    TickSource& ticks_;
    std::array<Counter, kTimerCount> counters_{};
};

// The block of link state that the four worker threads share. Every shared word is atomic;
// the buffers are handed over by the flags (write request, SEND_STATE, RECEIVE_STATE) and are not
// touched by the other side until the flag changes.
struct LinkState {
    explicit LinkState(TickSource& ticks, LinkTiming timing = {})
        : ticks(ticks), timing(timing), timers(ticks) {}
    LinkState(const LinkState&) = delete;
    LinkState& operator=(const LinkState&) = delete;

    TickSource& ticks;
    const LinkTiming timing;

    std::array<std::atomic<std::int32_t>, kThreadCount> runFlag{};
    std::atomic<std::int32_t> THREAD_STEP{0};
    std::atomic<std::int32_t> SEND_STATE{SendIdle};
    std::atomic<std::int32_t> RECEIVE_STATE{ReceiveIdle};
    std::atomic<std::int32_t> RETRY{0};
    std::atomic<std::int32_t> writeRequest{0};
    std::atomic<std::int32_t> expectedLength{0};
    std::atomic<std::int32_t> transmitLength{0};
    std::atomic<std::int32_t> portOpen{0};
    std::atomic<std::int32_t> streamMode{0};
    std::atomic<std::uint32_t> testMode{0};
    // Set by the transmit or receive thread when the port reports that the device has gone (an
    // adapter pulled out, the far end of a pseudo-terminal closed); cleared when the port opens.
    std::atomic<std::int32_t> deviceGone{0};

    LinkBuffer transmitBuffer{};
    LinkBuffer replyBuffer{};
    // The reply just taken out of the ring, followed by one 0x00 byte.
    std::array<std::uint8_t, kLinkBufferSize + 1> frameBuffer{};
    ReceiveRing ring;

    LinkTimers timers;
    StatusBlock status{};

    // Doorbells of the four threads (the receive thread also waits on the port).
    Wakeup mainCtrlWakeup;
    Wakeup actionWakeup;
    Wakeup writeComWakeup;
    FdWakeup readComWakeup;

    bool inTestMode() const { return (testMode.load() & 1u) != 0; }

    // A thread marks itself running (0 -> 1) when it starts; false when it was stopped before it
    // got there, and must leave at once.
    bool enterRunning(ThreadId thread) {
        std::int32_t notStarted = RunNotStarted;
        return runFlag[static_cast<int>(thread)].compare_exchange_strong(notStarted, RunRunning);
    }
    bool stopRequested(ThreadId thread) const {
        return runFlag[static_cast<int>(thread)].load() == RunStopRequested;
    }
    void markStopped(ThreadId thread) { runFlag[static_cast<int>(thread)] = RunStopped; }

    void wake(ThreadId thread);
    void wakeAll();
};

}  // namespace kvt
