#include "data/ParaIni.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <string>

#include "data/DecimalText.h"
#include "data/Format.h"
#include "data/ProfileFile.h"
#include "data/ProgramFiles.h"

namespace kvt {
namespace {

constexpr const char* kShow = "SHOW";
constexpr const char* kHide = "HIDE";
constexpr const char* kValuePrefix = "VALUE_";

constexpr const char* kControl = "CONTROL_PARAMETER";
constexpr const char* kSetpoint = "SETPOINT_PARAMETER";
constexpr const char* kAnalog = "ANALOG_IN_OUT_PARAMETER";
constexpr const char* kAutosafe = "AUTOSAFE_PARAMETER";
constexpr const char* kDigitalInput = "DIGITAL_INPUT_PARAMETER";
constexpr const char* kDisplayKeys = "DISPLAY_KEYS_PARAMETER";
constexpr const char* kPressureSwitch = "PRESSURE_SWITCH_PARAMETER";
constexpr const char* kError = "ERROR_PARAMETER";

using F = ParaValueForm;

// clang-format off
constexpr ParaKeyPair kPairs[] = {
    {kControl, "PROPORTIONAL_GAIN", nullptr, nullptr, F::Fixed1, "1.0", true},
    {kControl, "FORWARD_OFFSET", nullptr, nullptr, F::Int, "0", true},
    {kControl, "INTEGRATION_TIME", nullptr, nullptr, F::Fixed2, "0.1", true},
    {kControl, "FORWARD_GAIN", nullptr, nullptr, F::Fixed2, "1.00", true},
    {kControl, "DERIVATION_TIME", nullptr, nullptr, F::Int, "0", true},
    {kControl, "INTEGRATION_LIMIT", nullptr, nullptr, F::Int, "0", true},
    {kControl, "DEAD_BAND", nullptr, nullptr, F::Fixed1, "0.1", true},
    {kControl, "PWM_FREQUENCY", nullptr, nullptr, F::Int, "20", true},
    {kControl, "CONTROL_CYCLE_TIME", nullptr, nullptr, F::Int, "1", true},
    {kControl, "CONTROLLER_STRUCTURE", nullptr, nullptr, F::Int, "0", true},
    {kControl, "I_VALUE", nullptr, nullptr, F::Int, "0", true},
    {kControl, "PWM", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "SETPOINT_SIGNAL", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "SETPOINT_DIRECTION", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "SHUT_OFF", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "SHUT_OFF_LEVEL", nullptr, nullptr, F::Fixed1, "0.0", true},
    {kSetpoint, "SETPOINT_ADJUSTMENT", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "SETPOINT_OFFSET", nullptr, nullptr, F::Int, "-50", true},
    {kSetpoint, "SETPOINT_SPAN", nullptr, nullptr, F::Int, "50", true},
    {kSetpoint, "SETPOINT_HYSTERESIS", nullptr, nullptr, F::Fixed1, "0", true},
    {kSetpoint, "SETPOINT_SELECTION", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "RAMP_FUNCTION", nullptr, nullptr, F::Int, "0", true},
    {kSetpoint, "RAMP_RISE_TIME", nullptr, nullptr, F::Fixed1, "0.0", true},
    {kSetpoint, "RAMP_FALL_TIME", nullptr, nullptr, F::Fixed1, "0.0", true},
    {kAnalog, "ANALOG_OUT_SELECT", nullptr, nullptr, F::Int, "0", true},
    {kAnalog, "FEEDBACK_SELECT", nullptr, nullptr, F::Int, "0", true},
    {kAnalog, "FEEDBACK_SELECT_SLAVE", nullptr, nullptr, F::Int, "0", true},
    {kAnalog, "AUTO_ZERO_FEEDBACK_ANALOG_IN_1", nullptr, nullptr, F::Int, "1", true},
    {kAnalog, "AUTO_ZERO_FEEDBACK_ANALOG_IN_2", nullptr, nullptr, F::Int, "1", true},
    {kAnalog, "ANALOG_IN_1_SIGNAL", nullptr, nullptr, F::Int, "0", true},
    {kAnalog, "ANALOG_IN_1_DIRECTION", nullptr, nullptr, F::Int, "0", true},
    {kAnalog, "ANALOG_IN_2_SIGNAL", nullptr, nullptr, F::Int, "0", true},
    {kAnalog, "ANALOG_IN_2_DIRECTION", nullptr, nullptr, F::Int, "0", true},
    // The current limits are read from the analog section but written to the autosafe one.
    {kAutosafe, "CURRENT_MIN", kAnalog, nullptr, F::Int, "100", true},
    {kAutosafe, "CURRENT_MAX", kAnalog, nullptr, F::Int, "100", true},
    {kAutosafe, "AUTOSAFE", nullptr, nullptr, F::Int, "0", true},
    {kAutosafe, "OVERTEMPERATURE", nullptr, nullptr, F::Int, "0", true},
    {kAutosafe, "OVERTEMPERATURE_LIMIT", nullptr, nullptr, F::Int, "50", true},
    {kAutosafe, "DELAY_TIME", nullptr, nullptr, F::DelaySeconds, "5", true},
    {kAutosafe, "COIL_ON_TIME", nullptr, nullptr, F::CoilOnSeconds, "0.5", true},
    {kAutosafe, "COIL_OFF_TIME", nullptr, nullptr, F::CoilOffSeconds, "2", true},
    {kAutosafe, "OPTION_INPUT_PRESSURE_SENSOR", nullptr, nullptr, F::Int, "0", true},
    {kAutosafe, "INPUT_PRESSURE_LIMIT", nullptr, nullptr, F::Int, "0", true},
    {kAutosafe, "AUTOSAFE_SOURCE", nullptr, nullptr, F::Int, "0", true},
    {kAutosafe, "CURRENT_LIMIT_LEVEL", nullptr, nullptr, F::Int, "100", true},
    {kDigitalInput, "SELECT_FUNCTION", nullptr, nullptr, F::Int, "0", true},
    {kDigitalInput, "SELECT_POLARITY", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "DISPLAY_SELECT", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "KEY_LOCK", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "KEY_FUNCTION", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "LED_GREEN", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "LED_YELLOW", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "LED_RED", nullptr, nullptr, F::Int, "0", true},
    {kDisplayKeys, "DP", nullptr, nullptr, F::Int, "0", true},
    // The range sensor's visibility is read from OUTPUT_RANGE_SENSOR but written to RANGE_SENSOR.
    {kDisplayKeys, "RANGE_SENSOR", nullptr, "OUTPUT_RANGE_SENSOR", F::RangeSensor, "0.0", true},
    {kPressureSwitch, "PRESSURE_SWITCH_OUTPUT_SOURCE", nullptr, nullptr, F::Int, "0", true},
    {kPressureSwitch, "OUTPUT_DELAY", nullptr, nullptr, F::Fixed1, "0.0", true},
    {kPressureSwitch, "OUTPUT_MODE", nullptr, nullptr, F::Int, "0", true},
    {kPressureSwitch, "WINDOW_SIZE", nullptr, nullptr, F::Fixed1, "3.0", true},
    {kPressureSwitch, "LIMIT_SIZE", nullptr, nullptr, F::Fixed1, "0.0", true},
    {kPressureSwitch, "LIMIT_HYSTERESIS", nullptr, nullptr, F::Fixed1, "0.0", true},
    {kError, "ERROR_SELECT", nullptr, nullptr, F::Int, "0", true},
    {kError, "SETPOINT_RANGE_DETECTION", nullptr, nullptr, F::Int, "0", true},
    // Read, never written.
    {kAnalog, "ANALOG_OUT_SIGNAL", nullptr, nullptr, F::Int, "0", false},
    {kAnalog, "ANALOG_OUT_DIRECTION", nullptr, nullptr, F::Int, "0", false},
};
// clang-format on

std::int32_t clampToInt32(long long value) {
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// The leading decimal integer of the text, 0 when there is none.
long long leadingInteger(const std::string& text) {
    return parseLong(text);
}

// The leading decimal number, 0 when there is none or when it is no finite float.
double leadingFloat(const std::string& text) {
    const double value = parseDouble(text);
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        return 0.0;
    }
    return value;
}

// The record value of a value text.
double decodeValue(ParaValueForm form, const std::string& text) {
    switch (form) {
        case ParaValueForm::Int:
            return clampToInt32(leadingInteger(text));
        case ParaValueForm::Fixed1:
        case ParaValueForm::Fixed2:
            return static_cast<float>(leadingFloat(text));
        case ParaValueForm::DelaySeconds:
            return clampToInt32((static_cast<long long>(clampToInt32(leadingInteger(text))) - 5) /
                                5);
        case ParaValueForm::CoilOnSeconds:
            return timing::coilOnTimeCode(leadingFloat(text));
        case ParaValueForm::CoilOffSeconds:
            return clampToInt32((static_cast<long long>(clampToInt32(leadingInteger(text))) - 2) /
                                2);
        case ParaValueForm::RangeSensor: {
            const double value = std::trunc(parseDouble(text));
            if (std::isnan(value)) {
                return 0;
            }
            return std::clamp(value, static_cast<double>(INT32_MIN),
                              static_cast<double>(INT32_MAX));
        }
    }
    return 0;
}

// The value text of a record value.
std::string encodeValue(ParaValueForm form, double value) {
    // Integer fields hold exact ints; float fields never reach this conversion.
    auto code = [value] { return static_cast<long long>(value); };
    switch (form) {
        case ParaValueForm::Int:
            return format("%lld", code());
        case ParaValueForm::Fixed1:
            return formatFixedHalfAway(value, 1);
        case ParaValueForm::Fixed2:
            return formatFixedHalfAway(value, 2);
        case ParaValueForm::DelaySeconds:
            return format("%lld", 5 * code() + 5);
        case ParaValueForm::CoilOnSeconds:
            return formatFixedHalfAway(
                std::ldexp(0.5, static_cast<int>(std::clamp<long long>(code(), -2000, 2000))), 1);
        case ParaValueForm::CoilOffSeconds:
            return format("%lld", 2 * code() + 2);
        case ParaValueForm::RangeSensor:
            return format("%.3lld", code());
    }
    return {};
}

std::string valueKey(const ParaKeyPair& pair) {
    return std::string(kValuePrefix) + pair.key;
}

}  // namespace

std::span<const ParaKeyPair> paraKeyPairs() {
    return kPairs;
}

void ReadParaIni(const std::filesystem::path& directory, ParameterSets& sets) {
    sets.defaultSet = ParameterRecord{};
    sets.visible.fill(0);

    ProfileFile file;
    file.load(directory / kParaIniFileName);
    for (const ParaKeyPair& pair : kPairs) {
        const ParameterField* field = findParameterField(pair.key);
        if (field == nullptr || field->flag < 0) {
            continue;
        }
        const char* section = pair.readSection != nullptr ? pair.readSection : pair.section;
        const char* key = pair.readKey != nullptr ? pair.readKey : pair.key;
        // Only the exact word counts: "show", "HIDE" or anything else hides the field.
        sets.visible[static_cast<std::size_t>(field->flag)] =
            file.get(section, key, kShow) == kShow ? 1 : 0;
        std::string text = file.get(section, valueKey(pair).c_str(), pair.defaultValue);
        if (text.size() > kParaValueChars) {
            text.resize(kParaValueChars);
        }
        setFieldValue(sets.defaultSet, *field, decodeValue(pair.form, text));
    }
    sets.defaultSet.PARAMETER_SET = 0;
}

bool WriteParaIni(const std::filesystem::path& directory, const ParameterSets& sets) {
    const auto path = directory / kParaIniFileName;
    ProfileFile file;
    file.load(path);
    for (const ParaKeyPair& pair : kPairs) {
        const ParameterField* field = findParameterField(pair.key);
        if (!pair.written || field == nullptr || field->flag < 0) {
            continue;
        }
        const bool shown = sets.visible[static_cast<std::size_t>(field->flag)] == 1;
        file.set(pair.section, pair.key, shown ? kShow : kHide);
        file.set(pair.section, valueKey(pair).c_str(),
                 encodeValue(pair.form, fieldValue(sets.defaultSet, *field)));
    }
    return file.save(path);
}

}  // namespace kvt
