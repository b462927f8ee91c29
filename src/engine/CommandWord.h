#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kvt {

// Bits of THREAD_CMD, one per device action. The user interface sets bits, the engine clears them.
namespace cmd {
inline constexpr std::uint32_t kReadParameter = 0x1;
inline constexpr std::uint32_t kWriteParameter = 0x2;
inline constexpr std::uint32_t kStartCalibration = 0x4;
inline constexpr std::uint32_t kCheckCalibration = 0x8;
inline constexpr std::uint32_t kStopCalibration = 0x10;
inline constexpr std::uint32_t kReadMatrix = 0x20;
inline constexpr std::uint32_t kWriteMatrix = 0x40;
inline constexpr std::uint32_t kReadDeviceInfo = 0x80;
inline constexpr std::uint32_t kReadStatus = 0x100;
inline constexpr std::uint32_t kTriggerAcquisition = 0x200;
inline constexpr std::uint32_t kRampAcquisition = 0x400;
inline constexpr std::uint32_t kStepAcquisition = 0x800;
inline constexpr std::uint32_t kStopAcquisition = 0x1000;
inline constexpr std::uint32_t kSerialSetpoint = 0x2000;
inline constexpr std::uint32_t kResetCalibrationCounter = 0x4000;
inline constexpr std::uint32_t kResetOperationCounter = 0x8000;
inline constexpr std::uint32_t kBaudRateTest = 0x10000;
inline constexpr std::uint32_t kWriteTestFunction = 0x20000;
inline constexpr std::uint32_t kReadTestFunction = 0x40000;
inline constexpr std::uint32_t kCustomFactorySet = 0x80000;
inline constexpr std::uint32_t kCustomFactorySetAlt = 0x100000;
inline constexpr std::uint32_t kRetryInProgress = 0x200000;  // not an action: the engine's mark
inline constexpr std::uint32_t kHardStopAcquisition = 0x400000;
inline constexpr std::uint32_t kWriteAutoAdapt = 0x800000;

inline constexpr std::uint32_t kAcquisitionBits =
    kTriggerAcquisition | kRampAcquisition | kStepAcquisition;
}  // namespace cmd

// Steps of the engine that belong to no single action.
namespace step {
inline constexpr std::uint32_t kDispatcher = 0;
inline constexpr std::uint32_t kRetryPause = 0x310;
inline constexpr std::uint32_t kRetryPauseWait = 0x311;
inline constexpr std::uint32_t kRetryPauseResume = 0x312;
inline constexpr std::uint32_t kErrorEnd = 0x320;
inline constexpr std::uint32_t kBaudTest = 0x330;
inline constexpr std::uint32_t kBaudTestLast = 0x335;
inline constexpr std::uint32_t kLastStep = 0x368;
}  // namespace step

// One device action: its bit, the text of its Info trace line, its first step.
struct ActionEntry {
    std::uint32_t bit;
    std::string_view text;
    std::uint32_t startStep;
};

// The dispatcher tests the bits in this order: the baud-rate test before everything, a write of
// parameters before a read asked for with it, a custom/factory switch before its read-back.
inline constexpr std::array<ActionEntry, 23> kActionsByPriority = {{
    {cmd::kBaudRateTest, " Send Baudrate Test ", 0x330},
    {cmd::kCustomFactorySet, " Custom, Factory Parameter Send ", 0x280},
    {cmd::kCustomFactorySetAlt, " Custom, Factory Parameter Send ", 0x280},
    {cmd::kWriteParameter, " Write Parameter ", 0x85},
    {cmd::kReadParameter, "Read Parameter", 0x5},
    {cmd::kStartCalibration, " Start Calibration ", 0x100},
    {cmd::kCheckCalibration, " Check Calibration ", 0x110},
    {cmd::kStopCalibration, " Stop Calibration ", 0x130},
    {cmd::kWriteMatrix, " Write Matrix ", 0x150},
    {cmd::kReadMatrix, " Read Matrix ", 0x350},
    {cmd::kReadDeviceInfo, " Read Device Info ", 0x170},
    {cmd::kReadStatus, " Read Status Update, LED ", 0x190},
    {cmd::kStopAcquisition, " Stop Acquisition ", 0x240},
    {cmd::kHardStopAcquisition, " Hard PAS Stop Acquisition", 0x2b0},
    {cmd::kTriggerAcquisition, " Start Roll-Trigger Mode Acquisition ", 0x1b0},
    {cmd::kRampAcquisition, " Start Ramp Mode Acquisition ", 0x1e0},
    {cmd::kStepAcquisition, " Start Step Mode Acquisition ", 0x210},
    {cmd::kSerialSetpoint, " Serial Setpoint ", 0x250},
    {cmd::kResetOperationCounter, " Reset Operation Counter ", 0x260},
    {cmd::kResetCalibrationCounter, " Reset Calibration Counter ", 0x270},
    {cmd::kWriteTestFunction, " Write Test Function ", 0x290},
    {cmd::kReadTestFunction, " Read Test Function ", 0x2a0},
    {cmd::kWriteAutoAdapt, " Write AutoAdapt Function ", 0x2c0},
}};

const ActionEntry* actionForBit(std::uint32_t bit);

}  // namespace kvt
