#pragma once

#include <cstdint>

namespace kvt {

// What Project > Print prints, as the Select Print dialog keeps it (0 when no radio is checked).
enum class PrintObject : std::int32_t { None = 0, All = 1, Parameters = 2, ScopeView = 3 };

}  // namespace kvt
