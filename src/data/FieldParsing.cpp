#include "data/FieldParsing.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "data/Format.h"

namespace kvt {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The first `limit` characters, cut at the first one `allowed` refuses.
template <typename Allowed>
std::string_view keptPart(std::string_view text, std::size_t limit, Allowed allowed) {
    text = text.substr(0, limit);
    std::size_t n = 0;
    while (n < text.size() && allowed(text[n], n)) {
        ++n;
    }
    return text.substr(0, n);
}

// Leading digits as a number, saturated far beyond any field's range.
std::int64_t leadingDigits(std::string_view digits) {
    constexpr std::int64_t kSaturation = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    std::int64_t value = 0;
    for (char c : digits) {
        if (!isDigit(c)) {
            break;
        }
        value = std::min<std::int64_t>(value * 10 + (c - '0'), kSaturation);
    }
    return value;
}

}  // namespace

std::int32_t parseIntegerField(std::string_view text, std::int32_t lo, std::int32_t hi,
                               std::size_t limit) {
    const std::string_view kept =
        keptPart(text, limit, [](char c, std::size_t) { return isDigit(c) || c == '-'; });
    std::int64_t value = 0;
    if (!kept.empty() && kept.front() == '-') {
        value = -leadingDigits(kept.substr(1));
    } else {
        value = leadingDigits(kept);
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, lo, hi));
}

std::uint32_t parseUnsignedField(std::string_view text, std::uint32_t lo, std::uint32_t hi,
                                 std::size_t limit) {
    const std::string_view kept =
        keptPart(text, limit, [](char c, std::size_t) { return isDigit(c); });
    const std::int64_t value = leadingDigits(kept);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, lo, hi));
}

float parseFloatField(std::string_view text, float lo, float hi, std::size_t limit) {
    const bool negativeAllowed = lo < 0.0f;
    const std::string_view kept = keptPart(text, limit, [negativeAllowed](char c, std::size_t i) {
        return isDigit(c) || c == '.' || (c == '-' && i == 0 && negativeAllowed);
    });
    double value = 0.0;
    // from_chars reads the longest number at the front in the C locale; "", "-" and "." give 0.
    if (std::from_chars(kept.data(), kept.data() + kept.size(), value).ec != std::errc()) {
        value = 0.0;
    }
    if (value < lo) {
        value = lo;
    } else if (value > hi) {
        value = hi;
    }
    // "-0" and "-.0" are zero; shown as "0.0", not "-0.0".
    return value == 0.0 ? 0.0f : static_cast<float>(value);
}

std::string integerFieldText(std::int64_t value) {
    return format("%lld", static_cast<long long>(value));
}

std::string floatFieldText(float value) {
    return format("%1.1f", static_cast<double>(value));
}

std::string fitTextField(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return std::string(text);
    }
    std::size_t end = bytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the character that was cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

}  // namespace kvt
