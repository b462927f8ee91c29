#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kvt {

// The controller's configuration: 155 little-endian 32-bit words (620 bytes), stored verbatim as
// block 3 of a project file. Words 71..154 are reserved but copied, compared and stored with the
// rest.
struct ParameterRecord {
    std::int32_t VALID;  // low byte: 1 after a complete read from the device (device set only)
    std::int32_t PARAMETER_SET;  // 0 Custom, 1 Factory
    std::int32_t FORWARD_OFFSET;
    float FORWARD_GAIN;
    float PROPORTIONAL_GAIN;
    float INTEGRATION_TIME;
    std::int32_t INTEGRATION_LIMIT;
    float DEAD_BAND;
    std::int32_t DERIVATION_TIME;
    std::int32_t PWM_FREQUENCY;
    std::int32_t CONTROL_CYCLE_TIME;  // word 10
    std::int32_t CONTROLLER_STRUCTURE;
    std::int32_t SETPOINT_SIGNAL;
    std::int32_t SETPOINT_DIRECTION;
    std::int32_t SHUT_OFF;
    float SHUT_OFF_LEVEL;
    std::int32_t SETPOINT_ADJUSTMENT;
    std::int32_t SETPOINT_OFFSET;
    std::int32_t SETPOINT_SPAN;
    std::int32_t SETPOINT_SELECTION;
    std::int32_t RAMP_FUNCTION;  // word 20
    float RAMP_RISE_TIME;
    float RAMP_FALL_TIME;
    std::int32_t ANALOG_OUT_SELECT;
    std::int32_t FEEDBACK_SELECT;
    std::int32_t AUTO_ZERO_FEEDBACK_ANALOG_IN_2;
    std::int32_t AUTO_ZERO_VALUE_ANALOG_IN_2;
    std::int32_t ANALOG_IN_2_SIGNAL;
    std::int32_t ANALOG_IN_2_DIRECTION;
    std::int32_t AUTOSAFE;
    std::int32_t OVERTEMPERATURE;  // word 30
    std::int32_t OVERTEMPERATURE_LIMIT;
    std::int32_t AUTOSAFE_SOURCE;
    std::int32_t CURRENT_LIMIT_LEVEL;
    std::int32_t OPTION_INPUT_PRESSURE_SENSOR;
    std::int32_t INPUT_PRESSURE_LIMIT;
    std::int32_t DELAY_TIME;     // code: seconds = 5 + 5 * code
    std::int32_t COIL_ON_TIME;   // code: seconds = 0.5 * 2^code
    std::int32_t COIL_OFF_TIME;  // code: seconds = 2 + 2 * code
    std::int32_t SELECT_FUNCTION;
    std::int32_t SELECT_POLARITY;  // word 40
    std::int32_t DISPLAY_SELECT;
    std::int32_t KEY_LOCK;
    std::int32_t KEY_FUNCTION;
    std::int32_t LED_YELLOW;
    std::int32_t LED_GREEN;
    std::int32_t LED_RED;
    std::int32_t PRESSURE_SWITCH_OUTPUT_SOURCE;
    float OUTPUT_DELAY;
    std::int32_t OUTPUT_MODE;
    float WINDOW_SIZE;  // word 50
    float LIMIT_SIZE;
    float LIMIT_HYSTERESIS;
    std::int32_t ERROR_SELECT;
    std::int32_t SETPOINT_RANGE_DETECTION;
    std::int32_t I_VALUE;
    std::int32_t reserved56;
    float SLAVE_GAIN;  // edited in place of FORWARD_GAIN for cascaded control; never transferred
    std::int32_t ANALOG_OUT_SIGNAL;
    std::int32_t ANALOG_OUT_DIRECTION;
    std::int32_t FEEDBACK_SELECT_SLAVE;  // word 60
    std::int32_t ANALOG_IN_1_SIGNAL;
    std::int32_t ANALOG_IN_1_DIRECTION;
    std::int32_t CURRENT_MIN;
    std::int32_t CURRENT_MAX;
    std::int32_t AUTO_ZERO_FEEDBACK_ANALOG_IN_1;
    std::int32_t AUTO_ZERO_VALUE_ANALOG_IN_1;
    std::int32_t PWM;
    float SETPOINT_HYSTERESIS;
    std::int32_t DP;
    std::int32_t RANGE_SENSOR;  // word 70
    std::int32_t reserved[84];

