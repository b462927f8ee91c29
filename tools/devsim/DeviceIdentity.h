#pragma once

#include <array>
#include <cstdint>

#include "Constants.h"

namespace kvt::devsim {

// What the controller tells about itself in DIR, OCR, AXR and AX2R. BCD fields hold the BCD byte.
struct DeviceIdentity {
    std::uint32_t partNumber = 0x750112;     // six digits, sent as three BCD bytes
    std::uint16_t partSuffix = 0x00B2;       // the last three hexadecimal digits are the suffix
    std::uint32_t serialNumber = 12345;      // 24 bits
    std::uint8_t productionYear = 0x23;      // BCD
    std::uint8_t productionWeek = 0x47;      // BCD
    std::uint32_t operationMinutes = 98765;  // 24 bits
    std::uint8_t calibrationCounter = 3;
    std::uint8_t calibrationYear = 0x23;   // BCD
    std::uint8_t calibrationMonth = 0x11;  // BCD
    std::uint8_t calibrationDay = 0x28;    // BCD
    std::uint8_t calibrationStatus = 0;
    std::array<char, kPartTextLength> partText = {'D', 'E', 'M', 'O', '-', 'D', 'N', '5', '0', '-',
                                                  'P', 'N', '1', '6', '-', '2', '4', 'V', ' ', ' '};

    // Data bytes b1..b10 of the DIR reply.
    std::array<std::uint8_t, 10> identityBytes() const;
    // Data bytes b1..b8 of the OCR reply.
    std::array<std::uint8_t, 8> counterBytes() const;
    // Ten characters of the textual part number: half 0 for AXR, 1 for AX2R.
    std::array<std::uint8_t, 10> partTextBytes(int half) const;
};

}  // namespace kvt::devsim
