// Serial Setpoint, Write and Read Test Function, Write AutoAdapt Function.
//
// Steps (an exchange is send, await the send, await the reply):
//   0x250          Serial Setpoint: trace, choose transmit or disable
//   0x251, 0x252   transmit: STS (serial mode) or PWM (PWM mode) sent ...
//   0x253, 0x254   disable: RTS (serial mode) or TCS (PWM mode) sent ...
//   0x255          ... and the acknowledge of either awaited
//   0x256          notification 0x60
//   0x290 .. 0x292  Write Test Function: CCS
//   0x293 .. 0x295  Write Test Function: RSS
//   0x296           notification 0x81
//   0x2a0 .. 0x2a2  Read Test Function: CCR
//   0x2a3           notification 0x80
//   0x2c0 .. 0x2c2  Write AutoAdapt Function: APS
//   0x2c3           notification 0x82
#include "engine/ActionFamilies.h"
#include "engine/ParameterWireTable.h"

namespace kvt {
namespace {

using Reply = std::span<const std::uint8_t>;

constexpr std::uint32_t kStepsPerExchange = 3;

constexpr std::uint32_t kSetpointStart = 0x250;
constexpr std::uint32_t kTransmitSend = 0x251;
constexpr std::uint32_t kDisableSend = 0x253;
constexpr std::uint32_t kSetpointAwaitReply = 0x255;
constexpr std::uint32_t kSetpointDone = 0x256;

constexpr std::uint32_t kWriteTestStart = 0x290;
constexpr std::uint32_t kWriteTestRss = 0x293;
constexpr std::uint32_t kWriteTestDone = 0x296;
constexpr std::uint32_t kReadTestStart = 0x2a0;
constexpr std::uint32_t kReadTestDone = 0x2a3;
constexpr std::uint32_t kAutoAdaptStart = 0x2c0;
constexpr std::uint32_t kAutoAdaptDone = 0x2c3;

constexpr std::int32_t kPwmMode = 1;  // serialSetpointMode: 0 serial setpoint, 1 PWM-controlled
constexpr double kSerialSetpointFactor = 2.0;
constexpr double kPwmSetpointFactor = 2.55;
constexpr double kTestTimeFactor = 10.0;
constexpr std::uint8_t kAutoAdaptStartValue = 1;

// One request of a setpoint action, in the four forms the setpoint and its withdrawal take.
struct SetpointRequest {
    std::string_view trace;
    std::string_view sendMnemonic;
    std::uint8_t code;
    double factor;  // 0: sends 0x00
};

constexpr std::string_view kSetpointReplyMnemonic = "STS/RTS";
constexpr SetpointRequest kTransmitSerial{" Send STS Set Transmit Setpoint ", "STS", 0x25,
                                          kSerialSetpointFactor};
constexpr SetpointRequest kTransmitPwm{" Send PWM  ", "STS", 0x7e, kPwmSetpointFactor};
constexpr SetpointRequest kDisableSerial{" Send RTS Reset Transmit Setpoint ", "RTS", 0x26, 0.0};
constexpr SetpointRequest kDisablePwm{" Send TCS ", "RTS", 0x51, 0.0};

Request build(const SetpointRequest& form, float setpoint) {
    Request r = Request::write(kSetpointReplyMnemonic, form.code,
                               form.factor != 0.0 ? lineByte(setpoint * form.factor) : 0);
    r.sendMnemonic = form.sendMnemonic;
    return r;
}

Request buildCcs(const Records& r) {
    return Request::write(
        "CCS", 0x64, encodeBits(testFunctionControlLayout(), r.params.currentSet, r.testFunction));
}

Request buildRss(const Records& r) {
    return Request::write("RSS", 0x56, lineByte(r.testFunction.testTime * kTestTimeFactor + 0.05));
}

const WireLine& ccrLine() {
    static const WireLine* line = findWireLine("CCR");
    return *line;
}

Request buildCcr(const Records&) {
    return Request::read(ccrLine().readMnemonic, ccrLine().readCode);
}

// As Read Parameter decodes CCR, but the held FOR and FGR values stay where they are.
void storeCcr(Records& r, Reply reply) {
    decodeLine(ccrLine(), reply[1], r.params.deviceSet, r.testFunction);
}

Request buildAps(const Records&) {
    return Request::write("APS", 0x91, kAutoAdaptStartValue);
}

// One exchange of a plain action: the request built from the records, an optional store of the
// reply, the step that follows a good reply.
struct Exchange {
    std::uint32_t send;
    Request (*build)(const Records&);
    void (*store)(Records&, Reply);
    std::uint32_t next;
};

// An action that runs its exchanges in order and ends with its done notification.
struct PlainAction {
    std::uint32_t bit;
    std::uint32_t start;
    std::uint32_t done;
    int notification;
    std::span<const Exchange> exchanges;
};

constexpr Exchange kWriteTestExchanges[] = {
    {kWriteTestStart, buildCcs, nullptr, kWriteTestRss},
    {kWriteTestRss, buildRss, nullptr, kWriteTestDone},
};
constexpr Exchange kReadTestExchanges[] = {{kReadTestStart, buildCcr, storeCcr, kReadTestDone}};
constexpr Exchange kAutoAdaptExchanges[] = {{kAutoAdaptStart, buildAps, nullptr, kAutoAdaptDone}};

constexpr PlainAction kPlainActions[] = {
    {cmd::kWriteTestFunction, kWriteTestStart, kWriteTestDone, notify::kTestFunctionWritten,
     kWriteTestExchanges},
    {cmd::kReadTestFunction, kReadTestStart, kReadTestDone, notify::kTestFunctionRead,
     kReadTestExchanges},
    {cmd::kWriteAutoAdapt, kAutoAdaptStart, kAutoAdaptDone, notify::kAutoAdaptWritten,
     kAutoAdaptExchanges},
};

const ActionEntry& entryFor(std::uint32_t bit) {
    return *actionForBit(bit);
}

class SetpointActions final : public ActionFamily {
  public:
    bool ownsStep(std::uint32_t s) const override {
        return (s >= kSetpointStart && s <= kSetpointDone) ||
               (s >= kWriteTestStart && s <= kWriteTestDone) ||
               (s >= kReadTestStart && s <= kReadTestDone) ||
               (s >= kAutoAdaptStart && s <= kAutoAdaptDone);
    }

