#include "DeviceSettings.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>

#include "TextParse.h"

namespace kvt::devsim {

namespace {

constexpr std::uint8_t kVersion = 0x23;
constexpr std::uint8_t kModuleTemperature = 0x52;
constexpr std::uint8_t kCalibrationTemperature = 0x54;
constexpr std::uint8_t kStatus = 0x6c;
constexpr std::uint8_t kLeds = 0x6e;
constexpr int kModuleTemperatureOffset = 50;  // VTR carries degrees C + 50
constexpr std::uint64_t kMax24Bits = 0xFFFFFF;

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

std::string hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string bcd(std::uint8_t value) {
    return hex(value, 2);
}

std::string unsignedInto(std::string_view text, std::uint64_t max, auto& field) {
    std::uint64_t value = 0;
    if (!parseUnsigned(text, max, value)) {
        return "expected a number from 0 to " + std::to_string(max);
    }
    field = static_cast<std::remove_reference_t<decltype(field)>>(value);
    return {};
}

std::string registerByte(DeviceModel& model, std::uint8_t code, std::string_view text) {
    std::uint8_t value = 0;
    std::string error = unsignedInto(text, 0xFF, value);
    if (error.empty()) {
        model.setRegister(code, value);
    }
    return error;
}

std::string bcdInto(std::string_view text, std::uint64_t max, std::uint8_t& field) {
    return parseBcdByte(text, max, field) ? std::string{}
                                          : "expected a decimal number from 0 to " + number(max);
}

// "2023-11-28" or "23-11-28": kept as three BCD bytes, as the controller sends them.
std::string setCalibrationDate(DeviceModel& model, std::string_view text) {
    if (text.size() == 10) {
        text.remove_prefix(2);
    }
    DeviceIdentity& id = model.identity();
    std::uint8_t year = 0, month = 0, day = 0;
    if (text.size() != 8 || text[2] != '-' || text[5] != '-' ||
        !parseBcdByte(text.substr(0, 2), 99, year) || !parseBcdByte(text.substr(3, 2), 12, month) ||
        !parseBcdByte(text.substr(6, 2), 31, day)) {
        return "expected a date YYYY-MM-DD";
    }
    id.calibrationYear = year;
    id.calibrationMonth = month;
    id.calibrationDay = day;
    return {};
}

std::string setPartText(DeviceModel& model, std::string_view text) {
    if (text.size() > kPartTextLength) {
        return "at most " + std::to_string(kPartTextLength) + " characters";
    }
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
            return "printable ASCII characters only";
        }
    }
    auto& field = model.identity().partText;
    field.fill(' ');
    std::copy(text.begin(), text.end(), field.begin());
    return {};
}

std::string getPartText(const DeviceModel& model) {
    const auto& field = model.identity().partText;
    std::string text(field.begin(), field.end());
    return std::string(trim(text));
}

std::string setModuleTemperature(DeviceModel& model, std::string_view text) {
    std::int64_t celsius = 0;
    if (!parseSigned(text, -kModuleTemperatureOffset, 255 - kModuleTemperatureOffset, celsius)) {
        return "expected degrees C from -50 to 205";
    }
    model.setRegister(kModuleTemperature,
                      static_cast<std::uint8_t>(celsius + kModuleTemperatureOffset));
    return {};
}

