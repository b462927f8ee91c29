#include "data/ParaIni.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <string>

#include "data/DecimalText.h"
#include "data/Format.h"
#include "data/ParameterCatalogue.h"
#include "data/ProfileFile.h"
#include "data/ProgramFiles.h"

namespace kvt {
namespace {

constexpr const char* kShow = "SHOW";
constexpr const char* kHide = "HIDE";
constexpr const char* kValuePrefix = "VALUE_";

// The pairs the writer writes: 63 of the 65 the reader reads. Each pair is a field with a flag.
constexpr bool pairsAreComplete() {
    std::size_t read = 0;
    std::size_t written = 0;
    for (const ParameterDescription& p : parameterCatalogue()) {
        if (!p.ini.inFile()) {
            continue;
        }
        if (p.field.flag < 0 || p.ini.defaultValue == nullptr) {
            return false;
        }
        ++read;
        written += p.ini.written ? 1 : 0;
    }
    return read == kVisibilityFlagCount && written == 63;
}
static_assert(pairsAreComplete());

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

std::string valueKey(const ParameterField& field) {
    return std::string(kValuePrefix) + std::string(field.name);
}

}  // namespace

void ReadParaIni(const std::filesystem::path& directory, ParameterSets& sets) {
    sets.defaultSet = ParameterRecord{};
    sets.visible.fill(0);

    ProfileFile file;
    file.load(directory / kParaIniFileName);
    for (const ParameterDescription& p : parameterCatalogue()) {
        if (!p.ini.inFile()) {
            continue;
        }
        const ParaKey& key = p.ini;
        const char* section = key.readSection != nullptr ? key.readSection : key.section;
        const std::string visibilityKey =
            key.readKey != nullptr ? std::string(key.readKey) : std::string(p.field.name);
        // Only the exact word counts: "show", "HIDE" or anything else hides the field.
        sets.visible[static_cast<std::size_t>(p.field.flag)] =
            file.get(section, visibilityKey.c_str(), kShow) == kShow ? 1 : 0;
        std::string text = file.get(section, valueKey(p.field).c_str(), key.defaultValue);
        if (text.size() > kParaValueChars) {
            text.resize(kParaValueChars);
        }
        setFieldValue(sets.defaultSet, p.field, decodeValue(key.form, text));
    }
    sets.defaultSet.PARAMETER_SET = 0;
}

bool WriteParaIni(const std::filesystem::path& directory, const ParameterSets& sets) {
    const auto path = directory / kParaIniFileName;
    ProfileFile file;
    file.load(path);
    for (const ParameterDescription& p : parameterCatalogue()) {
        if (!p.ini.inFile() || !p.ini.written) {
            continue;
        }
        const bool shown = sets.visible[static_cast<std::size_t>(p.field.flag)] == 1;
        const std::string key(p.field.name);
        file.set(p.ini.section, key.c_str(), shown ? kShow : kHide);
        file.set(p.ini.section, valueKey(p.field).c_str(),
                 encodeValue(p.ini.form, fieldValue(sets.defaultSet, p.field)));
    }
    return file.save(path);
}

}  // namespace kvt
