#include "DeviceIdentity.h"

namespace kvt::devsim {

namespace {
std::uint8_t byteOf(std::uint32_t value, int shift) {
    return static_cast<std::uint8_t>((value >> shift) & 0xFF);
}
}  // namespace

std::array<std::uint8_t, 10> DeviceIdentity::identityBytes() const {
    return {byteOf(partNumber, 16),  byteOf(partNumber, 8),   byteOf(partNumber, 0),
            byteOf(partSuffix, 8),   byteOf(partSuffix, 0),   byteOf(serialNumber, 16),
            byteOf(serialNumber, 8), byteOf(serialNumber, 0), productionYear,
            productionWeek};
}

std::array<std::uint8_t, 8> DeviceIdentity::counterBytes() const {
    return {byteOf(operationMinutes, 16),
            byteOf(operationMinutes, 8),
            byteOf(operationMinutes, 0),
            calibrationCounter,
            calibrationYear,
            calibrationMonth,
            calibrationDay,
            calibrationStatus};
}

std::array<std::uint8_t, 10> DeviceIdentity::partTextBytes(int half) const {
    std::array<std::uint8_t, 10> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(partText[static_cast<std::size_t>(half) * 10 + i]);
    }
    return out;
}

}  // namespace kvt::devsim
