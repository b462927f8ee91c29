#pragma once

#include <string>
#include <string_view>

namespace kvt {

// Whether an open of the line failed because another program holds it (our lock, or the
// exclusive mode of the terminal).
bool portInUse(int error);

// What stood in the way of opening the line, for the line under the baud-rate error: the device
// path and the system's reason, with a hint where the user can mend it. Empty for error 0.
std::string portProblemText(std::string_view path, int error);

}  // namespace kvt
