#include "data/Cp1252.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace kvt {
namespace {

// Characters of 0x80..0x9F; the unassigned bytes map to the control characters of their value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

char32_t characterOf(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 character at text[i]; its length in `length`, 0 when malformed.
char32_t decodeUtf8(std::string_view text, std::size_t i, std::size_t& length) {
    const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = at(i);
    length = 0;
    char32_t c = 0;
    std::size_t n = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (at(i + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    length = n;
    return c;
}

std::optional<std::uint8_t> byteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<std::uint8_t>(c);
    }
    for (std::size_t k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] == c) {
            return static_cast<std::uint8_t>(0x80 + k);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        appendUtf8(out, characterOf(static_cast<std::uint8_t>(byte)));
    }
    return out;
}

std::optional<std::string> utf8ToCp1252(std::string_view text, char32_t* refused) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        const char32_t c = decodeUtf8(text, i, length);
        const auto byte = length != 0 ? byteOf(c) : std::nullopt;
        if (!byte) {
            if (refused != nullptr) {
                *refused = length != 0 ? c : U'\uFFFD';
            }
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
        i += length;
    }
    return out;
}

std::string asValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        decodeUtf8(text, i, length);
        if (length == 0) {
            appendUtf8(out, characterOf(static_cast<std::uint8_t>(text[i])));
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::size_t utf8CharacterLength(std::string_view text, std::size_t i) {
    std::size_t length = 0;
    if (i < text.size()) {
        decodeUtf8(text, i, length);
    }
    return length;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        decodeUtf8(text, i, length);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::string> storedFieldText(std::string_view text, std::size_t bytes,
                                           char32_t* refused) {
    std::optional<std::string> stored = utf8ToCp1252(text, refused);
    if (stored && stored->size() > bytes) {
        stored->resize(bytes);
    }
    return stored;
}

std::string refusedCharacterText(char32_t c) {
    std::string character;
    appendUtf8(character, c);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return "The character '" + character + "' (" + code +
           ") cannot be stored: project files and settings hold their texts in Windows-1252 "
           "(Western European).";
}

}  // namespace kvt
