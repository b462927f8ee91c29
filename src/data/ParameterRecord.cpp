#include "data/ParameterRecord.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "data/ParameterCatalogue.h"

namespace kvt {
namespace {

// The catalogue's fields in the order of their offsets: the record's own order.
constexpr auto kFields = [] {
    std::array<ParameterField, kParameterCount> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = parameterCatalogue()[i].field;
    }
    std::sort(fields.begin(), fields.end(),
              [](const ParameterField& a, const ParameterField& b) { return a.offset < b.offset; });
    return fields;
}();

// Every word 0 to 70 is named once, the reserved word 56 excepted, and every visibility flag
// belongs to exactly one field.
constexpr bool fieldsCoverTheRecord() {
    constexpr std::size_t kReservedWord = 56;
    std::size_t word = 0;
    for (const ParameterField& f : kFields) {
        word += word == kReservedWord ? 1 : 0;
        if (f.offset != word * sizeof(std::int32_t)) {
            return false;
        }
        ++word;
    }
    return word * sizeof(std::int32_t) == offsetof(ParameterRecord, reserved);
}

constexpr bool everyFlagUsedOnce() {
    std::array<int, kVisibilityFlagCount> uses{};
    for (const ParameterField& f : kFields) {
        if (f.flag >= kVisibilityFlagCount) {
            return false;
        }
        if (f.flag >= 0) {
            ++uses[static_cast<std::size_t>(f.flag)];
        }
    }
    return std::all_of(uses.begin(), uses.end(), [](int n) { return n == 1; });
}

static_assert(kFields.size() == 70);
static_assert(fieldsCoverTheRecord());
static_assert(everyFlagUsedOnce());

}  // namespace

std::span<const ParameterField> parameterFields() {
    return kFields;
}

const ParameterField* findParameterField(std::string_view name) {
    const auto* it = std::find_if(kFields.begin(), kFields.end(),
                                  [&](const ParameterField& f) { return f.name == name; });
    return it == kFields.end() ? nullptr : it;
}

std::int32_t truncatedInt(double value) {
    constexpr double kLowest = -2147483648.0;
    constexpr double kHighest = 2147483647.0;
    const double whole = std::trunc(value);
    if (!(whole >= kLowest && whole <= kHighest)) {
        return 0;
    }
    return static_cast<std::int32_t>(whole);
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
    const std::int32_t i = truncatedInt(value);
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
