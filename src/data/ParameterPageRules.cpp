#include "data/ParameterPageRules.h"

#include <algorithm>
#include <cmath>

#include "data/FieldParsing.h"
#include "data/Format.h"
#include "data/ParameterLimits.h"

namespace kvt {
namespace {

constexpr std::int32_t kCurrentFeedback = 3;  // FEEDBACK_SELECT(_SLAVE) "Current"
constexpr std::int32_t kSlaveStructure = 6;   // "Cascaded control Feedback Analog In 2"

// The captions that read "Slave ..." while the structure is 6.
struct StructureCaption {
    int control;
    int normal;
    int slave;
};
constexpr StructureCaption kStructureCaptions[] = {
    {1359, 194, 349},  // "Forward Offset / %" / "Slave Offset / %"
    {1362, 196, 350},  // "Forward Gain" / "Slave Gain"
};

// The slave gain spin runs over 0.01 .. 1.00.
constexpr SpinTarget kSlaveGainSpin{1, 100, "SLAVE_GAIN"};

// Integration times lie on a 0.05 s grid; a typed value is rounded to it, not truncated.
constexpr double kIntegrationGridPerSecond = 20.0;
constexpr double kIntegrationRounding = 0.005;

bool currentFeedback(const ParameterRecord& r) {
    return r.FEEDBACK_SELECT == kCurrentFeedback || r.FEEDBACK_SELECT_SLAVE == kCurrentFeedback;
}

bool isFloatField(std::string_view name) {
    const ParameterField* field = findParameterField(name);
    return field != nullptr && field->type == FieldType::Float;
}

bool flagShown(const PageState& state, std::string_view name) {
    const ParameterField* field = findParameterField(name);
    if (field == nullptr || field->flag < 0) {
        return true;
    }
    return state.visible[static_cast<std::size_t>(field->flag)] == 1;
}

std::int32_t intValue(const ParameterRecord& record, std::string_view field) {
    return truncatedInt(pageFieldValue(record, field));
}

const char* unitSuffix(const NumericRow& row) {
    return row.unit[0] != '\0' ? " " : "";
}

}  // namespace

// ------------------------------------------------------------------------------ enabling

bool pagesEditable(const PageState& state) {
    return state.commandWord == 0 && state.copy.PARAMETER_SET != 1;
}

bool ruleAllows(EnableRule rule, const ParameterRecord& copy) {
    const std::int32_t s = copy.CONTROLLER_STRUCTURE;
    switch (rule) {
        case EnableRule::FlagOnly:
            return true;
        case EnableRule::CascadedOnly:
            return s == 6 || s == 7;
        case EnableRule::NeedsIntegral:
            return s != 0 && s != 2 && s != 4;
        case EnableRule::NeedsDerivative:
            return s != 0 && s != 1 && s != 4;
        case EnableRule::CurrentFeedback:
            return currentFeedback(copy);
        case EnableRule::NoCurrentFeedback:
            return !currentFeedback(copy);
        case EnableRule::CustomAdjustment:
            return copy.SETPOINT_ADJUSTMENT != 0 && !currentFeedback(copy);
        case EnableRule::RampActive:
            return copy.RAMP_FUNCTION != 0;
        case EnableRule::ScaleableDisplay:
            return copy.DISPLAY_SELECT == 0 || copy.DISPLAY_SELECT == 7;
    }
    return false;
}

bool numericEnabled(const PageState& state, const NumericRow& row) {
    return pagesEditable(state) && flagShown(state, row.field) &&
           ruleAllows(row.enable, state.copy);
}

bool optionEnabled(const PageState& state, const ChoiceRow& row, const ChoiceOption& option) {
    return !option.alwaysDisabled && pagesEditable(state) && flagShown(state, row.field) &&
           ruleAllows(row.enable, state.copy);
}

// ------------------------------------------------------------------------------ values

std::string formatValue(ValueFormat format, double value) {
    switch (format) {
        case ValueFormat::Int:
            return kvt::format("%d", truncatedInt(value));
        case ValueFormat::Fixed1:
            return kvt::format("%1.1f", value);
        case ValueFormat::Fixed2:
            return kvt::format("%1.2f", value);
        case ValueFormat::Padded3:
            return kvt::format("%.3d", truncatedInt(value));
    }
    return {};
}

double pageFieldValue(const ParameterRecord& record, std::string_view field) {
    const ParameterField* f = findParameterField(field);
    return f != nullptr ? fieldValue(record, *f) : 0.0;
}

void setPageFieldValue(ParameterRecord& record, std::string_view field, double value) {
    if (const ParameterField* f = findParameterField(field)) {
        setFieldValue(record, *f, value);
    }
}

std::string numericRangeText(const NumericRow& row) {
    const ParameterLimit* limit = findParameterLimit(row.field);
    if (limit == nullptr) {
        return {};
    }
    const ValueFormat f = row.format == ValueFormat::Padded3 ? ValueFormat::Int : row.format;
    return formatValue(f, limit->range.lo) + " .. " + formatValue(f, limit->range.hi) +
           unitSuffix(row) + row.unit;
}

// ------------------------------------------------------------------------------ spins

SpinTarget spinTarget(const NumericRow& row, const ParameterRecord& copy) {
    if (row.rule == NumericRule::ForwardGain && copy.CONTROLLER_STRUCTURE == kSlaveStructure) {
        return kSlaveGainSpin;
    }
    return {row.spinLo, row.spinHi, row.field};
}

int spinPosition(const NumericRow& row, double value) {
    if (!isFloatField(row.field)) {
        // Int fields step by whole numbers (1 or 10): the integer quotient.
        return truncatedInt(value) / std::max(1, truncatedInt(row.step));
    }
    // A float field holds the float nearest to a grid value, which may lie a few millionths
    // below it (0.35f is 0.34999999...); that must not cost a step.
    return truncatedInt(value / row.step * (1.0 + 1e-6));
}

double spinValue(const NumericRow& row, int position) {
    const double value = position * row.step;
    if (!isFloatField(row.field)) {
        return truncatedInt(value);
    }
    return static_cast<float>(value);
}

SpinMove applySpin(const NumericRow& row, ParameterRecord& copy, int requested) {
    const SpinTarget target = spinTarget(row, copy);
    SpinMove move;
    move.position = std::clamp(requested, target.lo, target.hi);
    move.field = target.field;
    setPageFieldValue(copy, target.field, spinValue(row, move.position));
    move.value = pageFieldValue(copy, target.field);
    move.text = formatValue(row.format, move.value);
    return move;
}

// ------------------------------------------------------------------------------ edits

ParsedEdit parseNumericEdit(const NumericRow& row, std::string_view text) {
    const ParameterLimit* limit = findParameterLimit(row.field);
    const ValueRange range = limit != nullptr ? limit->range : ValueRange{};
    ParsedEdit parsed;
    if (!isFloatField(row.field)) {
        const std::int32_t v = parseIntegerField(text, static_cast<std::int32_t>(range.lo),
                                                 static_cast<std::int32_t>(range.hi));
        parsed.value = v;
        // "005" stays "005" when the user leaves the edit, as a refresh shows it.
        parsed.text =
            row.format == ValueFormat::Padded3 ? formatValue(row.format, v) : integerFieldText(v);
        parsed.position = spinPosition(row, v);
        return parsed;
    }
    const float v =
        parseFloatField(text, static_cast<float>(range.lo), static_cast<float>(range.hi));
    parsed.value = v;
    parsed.text = floatFieldText(v);
    switch (row.rule) {
        case NumericRule::IntegrationTime: {
            const int position =
                truncatedInt((v + kIntegrationRounding) * kIntegrationGridPerSecond);
            parsed.value = static_cast<float>(position / kIntegrationGridPerSecond);
            parsed.text = formatValue(ValueFormat::Fixed2, parsed.value);
            parsed.position = position;
            return parsed;
        }
        case NumericRule::ForwardGain:
            parsed.text = formatValue(ValueFormat::Fixed2, v);
            break;
        case NumericRule::Plain:
        case NumericRule::CurrentLimit:
            break;
    }
    parsed.position = spinPosition(row, parsed.value);
    return parsed;
}

// ------------------------------------------------------------------------------ fix-ups

bool applyCurrentDerivedSetpoint(ParameterRecord& record) {
    if (!currentFeedback(record) || record.CURRENT_MAX == 0) {
        return false;
    }
    const std::int64_t quotient =
        static_cast<std::int64_t>(record.CURRENT_MIN) * 100 / record.CURRENT_MAX;
    // A minimum above the maximum would give an offset and a span no page accepts.
    const auto offset = static_cast<std::int32_t>(std::clamp<std::int64_t>(quotient, -50, 100));
    const std::int32_t span = 100 - offset;
    const bool changed = record.SETPOINT_OFFSET != offset || record.SETPOINT_SPAN != span;
    record.SETPOINT_OFFSET = offset;
    record.SETPOINT_SPAN = span;
    return changed;
}

void applyOpeningFixUps(ParameterRecord& copy) {
    if (copy.SLAVE_GAIN == 0.0f || std::isnan(copy.SLAVE_GAIN)) {
        copy.SLAVE_GAIN = 0.01f;
    }
}

void applyRefreshFixUps(ParameterRecord& copy) {
    // Under either current feedback the setpoint is scaled by the current limits, which is a
    // custom adjustment.
    if (currentFeedback(copy)) {
        copy.SETPOINT_ADJUSTMENT = 1;
    }
    applyCurrentDerivedSetpoint(copy);
}

// ------------------------------------------------------------------------------ device column

std::string deviceChoiceText(Strings& strings, const ChoiceRow& row, std::int32_t deviceValue) {
    for (const ChoiceOption& option : row.options) {
        if (option.code == deviceValue) {
            return option.deviceString != 0 ? strings.text(option.deviceString)
                                            : std::string(option.deviceText);
        }
    }
    if (row.otherDeviceString != 0) {
        return strings.text(row.otherDeviceString);
    }
    return format("%d", deviceValue);
}

std::string deviceGroupText(Strings& strings, const ChoiceRow& row, const ParameterRecord& device,
                            bool deviceValid) {
    if (!deviceValid) {
        return strings.text(kNotReadString);
    }
    return deviceChoiceText(strings, row, intValue(device, row.field));
}

std::string deviceNumericText(Strings& strings, const NumericRow& row,
                              const ParameterRecord& device, bool deviceValid) {
    if (!deviceValid) {
        return strings.text(kNotReadString);
    }
    return formatValue(row.format, pageFieldValue(device, row.field));
}

std::string deviceWordText(Strings& strings, const DeviceValueRow& row,
                           const ParameterRecord& device, bool deviceValid) {
    if (!deviceValid) {
        return strings.text(kNotReadString);
    }
    return format("%d", intValue(device, row.field));
}

const ChoiceOption* differingDeviceOption(const ChoiceRow& row, const ParameterRecord& copy,
                                          const ParameterRecord& device, bool deviceValid) {
    const std::int32_t code = intValue(device, row.field);
    if (!deviceValid || code == intValue(copy, row.field)) {
        return nullptr;
    }
    for (const ChoiceOption& option : row.options) {
        if (option.code == code) {
            return &option;
        }
    }
    return nullptr;
}

bool pageDiffersFromDevice(const PageTable& page, const ParameterRecord& copy,
                           const ParameterRecord& device, bool deviceValid) {
    if (!deviceValid) {
        return false;
    }
    for (const NumericRow& row : page.numerics) {
        if (row.visible && formatValue(row.format, pageFieldValue(copy, row.field)) !=
                               formatValue(row.format, pageFieldValue(device, row.field))) {
            return true;
        }
    }
    for (const ChoiceRow& row : page.choices) {
        if (row.visible && intValue(copy, row.field) != intValue(device, row.field)) {
            return true;
        }
    }
    return false;
}

// ------------------------------------------------------------------------------ structure

std::optional<int> structureCaption(const ParameterRecord& copy, int captionControl) {
    for (const StructureCaption& c : kStructureCaptions) {
        if (c.control == captionControl) {
            return copy.CONTROLLER_STRUCTURE == kSlaveStructure ? c.slave : c.normal;
        }
    }
    return std::nullopt;
}

bool applyStructureClick(std::int32_t code, ParameterRecord& copy, ParameterRecord& current,
                         VisibilityFlags& visible) {
    switch (code) {
        case 4:
            // The pulse controller needs the feedback selection, so it is shown from now on.
            copy.CONTROLLER_STRUCTURE = 4;
            if (const ParameterField* f = findParameterField("FEEDBACK_SELECT");
                f && f->flag >= 0) {
                visible[static_cast<std::size_t>(f->flag)] = 1;
            }
            return true;
        case kSlaveStructure:
            copy.CONTROLLER_STRUCTURE = kSlaveStructure;
            current.CONTROLLER_STRUCTURE = kSlaveStructure;
            return true;
        case 7:
            copy.CONTROLLER_STRUCTURE = 7;
            return true;
        default:
            return false;
    }
}

}  // namespace kvt
