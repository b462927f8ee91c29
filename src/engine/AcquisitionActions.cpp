// Step, Ramp and Trigger Mode recording, the orderly stop and the hard stop.
#include <algorithm>
#include <cmath>
#include <optional>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "engine/AcquisitionRecorder.h"
#include "engine/AcquisitionRequests.h"
#include "engine/AcquisitionSteps.h"
#include "engine/ActionFamilies.h"
#include "link/LinkThreads.h"

namespace kvt {
namespace {

using namespace acqstep;

// Bits a stop clears: every acquisition and both stops.
constexpr std::uint32_t kStopClears =
    cmd::kAcquisitionBits | cmd::kStopAcquisition | cmd::kHardStopAcquisition;

// How often the engine looks again while link control finishes an abandoned exchange.
constexpr std::int32_t kQuietPollMs = 1;

// A read of the receive thread that began before the exchange was dropped ends within this
// time; only then can the input be emptied for good.
constexpr std::int32_t kInputSettleMs = 5;
// Stream bytes may still arrive in front of PAS's acknowledge: the records the controller sent
// before it read PAS, the first one cut by the emptied input. How many depends on how long the
// request took to get out, so they are read past for a time; a controller that still streams
// after it has run out did not stop.
constexpr std::int32_t kStreamAfterPasMs = 2000;
// A record's data bytes may hold any value, ACK and NAK included: a reply byte counts only when
// the line stays quiet after it for two record periods and this much more (a controller that
// goes on streaming did not stop).
constexpr std::int32_t kReplyQuietExtraMs = 20;

// The hard stop sends PAS at each rate and waits this long before the next one.
constexpr std::int32_t kHardStopWaitMs = 500;
// Ports that will not open end the hard stop after this many attempts instead of looping.
constexpr int kHardStopOpenAttempts = 3;

constexpr double kMsPerSecond = 1000.0;

// One start action: its bit, its steps and how its stream is asked for and labelled.
struct StartAction {
    std::uint32_t bit;
    std::uint32_t start;
    std::uint32_t arm;
    std::uint32_t await;
    std::uint32_t drainArm;  // Trigger Mode only
    std::uint32_t drainAwait;
    bool trigger;
    std::string_view moreLabel;  // names a failed block in the error traces
    std::uint8_t pseudoCode;     // asks the simulated device for stream data
    std::span<const ConfigRequest> (*requests)();

    std::uint32_t lastUsed() const { return trigger ? drainAwait : await; }
};

const StartAction kStartActions[] = {
    {cmd::kTriggerAcquisition, kTriggerStart, kTriggerArm, kTriggerAwait, kTriggerDrainArm,
     kTriggerDrainAwait, true, "TAS more", SimulatedDevice::kStreamTrigger, triggerModeRequests},
    {cmd::kRampAcquisition, kRampStart, kRampArm, kRampAwait, 0, 0, false, "SAS more",
     SimulatedDevice::kStreamStepRamp, rampModeRequests},
    {cmd::kStepAcquisition, kStepStart, kStepArm, kStepAwait, 0, 0, false, "SAS more",
     SimulatedDevice::kStreamStepRamp, stepModeRequests},
};

const StartAction* startActionAt(std::uint32_t s) {
    for (const StartAction& a : kStartActions) {
        if (s >= a.start && s <= a.lastUsed()) {
            return &a;
        }
    }
    return nullptr;
}

bool stopPending(const ActionEngine& e) {
    return (e.commandWord() & cmd::kStopAcquisition) != 0;
}

// True once nothing of an exchange is left in flight: neither link control nor the transmit
// thread touches the buffers or the receive ring any more.
bool linkQuiet(ActionEngine& e) {
    LinkState& link = e.link();
    if (link.SEND_STATE.load() != SendRequested && link.RECEIVE_STATE.load() != ReceiveAwaited &&
        link.THREAD_STEP.load() == StepIdle && link.writeRequest.load() == WriteNone) {
        return true;
    }
    e.startTimer(TimerEngineWait, kQuietPollMs);
    return false;
}

class AcquisitionActions final : public ActionFamily {
  public:
    bool ownsStep(std::uint32_t s) const override {
        return startActionAt(s) != nullptr || (s >= kStopStart && s <= kStopDone) ||
               (s >= kHardStart && s <= kHardDone);
    }

