#include "engine/ActionEngine.h"

#include <algorithm>

#include "data/Format.h"
#include "engine/ActionFamilies.h"
#include "link/FrameExtractor.h"
#include "link/TickSource.h"

namespace kvt {
namespace {

using std::chrono::milliseconds;

// The engine sleeps at most this long when nothing is pending, so that a lost doorbell could
// never stall it for long.
constexpr milliseconds kIdleSleep{1000};
// Error texts grow by the buffer's bytes only while they stay below this length.
constexpr std::size_t kMaxErrorText = 140000;

}  // namespace

Request Request::read(std::string_view mnemonic, std::uint8_t code, std::int32_t replyLength) {
    Request r;
    r.mnemonic = mnemonic;
    r.code = code;
    r.replyLength = replyLength;
    return r;
}

Request Request::write(std::string_view mnemonic, std::uint8_t code, std::uint8_t value) {
    Request r;
    r.mnemonic = mnemonic;
    r.code = code;
    r.data[0] = value;
    r.replyLength = 1;
    return r;
}

const ActionEntry* actionForBit(std::uint32_t bit) {
    for (const auto& entry : kActionsByPriority) {
        if (entry.bit == bit) {
            return &entry;
        }
    }
    return nullptr;
}

ActionEngine::ActionEngine(Services s)
    : link_(s.link),
      port_(s.port),
      trace_(s.trace),
      records_(s.records),
      notifier_(s.notifier),
      strings_(s.strings),
      simulator_(s.simulator),
      families_(makeActionFamilies()) {}

ActionEngine::~ActionEngine() = default;

void ActionEngine::post(std::uint32_t bits) {
    link_.status[StatusThreadCmd].fetch_or(bits);
    link_.wake(ThreadId::Action);
}

void ActionEngine::clear(std::uint32_t bits) {
    link_.status[StatusThreadCmd].fetch_and(~bits);
    link_.wake(ThreadId::Action);
}

void ActionEngine::clearAll() {
    link_.status[StatusThreadCmd].store(0);
    link_.wake(ThreadId::Action);
}

void ActionEngine::ActionThread() {
    if (!link_.enterRunning(ThreadId::Action)) {
        return;
    }
    while (!stopRequested()) {
        if (pass()) {
            continue;
        }
        const std::int32_t timer = link_.timers.nearest();
        const milliseconds sleep = timer > 0 ? milliseconds(timer) : kIdleSleep;
        link_.actionWakeup.waitFor(link_.ticks.maxSleep(std::min(sleep, kIdleSleep)));
    }
    link_.markStopped(ThreadId::Action);
}

bool ActionEngine::pass() {
    bool abandoned = false;
    if (commandWord() == 0) {
        link_.streamMode = 0;
        records_.acquisition.acquisitionActive = 0;
        if (step() != step::kDispatcher) {
            abandonExchange();
            goTo(step::kDispatcher);
            abandoned = true;
        }
    }
    link_.status[StatusActionRetry] = static_cast<std::uint32_t>(retry_);

    const std::uint32_t current = step();
    if (current == step::kDispatcher) {
        return dispatch() || abandoned;
    }
    if (current >= step::kRetryPause && current <= step::kRetryPauseResume) {
        return retryPause(current);
    }
    if (current == step::kErrorEnd) {
        return errorEnd();
    }
    if (current >= step::kBaudTest && current <= step::kBaudTestLast) {
        return runBaudTest(current);
    }
    for (const auto& family : families_) {
        if (family->ownsStep(current)) {
            return family->runStep(*this, current);
        }
    }
    const std::string text = format("Wrong Action-Step: x%x", current);
    trace_.info(text);
    // The command word is dropped as well: the same bits would lead straight back here, one
    // message box after the other.
    clearAll();
    goTo(step::kDispatcher);
    messageBox({text, strings_.text(ids::kAppTitle), BoxButtons::Ok, BoxIcon::None, false});
    return true;
}

bool ActionEngine::dispatch() {
    retry_ = 0;
    if (commandWord() == 0) {
        return false;
    }
    if ((commandWord() & (cmd::kBaudRateTest | cmd::kHardStopAcquisition)) == 0) {
        if (records_.port.baudCode.load() == PortSettings::BaudUnknown) {
            link_.status[StatusThreadCmd].fetch_or(cmd::kBaudRateTest);
        } else {
            flushInput();
        }
    }
    const std::uint32_t word = commandWord();
    trace_.info(format("THREAD_CMD: 0x%x ", word));
    for (const auto& entry : kActionsByPriority) {
        if ((word & entry.bit) != 0) {
            goTo(entry.startStep);
            return true;
        }
    }
    const std::string text = format("Unknown THREAD_CMD: 0x%x ", word);
    trace_.info(text);
    clearAll();
    messageBox({text, strings_.text(ids::kAppTitle), BoxButtons::Ok, BoxIcon::None, true});
    return true;
}

bool ActionEngine::retryPause(std::uint32_t current) {
    switch (current) {
        case step::kRetryPause:
            link_.SEND_STATE = SendIdle;
            link_.RECEIVE_STATE = ReceiveIdle;
            link_.wake(ThreadId::MainCtrl);
            startTimer(TimerRetryPause, link_.timing.retryPauseMs);
            goTo(step::kRetryPauseWait);
            return true;
        case step::kRetryPauseWait:
            if (!timerExpired(TimerRetryPause)) {
                return false;
            }
            flushInput();
            goTo(step::kRetryPauseResume);
            return true;
        default:
            trace_.info(format("Retry %d ", retry_));
            link_.status[StatusThreadCmd].fetch_and(~cmd::kRetryInProgress);
            goTo(link_.status[StatusActionRetryStep].load());
            return true;
    }
}

bool ActionEngine::errorEnd() {
    trace_.info(kStoppedText);
    link_.status[StatusThreadCmd].store(0);
    goTo(step::kDispatcher);
    if (errorCode_ != 0) {
        notifyPosted(errorCode_, reinterpret_cast<std::intptr_t>(kStoppedText));
    }
    return true;
}

void ActionEngine::abandonExchange() {
    link_.SEND_STATE = SendIdle;
    link_.RECEIVE_STATE = ReceiveIdle;
    link_.wake(ThreadId::MainCtrl);
}

int ActionEngine::bytesBehindReply() {
    if (link_.streamMode.load() != 0 || link_.inTestMode()) {
        return 0;
    }
    return static_cast<int>(link_.ring.available()) + port_.queuedBytes();
}

bool ActionEngine::linkIdle() const {
    return link_.SEND_STATE.load() != SendRequested && link_.RECEIVE_STATE.load() != ReceiveAwaited;
}

void ActionEngine::flushInput() {
    port_.ClearComPortInputBuffer();
    ClearRcvQueue(link_, trace_);
}

std::string ActionEngine::errorText(std::string_view mnemonic, std::span<const std::uint8_t> buffer,
                                    std::int32_t state) const {
    std::string text =
        format("Action %.*s '0x%x' Step x%x, Error:%d ", static_cast<int>(mnemonic.size()),
               mnemonic.data(), link_.status[StatusActionSubCmd].load(), step(), state);
    for (std::size_t i = 0; i < buffer.size() && text.size() < kMaxErrorText; ++i) {
        text += format("%d:0x%x ", static_cast<int>(i), buffer[i]);
    }
    if (text.size() < kMaxErrorText) {
        // The sum runs over the length-many bytes that follow the first one.
        const auto& whole = buffer.data();
        std::uint8_t bcc = 0;
        for (std::size_t i = 1; i <= buffer.size() && i < kLinkBufferSize; ++i) {
            bcc = static_cast<std::uint8_t>(bcc + whole[i]);
        }
        text += format("bcc:%d ", bcc);
    }
    return text;
}

ExchangeResult ActionEngine::exchange(const Request& request, ExchangeSteps steps,
                                      std::uint32_t actionStart, ReplyFailure onReplyFailure) {
    const std::uint32_t current = step();
    if (current == steps.send) {
        if (!linkIdle()) {
            return {};
        }
        link_.status[StatusActionSubCmd] = request.code;
        const std::size_t length =
            buildRequest(link_.transmitBuffer, request.code,
                         std::span(request.data.data(),
                                   std::min<std::size_t>(request.dataLength, Request::kMaxData)));
        link_.transmitLength = static_cast<std::int32_t>(length);
        if (link_.inTestMode()) {
            link_.expectedLength = request.replyLength;
        }
        link_.SEND_STATE = SendRequested;
        link_.wake(ThreadId::MainCtrl);
        goTo(steps.awaitSend);
        return {ExchangeResult::Advanced};
    }
    if (current == steps.awaitSend) {
        const std::int32_t state = link_.SEND_STATE.load();
        if (state == SendRequested) {
            return deviceGoneEnd() ? ExchangeResult{ExchangeResult::Failed} : ExchangeResult{};
        }
        if (state == SendDone) {
            link_.replyBuffer.fill(0);
            link_.expectedLength = request.replyLength;
            link_.RECEIVE_STATE = ReceiveAwaited;
            link_.wake(ThreadId::MainCtrl);
            link_.wake(ThreadId::ReadCom);
            goTo(steps.awaitReply);
            return {ExchangeResult::Advanced};
        }
        const std::string_view name =
            request.sendMnemonic.empty() ? request.mnemonic : request.sendMnemonic;
        trace_.text(errorText(name,
                              std::span(link_.transmitBuffer.data(),
                                        static_cast<std::size_t>(std::clamp<std::int32_t>(
                                            link_.transmitLength.load(), 0, kLinkBufferSize))),
                              state),
                    TraceKind::SendText);
        if (!deviceGoneEnd()) {
            errorCode_ = notify::kSendFailed;
            startRetryPause(actionStart);
        }
        return {ExchangeResult::Failed};
    }
    if (current == steps.awaitReply) {
        const std::int32_t state = link_.RECEIVE_STATE.load();
        const std::span<const std::uint8_t> reply(link_.replyBuffer.data(),
                                                  static_cast<std::size_t>(std::clamp<std::int32_t>(
                                                      request.replyLength, 0, kLinkBufferSize)));
        if (state == ReceiveDone) {
            const bool ok = request.replyLength == 1 ? isAck(reply) : isValidDataReply(reply);
            const int behind = ok && !request.streamAround ? bytesBehindReply() : 0;
            if (ok && behind == 0) {
                return {ExchangeResult::Replied, reply};
            }
            if (behind > 0) {
                trace_.text(format("Reply followed by %d more bytes", behind),
                            TraceKind::ReceiveText);
            }
            trace_.text(errorText(request.mnemonic, reply, state),
                        request.replyLength == 1 || behind > 0 ? TraceKind::ReceiveText
                                                               : TraceKind::ChecksumError);
            if (onReplyFailure == ReplyFailure::Retry) {
                failExchange(notify::kBadReply, actionStart, true);
            }
            return {ExchangeResult::Failed};
        }
        if (state == ReceiveTimeout) {
            trace_.text(errorText(request.mnemonic, reply, state), TraceKind::ReceiveText);
            if (onReplyFailure == ReplyFailure::Retry && !deviceGoneEnd()) {
                failExchange(notify::kTimeout, actionStart, true);
            }
            return {ExchangeResult::Failed};
        }
        return deviceGoneEnd() ? ExchangeResult{ExchangeResult::Failed} : ExchangeResult{};
    }
    return {};
}

bool ActionEngine::deviceGoneEnd() {
    if (link_.deviceGone.load() == 0 ||
        (step() >= step::kBaudTest && step() <= step::kBaudTestLast)) {
        return false;
    }
    // The adapter was pulled out or the line's far end closed: retrying cannot help, and a send
    // failure would be retried for ever. End the action and reconnect through the baud-rate test
    // on the next one.
    abandonExchange();
    port_.CloseComPort();
    records_.port.baudCode = PortSettings::BaudUnknown;
    goToErrorEnd(notify::kSendFailed);
    return true;
}

void ActionEngine::failExchange(int errorCode, std::uint32_t actionStart, bool countsAgainstLimit) {
    if (!countsAgainstLimit) {
        errorCode_ = errorCode;
        startRetryPause(actionStart);
        return;
    }
    ++retry_;
    if (retry_ < link_.timing.retryLimit) {
        startRetryPause(actionStart);
    } else {
        goToErrorEnd(errorCode);
    }
}

void ActionEngine::startRetryPause(std::uint32_t actionStart) {
    link_.status[StatusActionRetryStep] = actionStart;
    link_.status[StatusThreadCmd].fetch_or(cmd::kRetryInProgress);
    goTo(step::kRetryPause);
}

void ActionEngine::goToErrorEnd(int errorCode) {
    errorCode_ = errorCode;
    goTo(step::kErrorEnd);
}

void ActionEngine::finish(std::uint32_t bits, int code, bool sent, std::intptr_t value) {
    link_.status[StatusThreadCmd].fetch_and(~bits);
    goTo(step::kDispatcher);
    if (sent) {
        notifySent(code, value);
    } else {
        notifyPosted(code, value);
    }
}

void ActionEngine::notifySent(int code, std::intptr_t value) {
    notifier_.send(code, value, [this] { return stopRequested(); });
}

void ActionEngine::notifyPosted(int code, std::intptr_t value) {
    notifier_.post(code, value);
}

BoxResult ActionEngine::messageBox(const MessageBoxRequest& request) {
    return notifier_.messageBox(request, [this] { return stopRequested(); });
}

}  // namespace kvt
