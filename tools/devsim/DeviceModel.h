#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Constants.h"
#include "DeviceIdentity.h"
#include "RequestTable.h"

namespace kvt::devsim {

enum class StreamChange { None, Start, Stop };

// The controller's answer to one well-formed request.
struct Answer {
    std::vector<std::uint8_t> reply;  // empty: the controller stays silent
    bool dataReply = false;           // STX ... BCC (an acknowledge carries no checksum)
    StreamChange stream = StreamChange::None;
    std::chrono::microseconds streamPeriod{};
    // Records the stream sends before it ends by itself; 0: until PAS.
    std::uint64_t streamRecords = 0;
    std::string note;  // what happened, for the request log
};

struct CalibrationState {
    enum class Phase : std::uint8_t { Idle = 0, Running = 1, Done = 2, Stopped = 3 };
    Phase phase = Phase::Idle;
    std::uint8_t mode = 0;
    std::uint8_t progress = 0;  // 0..15, the high nibble of the status byte

    std::uint8_t statusByte() const {
        return static_cast<std::uint8_t>(progress << 4 | static_cast<std::uint8_t>(phase));
    }
};

struct SetpointState {
    bool serialActive = false;
    std::uint8_t serialValue = 0;  // 0.5 % units
    bool pwmActive = false;
    std::uint8_t pwmValue = 0;  // 1/2.55 % units
};

// The emulated controller's memory and its reaction to requests. Knows nothing of lines, time or
// faults: it is handed a complete request whose checksum was already found right.
class DeviceModel {
  public:
    DeviceModel();

    // Whether this controller's firmware knows the request at all.
    bool knows(const RequestKind& kind) const;
    Answer handle(const RequestKind& kind, std::span<const std::uint8_t> frame);

    // Reply bytes the PC awaits for the request (1 for an acknowledge).
    std::size_t replyLength(const RequestKind& kind) const;
    // How the controller refuses a request: NAK, followed by zeros up to the awaited length when
    // a data reply is due, so that the PC sees a bad frame at once instead of waiting it out.
    std::vector<std::uint8_t> rejectReply(const RequestKind& kind) const;

    std::uint8_t registerValue(std::uint8_t readCode) const { return registers_[readCode]; }
    void setRegister(std::uint8_t readCode, std::uint8_t value) { registers_[readCode] = value; }
    std::uint8_t firmware() const;

    DeviceIdentity& identity() { return identity_; }
    const DeviceIdentity& identity() const { return identity_; }

    std::span<std::uint8_t> matrix() { return matrix_; }
    std::span<const std::uint8_t> matrix() const { return matrix_; }
    std::uint8_t matrixAddress() const { return matrixAddress_; }

    const CalibrationState& calibration() const { return calibration_; }
    const SetpointState& setpoint() const { return setpoint_; }
    std::uint8_t triggerPeriodMs() const { return triggerPeriodMs_; }

  private:
    bool pwmAnswersAck() const { return setpoint_.pwmActive; }
    Answer matrixSelect(std::uint8_t address);
    Answer calibrationStatus();
    Answer switchOff();

    std::array<std::uint8_t, 256> registers_{};
    DeviceIdentity identity_;
    std::array<std::uint8_t, kMatrixMemorySize> matrix_{};
    std::uint8_t matrixAddress_ = 0;
    CalibrationState calibration_;
    SetpointState setpoint_;
    std::uint8_t triggerPeriodMs_ = kDefaultTriggerPeriodMs;
};

}  // namespace kvt::devsim
