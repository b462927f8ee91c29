#pragma once

#include <array>
#include <cstdint>

namespace kvt {

// The eight dialog slots of the main frame, by the notifications they receive.
enum class DialogSlot : int {
    CalibrationA = 0,   // Calibration (template 109), command 32021
    CalibrationB,       // Calibration (template 130), command 32030
    CalibrationMatrix,  // command 32029
    Parameters,         // command 32020
    DeviceInfo,         // command 32011
    SerialSetpoint,     // command 32014
    StatusInfo,         // command 32026
    TestFunction,       // command 32027
};
inline constexpr int kDialogSlotCount = 8;

// Where the main frame sends one notification code of message 0x8001.
struct NotificationRoute {
    enum class Box { None, CommunicationError, BaudrateError, UnknownCode };
    enum class View { None, Send, Post };

    std::uint8_t targets = 0;  // bit per DialogSlot that receives it (forwarded if occupied)
    View view = View::None;
    Box box = Box::None;
    // Notification 65 with no Parameters dialog open: the device set becomes the current set.
    bool copyCurrentToDeviceWhenNoParameters = false;
    bool ignored = false;
};

NotificationRoute routeFor(int code);

constexpr std::uint8_t slotBit(DialogSlot slot) {
    return static_cast<std::uint8_t>(1u << static_cast<int>(slot));
}

}  // namespace kvt
