#include "data/ComSettings.h"

#include "data/Cp1252.h"
#include "data/ProfileFile.h"
#include "data/ProgramFiles.h"

namespace kvt {
namespace {

constexpr const char* kPortNames[PortSettings::kPortCount] = {"COM1", "COM2", "COM3", "COM4",
                                                              "COM5", "COM6", "COM7", "COM8"};

}  // namespace

int portCodeFromText(std::string_view text) {
    for (int code = 0; code < PortSettings::kPortCount; ++code) {
        if (text == kPortNames[code]) {
            return code;
        }
    }
    return 0;
}

std::string portTextFromCode(int portCode) {
    if (portCode >= 1 && portCode < PortSettings::kPortCount) {
        return kPortNames[portCode];
    }
    return kPortNames[0];
}

bool ReadComSettings(const std::filesystem::path& directory, PortSettings& port,
                     DevicePaths& devices) {
    ProfileFile file;
    file.load(directory / kComIniFileName);
    port.portCode = portCodeFromText(file.get(kSerialPortSection, kPortKey, kPortNames[0]));
    for (int code = 0; code < PortSettings::kPortCount; ++code) {
        devices[static_cast<std::size_t>(code)] =
            cp1252ToUtf8(file.get(kDevicesSection, kPortNames[code], ""));
    }
    return file.rewritable();
}

bool WriteComSettings(const std::filesystem::path& directory, const PortSettings& port,
                      const DevicePaths& devices) {
    const auto path = directory / kComIniFileName;
    ProfileFile file;
    file.load(path);
    file.set(kSerialPortSection, kPortKey, portTextFromCode(port.portCode));
    for (int code = 0; code < PortSettings::kPortCount; ++code) {
        const std::string& device = devices[static_cast<std::size_t>(code)];
        if (device.empty()) {
            file.remove(kDevicesSection, kPortNames[code]);
        } else if (device.find_first_of("\r\n") == std::string::npos) {
            if (const auto stored = utf8ToCp1252(device)) {
                file.set(kDevicesSection, kPortNames[code], *stored);
            }
        }
    }
    return file.save(path);
}

}  // namespace kvt
