#include "link/LinkThreads.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "link/FrameExtractor.h"
#include "link/TickSource.h"

namespace kvt {
namespace {

using std::chrono::milliseconds;

// Link control sleeps at most this long when nothing is pending, so that a lost doorbell could
// never stall it for long.
constexpr milliseconds kMainCtrlIdleSleep{1000};

}  // namespace

void LinkThreads::MainCtrlThread() {
    if (!link_.enterRunning(ThreadId::MainCtrl)) {
        return;
    }
    link_.THREAD_STEP = StepStart;
    while (!link_.stopRequested(ThreadId::MainCtrl)) {
        const bool progressed = mainCtrlPass();
        publishStatus();
        if (progressed) {
            continue;
        }
        milliseconds sleep = kMainCtrlIdleSleep;
        const std::int32_t step = link_.THREAD_STEP.load();
        if (step == StepAwaitTransmission || step == StepAwaitReply) {
            sleep = milliseconds(std::max<std::int32_t>(link_.timers.get(TimerLink), 1));
        }
        link_.mainCtrlWakeup.waitFor(link_.ticks.maxSleep(sleep));
    }
    stopOtherThreads();
    link_.markStopped(ThreadId::MainCtrl);
}

bool LinkThreads::mainCtrlPass() {
    switch (link_.THREAD_STEP.load()) {
        case StepStart:
            link_.THREAD_STEP = StepResetRetry;
            return true;
        case StepResetRetry:
            link_.RETRY = 0;
            link_.THREAD_STEP = StepIdle;
            return true;
        case StepIdle:
            if (link_.SEND_STATE.load() == SendRequested) {
                link_.THREAD_STEP = StepHandOver;
                return true;
            }
            if (link_.RECEIVE_STATE.load() == ReceiveAwaited) {
                link_.THREAD_STEP = StepStartWaiting;
                return true;
            }
            return false;
        case StepHandOver:
            if (link_.inTestMode()) {
                simulator_.SimulateReply(link_);
            }
            link_.timers.set(TimerLink, link_.timing.sendTimeoutMs);
            link_.writeRequest = WritePosted;
            link_.wake(ThreadId::WriteCom);
            link_.THREAD_STEP = StepAwaitTransmission;
            return true;
        case StepAwaitTransmission: {
            const std::int32_t sendState = link_.SEND_STATE.load();
            if (sendState == SendIdle) {
                // Abandoned by the engine: a request not yet taken by the transmit thread is
                // withdrawn, so it cannot go out later when the port opens.
                std::int32_t posted = WritePosted;
                link_.writeRequest.compare_exchange_strong(posted, WriteNone);
                link_.THREAD_STEP = StepStart;
                return true;
            }
            if (link_.writeRequest.load() == WriteNone) {
                if (sendState != SendWriteFailed && sendState != SendShortWrite) {
                    link_.SEND_STATE = SendDone;
                }
                link_.wake(ThreadId::Action);
                link_.THREAD_STEP = sendState == SendWriteFailed || sendState == SendShortWrite
                                        ? StepStart
                                        : StepIdle;
                return true;
            }
            if (link_.timers.expired(TimerLink)) {
                std::int32_t posted = WritePosted;
                link_.writeRequest.compare_exchange_strong(posted, WriteNone);
                trace_.text("Send Timeout ", TraceKind::SendText);
                link_.SEND_STATE = SendTimeout;
                link_.wake(ThreadId::Action);
                link_.THREAD_STEP = StepStart;
                return true;
            }
            return false;
        }
        case StepStartWaiting:
            link_.timers.set(TimerLink, link_.timing.replyTimeoutMs);
            link_.THREAD_STEP = StepAwaitReply;
            return true;
        case StepAwaitReply: {
            if (link_.RECEIVE_STATE.load() == ReceiveIdle) {
                link_.THREAD_STEP = StepStart;
                return true;
            }
            const std::uint32_t readBefore = link_.ring.readIndex();
            if (auto frame = GetReceivedFrame(link_, trace_)) {
                auto& reply = link_.replyBuffer;
                std::fill(reply.begin(), reply.end(), std::uint8_t{0});
                std::copy(frame->begin(), frame->end(), reply.begin());
                link_.RECEIVE_STATE = ReceiveDone;
                link_.wake(ThreadId::Action);
                link_.THREAD_STEP = StepStart;
                return true;
            }
            if (link_.timers.expired(TimerLink)) {
                link_.RETRY.fetch_add(1);
                // One receive time-out is tolerated per exchange: the first one ends it.
                trace_.text("Receive Timeout max retry", TraceKind::ReceiveText);
                link_.RECEIVE_STATE = ReceiveTimeout;
                link_.wake(ThreadId::Action);
                link_.THREAD_STEP = StepStart;
                return true;
            }
            // Noise dropped in front of a stream record: look again at once rather than sleep
            // until the receive thread brings more bytes (with a full ring it may bring none).
            return link_.ring.readIndex() != readBefore;
        }
        default:
            link_.THREAD_STEP = StepStart;
            return true;
    }
}

void LinkThreads::publishStatus() {
    link_.status[StatusThreadStep] = static_cast<std::uint32_t>(link_.THREAD_STEP.load());
    link_.status[StatusSendState] = static_cast<std::uint32_t>(link_.SEND_STATE.load());
    link_.status[StatusReceiveState] = static_cast<std::uint32_t>(link_.RECEIVE_STATE.load());
    link_.status[StatusRetry] = static_cast<std::uint32_t>(link_.RETRY.load());
}

void LinkThreads::stopOtherThreads() {
    const ThreadId others[] = {ThreadId::WriteCom, ThreadId::ReadCom, ThreadId::Action};
    for (ThreadId id : others) {
        std::int32_t running = RunRunning;
        if (!link_.runFlag[static_cast<int>(id)].compare_exchange_strong(running,
                                                                         RunStopRequested)) {
            link_.runFlag[static_cast<int>(id)] = RunStopped;
        }
        link_.wake(id);
    }
    for (;;) {
        const bool allStopped = std::all_of(std::begin(others), std::end(others), [&](ThreadId id) {
            return link_.runFlag[static_cast<int>(id)].load() == RunStopped;
        });
        if (allStopped) {
            break;
        }
        link_.mainCtrlWakeup.waitFor(milliseconds(5));
    }
}

void LinkThreads::WriteComThread() {
    if (!link_.enterRunning(ThreadId::WriteCom)) {
        return;
    }
    while (!link_.stopRequested(ThreadId::WriteCom)) {
        if (link_.portOpen.load() == 0) {
            // Write requests wait; link control's send time-out ends them.
            link_.writeComWakeup.waitFor(milliseconds(kIdlePollMs));
            continue;
        }
        std::int32_t posted = WritePosted;
        if (link_.writeRequest.compare_exchange_strong(posted, WriteClaimed)) {
            transmit();
            link_.writeRequest = WriteNone;
            link_.wake(ThreadId::MainCtrl);
            continue;
        }
        link_.writeComWakeup.waitFor(milliseconds(kIdlePollMs));
    }
    link_.markStopped(ThreadId::WriteCom);
}

void LinkThreads::transmit() {
    std::int32_t length = link_.transmitLength.load();
    if (length > static_cast<std::int32_t>(kLinkBufferSize)) {
        length = kTransmitClamp;
        link_.transmitBuffer[kTransmitClamp] = 0x00;
    }
    length = std::max<std::int32_t>(length, 0);
    const std::span<const std::uint8_t> bytes(link_.transmitBuffer.data(),
                                              static_cast<std::size_t>(length));
    trace_.bytes(bytes, TraceKind::SendBytes);
    if (link_.inTestMode()) {
        return;
    }
    switch (port_.writeAll(bytes)) {
        case SerialPort::WriteResult::Written:
            break;
        case SerialPort::WriteResult::Failed:
            link_.SEND_STATE = SendWriteFailed;
            break;
        case SerialPort::WriteResult::Short:
            link_.SEND_STATE = SendShortWrite;
            break;
    }
}

void LinkThreads::ReadComThread() {
    if (!link_.enterRunning(ThreadId::ReadCom)) {
        return;
    }
    while (!link_.stopRequested(ThreadId::ReadCom)) {
        if (link_.inTestMode() || link_.portOpen.load() == 0 ||
            link_.RECEIVE_STATE.load() != ReceiveAwaited) {
            // Bytes are taken from the port only while a reply is awaited.
            link_.readComWakeup.waitFor(milliseconds(kIdlePollMs));
            continue;
        }
        receive();
    }
    link_.markStopped(ThreadId::ReadCom);
}

void LinkThreads::receive() {
    const int queued = port_.queuedBytes();
    if (queued <= 0) {
        if (port_.waitReadable(link_.readComWakeup, milliseconds(kIdlePollMs)) ==
            SerialPort::WaitResult::Gone) {
            // A vanished device keeps the port "readable" forever: back off instead of spinning.
            link_.readComWakeup.waitFor(milliseconds(kIdlePollMs));
        }
        return;
    }
    int want = std::min(queued, kReceiveReadClamp);
    const auto freeSpace = static_cast<int>(link_.ring.freeSpace());
    const int record = static_cast<int>(kStreamRecordSize);
    if (link_.streamMode.load() == 0) {
        want = std::min(want, freeSpace);
    } else if (freeSpace >= kStreamReserve) {
        want = std::min(record * (want / record), record * (freeSpace / record));
    } else {
        receiveNearlyFull(queued);
        return;
    }
    if (want == 0) {
        // Part of a record, or a full ring: give the line or link control a moment.
        link_.readComWakeup.waitFor(milliseconds(1));
        return;
    }
    std::uint8_t buffer[kLinkBufferSize];
    const int got = port_.readSome(std::span(buffer, static_cast<std::size_t>(want)));
    if (got < 0) {
        link_.readComWakeup.waitFor(milliseconds(kIdlePollMs));
        return;
    }
    if (got > 0) {
        link_.ring.append(std::span(buffer, static_cast<std::size_t>(got)));
        link_.wake(ThreadId::MainCtrl);
    }
}

void LinkThreads::receiveNearlyFull(int queued) {
    if (queued < kStreamReserve) {
        link_.readComWakeup.waitFor(milliseconds(10));
        return;
    }
    // Drop one whole record so that the port input stays aligned on record starts.
    std::uint8_t record[kStreamRecordSize];
    if (port_.readSome(record) != static_cast<int>(kStreamRecordSize)) {
        return;
    }
    const auto* stx = std::find(std::begin(record), std::end(record), STX);
    if (stx == std::end(record)) {
        return;
    }
    const auto k = static_cast<std::size_t>(stx - std::begin(record));
    if (k == 0) {
        return;
    }
    // The k bytes before STX complete the record at the ring's tail, if there is room for them.
    if (link_.ring.freeSpace() >= k) {
        link_.ring.append(std::span(record, k));
        link_.wake(ThreadId::MainCtrl);
    }
    std::uint8_t discard[kStreamRecordSize];
    port_.readSome(std::span(discard, k));
}

}  // namespace kvt
