#include "data/FieldParsing.h"

#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

#include "GermanLocale.h"

namespace kvt {
namespace {

// The text is cut at the first character that is not a digit or a leading minus (a leading blank
// or plus sign ends it at once, a minus after digits too), converted like atoi and clamped; an
// empty text is 0 before the clamp. Many digits saturate instead of wrapping: 2^32 + 1 must not
// become 1.
TEST(FieldParsingTest, IntegerTextIsCutConvertedAndClamped) {
    const std::tuple<const char*, int, int, int> cases[] = {
        {"12abc", 0, 80, 12}, {"7x", 4, 20, 7},     {"1 2", 0, 80, 1}, {" 12", 0, 80, 0},
        {"+5", -10, 10, 0},   {"1.9", 0, 80, 1},    {"", -5, 5, 0},    {"-", -5, 5, 0},
        {"-3", -5, 5, -3},    {"12-3", -9, 99, 12}, {"--4", -5, 5, 0}, {"007", 0, 80, 7},
        {"500", 0, 80, 80},   {"25", 4, 20, 20},    {"2", 4, 20, 4},   {"-500", -9, 9, -9},
        {"", 4, 20, 4}};
    for (const auto& [text, min, max, value] : cases) {
        EXPECT_EQ(parseIntegerField(text, min, max), value) << '"' << text << '"';
    }
    EXPECT_EQ(parseIntegerField("99999999999999", -100, 100), 100);
    EXPECT_EQ(parseIntegerField("-9999999999999", -100, 100), -100);
    EXPECT_EQ(parseIntegerField("4294967297", 0, 100), 100);
    EXPECT_EQ(parseIntegerField("99999999999999999999", 0, 100, 20), 100);
}

TEST(FieldParsingTest, OnlyTheFirstCharactersOfALongTextAreRead) {
    // Fourteen characters: the 15th digit is not read; thirteen for the dialogs that read that
    // many.
    EXPECT_EQ(parseIntegerField("000000000000019", 0, 100), 1);
    EXPECT_EQ(parseIntegerField("00000000000009", 0, 100), 9);
    EXPECT_EQ(parseIntegerField("00000000000009", 0, 100, kShortFieldCharLimit), 0);
    EXPECT_EQ(parseIntegerField("0000000000009", 0, 100, kShortFieldCharLimit), 9);
}

TEST(FieldParsingTest, UnsignedCountsDigitsOnlyAndComparesUnsigned) {
    EXPECT_EQ(parseUnsignedField("12a4", 0, 999999, kShortFieldCharLimit), 12u);
    EXPECT_EQ(parseUnsignedField("-5", 0, 999999), 0u) << "a minus ends the text";
    EXPECT_EQ(parseUnsignedField("1234567", 0, 999999), 999999u);
    EXPECT_EQ(parseUnsignedField("", 3, 9), 3u);
    EXPECT_EQ(parseUnsignedField("4294967295", 0, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(parseUnsignedField("4294967296", 0, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

// Digits and one point are kept, a minus only in front and only when the range is negative; no
// exponent, and a comma is no point. Nothing is zero, then clamped.
TEST(FieldParsingTest, FloatKeepsDigitsPointAndALeadingMinusAndIsClamped) {
    const std::tuple<const char*, float, float, float> cases[] = {
        {"12.5%", 0, 100, 12.5f}, {"1.2.3", 0, 100, 1.2f}, {"-5.5", 0, 100, 0.0f},
        {"-5.5", -10, 10, -5.5f}, {"5-5", -10, 10, 5.0f},  {".5", 0, 10, 0.5f},
        {"3.", 0, 10, 3.0f},      {"1e5", 0, 1e6f, 1.0f},  {"12,5", 0, 100, 12.0f},
        {"", 0, 100, 0.0f},       {".", 0, 100, 0.0f},     {"-", -10, 10, 0.0f},
        {"abc", 0.1f, 20, 0.1f},  {"0", 0.1f, 20, 0.1f},   {"150", 0, 100, 100.0f},
        {"20.05", 0, 20, 20.0f},  {"-150", -99, 99, -99},  {"9999999999", 0, 100, 100}};
    for (const auto& [text, min, max, value] : cases) {
        EXPECT_FLOAT_EQ(parseFloatField(text, min, max), value) << '"' << text << '"';
    }
}

TEST(FieldParsingTest, WrittenBackTextsParseToTheSameValue) {
    EXPECT_EQ(integerFieldText(-100), "-100");
    EXPECT_EQ(integerFieldText(999999), "999999");
    EXPECT_EQ(floatFieldText(12.34f), "12.3");
    EXPECT_EQ(floatFieldText(0.05f), "0.1");
    EXPECT_EQ(floatFieldText(100.0f), "100.0");
    EXPECT_EQ(floatFieldText(parseFloatField("-0.0", -10, 10)), "0.0") << "no negative zero";
    EXPECT_FLOAT_EQ(parseFloatField(floatFieldText(45.5f), 0, 100), 45.5f);
}

TEST(FieldParsingTest, FloatTextsUseThePointUnderACommaLocale) {
    test::GermanLocale german;
    if (!german.active()) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    EXPECT_EQ(floatFieldText(12.5f), "12.5");
    EXPECT_FLOAT_EQ(parseFloatField("12.5", 0, 100), 12.5f);
}

TEST(FieldParsingTest, TextFieldsAreCutAtACharacterBoundary) {
    // "ü" is two bytes and "€" three: a cut through one drops the whole character.
    const std::tuple<const char*, std::size_t, const char*> cases[] = {
        {"short", 29, "short"},     {"abcdef", 4, "abcd"},
        {"abc\u00FC", 4, "abc"},    {"abc\u00FC", 5, "abc\u00FC"},
        {"a\u20ACb", 2, "a"},       {"a\u20ACb", 3, "a"},
        {"a\u20ACb", 4, "a\u20AC"}, {"", 0, ""}};
    for (const auto& [text, bytes, fitted] : cases) {
        EXPECT_EQ(fitTextField(text, bytes), fitted) << text << " in " << bytes;
    }
}

}  // namespace
}  // namespace kvt
