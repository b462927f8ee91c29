#pragma once

#include <string>

namespace kvt {

// The value with a fixed number of decimals, like "%1.<decimals>f" in the C locale, except that a
// value exactly halfway between two results is rounded away from zero: 0.125 with two decimals
// gives "0.13" (a plain printf rounds such a tie to even, "0.12"). Files written by the program
// have always rounded this way.
std::string formatFixedHalfAway(double value, int decimals);

}  // namespace kvt
