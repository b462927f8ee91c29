#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/MessageBoxRequest.h"

namespace kvt {

// How the engine reaches the user interface: notification 0x8001 sent (the engine waits until the
// handler is done) or posted (it does not), and message boxes. The desktop program implements it
// with queued calls into its main frame, kvtcli with a queue, tests with a recording sink.
class Notifier {
  public:
    // Checked while a send or a box waits; true means the threads are being stopped and the wait
    // must end at once so that a shutdown can never deadlock.
    using AbandonCheck = std::function<bool()>;

    virtual ~Notifier() = default;
    virtual void send(int code, std::intptr_t value, const AbandonCheck& abandon) = 0;
    virtual void post(int code, std::intptr_t value) = 0;
    virtual BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) = 0;
};

// Notification codes (wParam of 0x8001).
namespace notify {
inline constexpr int kSendFailed = 3;
inline constexpr int kTimeout = 4;
inline constexpr int kBadReply = 6;
inline constexpr int kBaudrateFailed = 7;
inline constexpr int kHardStopFailed = 8;
inline constexpr int kCalibrationStarted = 0x20;
inline constexpr int kCalibrationStopped = 0x21;
inline constexpr int kMatrixRead = 0x22;
inline constexpr int kMatrixWritten = 0x23;
inline constexpr int kOperationCounterReset = 0x24;
inline constexpr int kCalibrationCounterReset = 0x25;
inline constexpr int kCalibrationChecked = 0x26;
inline constexpr int kDisplayUpdate = 0x30;
inline constexpr int kAcquisitionEnded = 0x31;
inline constexpr int kParametersRead = 0x40;
inline constexpr int kParametersWritten = 0x41;
inline constexpr int kParameterSetSent = 0x42;
inline constexpr int kDeviceInfoRead = 0x50;
inline constexpr int kSetpointDone = 0x60;
inline constexpr int kStatusRead = 0x70;
inline constexpr int kTestFunctionRead = 0x80;
inline constexpr int kTestFunctionWritten = 0x81;
inline constexpr int kAutoAdaptWritten = 0x82;
}  // namespace notify

}  // namespace kvt