const DeviceSetting kSettings[] = {
    {"firmware", "N", "firmware version (VER); AXR/AX2R from 7 on (default 23)",
     [](DeviceModel& m, std::string_view v) { return registerByte(m, kVersion, v); },
     [](const DeviceModel& m) { return number(m.registerValue(kVersion)); }},
    {"part-number", "DIGITS", "part number digits, sent as BCD (DIR; default 750112)",
     [](DeviceModel& m, std::string_view v) {
         std::uint64_t value = 0;
         if (v.size() != 6 || !parseHexDigits(v, 6, value)) {
             return std::string("expected six digits");
         }
         m.identity().partNumber = static_cast<std::uint32_t>(value);
         return std::string{};
     },
     [](const DeviceModel& m) { return hex(m.identity().partNumber, 6); }},
    {"part-suffix", "HEX", "part number suffix, hexadecimal (DIR; default 0B2)",
     [](DeviceModel& m, std::string_view v) {
         std::uint64_t value = 0;
         if (!parseHexDigits(v, 4, value)) {
             return std::string("expected up to four hexadecimal digits");
         }
         m.identity().partSuffix = static_cast<std::uint16_t>(value);
         return std::string{};
     },
     [](const DeviceModel& m) { return hex(m.identity().partSuffix, 3); }},
    {"part-text", "TEXT", "textual part number, up to 20 characters (AXR, AX2R)", setPartText,
     getPartText},
    {"serial", "N", "serial number, 0..16777215 (DIR; default 12345)",
     [](DeviceModel& m, std::string_view v) {
         return unsignedInto(v, kMax24Bits, m.identity().serialNumber);
     },
     [](const DeviceModel& m) { return number(m.identity().serialNumber); }},
    {"production-year", "YY", "production year, two digits (DIR; default 23)",
     [](DeviceModel& m, std::string_view v) { return bcdInto(v, 99, m.identity().productionYear); },
     [](const DeviceModel& m) { return bcd(m.identity().productionYear); }},
    {"production-week", "WW", "production week 1..53 (DIR; default 47)",
     [](DeviceModel& m, std::string_view v) { return bcdInto(v, 53, m.identity().productionWeek); },
     [](const DeviceModel& m) { return bcd(m.identity().productionWeek); }},
    {"operation-minutes", "N", "operation counter in minutes (OCR; default 98765)",
     [](DeviceModel& m, std::string_view v) {
         return unsignedInto(v, kMax24Bits, m.identity().operationMinutes);
     },
     [](const DeviceModel& m) { return number(m.identity().operationMinutes); }},
    {"calibration-counter", "N", "number of calibrations 0..255 (OCR; default 3)",
     [](DeviceModel& m, std::string_view v) {
         return unsignedInto(v, 0xFF, m.identity().calibrationCounter);
     },
     [](const DeviceModel& m) { return number(m.identity().calibrationCounter); }},
    {"calibration-date", "YYYY-MM-DD", "date of the last calibration (OCR; default 2023-11-28)",
     setCalibrationDate,
     [](const DeviceModel& m) {
         const DeviceIdentity& id = m.identity();
         return "20" + bcd(id.calibrationYear) + "-" + bcd(id.calibrationMonth) + "-" +
                bcd(id.calibrationDay);
     }},
    {"calibration-status", "N", "calibration status code 0..255 (OCR; default 0)",
     [](DeviceModel& m, std::string_view v) {
         return unsignedInto(v, 0xFF, m.identity().calibrationStatus);
     },
     [](const DeviceModel& m) { return number(m.identity().calibrationStatus); }},
    {"calibration-temperature", "N", "calibration temperature in C, 0..255 (CTR; default 23)",
     [](DeviceModel& m, std::string_view v) { return registerByte(m, kCalibrationTemperature, v); },
     [](const DeviceModel& m) { return number(m.registerValue(kCalibrationTemperature)); }},
    {"module-temperature", "C", "module temperature -50..205 C (VTR; default 31)",
     setModuleTemperature,
     [](const DeviceModel& m) {
         return std::to_string(static_cast<int>(m.registerValue(kModuleTemperature)) -
                               kModuleTemperatureOffset);
     }},
    {"status", "BYTE", "status byte (STR): bit 7 overvoltage .. 0 reserve (0x10)",
     [](DeviceModel& m, std::string_view v) { return registerByte(m, kStatus, v); },
     [](const DeviceModel& m) { return "0x" + hex(m.registerValue(kStatus), 2); }},
    {"leds", "BYTE", "LED byte (LER): bits 0-1 green, 2-3 yellow, 4-5 red (0x01)",
     [](DeviceModel& m, std::string_view v) { return registerByte(m, kLeds, v); },
     [](const DeviceModel& m) { return "0x" + hex(m.registerValue(kLeds), 2); }},
};

}  // namespace

std::span<const DeviceSetting> deviceSettings() {
    return kSettings;
}

const DeviceSetting* findDeviceSetting(std::string_view key) {
    const std::string wanted = lowerCase(key);
    for (const DeviceSetting& setting : kSettings) {
        if (wanted == setting.key) {
            return &setting;
        }
    }
    return nullptr;
}

}  // namespace kvt::devsim
