#include "data/StatusText.h"

#include <array>

namespace kvt {
namespace {

// String ids of the words of the conditions.
constexpr int kNo = 19;
constexpr int kYes = 119;
constexpr int kHigh = 104;
constexpr int kLow = 105;
constexpr int kOn = 35;
constexpr int kOff = 36;
constexpr int kDisabled = 181;
constexpr int kEnabled = 182;

constexpr std::array<StatusCondition, 8> kConditions = {{
    {"overvoltage", &StatusInfo::overvoltage, 183, kNo, kYes},
    {"undervoltage", &StatusInfo::undervoltage, 184, kNo, kYes},
    {"overtemperature", &StatusInfo::overtemperature, 185, kNo, kYes},
    {"digitalOut", &StatusInfo::digitalOut, 186, kHigh, kLow},
    {"jumper", &StatusInfo::jumper, 187, kOn, kOff},
    {"keyLock", &StatusInfo::keyLock, 188, kDisabled, kEnabled},
    {"manualSetpoint", &StatusInfo::manualSetpoint, 189, kDisabled, kEnabled},
    {"reserve", &StatusInfo::reserve, 190, kDisabled, kEnabled},
}};

constexpr std::array<StatusLed, 3> kLeds = {{
    {"ledRed", &StatusInfo::ledRed, 297},
    {"ledGreen", &StatusInfo::ledGreen, 295},
    {"ledYellow", &StatusInfo::ledYellow, 296},
}};

constexpr std::array<std::string_view, 4> kLedStateNames = {"dark", "lit", "third picture",
                                                            "blinking"};

}  // namespace

std::span<const StatusCondition> statusConditions() {
    return kConditions;
}

std::optional<int> conditionTextId(const StatusCondition& condition, std::int32_t value) {
    if (value == 1) {
        return condition.textFor1;
    }
    if (value == 2) {
        return condition.textFor2;
    }
    return std::nullopt;
}

std::span<const StatusLed> statusLeds() {
    return kLeds;
}

std::optional<LedState> ledStateOf(std::int32_t value) {
    if (value < 0 || value >= static_cast<std::int32_t>(kLedStateNames.size())) {
        return std::nullopt;
    }
    return static_cast<LedState>(value);
}

std::string_view ledStateName(LedState state) {
    return kLedStateNames[static_cast<std::size_t>(state)];
}

LedPicture ledPicture(std::int32_t value, bool recordValid, bool blinkPhaseLit) {
    const std::optional<LedState> state = ledStateOf(value);
    if (!recordValid || !state) {
        return LedPicture::Neutral;
    }
    switch (*state) {
        case LedState::Dark:
            return LedPicture::Dark;
        case LedState::Lit:
            return LedPicture::Lit;
        case LedState::Third:
            return LedPicture::Third;
        case LedState::Blinking:
            return blinkPhaseLit ? LedPicture::Lit : LedPicture::Dark;
    }
    return LedPicture::Neutral;
}

}  // namespace kvt
