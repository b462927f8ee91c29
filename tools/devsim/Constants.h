#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

// Every number that shapes the emulator's behaviour, in one place.
namespace kvt::devsim {

using Clock = std::chrono::steady_clock;

// Rates the emulated controller can be set to; it answers only at its own one.
inline constexpr std::array<int, 3> kSupportedBauds = {9600, 19200, 57600};
inline constexpr int kDefaultBaud = 19200;
// A character on the line: start bit, eight data bits, stop bit.
inline constexpr int kBitsPerByte = 10;

// The usual request is STX, code, one data byte, BCC; the matrix row write carries ten values.
inline constexpr std::size_t kShortRequestLength = 4;
inline constexpr std::size_t kLongRequestLength = 13;
// A request whose bytes stop arriving for this long is given up, so that one lost byte cannot
// shift every later request.
inline constexpr std::chrono::milliseconds kRequestGapLimit{100};

// Step and Ramp Mode always stream at 4 ms; Trigger Mode at the period PRS set (in ms).
inline constexpr std::chrono::milliseconds kStepRampPeriod{4};
inline constexpr std::uint8_t kDefaultTriggerPeriodMs = 4;
// ATR reads back the acquisition time that ATS (its write code) set, in seconds; a step or
// ramp stream lasts that long. Without one, the stream runs for the longest time, 20 s.
inline constexpr std::uint8_t kAcqTimeReadCode = 0x22;
inline constexpr std::uint8_t kLongestAcqTime = 20;

// Bytes the emulator holds back for a terminal whose buffer is full. A controller's UART never
// waits for the PC: stream records beyond this are lost, as on a line that nobody reads.
inline constexpr std::size_t kMaxPendingOutput = 4096;

// Paced output wakes at most about once per this interval; bytes may leave up to this much later
// than their line time, never earlier.
inline constexpr std::chrono::microseconds kPacingBatch{1000};

// Calibration matrix memory: 26 rows of ten values at the addresses 0, 10, ... 250.
inline constexpr std::size_t kMatrixRowLength = 10;
inline constexpr std::size_t kMatrixMemorySize = 260;

// The textual part number (AXR, AX2R) exists from this firmware version on.
inline constexpr std::uint8_t kFirmwareWithPartText = 7;
inline constexpr std::size_t kPartTextLength = 20;

// Calibration progress is the high nibble of the status byte; 15 means done.
inline constexpr std::uint8_t kCalibrationLastStep = 15;

// Control input: longer lines are refused rather than grown without bound.
inline constexpr std::size_t kMaxControlLine = 4096;
// Default noise byte for the "noise" fault: never STX, ACK or NAK.
inline constexpr std::uint8_t kDefaultNoiseByte = 0xFF;

}  // namespace kvt::devsim
