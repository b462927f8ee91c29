#pragma once

#include <string_view>
#include <vector>

#include "data/ParameterRecord.h"

namespace kvt::cli {

// A field in which the controller holds something else than the project.
struct ParameterDifference {
    const ParameterField* field = nullptr;
    double project = 0;  // the project's value
    double device = 0;   // what the controller reported
};

// Compares a project's parameter set with the set read from the controller, field by field,
// over every field that Write Parameter sends. The project's side is taken as the controller
// would hold it after a write: encoded for the line and decoded again, so 2.35 (sent as 23)
// matches a device value of 2.3. A value the byte cannot hold at all (a code outside its list,
// which goes out as 0 bits; 300 in a byte) never matches: the controller cannot hold it.
// Read-only fields (auto-zero values), fields the line never carries (SLAVE_GAIN, reserved
// words) and the test function type in the CCS byte are not compared.
std::vector<ParameterDifference> compareWithDevice(const ParameterRecord& project,
                                                   const ParameterRecord& device);

// Whether Write Parameter sends the field.
bool fieldIsWritten(const ParameterField& field);

}  // namespace kvt::cli
