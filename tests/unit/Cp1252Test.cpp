#include <gtest/gtest.h>

#include "cli/Json.h"
#include "data/Cp1252.h"

namespace kvt {
namespace {

TEST(Cp1252, StoredBytesReadAsTheirWindowsCharacters) {
    const std::string stored = "M\xFCller \x80 Ventilbau";
    EXPECT_EQ(cp1252ToUtf8(stored), "Müller € Ventilbau");
    EXPECT_EQ(utf8ToCp1252("Müller € Ventilbau"), stored);
    // Every byte has a character, so every stored text comes back byte for byte.
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string decoded = cp1252ToUtf8(all);
    EXPECT_TRUE(isValidUtf8(decoded));
    EXPECT_EQ(utf8ToCp1252(decoded), all);
    EXPECT_EQ(cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252, ACharacterWindows1252CannotHoldIsRefusedAndNamed) {
    char32_t refused = 0;
    EXPECT_FALSE(utf8ToCp1252("Ventil \u03A9", &refused));
    EXPECT_EQ(refused, U'\u03A9');
    EXPECT_FALSE(utf8ToCp1252("\xE0\x80\xAF"));
}

TEST(Cp1252, AFieldHoldsOneByteACharacterAndRefusesWhatItCannotHold) {
    std::string euros;
    for (int i = 0; i < 31; ++i) {
        euros += "\u20AC";
    }
    EXPECT_EQ(storedFieldText(euros, 29), std::string(29, '\x80')) << "cut at 29 characters";
    EXPECT_EQ(storedFieldText("K\u00F6ln", 29), "K\xF6ln");
    char32_t refused = 0;
    EXPECT_FALSE(storedFieldText("\u0141\u00F3d\u017A", 29, &refused));
    EXPECT_EQ(refused, U'\u0141');
    const std::string message = refusedCharacterText(U'\u4E2D');
    EXPECT_NE(message.find("'\u4E2D' (U+4E2D)"), std::string::npos) << message;
    EXPECT_NE(message.find("Windows-1252"), std::string::npos) << message;
}

TEST(Cp1252, OnlyWellFormedUtf8PassesForUtf8) {
    for (const char* bad :
         {"\xE0\x80\xAF", "\xF4\x90\x80\x80", "\xED\xA0\x80", "\xC0\xAF", "\xC3", "\xFF", "\x80"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
        // JSON strings of such bytes stay valid UTF-8: the stray bytes read as stored texts.
        EXPECT_TRUE(isValidUtf8(cli::jsonQuoted(bad))) << bad;
    }
    EXPECT_EQ(cli::jsonQuoted("\xED\xA0\x80"), "\"\u00ED\u00A0\u20AC\"");
    EXPECT_EQ(asValidUtf8("a\xE0\x8E\xE0\x01 \u20AC"), "a\u00E0\u017D\u00E0\x01 \u20AC");
    for (const char* good : {"", "a", "\u00FC", "\u20AC", "\U0010FFFF", "\uD7FF\uE000"}) {
        EXPECT_TRUE(isValidUtf8(good)) << good;
        EXPECT_EQ(cli::jsonQuoted(good), std::string("\"") + good + "\"");
    }
}

}  // namespace
}  // namespace kvt
