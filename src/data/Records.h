#pragma once

#include <atomic>
#include <cstdint>

#include "data/AcquisitionBuffers.h"
#include "data/CalibrationRecord.h"
#include "data/DeviceInfo.h"
#include "data/ParameterRecord.h"
#include "data/PortSettings.h"
#include "data/ProjectInfo.h"
#include "data/ScopeSettings.h"
#include "data/SetpointRecords.h"

namespace kvt {

// The process-wide records that engine, files and windows share. The programs own one instance;
// tests make their own.
struct Records {
    ParameterSets params{};
    DeviceInfo deviceInfo{};
    StatusInfo status{};
    CalibrationRecord calibration{};
    SerialSetpoint serialSetpoint{};
    TestFunctionState testFunction{};
    ProjectInfo projectInfo{};
    ScopeSettings scope{};
    AcquisitionBuffers samples{};
    AcquisitionFlags acquisition;
    PortSettings port;

    // Write-allowed flags of the parameter set and of the calibration data.
    std::atomic<std::uint8_t> parameterWriteAllowed{0};
    std::atomic<std::uint8_t> calibrationWriteAllowed{0};
};

}  // namespace kvt