    friend bool operator==(const ParameterRecord&, const ParameterRecord&) = default;
};

static_assert(sizeof(ParameterRecord) == 620);
static_assert(offsetof(ParameterRecord, PROPORTIONAL_GAIN) == 16);
static_assert(offsetof(ParameterRecord, CONTROL_CYCLE_TIME) == 40);
static_assert(offsetof(ParameterRecord, SETPOINT_SPAN) == 72);
static_assert(offsetof(ParameterRecord, OVERTEMPERATURE) == 120);
static_assert(offsetof(ParameterRecord, SELECT_POLARITY) == 160);
static_assert(offsetof(ParameterRecord, WINDOW_SIZE) == 200);
static_assert(offsetof(ParameterRecord, I_VALUE) == 220);
static_assert(offsetof(ParameterRecord, SLAVE_GAIN) == 228);
static_assert(offsetof(ParameterRecord, FEEDBACK_SELECT_SLAVE) == 240);
static_assert(offsetof(ParameterRecord, SETPOINT_HYSTERESIS) == 272);
static_assert(offsetof(ParameterRecord, RANGE_SENSOR) == 280);
static_assert(offsetof(ParameterRecord, reserved) == 284);

inline constexpr int kVisibilityFlagCount = 65;

// The three parameter sets and the visibility flags of the presentation file.
struct ParameterSets {
    ParameterRecord defaultSet{};
    ParameterRecord deviceSet{};
    ParameterRecord currentSet{};
    std::array<std::uint8_t, kVisibilityFlagCount> visible{};

    bool deviceValid() const { return (deviceSet.VALID & 0xFF) == 1; }
};

// The field types of the record.
enum class FieldType { Int, Float };

// One named field of the record: its word, type and visibility flag (-1: none).
struct ParameterField {
    std::string_view name;
    std::size_t offset;
    FieldType type;
    int flag;
};

// Every named field, in record order (derived from the parameter catalogue).
std::span<const ParameterField> parameterFields();
const ParameterField* findParameterField(std::string_view name);

// A number as a 32-bit integer: truncated toward zero; 0 for what no int32 holds (not a
// number, beyond 32 bits).
std::int32_t truncatedInt(double value);

// Field value as a double, and the reverse: the one way a field is set from a number, whether
// the number comes from KVT_para.ini, from a reply byte or from kvtcli. A float field takes the
// nearest float. An int field takes truncatedInt(value): the controller receives
// trunc(v × factor + 0.05), truncated toward zero, so a value set here lands as it would travel.
double fieldValue(const ParameterRecord& record, const ParameterField& field);
void setFieldValue(ParameterRecord& record, const ParameterField& field, double value);

// Derived status values from the device set: parameter set (0 unknown, 1 Factory, 2 Custom) and
// setpoint adjustment (0 unknown, 1 Normal, 2 Custom).
int parameterSetState(const ParameterSets& sets);
int setpointAdjustmentState(const ParameterSets& sets);

// The coded timing fields: the record keeps a code, files and screens show seconds.
namespace timing {
std::int32_t delayTimeCode(double seconds);
double delayTimeSeconds(std::int32_t code);
std::int32_t coilOnTimeCode(double seconds);
double coilOnTimeSeconds(std::int32_t code);
std::int32_t coilOffTimeCode(double seconds);
double coilOffTimeSeconds(std::int32_t code);
}  // namespace timing

}  // namespace kvt
