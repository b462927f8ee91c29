#include "data/Format.h"
#include "engine/ActionEngine.h"

namespace kvt {
namespace {

constexpr std::uint32_t kStepNextRate = 0x330;
constexpr std::uint32_t kStepOpen = 0x331;
constexpr std::uint32_t kStepSendVersion = 0x332;
constexpr std::uint32_t kStepDone = 0x335;
constexpr int kMinimumFirmware = 3;

Request versionRequest() {
    Request r = Request::read("VER", 0x23);
    r.sendMnemonic = "Baudrate Test";
    return r;
}

}  // namespace

// Finds the rate at which the controller answers: never the rate set when it starts, 19200 then
// 57600 from an unknown rate. The port stays open at the rate found.
bool ActionEngine::runBaudTest(std::uint32_t current) {
    PortSettings& port = records_.port;
    switch (current) {
        case kStepNextRate:
            switch (port.baudCode.load()) {
                case PortSettings::BaudUnknown:
                case PortSettings::Baud9600:
                    port_.CloseComPort();
                    port.baudCode = PortSettings::Baud19200;
                    goTo(kStepOpen);
                    return true;
                case PortSettings::Baud19200:
                    port_.CloseComPort();
                    port.baudCode = PortSettings::Baud57600;
                    goTo(kStepOpen);
                    return true;
                case PortSettings::Baud57600:
                    port_.CloseComPort();
                    port.baudCode = PortSettings::BaudUnknown;
                    clearAll();
                    goTo(step::kDispatcher);
                    notifySent(notify::kBaudrateFailed);
                    return true;
                default:
                    goTo(kStepOpen);
                    return true;
            }
        case kStepOpen:
            link_.SEND_STATE = SendIdle;
            link_.RECEIVE_STATE = ReceiveIdle;
            link_.wake(ThreadId::MainCtrl);
            if (port_.InitComPort()) {
                flushInput();
                goTo(kStepSendVersion);
            } else {
                port.baudCode = PortSettings::Baud57600;
                goTo(kStepNextRate);
            }
            return true;
        case kStepDone:
            trace_.info(" Baudrate Test successfull ");
            flushInput();
            link_.status[StatusThreadCmd].fetch_and(~cmd::kBaudRateTest);
            goTo(step::kDispatcher);
            return true;
        default:
            break;
    }

    // Steps 0x332..0x334: the version request.
    if (current == kStepSendVersion && linkIdle()) {
        trace_.info(" Send Baudrate Test ");
    }
    const ExchangeResult result = exchange(versionRequest(), ExchangeSteps::at(kStepSendVersion),
                                           kStepNextRate, ReplyFailure::Report);
    if (result.failed() && step() == ExchangeSteps::at(kStepSendVersion).awaitReply) {
        // No answer or a bad one at this rate: try the next rate; this counts no retry.
        goTo(kStepNextRate);
        return true;
    }
    if (!result.replied()) {
        return result.progressed();
    }
    const int firmware = result.reply[1];
    records_.deviceInfo.firmwareVersion = firmware;
    if (firmware >= kMinimumFirmware) {
        goTo(kStepDone);
        return true;
    }
    // A controller this old is refused. The message is shown once; the test ends, the pending
    // actions are dropped and the port is closed, so the user is not trapped in a loop of boxes.
    port_.CloseComPort();
    port.baudCode = PortSettings::BaudUnknown;
    clearAll();
    goTo(step::kDispatcher);
    messageBox({strings_.text(ids::kFirmwareTooOld), "", BoxButtons::Ok, BoxIcon::None, false});
    return true;
}

}  // namespace kvt