    bool runStep(ActionEngine& e, std::uint32_t s) override {
        if (s >= kStopStart && s <= kStopDone) {
            return runStop(e, s);
        }
        if (s >= kHardStart && s <= kHardDone) {
            return runHardStop(e, s);
        }
        const StartAction* a = startActionAt(s);
        if (a == nullptr) {
            return false;
        }
        if (!recorder_) {
            recorder_.emplace(e.records().samples, e.trace());
        }
        return runStart(e, *a, s);
    }

  private:
    // --- start actions ------------------------------------------------------------------------

    bool runStart(ActionEngine& e, const StartAction& a, std::uint32_t s) {
        if (s < a.arm) {
            // Every configuration state leaves for the Stop action as soon as it is asked for.
            if (stopPending(e)) {
                return leaveForStop(e);
            }
            return runConfig(e, a, s);
        }
        if (s == a.arm) {
            if (stopPending(e)) {
                return a.trigger ? goTo(e, a.drainArm) : leaveForStop(e);
            }
            return armBlock(e, a);
        }
        if (s == a.await) {
            return awaitBlock(e, a);
        }
        if (s == a.drainArm) {
            return armDrain(e, a);
        }
        return awaitDrain(e, a);
    }

    bool runConfig(ActionEngine& e, const StartAction& a, std::uint32_t s) {
        const auto requests = a.requests();
        const std::uint32_t k = (s - a.start) / 3;
        const ConfigRequest& r = requests[k];
        const ExchangeSteps steps = ExchangeSteps::at(a.start + 3 * k);
        ScopeSettings& settings = e.records().scope;
        if (s == steps.send && e.linkIdle()) {
            if (k == 0) {
                startState(e, a);
            }
            if (r.validFlag != nullptr) {
                settings.*r.validFlag = 0;
            }
            if (r.startsStream && a.trigger) {
                recorder_->restartSampleCounter();
            }
        }
        const ExchangeResult result =
            e.exchange(r.request(settings, recorder_->plan()), steps, a.start);
        if (!result.replied()) {
            return result.progressed();
        }
        if (r.store != nullptr) {
            r.store(settings, result.reply[1]);
        }
        if (r.startsStream) {
            e.link().streamMode = 1;
            return goTo(e, a.arm);
        }
        return goTo(e, steps.send + 3);
    }

    // Runs with the send of the first request, so a retry passes here again.
    void startState(ActionEngine& e, const StartAction& a) {
        e.trace().info(actionForBit(a.bit)->text);
        AcquisitionFlags& flags = e.records().acquisition;
        flags.acquisitionActive = 1;
        flags.displayUpdatePending = 0;
        // A retry from the block loop comes back here with the link still in stream mode; the
        // resynchronisation would throw the acknowledgements of the restart away.
        e.link().streamMode = 0;
        recorder_->start(AcquisitionPlan::from(e.records().scope, a.trigger));
    }

    // --- block loop ---------------------------------------------------------------------------

    // A receive-only exchange for `records` stream records. In test mode the simulated device
    // produces them at once and timer 3 holds them back for as long as the controller would
    // take to send them.
    void arm(ActionEngine& e, const StartAction& a, std::int32_t records) {
        LinkState& link = e.link();
        link.expectedLength = records * static_cast<std::int32_t>(kStreamRecordSize);
        if (link.inTestMode() && e.simulator() != nullptr) {
            link.transmitBuffer[1] = a.pseudoCode;
            e.simulator()->SimulateReply(link);
            e.startTimer(
                TimerAcqBlock,
                static_cast<std::int32_t>(std::trunc(
                    records * static_cast<double>(recorder_->plan().period) * kMsPerSecond)));
        }
        link.RECEIVE_STATE = ReceiveAwaited;
        link.wake(ThreadId::MainCtrl);
        link.wake(ThreadId::ReadCom);
    }

