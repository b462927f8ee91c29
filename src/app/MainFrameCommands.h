#pragma once

namespace kvt {

// Command ids of the main window's menu and accelerators (MainFrameCommands.cpp builds the menu
// and runs them).
namespace command {
inline constexpr int kAbout = 32002;
inline constexpr int kHelp = 32001;
inline constexpr int kDebug = 32003;
inline constexpr int kNewProject = 32004;
inline constexpr int kOpenProject = 32005;
inline constexpr int kSaveProject = 32006;
inline constexpr int kSaveProjectAs = 32007;
inline constexpr int kProjectInfo = 32008;
inline constexpr int kResetZoom = 32009;
inline constexpr int kSerialPort = 32010;
inline constexpr int kDeviceInfo = 32011;
inline constexpr int kShowGrid = 32012;
inline constexpr int kSerialSetpoint = 32014;
inline constexpr int kPrint = 32015;
inline constexpr int kScopeSetup = 32016;
inline constexpr int kStartAcquisition = 32017;
inline constexpr int kStopAcquisition = 32018;
inline constexpr int kExit = 32019;
inline constexpr int kParameters = 32020;
inline constexpr int kCalibration = 32021;
inline constexpr int kStatus = 32026;
inline constexpr int kTestFunction = 32027;
inline constexpr int kCalibrationMatrix = 32029;
inline constexpr int kCalibrationB = 32030;
inline constexpr int kAutoAdapt = 32031;
inline constexpr int kExportPicture = 32032;
}  // namespace command

}  // namespace kvt
