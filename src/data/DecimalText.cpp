#include "data/DecimalText.h"

#include <algorithm>
#include <cmath>

#include "data/Format.h"

namespace kvt {

std::string formatFixedHalfAway(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 20);
    if (!std::isfinite(value)) {
        return format("%.*f", decimals, value);
    }
    // A double's decimal expansion is finite; with this many digits it is exact, so the digit
    // after the last kept one decides alone whether to round up.
    const std::string exact = format("%.1100f", std::fabs(value));
    const std::size_t dot = exact.find('.');
    std::string digits = exact.substr(0, dot) + exact.substr(dot + 1, decimals);
    if (exact[dot + 1 + static_cast<std::size_t>(decimals)] >= '5') {
        std::size_t i = digits.size();
        while (i > 0) {
            --i;
            if (digits[i] != '9') {
                ++digits[i];
                break;
            }
            digits[i] = '0';
            if (i == 0) {
                digits.insert(digits.begin(), '1');
            }
        }
    }
    if (decimals > 0) {
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    }
    return std::signbit(value) ? "-" + digits : digits;
}

}  // namespace kvt