    bool armBlock(ActionEngine& e, const StartAction& a) {
        if (!e.linkIdle()) {
            return false;
        }
        arm(e, a, recorder_->blockSize());
        return goTo(e, a.await);
    }

    // The block that arrived, or nothing while it is still awaited (or held back in test mode).
    std::optional<std::span<const std::uint8_t>> arrived(ActionEngine& e, bool& failed) {
        LinkState& link = e.link();
        failed = false;
        if (link.inTestMode() && !e.timerExpired(TimerAcqBlock)) {
            return std::nullopt;
        }
        const std::int32_t state = link.RECEIVE_STATE.load();
        if (state == ReceiveAwaited) {
            return std::nullopt;
        }
        const std::span<const std::uint8_t> reply(
            link.replyBuffer.data(), static_cast<std::size_t>(std::clamp<std::int32_t>(
                                         link.expectedLength.load(), 1, kLinkBufferSize)));
        failed = state != ReceiveDone || reply[0] != STX;
        return reply;
    }

    bool awaitBlock(ActionEngine& e, const StartAction& a) {
        bool failed = false;
        const auto reply = arrived(e, failed);
        if (!reply) {
            if (!stopPending(e)) {
                return false;
            }
            // A stop must not wait for a block that a silent controller may never send.
            e.abandonExchange();
            return a.trigger ? goTo(e, a.drainArm) : leaveForStop(e);
        }
        if (failed) {
            return failBlock(e, a, *reply);
        }
        AcquisitionRecorder& rec = *recorder_;
        rec.takeBlock(*reply);
        if (!a.trigger && rec.complete()) {
            return completeRecording(e, a);
        }
        announce(e, a);
        if (stopPending(e)) {
            return a.trigger ? goTo(e, a.drainArm) : leaveForStop(e);
        }
        if (a.trigger && rec.postTriggerDone()) {
            return goTo(e, a.drainArm);
        }
        return goTo(e, a.arm);
    }

    bool failBlock(ActionEngine& e, const StartAction& a, std::span<const std::uint8_t> reply) {
        LinkState& link = e.link();
        const std::int32_t state = link.RECEIVE_STATE.load();
        const bool timeout = state == ReceiveTimeout;
        // The restart's acknowledgements must be read as they come, not resynchronised on STX.
        link.streamMode = 0;
        e.trace().text(e.errorText(a.moreLabel, reply, state),
                       timeout ? TraceKind::ReceiveText : TraceKind::ChecksumError);
        e.failExchange(timeout ? notify::kTimeout : notify::kBadReply, a.start, true);
        return true;
    }

    void announce(ActionEngine& e, const StartAction& a) {
        AcquisitionRecorder& rec = *recorder_;
        if (!rec.updateDue()) {
            return;
        }
        AcquisitionFlags& flags = e.records().acquisition;
        if (flags.displayUpdatePending.load() != 0) {
            e.trace().info("Display update too fast");
            return;
        }
        if (a.trigger) {
            rec.forwardFill();
        }
        e.trace().info(format("Display update %d", rec.writeIndex()));
        flags.displayUpdatePending = 1;
        rec.markAnnounced();
        e.notifySent(notify::kDisplayUpdate, rec.writeIndex());
    }

    // Step and Ramp Mode end by themselves after N samples; the controller stops on its own, so
    // no PAS goes out.
    bool completeRecording(ActionEngine& e, const StartAction& a) {
        AcquisitionRecorder& rec = *recorder_;
        rec.forwardFill();
        e.records().acquisition.displayUpdatePending = 1;
        e.trace().info(format("Display update %d", rec.writeIndex()));
        e.notifySent(notify::kDisplayUpdate, rec.writeIndex());
        e.finish(a.bit, notify::kAcquisitionEnded);
        return true;
    }

    bool armDrain(ActionEngine& e, const StartAction& a) {
        if (!linkQuiet(e)) {
            return false;
        }
        arm(e, a, acq::kDrainRecords);
        return goTo(e, a.drainAwait);
    }

