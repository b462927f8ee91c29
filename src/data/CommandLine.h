#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt {

// The three switches of the command line. They never change after start-up.
struct StartupSwitches {
    bool log = false;            // "-LOG": trace to debug.txt
    bool calibration = false;    // "-CAL": keep the calibration menu items
    std::uint32_t testMode = 0;  // "-TESTSIO" sets bit 0: a simulated device answers

    friend bool operator==(const StartupSwitches&, const StartupSwitches&) = default;
};

inline constexpr const char* kLogSwitch = "-LOG";
inline constexpr const char* kCalibrationSwitch = "-CAL";
inline constexpr const char* kTestSwitch = "-TESTSIO";
inline constexpr std::uint32_t kTestModeSimulate = 0x1;
// Only this many characters of the command line are searched.
inline constexpr std::size_t kSwitchScanLength = 199;

// Looks for each switch as a substring of the first 199 characters, ignoring case; the switches
// need no separator and any other text is ignored ("-testsio-log" sets both).
StartupSwitches parseSwitches(std::string_view commandLine);

// The command line after the program name: the arguments joined with single blanks.
std::string commandLineText(int argc, const char* const* argv);

}  // namespace kvt
