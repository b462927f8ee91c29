#pragma once

#include <span>
#include <string>
#include <string_view>

#include "DeviceModel.h"

namespace kvt::devsim {

// One configurable fact about the emulated controller: "set KEY VALUE", "get KEY" and the
// command-line option --KEY VALUE all go through this table.
struct DeviceSetting {
    const char* key;
    const char* valueHelp;
    const char* help;
    // Returns an empty string on success, else why the value was refused.
    std::string (*set)(DeviceModel& model, std::string_view value);
    std::string (*get)(const DeviceModel& model);
};

std::span<const DeviceSetting> deviceSettings();
const DeviceSetting* findDeviceSetting(std::string_view key);

}  // namespace kvt::devsim
