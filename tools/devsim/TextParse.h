#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Small, strict parsers for control commands and options: the whole text must be the number.
namespace kvt::devsim {

// Decimal, or hexadecimal with a 0x prefix; fails beyond `max`.
bool parseUnsigned(std::string_view text, std::uint64_t max, std::uint64_t& out);
bool parseSigned(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& out);
// Bare hexadecimal digits (no prefix), at most `maxDigits` of them.
bool parseHexDigits(std::string_view text, std::size_t maxDigits, std::uint64_t& out);
// Two decimal digits 0..99 as the BCD byte the controller keeps (23 -> 0x23).
bool parseBcdByte(std::string_view text, std::uint64_t max, std::uint8_t& out);

std::vector<std::string_view> splitWords(std::string_view text);
std::string_view trim(std::string_view text);
std::string lowerCase(std::string_view text);
// "02 0A 0A"
std::string hexBytes(const std::uint8_t* bytes, std::size_t count);

}  // namespace kvt::devsim
