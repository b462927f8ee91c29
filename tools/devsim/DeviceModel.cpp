#include "DeviceModel.h"

#include <algorithm>
#include <cstdio>

#include "link/Frame.h"

namespace kvt::devsim {

namespace {

constexpr std::uint8_t kVersionCode = 0x23;

Answer acknowledge(std::string note = {}) {
    Answer answer;
    answer.reply = {ACK};
    answer.note = std::move(note);
    return answer;
}

Answer dataReply(std::span<const std::uint8_t> data, std::string note = {}) {
    Answer answer;
    answer.dataReply = true;
    answer.reply.reserve(data.size() + 2);
    answer.reply.push_back(STX);
    answer.reply.insert(answer.reply.end(), data.begin(), data.end());
    answer.reply.push_back(ComputeBcc(data));
    answer.note = std::move(note);
    return answer;
}

Answer refuse(std::vector<std::uint8_t> reply, std::string note) {
    Answer answer;
    answer.reply = std::move(reply);
    answer.note = std::move(note);
    return answer;
}

// Records of a step or ramp stream of acqTime seconds at 4 ms.
std::uint64_t stepRampRecords(std::uint8_t acqTime) {
    const std::uint64_t seconds = acqTime != 0 ? acqTime : kLongestAcqTime;
    return seconds * 1000 / static_cast<std::uint64_t>(kStepRampPeriod.count());
}

std::string formatted(const char* format, unsigned value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

DeviceModel::DeviceModel() {
    for (const RegisterDefault& entry : registerDefaults()) {
        registers_[entry.readCode] = entry.value;
    }
    // Each byte of the matrix memory holds its own address until something is written, so a
    // row read before any write still tells which row it came from.
    for (std::size_t address = 0; address < matrix_.size(); ++address) {
        matrix_[address] = static_cast<std::uint8_t>(address);
    }
}

std::uint8_t DeviceModel::firmware() const {
    return registers_[kVersionCode];
}

bool DeviceModel::knows(const RequestKind& kind) const {
    return firmware() >= kind.minFirmware;
}

std::size_t DeviceModel::replyLength(const RequestKind& kind) const {
    if (kind.action == Action::SwitchOff && pwmAnswersAck()) {
        return 1;
    }
    return kind.replyDataBytes == 0 ? 1 : kind.replyDataBytes + 2u;
}

std::vector<std::uint8_t> DeviceModel::rejectReply(const RequestKind& kind) const {
    std::vector<std::uint8_t> reply(replyLength(kind), 0x00);
    reply[0] = NAK;
    return reply;
}

Answer DeviceModel::handle(const RequestKind& kind, std::span<const std::uint8_t> frame) {
    const std::uint8_t value = frame.size() > 2 ? frame[2] : 0;
    switch (kind.action) {
        case Action::ReadRegister:
            return dataReply(std::array{registers_[kind.code]});
        case Action::WriteRegister:
            registers_[static_cast<std::uint8_t>(kind.code + 1)] = value;
            return acknowledge();
        case Action::Identity:
            return dataReply(identity_.identityBytes());
        case Action::Counters:
            return dataReply(identity_.counterBytes());
        case Action::PartText1:
            return dataReply(identity_.partTextBytes(0));
        case Action::PartText2:
            return dataReply(identity_.partTextBytes(1));
        case Action::MatrixSelect:
            return matrixSelect(value);
        case Action::MatrixWrite:
            std::copy_n(frame.begin() + 2, kMatrixRowLength, matrix_.begin() + matrixAddress_);
            return acknowledge(formatted("row at %u written", matrixAddress_));
        case Action::MatrixRead:
            return dataReply(
                std::span<const std::uint8_t>(matrix_).subspan(matrixAddress_, kMatrixRowLength),
                formatted("row at %u", matrixAddress_));
        case Action::CalibrationStart:
            calibration_ = {CalibrationState::Phase::Running, value, 0};
            return acknowledge(formatted("calibration started, mode %u", value));
        case Action::CalibrationStatus:
            return calibrationStatus();
        case Action::SwitchOff:
            return switchOff();
        case Action::SerialSetpoint:
            setpoint_.serialActive = true;
            setpoint_.serialValue = value;
            return acknowledge(formatted("serial setpoint %u half-percent", value));
        case Action::SerialSetpointOff:
            setpoint_.serialActive = false;
            return acknowledge("serial setpoint off");
        case Action::PwmSetpoint:
            setpoint_.pwmActive = true;
            setpoint_.pwmValue = value;
            return acknowledge(formatted("PWM setpoint %u, TCS now switches it off", value));
        case Action::SamplePeriod:
            if (value == 0) {
                // A period of 0 ms would ask for an endless burst: refuse it, keep the old one.
                return refuse(rejectReply(kind), "sample period 0 refused");
            }
            triggerPeriodMs_ = value;
            return acknowledge(formatted("trigger sample period %u ms", value));
        case Action::StreamStepRamp:
        case Action::StreamTrigger: {
            Answer answer = acknowledge();
            answer.stream = StreamChange::Start;
            answer.streamPeriod =
                kind.action == Action::StreamStepRamp
                    ? std::chrono::microseconds(kStepRampPeriod)
                    : std::chrono::microseconds(std::chrono::milliseconds(triggerPeriodMs_));
            if (kind.action == Action::StreamStepRamp) {
                // A step or ramp lasts the acquisition time that ATS set; the controller then
                // ends the stream by itself (the PC sends no PAS after it). A roll or trigger
                // stream runs until PAS.
                answer.streamRecords = stepRampRecords(registers_[kAcqTimeReadCode]);
            }
            return answer;
        }
        case Action::StreamStop: {
            Answer answer = acknowledge();
            answer.stream = StreamChange::Stop;
            return answer;
        }
        case Action::Accept:
            return acknowledge(formatted("value %u", value));
    }
    return {};
}

Answer DeviceModel::matrixSelect(std::uint8_t address) {
    if (address + kMatrixRowLength > matrix_.size()) {
        return refuse({NAK}, formatted("row address %u outside the matrix memory", address));
    }
    matrixAddress_ = address;
    return acknowledge(formatted("row at %u selected", address));
}

Answer DeviceModel::calibrationStatus() {
    if (calibration_.phase == CalibrationState::Phase::Running) {
        ++calibration_.progress;
        if (calibration_.progress >= kCalibrationLastStep) {
            calibration_.phase = CalibrationState::Phase::Done;
            ++identity_.calibrationCounter;
        }
    }
    const std::uint8_t status = calibration_.statusByte();
    return dataReply(std::array{status}, formatted("calibration status 0x%02X", status));
}

Answer DeviceModel::switchOff() {
    // The same code ends a PWM setpoint (acknowledged) and stops a calibration (status byte):
    // the controller answers by what is running.
    if (setpoint_.pwmActive) {
        setpoint_.pwmActive = false;
        return acknowledge("PWM setpoint off");
    }
    if (calibration_.phase == CalibrationState::Phase::Running) {
        calibration_.phase = CalibrationState::Phase::Stopped;
    }
    const std::uint8_t status = calibration_.statusByte();
    return dataReply(std::array{status}, formatted("calibration stopped, status 0x%02X", status));
}

}  // namespace kvt::devsim
