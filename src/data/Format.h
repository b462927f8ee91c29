#pragma once

#include <string>

namespace kvt {

// printf-style formatting in the C locale, whatever locale the process runs in: the formats are
// part of files and traces, and a German desktop must still write 1.0, not 1,0.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Parses like strtod/strtol in the C locale; returns the leading numeric part (0 when none).
double parseDouble(const std::string& text);
long parseLong(const std::string& text);

}  // namespace kvt
