#pragma once

#include <string>

#include "cli/Json.h"
#include "data/Records.h"
#include "data/Strings.h"

namespace kvt::cli {

// The records as results, under their field names. Floats stay numbers, codes integers; the
// text form shows what the window would (" -- " is not needed: invalid records are not shown).

// Every named field of the parameter record but VALID, in record order.
Json parametersJson(const ParameterRecord& set);

// The device information: the record's fields, BCD dates as the two digits the window shows,
// and the part number as the Device Info dialog shows it.
Json deviceInfoJson(const DeviceInfo& info);

// The live status with the window's words for each value in the text form.
Json statusJson(const StatusInfo& status, Strings& strings);

Json scopeSettingsJson(const ScopeSettings& scope);
Json projectInfoJson(const ProjectInfo& info);
Json serialSetpointJson(const SerialSetpoint& setpoint);

// The calibration data as read from the controller (temperature, DAC values, the 26 rows), or
// the part that Write Matrix sends.
Json calibrationReadJson(const CalibrationRecord& cal);
Json calibrationWriteJson(const CalibrationRecord& cal);

// Rows of a matrix array that travel on the line: ten for the temperature arrays 6 and 7, one
// for the others.
int calibrationRowsUsed(int array);

}  // namespace kvt::cli
