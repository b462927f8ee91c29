#include "data/ParameterLimits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <initializer_list>

#include "data/Format.h"

namespace kvt {
namespace {

using P = ParameterPage;

constexpr ParameterLimit row(std::string_view field, P page, LimitKind kind, ValueRange range,
                             std::uint32_t codes) {
    ParameterLimit limit{};
    limit.field = field;
    limit.page = page;
    limit.kind = kind;
    limit.range = range;
    limit.codes = codes;
    return limit;
}

constexpr ParameterLimit integer(std::string_view field, P page, double lo, double hi) {
    return row(field, page, LimitKind::Integer, {lo, hi}, 0);
}

constexpr ParameterLimit real(std::string_view field, P page, double lo, double hi) {
    return row(field, page, LimitKind::Float, {lo, hi}, 0);
}

constexpr std::uint32_t codeSpan(int first, int last) {
    std::uint32_t mask = 0;
    for (int code = first; code <= last; ++code) {
        mask |= 1u << code;
    }
    return mask;
}

constexpr ParameterLimit choice(std::string_view field, P page, int first, int last) {
    return row(field, page, LimitKind::Choice, {}, codeSpan(first, last));
}

constexpr ParameterLimit choiceOf(std::string_view field, P page,
                                  std::initializer_list<int> codes) {
    std::uint32_t mask = 0;
    for (int code : codes) {
        mask |= 1u << code;
    }
    return row(field, page, LimitKind::Choice, {}, mask);
}

constexpr ParameterLimit holding(ParameterLimit limit, double lo, double hi) {
    limit.widened = true;
    limit.held = {lo, hi};
    return limit;
}

// Integration time (snapped to 0.05 s by its page), PWM frequency (a hidden edit) and the
// current limits (hidden unless the feedback is a current) are checked by their parse ranges
// only: a value the page would accept must pass.
constexpr ParameterLimit kLimits[] = {
    integer("FORWARD_OFFSET", P::Control, 0, 80),
    real("FORWARD_GAIN", P::Control, 0.0, 2.5),
    real("PROPORTIONAL_GAIN", P::Control, 0.1, 20.0),
    real("INTEGRATION_TIME", P::Control, 0.05, 10.0),
    integer("INTEGRATION_LIMIT", P::Control, 0, 100),
    real("DEAD_BAND", P::Control, 0.1, 10.0),
    integer("DERIVATION_TIME", P::Control, 0, 255),
    integer("PWM_FREQUENCY", P::Control, 20, 2000),
    integer("CONTROL_CYCLE_TIME", P::Control, 1, 100),
    integer("CURRENT_MIN", P::Control, 0, 2000),
    integer("CURRENT_MAX", P::Control, 0, 2000),
    choice("CONTROLLER_STRUCTURE", P::Control, 0, 7),
    choice("I_VALUE", P::Control, 0, 1),
    choice("PWM", P::Control, 0, 1),

    choice("SETPOINT_SIGNAL", P::Setpoint, 0, 2),
    choice("SETPOINT_DIRECTION", P::Setpoint, 0, 1),
    choice("SHUT_OFF", P::Setpoint, 0, 1),
    // 0.0 is the built-in default and what a controller reports before a level was ever set.
    holding(real("SHUT_OFF_LEVEL", P::Setpoint, 0.2, 10.0), 0.0, 10.0),
    choice("SETPOINT_ADJUSTMENT", P::Setpoint, 0, 1),
    integer("SETPOINT_OFFSET", P::Setpoint, -50, 100),
    integer("SETPOINT_SPAN", P::Setpoint, 0, 150),
    choice("SETPOINT_SELECTION", P::Setpoint, 0, 5),
    choice("RAMP_FUNCTION", P::Setpoint, 0, 3),
    real("RAMP_RISE_TIME", P::Setpoint, 0.0, 20.0),
    real("RAMP_FALL_TIME", P::Setpoint, 0.0, 20.0),
    real("SETPOINT_HYSTERESIS", P::Setpoint, 0.0, 20.0),

    choice("ANALOG_IN_2_SIGNAL", P::AnalogIn, 0, 2),
    choice("ANALOG_IN_2_DIRECTION", P::AnalogIn, 0, 1),
    choice("AUTO_ZERO_FEEDBACK_ANALOG_IN_2", P::AnalogIn, 0, 1),
    choice("FEEDBACK_SELECT", P::AnalogIn, 0, 5),
    choice("FEEDBACK_SELECT_SLAVE", P::AnalogIn, 0, 5),
    choice("AUTO_ZERO_FEEDBACK_ANALOG_IN_1", P::AnalogIn, 0, 1),
    choice("ANALOG_IN_1_SIGNAL", P::AnalogIn, 0, 2),
    choice("ANALOG_IN_1_DIRECTION", P::AnalogIn, 0, 1),

    choice("ANALOG_OUT_SELECT", P::AnalogOut, 0, 7),
    choice("ANALOG_OUT_SIGNAL", P::AnalogOut, 0, 2),
    choice("ANALOG_OUT_DIRECTION", P::AnalogOut, 0, 1),

    choice("SELECT_FUNCTION", P::DigitalInput, 0, 6),
    choice("SELECT_POLARITY", P::DigitalInput, 0, 1),

    // 7, "Pressure in bar", has no radio, but the page enables the decimal point for it as for
    // 0, and a controller whose display bits are all clear reports it.
    holding(choice("DISPLAY_SELECT", P::DisplayKeys, 0, 6), 0, 7),
    choice("KEY_LOCK", P::DisplayKeys, 0, 1),
    choice("KEY_FUNCTION", P::DisplayKeys, 0, 3),
    choice("LED_YELLOW", P::DisplayKeys, 0, 3),
    choice("LED_RED", P::DisplayKeys, 0, 3),
    choice("LED_GREEN", P::DisplayKeys, 0, 3),
    choiceOf("DP", P::DisplayKeys, {0, 1, 3}),
    // The page shows three digits; the controller keeps twelve bits, and sensors of range 1000
    // and more exist.
    holding(integer("RANGE_SENSOR", P::DisplayKeys, 0, 999), 0, 4095),

    choice("PRESSURE_SWITCH_OUTPUT_SOURCE", P::DigitalOut, 0, 3),
    choice("OUTPUT_MODE", P::DigitalOut, 0, 1),
    real("OUTPUT_DELAY", P::DigitalOut, 0.0, 10.0),
    real("WINDOW_SIZE", P::DigitalOut, 3.0, 20.0),
    real("LIMIT_SIZE", P::DigitalOut, 0.0, 100.0),
    real("LIMIT_HYSTERESIS", P::DigitalOut, 0.0, 10.0),

    choice("SETPOINT_RANGE_DETECTION", P::Error, 0, 3),
    choice("ERROR_SELECT", P::Error, 0, 7),
};

bool inRange(const ParameterLimit& limit, const ValueRange& range, double value) {
    if (limit.kind == LimitKind::Float) {
        // Compared as the record's float, so that a value a page clamped to 0.1f passes 0.1.
        const auto f = static_cast<float>(value);
        return f >= static_cast<float>(range.lo) && f <= static_cast<float>(range.hi);
    }
    return value >= range.lo && value <= range.hi;
}

std::string rangeText(const ParameterLimit& limit, const ValueRange& range) {
    if (limit.kind == LimitKind::Float) {
        return format("%g..%g", range.lo, range.hi);
    }
    return format("%d..%d", static_cast<int>(range.lo), static_cast<int>(range.hi));
}

std::string valueText(const ParameterLimit& limit, double value) {
    if (limit.kind == LimitKind::Float) {
        return format("%g", static_cast<double>(static_cast<float>(value)));
    }
    return format("%d", static_cast<int>(value));
}

}  // namespace

std::span<const ParameterLimit> parameterLimits() {
    return kLimits;
}

const ParameterLimit* findParameterLimit(std::string_view field) {
    const auto* it = std::find_if(std::begin(kLimits), std::end(kLimits),
                                  [&](const ParameterLimit& l) { return l.field == field; });
    return it == std::end(kLimits) ? nullptr : it;
}

bool acceptsValue(const ParameterLimit& limit, double value) {
    if (limit.widened && inRange(limit, limit.held, value)) {
        return true;
    }
    if (limit.kind == LimitKind::Choice) {
        return value == std::trunc(value) && limit.offersCode(static_cast<std::int32_t>(value));
    }
    return inRange(limit, limit.range, value);
}

std::string acceptedText(const ParameterLimit& limit) {
    if (limit.widened) {
        return rangeText(limit, limit.held);
    }
    if (limit.kind != LimitKind::Choice) {
        return rangeText(limit, limit.range);
    }
    const int first = std::countr_zero(limit.codes);
    const int last = 31 - std::countl_zero(limit.codes);
    if (limit.codes == codeSpan(first, last)) {
        return format("%d..%d", first, last);
    }
    std::string text;
    for (int code = first; code <= last; ++code) {
        if (limit.offersCode(code)) {
            text += (text.empty() ? "" : ", ") + format("%d", code);
        }
    }
    return text;
}

std::vector<ParameterViolation> parameterViolations(const ParameterRecord& set) {
    std::vector<ParameterViolation> violations;
    for (const ParameterField& field : parameterFields()) {
        const ParameterLimit* limit = findParameterLimit(field.name);
        if (limit == nullptr) {
            continue;
        }
        const double value = fieldValue(set, field);
        if (!acceptsValue(*limit, value)) {
            violations.push_back({limit, value});
        }
    }
    return violations;
}

std::string violationText(const ParameterViolation& violation) {
    const ParameterLimit& limit = *violation.limit;
    return std::string(limit.field) + " = " + valueText(limit, violation.value) +
           " (allowed: " + acceptedText(limit) + ")";
}

}  // namespace kvt
