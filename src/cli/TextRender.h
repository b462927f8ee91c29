#pragma once

#include <string>

#include "cli/Json.h"

namespace kvt::cli {

// The text form of a result for a person at a terminal: one "key: value" line per member,
// nested objects indented by two blanks, lists of numbers on one line, lists of objects one
// object per line. Values show their display text where they have one.
std::string renderText(const Json& result);

}  // namespace kvt::cli
