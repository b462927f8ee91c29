#include "data/DecimalText.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "data/Format.h"

namespace kvt {

std::string formatFixedHalfAway(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 20);
    if (!std::isfinite(value)) {
        return format("%.*f", decimals, value);
    }
    // A double's decimal expansion is finite: a value whose lowest set bit is 2^-k has exactly k
    // digits after the point. Printed with that many, it is exact, so the digit after the last
    // kept one decides alone whether to round up.
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(value), &exponent);
    const auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 53));
    const int lowestBit = bits == 0 ? 0 : exponent - 53 + std::countr_zero(bits);
    const int exactDigits = std::max(decimals + 1, -lowestBit);
    const std::string exact = format("%.*f", exactDigits, std::fabs(value));
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
    std::string text = std::signbit(value) ? "-" : "";
    const std::size_t whole = digits.size() - static_cast<std::size_t>(decimals);
    text.append(digits, 0, whole);
    if (decimals > 0) {
        text += '.';
        text.append(digits, whole, std::string::npos);
    }
    return text;
}

}  // namespace kvt
