#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace kvt {

// The two codes that choose the serial line. The port code is kept in KVT_com.ini; the baud code
// is found by the engine's baud-rate test and never stored.
struct PortSettings {
    static constexpr int kPortCount = 8;

    enum Baud : std::int32_t { BaudUnknown = 0, Baud9600 = 1, Baud19200 = 2, Baud57600 = 3 };

    std::atomic<std::int32_t> portCode{0};
    std::atomic<std::int32_t> baudCode{BaudUnknown};

    void reset() {
        portCode = 0;
        baudCode = BaudUnknown;
    }
};

// Baud rate in baud of a baud code; 0 for code 0 and any unknown code.
constexpr int baudRateOf(std::int32_t baudCode) {
    switch (baudCode) {
        case PortSettings::Baud9600:
            return 9600;
        case PortSettings::Baud19200:
            return 19200;
        case PortSettings::Baud57600:
            return 57600;
        default:
            return 0;
    }
}

// The device path of a port code that KVT_com.ini does not name.
inline std::string defaultDevicePath(int portCode) {
    return "/dev/ttyS" + std::to_string(portCode);
}

}  // namespace kvt