    bool awaitDrain(ActionEngine& e, const StartAction& a) {
        bool failed = false;
        const auto reply = arrived(e, failed);
        if (!reply) {
            return false;
        }
        if (failed) {
            // The stop comes next in any case: no restart for the last two records.
            e.trace().text(e.errorText(a.moreLabel, *reply, e.link().RECEIVE_STATE.load()),
                           TraceKind::ReceiveText);
        } else {
            recorder_->takeDrain(*reply);
        }
        recorder_->forwardFill();
        // The stop bit first, so that the command word is never 0 in between.
        auto& word = e.link().status[StatusThreadCmd];
        word.fetch_or(cmd::kStopAcquisition);
        word.fetch_and(~a.bit);
        return leaveForStop(e);
    }

    // --- stop ---------------------------------------------------------------------------------

    bool leaveForStop(ActionEngine& e) {
        e.abandonExchange();
        // PAS gets its own retries, however many the recording used.
        e.resetRetryCount();
        return goTo(e, kStopStart);
    }

    bool runStop(ActionEngine& e, std::uint32_t s) {
        LinkState& link = e.link();
        switch (s) {
            case kStopStart:
                e.records().acquisition.acquisitionActive = 0;
                link.streamMode = 0;
                if (!linkQuiet(e)) {
                    return false;
                }
                e.startTimer(TimerEngineWait, kInputSettleMs);
                return goTo(e, kStopSettle);
            case kStopSettle:
                if (!e.timerExpired(TimerEngineWait)) {
                    return false;
                }
                // Stream records still queued would be read as PAS's reply.
                e.flushInput();
                readingPastStream_ = false;
                checkingQuiet_ = false;
                return goTo(e, kStopPas);
            case kStopDone:
                e.trace().info(" Stop Acquisition ");
                e.finish(kStopClears, notify::kAcquisitionEnded);
                return true;
            default:
                break;
        }
        if (s == kStopPas && e.linkIdle()) {
            e.trace().info(" Send PAS Stop Acquisition");
        }
        if (s == kStopPasReply && link.RECEIVE_STATE.load() == ReceiveDone) {
            const std::uint8_t first = link.replyBuffer[0];
            if (!readingPastStream_) {
                readingPastStream_ = true;
                e.startTimer(TimerEngineWait, kStreamAfterPasMs);
            }
            if (first == ACK || first == NAK) {
                if (!checkingQuiet_) {
                    checkingQuiet_ = true;
                    e.startTimer(TimerAcqBlock, replyQuietMs(e));
                    return true;
                }
                if (!e.timerExpired(TimerAcqBlock)) {
                    return false;
                }
                checkingQuiet_ = false;
                if (!lineQuiet(e)) {
                    // More stream bytes followed: that byte belonged to a record.
                    link.replyBuffer[0] = 0;
                }
            }
            if (link.replyBuffer[0] != ACK && link.replyBuffer[0] != NAK &&
                !e.timerExpired(TimerEngineWait)) {
                // Stream data the controller sent before it read PAS: the ACK comes after it.
                // Byte by byte, since the emptied input may have cut a record anywhere and any
                // data byte may look like a record's start.
                awaitMore(link, pasRequest().replyLength);
                return true;
            }
        }
        const ExchangeResult result =
            e.exchange(pasRequest(), ExchangeSteps::at(kStopPas), kStopStart);
        if (result.replied()) {
            return goTo(e, kStopDone);
        }
        return result.progressed();
    }

    // Two record periods of the recording that is being stopped, and a margin.
    std::int32_t replyQuietMs(ActionEngine& e) const {
        const float period = recorder_ ? recorder_->plan().period : samplePeriod(e.records().scope);
        return static_cast<std::int32_t>(2000.0f * period) + kReplyQuietExtraMs;
    }

    // No byte has arrived after the candidate reply, at the port or in the receive ring.
    static bool lineQuiet(ActionEngine& e) {
        return e.port().queuedBytes() == 0 && e.link().ring.available() == 0;
    }

    // A further receive-only read within PAS's exchange.
    static void awaitMore(LinkState& link, std::int32_t length) {
        link.expectedLength = length;
        link.RECEIVE_STATE = ReceiveAwaited;
        link.wake(ThreadId::MainCtrl);
        link.wake(ThreadId::ReadCom);
    }

    // --- hard stop ----------------------------------------------------------------------------

