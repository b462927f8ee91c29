#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "data/PortSettings.h"

namespace kvt {

// The device path behind each port code; an empty path means the default /dev/ttyS<k> of the
// serial port (link/SerialPort.h).
using DevicePaths = std::array<std::string, PortSettings::kPortCount>;

// KVT_com.ini: section "SERIAL-PORT", key "PORT" ("COM1".."COM8"), and section "DEVICES" with the
// keys "COM1".."COM8" holding device paths. Like every stored text, the paths are Windows-1252
// in the file and UTF-8 in memory; KVT_para.ini holds only numbers.
inline constexpr const char* kSerialPortSection = "SERIAL-PORT";
inline constexpr const char* kPortKey = "PORT";
inline constexpr const char* kDevicesSection = "DEVICES";

// "COM1".."COM8" exactly (case-sensitive, nothing around it) → 0..7; anything else → 0.
int portCodeFromText(std::string_view text);
// "COM<code + 1>" for codes 1..7; "COM1" for 0 and every other code.
std::string portTextFromCode(int portCode);

// Reads the port code and the device paths from the file in the directory; the baud code is
// not touched. A missing file, section or key gives port code 0 and default paths. Returns
// false when the file exists but cannot be read.
bool ReadComSettings(const std::filesystem::path& directory, PortSettings& port,
                     DevicePaths& devices);

// Writes "PORT" and the device paths that are set (an empty path removes its key; a path with a
// line break or a character Windows-1252 cannot hold cannot be stored and leaves its key alone),
// creating the file and sections when needed and keeping every other key. Returns false when the
// file was not written (write-protected, unreadable, folder not writable).
bool WriteComSettings(const std::filesystem::path& directory, const PortSettings& port,
                      const DevicePaths& devices);

}  // namespace kvt
