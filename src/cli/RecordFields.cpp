#include "cli/RecordFields.h"

#include <array>

#include "data/Cp1252.h"
#include "data/Format.h"
#include "data/ProjectFile.h"
#include "data/ScopeModel.h"

namespace kvt::cli {
namespace {

constexpr int kTemperatureArrayFirst = 6;
constexpr int kRowValues = 10;

// Words that count in minutes, days and hours.
constexpr int kMinutesPerDay = 1440;
constexpr int kMinutesPerHour = 60;

Json bcd(std::int32_t value) {
    return Json::string(format("%02X", static_cast<unsigned>(value) & 0xFFu));
}

std::string wordText(const std::int32_t (&words)[10]) {
    std::string text;
    for (std::int32_t w : words) {
        text += static_cast<char>(w & 0xFF);
    }
    return text;
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

struct StatusField {
    const char* name;
    std::int32_t StatusInfo::*field;
    int textFor1;  // string id of the word the window shows for 1
    int textFor2;  // ... and for 2
};

// String ids of the Status Info dialog's words.
constexpr int kNo = 19;
constexpr int kYes = 119;
constexpr int kHigh = 104;
constexpr int kLow = 105;
constexpr int kOn = 35;
constexpr int kOff = 36;
constexpr int kDisabled = 181;
constexpr int kEnabled = 182;

constexpr std::array<StatusField, 8> kStatusFields = {{
    {"overvoltage", &StatusInfo::overvoltage, kNo, kYes},
    {"undervoltage", &StatusInfo::undervoltage, kNo, kYes},
    {"overtemperature", &StatusInfo::overtemperature, kNo, kYes},
    {"digitalOut", &StatusInfo::digitalOut, kHigh, kLow},
    {"jumper", &StatusInfo::jumper, kOn, kOff},
    {"keyLock", &StatusInfo::keyLock, kDisabled, kEnabled},
    {"manualSetpoint", &StatusInfo::manualSetpoint, kDisabled, kEnabled},
    {"reserve", &StatusInfo::reserve, kDisabled, kEnabled},
}};

struct LedField {
    const char* name;
    std::int32_t StatusInfo::*field;
};

constexpr std::array<LedField, 3> kLedFields = {{
    {"ledRed", &StatusInfo::ledRed},
    {"ledGreen", &StatusInfo::ledGreen},
    {"ledYellow", &StatusInfo::ledYellow},
}};

// What the Status Info dialog draws for each LED state.
constexpr std::array<const char*, 4> kLedStates = {"dark", "lit", "third picture", "blinking"};

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

std::string partNumberText(const DeviceInfo& info) {
    constexpr int kTextFirmware = 7;
    if (info.firmwareVersion >= kTextFirmware) {
        return wordText(info.partNumberText1) + wordText(info.partNumberText2);
    }
    const auto* d = info.partNumberDigits;
    const auto digit = [&](int i) { return static_cast<unsigned>(d[i]); };
    std::string text = digit(0) == 1 ? format("4%X7 %X%X%X%X%X", digit(0), digit(1), digit(2),
                                              digit(3), digit(4), digit(5))
                                     : format("571-48%X %X%X%X%X%X", digit(0), digit(1), digit(2),
                                              digit(3), digit(4), digit(5));
    const std::string suffix =
        format("%04X", static_cast<unsigned>(info.partNumberSuffix) & 0xFFFFu).substr(1);
    if (suffix != "000") {
        text += "---" + suffix;
    }
    return text;
}

Json deviceInfoJson(const DeviceInfo& info) {
    Json digits = Json::array();
    for (std::int32_t d : info.partNumberDigits) {
        digits.push(Json::integer(d));
    }
    const std::int32_t minutes = info.operationMinutes;
    const std::int32_t days = minutes / kMinutesPerDay;
    const std::int32_t hours = (minutes - kMinutesPerDay * days) / kMinutesPerHour;
    const std::int32_t rest = minutes - (hours + 24 * days) * kMinutesPerHour;
    Json out = Json::object();
    out.set("firmwareVersion", Json::integer(info.firmwareVersion))
        .set("partNumber", Json::string(partNumberText(info)))
        .set("partNumberDigits", std::move(digits))
        .set("partNumberSuffix", Json::integer(info.partNumberSuffix))
        .set("partNumberText1", Json::string(wordText(info.partNumberText1)))
        .set("partNumberText2", Json::string(wordText(info.partNumberText2)))
        .set("serialNumber", Json::integer(info.serialNumber))
        .set("productionYear", bcd(info.productionYear))
        .set("productionWeek", bcd(info.productionWeek))
        .set("operationMinutes", Json::integer(minutes).withText(format(
                                     "%d (%d d %02d h %02d min)", minutes, days < 0 ? 0 : days,
                                     hours < 0 ? 0 : hours, rest < 0 ? 0 : rest)))
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
    for (const StatusField& f : kStatusFields) {
        const std::int32_t value = status.*(f.field);
        Json item = Json::integer(value);
        if (value == 1 || value == 2) {
            item.withText(strings.text(value == 1 ? f.textFor1 : f.textFor2));
        }
        out.set(f.name, std::move(item));
    }
    for (const LedField& f : kLedFields) {
        const std::int32_t value = status.*(f.field);
        Json item = Json::integer(value);
        if (value >= 0 && value < static_cast<std::int32_t>(kLedStates.size())) {
            item.withText(format("%d (%s)", value, kLedStates[static_cast<std::size_t>(value)]));
        }
        out.set(f.name, std::move(item));
    }
    return out;
}

Json scopeSettingsJson(const ScopeSettings& scope) {
    static constexpr std::array<const char*, 3> kModes = {"step", "ramp", "trigger"};
    Json mode = Json::integer(scope.mode);
    if (scope.mode >= 0 && scope.mode < static_cast<std::int32_t>(kModes.size())) {
        mode.withText(kModes[static_cast<std::size_t>(scope.mode)]);
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
                                 .withText(scope.triggerSlope == 0 ? "rising" : "falling"))
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
