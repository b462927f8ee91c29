#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "data/AcquisitionBuffers.h"
#include "data/ScopeSettings.h"
#include "data/Strings.h"

namespace kvt {

// A recording as comma-separated values for a spreadsheet: a header row, then one row per
// recorded sample (oldest first) with the time and the eight channels. Numbers are written with
// a decimal point whatever the locale, lines end in CR LF, and a name holding a comma or a
// quote is quoted.
//
// Time column, in seconds: Step and Ramp Mode count from the start of the recording (sample i
// at i x P); Trigger Mode counts back from the right edge of the window as the scope view does
// (sample i at (N - i) x P, N the window's capacity), so the newest sample is one period old.
inline constexpr int kCsvColumns = 1 + kAnalogChannels + kBinaryChannels;

// The header row's texts: "Time [s]", the analog channels' selected signal names with " [%]",
// the binary channels' bit names with " [0/1]". Master or Slave names by the settings.
std::array<std::string, kCsvColumns> csvColumnNames(const ScopeSettings& settings,
                                                    Strings& strings);

// Samples in a full recording with these settings (the rows a complete recording gives).
int recordedSampleCount(const ScopeSettings& settings);

// The whole file; sampleCount is kept within 0..5000.
std::string recordingCsv(const ScopeSettings& settings, const AcquisitionBuffers& samples,
                         Strings& strings, int sampleCount);

struct CsvWriteResult {
    bool ok = false;
    int error = 0;  // errno of the step that failed
};
CsvWriteResult saveRecordingCsv(const std::filesystem::path& path, const ScopeSettings& settings,
                                const AcquisitionBuffers& samples, Strings& strings,
                                int sampleCount);

}  // namespace kvt
