#include "cli/ValueChecks.h"

#include "cli/ExitCodes.h"
#include "cli/ProjectStore.h"
#include "cli/RecordFields.h"
#include "data/Format.h"
#include "data/ParameterLimits.h"

namespace kvt::cli {
namespace {

constexpr int kRowValues = 10;

std::string rangeText(const CalibrationRange& range) {
    return format("%d..%d", range.lo, range.hi);
}

void checkWord(std::vector<RefusedValue>& refused, std::string field, std::int32_t value,
               const CalibrationRange& range) {
    if (range.contains(value)) {
        return;
    }
    std::string allowed = rangeText(range);
    std::string line = field + " = " + std::to_string(value) + " (allowed: " + allowed + ")";
    refused.push_back(
        {std::move(field), Json::integer(value), std::move(allowed), std::move(line)});
}

}  // namespace

std::vector<RefusedValue> refusedParameters(const ParameterRecord& set) {
    std::vector<RefusedValue> refused;
    for (const ParameterViolation& v : parameterViolations(set)) {
        const ParameterLimit& limit = *v.limit;
        refused.push_back({std::string(limit.field),
                           limit.kind == LimitKind::Float
                               ? Json::real(static_cast<float>(v.value))
                               : Json::integer(static_cast<std::int64_t>(v.value)),
                           acceptedText(limit), violationText(v)});
    }
    return refused;
}

std::vector<RefusedValue> refusedCalibration(const CalibrationRecord& cal) {
    std::vector<RefusedValue> refused;
    for (int a = 0; a < kCalArrays; ++a) {
        for (int r = 0; r < calibrationRowsUsed(a); ++r) {
            for (int v = 0; v < kRowValues; ++v) {
                checkWord(refused, format("CAL_MATRIX_WRITE[%d][%d][%d]", a, r, v),
                          cal.CAL_MATRIX_WRITE[a][r][v], kCalMatrixValueRange);
            }
        }
    }
    checkWord(refused, "CAL_OFFSET_WRITE", cal.CAL_OFFSET_WRITE, kCalDacRange);
    checkWord(refused, "CAL_SPAN_WRITE", cal.CAL_SPAN_WRITE, kCalDacRange);
    checkWord(refused, "CAL_TEMP_WRITE", cal.CAL_TEMP_WRITE, kCalTemperatureRange);
    return refused;
}

int refuseValues(CommandContext& context, const std::string& file,
                 const std::vector<RefusedValue>& values) {
    Json list = Json::array();
    std::string message =
        file + ": " + std::to_string(values.size()) + " value(s) out of range; nothing was sent";
    for (const RefusedValue& value : values) {
        Json item = Json::object();
        item.set("field", Json::string(value.field))
            .set("value", value.value)
            .set("allowed", Json::string(value.allowed));
        list.push(std::move(item));
        message += "\n  " + value.line;
    }
    context.result()
        .set("project", Json::string(projectPath(file)))
        .set("outOfRange", std::move(list));
    return context.fail(exit_code::kFile, std::move(message));
}

}  // namespace kvt::cli
