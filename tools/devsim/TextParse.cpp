#include "TextParse.h"

#include <cctype>
#include <cstdio>

namespace kvt::devsim {

namespace {
int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

bool parseDigits(std::string_view text, int base, std::uint64_t max, std::uint64_t& out) {
    if (text.empty()) {
        return false;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0) {
            return false;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > max) {
            return false;
        }
    }
    out = value;
    return true;
}
}  // namespace

bool parseUnsigned(std::string_view text, std::uint64_t max, std::uint64_t& out) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return parseDigits(text.substr(2), 16, max, out);
    }
    return parseDigits(text, 10, max, out);
}

bool parseSigned(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out) {
    const bool negative = !text.empty() && text[0] == '-';
    std::uint64_t magnitude = 0;
    if (negative && min >= 0) {
        return false;
    }
    const std::uint64_t limit =
        negative ? static_cast<std::uint64_t>(-(min + 1)) + 1 : static_cast<std::uint64_t>(max);
    if (!parseUnsigned(negative ? text.substr(1) : text, limit, magnitude)) {
        return false;
    }
    out = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool parseHexDigits(std::string_view text, std::size_t maxDigits, std::uint64_t& out) {
    return text.size() <= maxDigits && parseDigits(text, 16, ~std::uint64_t{0}, out);
}

bool parseBcdByte(std::string_view text, std::uint64_t max, std::uint8_t& out) {
    std::uint64_t value = 0;
    if (text.size() > 2 || !parseDigits(text, 10, max, value)) {
        return false;
    }
    out = static_cast<std::uint8_t>((value / 10) << 4 | (value % 10));
    return true;
}

std::vector<std::string_view> splitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    out.reserve(count * 3);
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : " %02X", bytes[i]);
        out += digits;
    }
    return out;
}

}  // namespace kvt::devsim