    bool runHardStop(ActionEngine& e, std::uint32_t s) {
        LinkState& link = e.link();
        auto& baud = e.records().port.baudCode;
        switch (s) {
            case kHardStart:
                e.trace().info(" Hard PAS Stop Acquisition");
                e.records().acquisition.acquisitionActive = 0;
                link.streamMode = 0;
                e.abandonExchange();
                baud = PortSettings::BaudUnknown;
                openAttempts_ = 0;
                return goTo(e, kHardNextRate);
            case kHardNextRate:
                e.port().CloseComPort();
                switch (baud.load()) {
                    case PortSettings::Baud19200:
                        baud = PortSettings::Baud57600;
                        break;
                    case PortSettings::Baud57600:
                        return endWithoutRate(e);
                    default:
                        baud = PortSettings::Baud19200;
                        break;
                }
                return goTo(e, kHardOpen);
            case kHardOpen:
                if (e.port().InitComPort()) {
                    return goTo(e, kHardSend);
                }
                if (++openAttempts_ >= kHardStopOpenAttempts) {
                    e.port().CloseComPort();
                    return endWithoutRate(e);
                }
                baud = PortSettings::BaudUnknown;
                return goTo(e, kHardNextRate);
            case kHardSend:
                return sendHardPas(e);
            case kHardAwaitWrite: {
                const std::int32_t state = link.SEND_STATE.load();
                if (state == SendRequested) {
                    return false;
                }
                if (state == SendDone) {
                    e.trace().info(" Hard PAS");
                } else {
                    // The next rate is tried all the same; nothing else could stop the stream.
                    e.trace().text(
                        e.errorText(kPasLabel,
                                    std::span(link.transmitBuffer.data(),
                                              static_cast<std::size_t>(std::clamp<std::int32_t>(
                                                  link.transmitLength.load(), 0, kLinkBufferSize))),
                                    state),
                        TraceKind::SendText);
                }
                e.startTimer(TimerAcqStop, kHardStopWaitMs);
                return goTo(e, kHardWait);
            }
            case kHardWait:
                if (!e.timerExpired(TimerAcqStop)) {
                    return false;
                }
                return goTo(e, baud.load() == PortSettings::Baud57600 ? kHardDone : kHardNextRate);
            default:
                e.trace().info(" Hard Stop Acquisition done");
                // Unknown again: the next action finds the rate with the baud-rate test first.
                baud = PortSettings::BaudUnknown;
                e.finish(kStopClears, notify::kAcquisitionEnded);
                return true;
        }
    }

    // PAS without waiting for its reply: the controller may answer at the other rate or not at
    // all, and its stream may still be in the line.
    bool sendHardPas(ActionEngine& e) {
        if (!linkQuiet(e)) {
            return false;
        }
        LinkState& link = e.link();
        e.trace().info(" Send PAS Stop Acquisition");
        const Request pas = pasRequest();
        link.status[StatusActionSubCmd] = pas.code;
        const std::size_t length =
            buildRequest(link.transmitBuffer, pas.code, std::span(pas.data.data(), pas.dataLength));
        link.transmitLength = static_cast<std::int32_t>(length);
        if (link.inTestMode()) {
            link.expectedLength = pas.replyLength;
        }
        link.SEND_STATE = SendRequested;
        link.wake(ThreadId::MainCtrl);
        return goTo(e, kHardAwaitWrite);
    }

    bool endWithoutRate(ActionEngine& e) {
        e.clearAll();
        e.records().port.baudCode = PortSettings::BaudUnknown;
        e.goTo(step::kDispatcher);
        e.notifySent(notify::kHardStopFailed);
        return true;
    }

    static bool goTo(ActionEngine& e, std::uint32_t s) {
        e.goTo(s);
        return true;
    }

    std::optional<AcquisitionRecorder> recorder_;
    bool readingPastStream_ = false;
    bool checkingQuiet_ = false;
    int openAttempts_ = 0;
};

}  // namespace

std::unique_ptr<ActionFamily> makeAcquisitionActions() {
    return std::make_unique<AcquisitionActions>();
}

}  // namespace kvt
