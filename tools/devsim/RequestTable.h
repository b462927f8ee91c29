#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kvt::devsim {

// What the controller does with a request of one command code.
enum class Action : std::uint8_t {
    ReadRegister,       // data reply: the byte kept under this (read) code
    WriteRegister,      // ACK; the byte is kept under code + 1 and read back there unchanged
    Identity,           // DIR: part number, serial number, production date
    Counters,           // OCR: operation minutes, calibration counter, date and status
    PartText1,          // AXR: characters 1..10 of the textual part number
    PartText2,          // AX2R: characters 11..20
    MatrixSelect,       // ARS: address of the matrix row that WAS and WAR use
    MatrixWrite,        // WAS: ten values into the selected row
    MatrixRead,         // WAR: the ten values of the selected row
    CalibrationStart,   // SCS
    CalibrationStatus,  // CRR: status byte, progress in the high nibble
    SwitchOff,          // TCS: ACK while a PWM setpoint is active, else the calibration status
    SerialSetpoint,     // STS
    SerialSetpointOff,  // RTS
    PwmSetpoint,        // PWM
    SamplePeriod,       // PRS: Trigger Mode sample period in ms
    StreamStepRamp,     // SAS: stream at 4 ms
    StreamTrigger,      // TAS: stream at the PRS period
    StreamStop,         // PAS
    Accept,             // ACK and nothing else to keep (RSS, APS)
};

struct RequestKind {
    std::uint8_t code;
    const char* mnemonic;
    Action action;
    std::uint8_t replyDataBytes;  // data bytes of the reply; 0 for an acknowledge
    std::uint8_t minFirmware;     // older firmware does not know the request (0: every version)
};

// The request of a code, or nullptr when no controller knows it.
const RequestKind* findRequest(std::uint8_t code);
// The request of a mnemonic (case-insensitive), or nullptr.
const RequestKind* findRequest(std::string_view mnemonic);
std::span<const RequestKind> allRequests();

// How many bytes a request with this code has on the line (unknown codes: the usual 4).
std::size_t requestLength(std::uint8_t code);

// Bytes kept under read codes from the start, like a controller fresh from the factory.
struct RegisterDefault {
    std::uint8_t readCode;
    std::uint8_t value;
};
std::span<const RegisterDefault> registerDefaults();

}  // namespace kvt::devsim
