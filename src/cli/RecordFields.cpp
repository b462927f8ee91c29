#include "cli/RecordFields.h"

#include <array>
#include <optional>

#include "cli/RecordOptions.h"
#include "data/Cp1252.h"
#include "data/DeviceInfoText.h"
#include "data/Format.h"
#include "data/ProjectFile.h"
#include "data/ScopeModel.h"
#include "data/StatusText.h"

namespace kvt::cli {
namespace {

constexpr int kTemperatureArrayFirst = 6;
constexpr int kRowValues = 10;

// A date part: the decoded number, shown as the controller's two digits.
Json bcd(std::int32_t value) {
    return Json::integer(bcdValue(value)).withText(bcdText(value));
}

// The coded timing fields show their seconds beside the code.
std::string codedSeconds(std::string_view name, std::int32_t code) {
    double seconds = 0;
    if (name == "DELAY_TIME") {
        seconds = timing::delayTimeSeconds(code);
    } else if (name == "COIL_ON_TIME") {
        seconds = timing::coilOnTimeSeconds(code);
    } else if (name == "COIL_OFF_TIME") {
        seconds = timing::coilOffTimeSeconds(code);
    } else {
        return {};
    }
    return format("%d (%g s)", code, seconds);
}

Json matrixJson(const CalibrationMatrix& matrix) {
    Json arrays = Json::array();
    for (int a = 0; a < kCalArrays; ++a) {
        Json rows = Json::array();
        for (int r = 0; r < calibrationRowsUsed(a); ++r) {
            Json values = Json::array();
            for (int v = 0; v < kRowValues; ++v) {
                values.push(Json::integer(matrix[a][r][v] & 0xFF));
            }
            rows.push(std::move(values));
        }
        arrays.push(std::move(rows));
    }
    return arrays;
}

}  // namespace

Json parametersJson(const ParameterRecord& set) {
    Json out = Json::object();
    for (const ParameterField& field : parameterFields()) {
        if (field.name == "VALID") {
            continue;
        }
        const double raw = fieldValue(set, field);
        if (field.type == FieldType::Float) {
            out.set(field.name, Json::real(static_cast<float>(raw)));
            continue;
        }
        const auto value = static_cast<std::int32_t>(raw);
        Json item = Json::integer(value);
        if (std::string shown = codedSeconds(field.name, value); !shown.empty()) {
            item.withText(std::move(shown));
        }
        out.set(field.name, std::move(item));
    }
    return out;
}

Json deviceInfoJson(const DeviceInfo& info) {
    Json digits = Json::array();
    for (std::int32_t d : info.partNumberDigits) {
        digits.push(Json::integer(d));
    }
    const std::int32_t minutes = info.operationMinutes;
    const OperatingTime time = splitOperatingTime(minutes);
    Json out = Json::object();
    out.set("firmwareVersion", Json::integer(info.firmwareVersion))
        .set("partNumber", Json::string(partNumberText(info)))
        .set("partNumberDigits", std::move(digits))
        .set("partNumberSuffix", Json::integer(info.partNumberSuffix))
        .set("partNumberText1", Json::string(partNumberText1(info)))
        .set("partNumberText2", Json::string(partNumberText2(info)))
        .set("serialNumber", Json::integer(info.serialNumber))
        .set("productionYear", bcd(info.productionYear))
        .set("productionWeek", bcd(info.productionWeek))
        .set("operationMinutes",
             Json::integer(minutes).withText(
                 format("%d (%d d %02d h %02d min)", minutes, time.days, time.hours, time.minutes)))
        .set("calibrationCounter", Json::integer(info.calibrationCounter))
        .set("calibrationYear", bcd(info.calibrationYear))
        .set("calibrationMonth", bcd(info.calibrationMonth))
        .set("calibrationDay", bcd(info.calibrationDay))
        .set("calibrationStatus", Json::integer(info.calibrationStatus))
        .set("calibrationTemperature", Json::integer(info.calibrationTemperature))
        .set("moduleTemperature", Json::integer(info.moduleTemperature));
    return out;
}

Json statusJson(const StatusInfo& status, Strings& strings) {
    Json out = Json::object();
    for (const StatusCondition& c : statusConditions()) {
        const std::int32_t value = status.*(c.field);
        Json item = Json::integer(value);
        if (const std::optional<int> id = conditionTextId(c, value)) {
            item.withText(strings.text(*id));
        }
        out.set(c.name, std::move(item));
    }
    for (const StatusLed& led : statusLeds()) {
        const std::int32_t value = status.*(led.field);
        Json item = Json::integer(value);
        if (const std::optional<LedState> state = ledStateOf(value)) {
            const std::string_view name = ledStateName(*state);
            item.withText(format("%d (%.*s)", value, static_cast<int>(name.size()), name.data()));
        }
        out.set(led.name, std::move(item));
    }
    return out;
}

Json scopeSettingsJson(const ScopeSettings& scope) {
    Json mode = Json::integer(scope.mode);
    if (scope.mode >= 0 && scope.mode < static_cast<std::int32_t>(kScopeModeWords.size())) {
        mode.withText(kScopeModeWords[static_cast<std::size_t>(scope.mode)]);
    }
    Json analog = Json::array();
    Json analogRead = Json::array();
    for (int c = 0; c < kAnalogChannels; ++c) {
        analog.push(Json::integer(scope.analogSel(c)));
        analogRead.push(Json::integer(scope.analogSelRead(c)));
    }
    Json binary = Json::array();
    for (std::int32_t bit : scope.binarySel) {
        binary.push(Json::integer(bit));
    }
    Json out = Json::object();
    out.set("mode", std::move(mode))
        .set("acqTime", Json::integer(scope.acqTime))
        .set("acqTimeRead", Json::integer(scope.acqTimeRead))
        .set("acqTimeReadValid", Json::integer(scope.acqTimeReadValid))
        .set("setpointBegin", Json::real(scope.setpointBegin))
        .set("setpointBeginRead", Json::real(scope.setpointBeginRead))
        .set("setpointBeginReadValid", Json::integer(scope.setpointBeginReadValid))
        .set("setpointEnd", Json::real(scope.setpointEnd))
        .set("setpointEndRead", Json::real(scope.setpointEndRead))
        .set("setpointEndReadValid", Json::integer(scope.setpointEndReadValid))
        .set("rampTime", Json::real(scope.rampTime))
        .set("triggerChannel", Json::integer(scope.triggerChannel))
        .set("triggerSlope", Json::integer(scope.triggerSlope)
                                 .withText(kTriggerSlopeWords[scope.triggerSlope == 0 ? 0 : 1]))
        .set("triggerValue", Json::integer(scope.triggerValue))
        .set("sampleRateIndex",
             Json::integer(scope.sampleRateIndex)
                 .withText(format("%d (%d ms)", scope.sampleRateIndex, samplePeriodMs(scope))))
        .set("analogSel", std::move(analog))
        .set("analogSelRead", std::move(analogRead))
        .set("analogSelReadValid", Json::integer(scope.analogSelReadValid))
        .set("binarySel", std::move(binary))
        .set(
            "masterSlave",
            Json::integer(scope.masterSlave).withText(scope.masterSlave == 0 ? "Master" : "Slave"));
    return out;
}

// Stored texts are Windows-1252; kvtcli prints UTF-8.
template <std::size_t N>
std::string storedText(const char (&field)[N]) {
    return cp1252ToUtf8(fieldText(field));
}

Json projectInfoJson(const ProjectInfo& info) {
    Json out = Json::object();
    out.set("projectName", Json::string(storedText(info.projectName)))
        .set("fileName", Json::string(storedText(info.fileName)))
        .set("fullPath", Json::string(storedText(info.fullPath)))
        .set("projectVersion", Json::integer(info.projectVersion))
        .set("name", Json::string(storedText(info.name)))
        .set("address", Json::string(storedText(info.address)))
        .set("city", Json::string(storedText(info.city)))
        .set("phoneFax", Json::string(storedText(info.phoneFax)))
        .set("email", Json::string(storedText(info.email)));
    return out;
}

Json serialSetpointJson(const SerialSetpoint& setpoint) {
    Json out = Json::object();
    out.set("serialSetpoint", Json::real(setpoint.serialSetpoint))
        .set("serialTransmit", Json::integer(setpoint.serialTransmit))
        .set("serialSetpointMode",
             Json::integer(setpoint.serialSetpointMode)
                 .withText(setpoint.serialSetpointMode == 0 ? "serial" : "PWM"));
    return out;
}

int calibrationRowsUsed(int array) {
    return array >= kTemperatureArrayFirst ? kCalRows : 1;
}

Json calibrationReadJson(const CalibrationRecord& cal) {
    Json out = Json::object();
    out.set("CAL_TEMP_READ", Json::integer(cal.CAL_TEMP_READ))
        .set("CAL_TEMP_VALID", Json::integer(cal.CAL_TEMP_VALID & 0xFF))
        .set("CAL_OFFSET_READ", Json::integer(cal.CAL_OFFSET_READ))
        .set("CAL_OFFSET_VALID", Json::integer(cal.CAL_OFFSET_VALID & 0xFF))
        .set("CAL_SPAN_READ", Json::integer(cal.CAL_SPAN_READ))
        .set("CAL_SPAN_VALID", Json::integer(cal.CAL_SPAN_VALID & 0xFF))
        .set("CAL_MATRIX_PRESENT", Json::integer(cal.isMatrixPresent() ? 1 : 0))
        .set("CAL_MATRIX_READ", matrixJson(cal.CAL_MATRIX_READ));
    return out;
}

Json calibrationWriteJson(const CalibrationRecord& cal) {
    Json out = Json::object();
    out.set("CAL_TEMP_WRITE", Json::integer(cal.CAL_TEMP_WRITE & 0xFF))
        .set("CAL_OFFSET_WRITE", Json::integer(cal.CAL_OFFSET_WRITE))
        .set("CAL_SPAN_WRITE", Json::integer(cal.CAL_SPAN_WRITE))
        .set("CAL_MATRIX_WRITE", matrixJson(cal.CAL_MATRIX_WRITE));
    return out;
}

}  // namespace kvt::cli