    bool runStep(ActionEngine& e, std::uint32_t s) override {
        if (s <= kSetpointDone) {
            return runSerialSetpoint(e, s);
        }
        for (const PlainAction& action : kPlainActions) {
            if (s >= action.start && s <= action.done) {
                return runPlain(e, s, action);
            }
        }
        return false;
    }

  private:
    static bool runPlain(ActionEngine& e, std::uint32_t s, const PlainAction& action) {
        if (s == action.done) {
            e.finish(action.bit, action.notification);
            return true;
        }
        // A stop of an acquisition posted meanwhile goes first; Write Test Function stays
        // pending and starts again afterwards.
        if (s == kWriteTestRss && (e.commandWord() & cmd::kStopAcquisition) != 0) {
            e.goTo(entryFor(cmd::kStopAcquisition).startStep);
            return true;
        }
        const Exchange* x = nullptr;
        for (const Exchange& candidate : action.exchanges) {
            if (s >= candidate.send && s < candidate.send + kStepsPerExchange) {
                x = &candidate;
            }
        }
        if (x == nullptr) {
            return false;
        }
        if (s == action.start && e.linkIdle()) {
            e.trace().info(entryFor(action.bit).text);
        }
        const ExchangeResult result =
            e.exchange(x->build(e.records()), ExchangeSteps::at(x->send), action.start);
        if (!result.replied()) {
            return result.progressed();
        }
        if (x->store != nullptr) {
            x->store(e.records(), result.reply);
        }
        e.goTo(x->next);
        return true;
    }

    bool runSerialSetpoint(ActionEngine& e, std::uint32_t s) {
        const SerialSetpoint& sp = e.records().serialSetpoint;
        switch (s) {
            case kSetpointStart:
                if (!e.linkIdle()) {
                    return false;
                }
                e.trace().info(entryFor(cmd::kSerialSetpoint).text);
                transmit_ = sp.serialTransmit != 0;
                pwm_ = sp.serialSetpointMode == kPwmMode;
                e.goTo(transmit_ ? kTransmitSend : kDisableSend);
                return true;
            case kSetpointDone:
                e.finish(cmd::kSerialSetpoint, notify::kSetpointDone);
                return true;
            default:
                break;
        }
        // The send steps say which branch runs; the shared reply step relies on the choice.
        if (s < kDisableSend) {
            transmit_ = true;
        } else if (s < kSetpointAwaitReply) {
            transmit_ = false;
        }
        const SetpointRequest& form = transmit_ ? (pwm_ ? kTransmitPwm : kTransmitSerial)
                                                : (pwm_ ? kDisablePwm : kDisableSerial);
        const std::uint32_t send = transmit_ ? kTransmitSend : kDisableSend;
        if (s == send && e.linkIdle()) {
            e.trace().info(form.trace);
        }
        const ExchangeResult result = e.exchange(
            build(form, sp.serialSetpoint), {send, send + 1, kSetpointAwaitReply}, kSetpointStart);
        if (!result.replied()) {
            return result.progressed();
        }
        e.goTo(kSetpointDone);
        return true;
    }

    // The branch chosen at the start of the running Serial Setpoint.
    bool transmit_ = false;
    bool pwm_ = false;
};

}  // namespace

std::unique_ptr<ActionFamily> makeSetpointActions() {
    return std::make_unique<SetpointActions>();
}

}  // namespace kvt
