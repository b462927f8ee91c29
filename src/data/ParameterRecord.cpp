#include "data/ParameterRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvt {
namespace {

#define KVT_INT_FIELD(name, flag)                                    \
    ParameterField {                                                 \
#name, offsetof(ParameterRecord, name), FieldType::Int, flag \
    }
#define KVT_FLOAT_FIELD(name, flag)                                    \
    ParameterField {                                                   \
#name, offsetof(ParameterRecord, name), FieldType::Float, flag \
    }

constexpr ParameterField kFields[] = {
    KVT_INT_FIELD(VALID, -1),
    KVT_INT_FIELD(PARAMETER_SET, -1),
    KVT_INT_FIELD(FORWARD_OFFSET, 0),
    KVT_FLOAT_FIELD(FORWARD_GAIN, 1),
    KVT_FLOAT_FIELD(PROPORTIONAL_GAIN, 2),
    KVT_FLOAT_FIELD(INTEGRATION_TIME, 3),
    KVT_INT_FIELD(INTEGRATION_LIMIT, 4),
    KVT_FLOAT_FIELD(DEAD_BAND, 5),
    KVT_INT_FIELD(DERIVATION_TIME, 6),
    KVT_INT_FIELD(PWM_FREQUENCY, 7),
    KVT_INT_FIELD(CONTROL_CYCLE_TIME, 8),
    KVT_INT_FIELD(CONTROLLER_STRUCTURE, 9),
    KVT_INT_FIELD(SETPOINT_SIGNAL, 12),
    KVT_INT_FIELD(SETPOINT_DIRECTION, 13),
    KVT_INT_FIELD(SHUT_OFF, 14),
    KVT_FLOAT_FIELD(SHUT_OFF_LEVEL, 15),
    KVT_INT_FIELD(SETPOINT_ADJUSTMENT, 16),
    KVT_INT_FIELD(SETPOINT_OFFSET, 17),
    KVT_INT_FIELD(SETPOINT_SPAN, 18),
    KVT_INT_FIELD(SETPOINT_SELECTION, 19),
    KVT_INT_FIELD(RAMP_FUNCTION, 20),
    KVT_FLOAT_FIELD(RAMP_RISE_TIME, 21),
    KVT_FLOAT_FIELD(RAMP_FALL_TIME, 22),
    KVT_INT_FIELD(ANALOG_OUT_SELECT, 24),
    KVT_INT_FIELD(FEEDBACK_SELECT, 25),
    KVT_INT_FIELD(AUTO_ZERO_FEEDBACK_ANALOG_IN_2, 27),
    KVT_INT_FIELD(AUTO_ZERO_VALUE_ANALOG_IN_2, -1),
    KVT_INT_FIELD(ANALOG_IN_2_SIGNAL, 28),
    KVT_INT_FIELD(ANALOG_IN_2_DIRECTION, 29),
    KVT_INT_FIELD(AUTOSAFE, 37),
    KVT_INT_FIELD(OVERTEMPERATURE, 38),
    KVT_INT_FIELD(OVERTEMPERATURE_LIMIT, 39),
    KVT_INT_FIELD(AUTOSAFE_SOURCE, 45),
    KVT_INT_FIELD(CURRENT_LIMIT_LEVEL, 46),
    KVT_INT_FIELD(OPTION_INPUT_PRESSURE_SENSOR, 43),
    KVT_INT_FIELD(INPUT_PRESSURE_LIMIT, 44),
    KVT_INT_FIELD(DELAY_TIME, 40),
    KVT_INT_FIELD(COIL_ON_TIME, 41),
    KVT_INT_FIELD(COIL_OFF_TIME, 42),
    KVT_INT_FIELD(SELECT_FUNCTION, 47),
    KVT_INT_FIELD(SELECT_POLARITY, 48),
    KVT_INT_FIELD(DISPLAY_SELECT, 49),
    KVT_INT_FIELD(KEY_LOCK, 50),
    KVT_INT_FIELD(KEY_FUNCTION, 51),
    KVT_INT_FIELD(LED_YELLOW, 53),
    KVT_INT_FIELD(LED_GREEN, 52),
    KVT_INT_FIELD(LED_RED, 54),
    KVT_INT_FIELD(PRESSURE_SWITCH_OUTPUT_SOURCE, 57),
    KVT_FLOAT_FIELD(OUTPUT_DELAY, 58),
    KVT_INT_FIELD(OUTPUT_MODE, 59),
    KVT_FLOAT_FIELD(WINDOW_SIZE, 60),
    KVT_FLOAT_FIELD(LIMIT_SIZE, 61),
    KVT_FLOAT_FIELD(LIMIT_HYSTERESIS, 62),
    KVT_INT_FIELD(ERROR_SELECT, 63),
    KVT_INT_FIELD(SETPOINT_RANGE_DETECTION, 64),
    KVT_INT_FIELD(I_VALUE, 10),
    KVT_FLOAT_FIELD(SLAVE_GAIN, -1),
    KVT_INT_FIELD(ANALOG_OUT_SIGNAL, 33),
    KVT_INT_FIELD(ANALOG_OUT_DIRECTION, 34),
    KVT_INT_FIELD(FEEDBACK_SELECT_SLAVE, 26),
    KVT_INT_FIELD(ANALOG_IN_1_SIGNAL, 31),
    KVT_INT_FIELD(ANALOG_IN_1_DIRECTION, 32),
    KVT_INT_FIELD(CURRENT_MIN, 35),
    KVT_INT_FIELD(CURRENT_MAX, 36),
    KVT_INT_FIELD(AUTO_ZERO_FEEDBACK_ANALOG_IN_1, 30),
    KVT_INT_FIELD(AUTO_ZERO_VALUE_ANALOG_IN_1, -1),
    KVT_INT_FIELD(PWM, 11),
    KVT_FLOAT_FIELD(SETPOINT_HYSTERESIS, 23),
    KVT_INT_FIELD(DP, 55),
    KVT_INT_FIELD(RANGE_SENSOR, 56),
};

#undef KVT_INT_FIELD
#undef KVT_FLOAT_FIELD

}  // namespace

