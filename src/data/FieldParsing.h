#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt {

// How a numeric edit field is read when the user leaves it: at most a few characters of its
// text, cut at the first character the field does not allow, converted (an empty text gives 0)
// and clamped silently to the field's range. Out-of-range input is never refused with a message;
// the caller writes the value back so that the field shows what was taken.
//
// The parameter pages read 14 characters; a few dialogs read 13.
inline constexpr std::size_t kFieldCharLimit = 14;
inline constexpr std::size_t kShortFieldCharLimit = 13;

// Signed integer: digits and "-" are kept; the rest converts like atoi (a "-" after the first
// digit ends the number, "-" alone gives 0).
std::int32_t parseIntegerField(std::string_view text, std::int32_t lo, std::int32_t hi,
                               std::size_t limit = kFieldCharLimit);

// Unsigned integer: only digits count; the clamp compares unsigned.
std::uint32_t parseUnsignedField(std::string_view text, std::uint32_t lo, std::uint32_t hi,
                                 std::size_t limit = kFieldCharLimit);

// Float: digits and "." are kept, a leading "-" only when lo < 0; converts like atof in the C
// locale ("1.2.3" gives 1.2).
float parseFloatField(std::string_view text, float lo, float hi,
                      std::size_t limit = kFieldCharLimit);

// The texts written back: integers in decimal, floats with "%1.1f", both in the C locale so that
// the text parses back to the same value under any desktop locale.
std::string integerFieldText(std::int64_t value);
std::string floatFieldText(float value);

// A text for a fixed 8-bit field of `bytes` bytes without its terminating zero: cut at a
// character boundary, so that a UTF-8 character is never stored half.
std::string fitTextField(std::string_view text, std::size_t bytes);

}  // namespace kvt
