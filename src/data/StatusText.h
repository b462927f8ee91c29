#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "data/DeviceInfo.h"

namespace kvt {

// How the live status is shown: the same rules for the Status Info dialog and kvtcli.

// One two-state condition of the status record. The controller sends 1 or 2; each has its word
// (string ids), and any other value has none.
struct StatusCondition {
    std::string_view name;  // the record's field name
    std::int32_t StatusInfo::*field;
    int captionId;
    int textFor1;
    int textFor2;
};

// The eight conditions in record order.
std::span<const StatusCondition> statusConditions();

// The string id of the word for the value; nullopt for a value other than 1 and 2, for which
// neither word applies.
std::optional<int> conditionTextId(const StatusCondition& condition, std::int32_t value);

struct StatusLed {
    std::string_view name;  // the record's field name
    std::int32_t StatusInfo::*field;
    int captionId;
};

// The three LEDs in record order (red, green, yellow).
std::span<const StatusLed> statusLeds();

// The controller's LED state codes.
enum class LedState : std::int32_t { Dark = 0, Lit = 1, Third = 2, Blinking = 3 };
std::optional<LedState> ledStateOf(std::int32_t value);
// "dark", "lit", "third picture", "blinking".
std::string_view ledStateName(LedState state);

// The picture an LED shows: the neutral one until the record is valid (and for a code outside
// the four states); a blinking LED is lit in one blink phase and dark in the other.
enum class LedPicture { Neutral, Dark, Lit, Third };
LedPicture ledPicture(std::int32_t value, bool recordValid, bool blinkPhaseLit);

}  // namespace kvt
