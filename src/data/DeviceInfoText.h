#pragma once

#include <cstdint>
#include <string>

#include "data/DeviceInfo.h"

namespace kvt {

// How the device information is shown: the same rules for the Device Info dialog and kvtcli.

// From this firmware on the controller sends its part number as two texts of ten characters;
// below it the number is composed from digits and a suffix.
inline constexpr std::int32_t kPartNumberTextFirmware = 7;

bool partNumberIsText(const DeviceInfo& info);

// The part number as shown: the two texts one after the other from firmware 7 on, else the
// composed form.
std::string partNumberText(const DeviceInfo& info);

// The composed form: "4%X7 %X%X%X%X%X" when the first digit is 1, else "571-48%X %X%X%X%X%X",
// followed by "---" and the suffix's last three hexadecimal digits unless they are "000".
std::string composedPartNumber(const DeviceInfo& info);

// The two texts, one character per word.
std::string partNumberText1(const DeviceInfo& info);
std::string partNumberText2(const DeviceInfo& info);

// A BCD byte (dates) as its two digits.
std::string bcdText(std::int32_t value);
// The same as a number: 0x11 is 11. A nibble above 9 counts as its value (0x1A is 20), as the
// two digits the dialog shows cannot say more.
std::int32_t bcdValue(std::int32_t value);

// The operation counter split into days, hours and minutes; a negative part is 0.
struct OperatingTime {
    std::int32_t days = 0;
    std::int32_t hours = 0;
    std::int32_t minutes = 0;
};
OperatingTime splitOperatingTime(std::int32_t totalMinutes);

}  // namespace kvt
