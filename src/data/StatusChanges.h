#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/DeviceInfo.h"
#include "data/Strings.h"

namespace kvt {

// What differs between two status readings, condition by condition and LED by LED, so that a
// window or kvtcli can report an alarm that came and went between two looks.
struct StatusChange {
    int captionId;       // string id of the condition or the LED
    bool led;            // an LED, else a condition
    std::int32_t value;  // the new value
};

// The changes from `before` to `after`, conditions first, each in record order.
std::vector<StatusChange> statusChanges(const StatusInfo& before, const StatusInfo& after);

// "Overtemperature YES", "RED blinking"; a value without a word shows as its number.
std::string statusChangeText(const StatusChange& change, Strings& strings);

}  // namespace kvt