std::span<const ParameterField> parameterFields() {
    return kFields;
}

const ParameterField* findParameterField(std::string_view name) {
    const auto* it = std::find_if(std::begin(kFields), std::end(kFields),
                                  [&](const ParameterField& f) { return f.name == name; });
    return it == std::end(kFields) ? nullptr : it;
}

double fieldValue(const ParameterRecord& record, const ParameterField& field) {
    const auto* base = reinterpret_cast<const unsigned char*>(&record) + field.offset;
    if (field.type == FieldType::Float) {
        float value;
        std::memcpy(&value, base, sizeof value);
        return value;
    }
    std::int32_t value;
    std::memcpy(&value, base, sizeof value);
    return value;
}

void setFieldValue(ParameterRecord& record, const ParameterField& field, double value) {
    auto* base = reinterpret_cast<unsigned char*>(&record) + field.offset;
    if (field.type == FieldType::Float) {
        const auto f = static_cast<float>(value);
        std::memcpy(base, &f, sizeof f);
        return;
    }
    const auto i = static_cast<std::int32_t>(std::trunc(value));
    std::memcpy(base, &i, sizeof i);
}

int parameterSetState(const ParameterSets& sets) {
    if (!sets.deviceValid()) {
        return 0;
    }
    switch (sets.deviceSet.PARAMETER_SET) {
        case 0:
            return 2;
        case 1:
            return 1;
        default:
            return 0;
    }
}

int setpointAdjustmentState(const ParameterSets& sets) {
    if (!sets.deviceValid()) {
        return 0;
    }
    switch (sets.deviceSet.SETPOINT_ADJUSTMENT) {
        case 0:
            return 1;
        case 1:
            return 2;
        default:
            return 0;
    }
}

namespace timing {

std::int32_t delayTimeCode(double seconds) {
    return (static_cast<std::int32_t>(seconds) - 5) / 5;
}

double delayTimeSeconds(std::int32_t code) {
    return 5.0 * code + 5.0;
}

std::int32_t coilOnTimeCode(double seconds) {
    if (seconds == 0.5) {
        return 0;
    }
    if (seconds == 1.0) {
        return 1;
    }
    if (seconds == 2.0) {
        return 2;
    }
    if (seconds == 4.0) {
        return 3;
    }
    return 0;
}

double coilOnTimeSeconds(std::int32_t code) {
    return 0.5 * std::pow(2.0, code);
}

std::int32_t coilOffTimeCode(double seconds) {
    return (static_cast<std::int32_t>(seconds) - 2) / 2;
}

double coilOffTimeSeconds(std::int32_t code) {
    return 2.0 * code + 2.0;
}

}  // namespace timing
}  // namespace kvt
