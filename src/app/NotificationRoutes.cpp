#include "app/NotificationRoutes.h"

namespace kvt {
namespace {

constexpr std::uint8_t kAllSlots = 0xFF;
constexpr std::uint8_t kCalibrationSlots = slotBit(DialogSlot::CalibrationA) |
                                           slotBit(DialogSlot::CalibrationB) |
                                           slotBit(DialogSlot::CalibrationMatrix);

struct CodeRange {
    int first;
    int last;
    NotificationRoute route;
};

using Box = NotificationRoute::Box;
using View = NotificationRoute::View;

constexpr CodeRange kRoutes[] = {
    {1, 6, {kAllSlots, View::None, Box::CommunicationError}},
    {7, 7, {kAllSlots, View::None, Box::BaudrateError}},
    {8, 8, {kAllSlots, View::None, Box::CommunicationError}},
    {32, 38, {kCalibrationSlots}},
    {48, 48, {0, View::Send}},
    {49, 49, {0, View::Post}},
    {64, 64, {slotBit(DialogSlot::Parameters)}},
    {65, 65, {slotBit(DialogSlot::Parameters), View::None, Box::None, true}},
    {66, 66, {slotBit(DialogSlot::Parameters)}},
    {80, 80, {slotBit(DialogSlot::DeviceInfo)}},
    {96, 96, {slotBit(DialogSlot::SerialSetpoint)}},
    {112, 112, {slotBit(DialogSlot::StatusInfo)}},
    {128, 129, {slotBit(DialogSlot::TestFunction)}},
    {130, 130, {0, View::None, Box::None, false, true}},
};

}  // namespace

NotificationRoute routeFor(int code) {
    for (const auto& r : kRoutes) {
        if (code >= r.first && code <= r.last) {
            return r.route;
        }
    }
    NotificationRoute unknown;
    unknown.box = Box::UnknownCode;
    return unknown;
}

}  // namespace kvt
