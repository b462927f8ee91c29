#pragma once

#include <cstddef>
#include <cstdint>

namespace kvt {

// What the controller knows about itself: filled by Read Device Info (and the firmware version by
// the baud-rate test), stored as block 6 of a project file. 120 words; words after 39 unused.
struct DeviceInfo {
    std::int32_t firmwareVersion;
    std::int32_t partNumberDigits[6];  // BCD digits, shown in hexadecimal
    std::int32_t partNumberSuffix;     // last three hexadecimal digits are the suffix
    std::int32_t partNumberText1[10];  // one character per word (firmware 7 and later)
    std::int32_t partNumberText2[10];
    std::int32_t serialNumber;
    std::int32_t productionYear;  // BCD
    std::int32_t productionWeek;  // BCD
    std::int32_t operationMinutes;
    std::int32_t calibrationCounter;
    std::int32_t calibrationYear;   // BCD
    std::int32_t calibrationMonth;  // BCD
    std::int32_t calibrationDay;    // BCD
    std::int32_t calibrationStatus;
    std::int32_t calibrationTemperature;  // degrees C
    std::int32_t moduleTemperature;       // degrees C
    std::int32_t deviceInfoValid;         // first byte: 1 after a complete read
    std::int32_t unused[80];

    bool valid() const { return (deviceInfoValid & 0xFF) == 1; }
};

static_assert(sizeof(DeviceInfo) == 480);
static_assert(offsetof(DeviceInfo, partNumberText1) == 8 * 4);
static_assert(offsetof(DeviceInfo, serialNumber) == 28 * 4);
static_assert(offsetof(DeviceInfo, operationMinutes) == 31 * 4);
static_assert(offsetof(DeviceInfo, moduleTemperature) == 38 * 4);
static_assert(offsetof(DeviceInfo, deviceInfoValid) == 39 * 4);

// Live status from Read Status Update, LED. Kept in memory only (448 bytes).
struct StatusInfo {
    std::int32_t overvoltage;      // 2 set, 1 clear
    std::int32_t undervoltage;     // 2 set, 1 clear
    std::int32_t overtemperature;  // 2 set, 1 clear
    std::int32_t digitalOut;       // 1 set, 2 clear
    std::int32_t jumper;           // 1 set, 2 clear
    std::int32_t keyLock;          // 2 set, 1 clear
    std::int32_t manualSetpoint;   // 2 set, 1 clear
    std::int32_t reserve;          // 1 set, 0 clear
    std::int32_t ledRed;           // LED state codes 0..3
    std::int32_t ledGreen;
    std::int32_t ledYellow;
    std::int32_t statusValid;  // first byte: 1 after a complete read
    std::int32_t unused[100];

    bool valid() const { return (statusValid & 0xFF) == 1; }
};

static_assert(sizeof(StatusInfo) == 448);
static_assert(offsetof(StatusInfo, statusValid) == 11 * 4);

}  // namespace kvt
