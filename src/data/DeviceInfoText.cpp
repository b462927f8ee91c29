#include "data/DeviceInfoText.h"

#include <algorithm>

#include "data/Format.h"

namespace kvt {
namespace {

constexpr std::int32_t kMinutesPerDay = 1440;
constexpr std::int32_t kMinutesPerHour = 60;
constexpr std::int32_t kHoursPerDay = 24;

std::string wordCharacters(const std::int32_t (&words)[10]) {
    std::string text;
    for (std::int32_t w : words) {
        text += static_cast<char>(w & 0xFF);
    }
    return text;
}

}  // namespace

bool partNumberIsText(const DeviceInfo& info) {
    return info.firmwareVersion >= kPartNumberTextFirmware;
}

std::string partNumberText(const DeviceInfo& info) {
    return partNumberIsText(info) ? partNumberText1(info) + partNumberText2(info)
                                  : composedPartNumber(info);
}

std::string composedPartNumber(const DeviceInfo& info) {
    const auto* d = info.partNumberDigits;
    const auto digit = [&](int i) { return static_cast<unsigned>(d[i]); };
    std::string text = digit(0) == 1 ? format("4%X7 %X%X%X%X%X", digit(0), digit(1), digit(2),
                                              digit(3), digit(4), digit(5))
                                     : format("571-48%X %X%X%X%X%X", digit(0), digit(1), digit(2),
                                              digit(3), digit(4), digit(5));
    // Four hexadecimal digits of the 16-bit code; the first is not part of the suffix.
    const std::string suffix =
        format("%04X", static_cast<unsigned>(info.partNumberSuffix) & 0xFFFFu).substr(1);
    if (suffix != "000") {
        text += "---" + suffix;
    }
    return text;
}

std::string partNumberText1(const DeviceInfo& info) {
    return wordCharacters(info.partNumberText1);
}

std::string partNumberText2(const DeviceInfo& info) {
    return wordCharacters(info.partNumberText2);
}

std::string bcdText(std::int32_t value) {
    return format("%02X", static_cast<unsigned>(value) & 0xFFu);
}

std::int32_t bcdValue(std::int32_t value) {
    const auto byte = static_cast<std::uint32_t>(value) & 0xFFu;
    return static_cast<std::int32_t>((byte >> 4) * 10 + (byte & 0x0Fu));
}

OperatingTime splitOperatingTime(std::int32_t totalMinutes) {
    // Each part comes from the parts before it as they are, before any is held at 0.
    const std::int32_t days = totalMinutes / kMinutesPerDay;
    const std::int32_t hours = (totalMinutes - kMinutesPerDay * days) / kMinutesPerHour;
    const std::int32_t minutes = totalMinutes - (hours + kHoursPerDay * days) * kMinutesPerHour;
    return {std::max(days, 0), std::max(hours, 0), std::max(minutes, 0)};
}

}  // namespace kvt
