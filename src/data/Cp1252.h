#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kvt {

// Texts stored in project and INI files are Windows-1252, the code page of the controller's
// original platform, so that files keep their texts between Windows and Linux machines. Every
// byte has a character (the five bytes Windows-1252 leaves unassigned stand for the control
// characters of the same number, as Windows itself converts them), so decoding never fails and
// always gives valid UTF-8.
std::string cp1252ToUtf8(std::string_view bytes);

// The stored bytes of a UTF-8 text; nothing when the text is not valid UTF-8 or holds a
// character that Windows-1252 cannot hold. `refused` then gets that character.
std::optional<std::string> utf8ToCp1252(std::string_view text, char32_t* refused = nullptr);

// The bytes a fixed field of `bytes` bytes (its terminating zero not counted) stores for a UTF-8
// text: Windows-1252, one byte a character, cut at the field's size. Nothing when a character
// cannot be stored; `refused` then gets it.
std::optional<std::string> storedFieldText(std::string_view text, std::size_t bytes,
                                           char32_t* refused = nullptr);

// The message for a character that a stored text cannot hold, naming it and its code point.
std::string refusedCharacterText(char32_t c);

// The text with every byte that is not part of a well-formed UTF-8 character read as
// Windows-1252: valid UTF-8 whatever the bytes, and unchanged when they already were.
std::string asValidUtf8(std::string_view text);

// Length of the well-formed UTF-8 character at text[i], 0 when the bytes there are not one.
std::size_t utf8CharacterLength(std::string_view text, std::size_t i);

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF, no cut sequence.
bool isValidUtf8(std::string_view text);

}  // namespace kvt
