#include "data/FieldParsing.h"

#include <gtest/gtest.h>

#include <clocale>

#include "GermanLocale.h"

namespace kvt {
namespace {

TEST(FieldParsingTest, IntegerTextIsCutAtTheFirstCharacterThatIsNotADigitOrMinus) {
    EXPECT_EQ(parseIntegerField("12abc", 0, 80), 12);
    EXPECT_EQ(parseIntegerField("7x", 4, 20), 7);
    EXPECT_EQ(parseIntegerField("1 2", 0, 80), 1);
    EXPECT_EQ(parseIntegerField(" 12", 0, 80), 0) << "a leading blank ends the text at once";
    EXPECT_EQ(parseIntegerField("+5", -10, 10), 0) << "a plus sign is not kept";
    EXPECT_EQ(parseIntegerField("1.9", 0, 80), 1);
}

TEST(FieldParsingTest, IntegerConvertsLikeAtoiAfterTheCut) {
    EXPECT_EQ(parseIntegerField("", -5, 5), 0);
    EXPECT_EQ(parseIntegerField("-", -5, 5), 0);
    EXPECT_EQ(parseIntegerField("-3", -5, 5), -3);
    EXPECT_EQ(parseIntegerField("12-3", -100, 100), 12) << "a minus after digits ends the number";
    EXPECT_EQ(parseIntegerField("--4", -5, 5), 0);
    EXPECT_EQ(parseIntegerField("007", 0, 80), 7);
}

TEST(FieldParsingTest, IntegerIsClampedToItsRange) {
    EXPECT_EQ(parseIntegerField("500", 0, 80), 80);
    EXPECT_EQ(parseIntegerField("25", 4, 20), 20);
    EXPECT_EQ(parseIntegerField("2", 4, 20), 4);
    EXPECT_EQ(parseIntegerField("-500", -100, 100), -100);
    EXPECT_EQ(parseIntegerField("", 4, 20), 4) << "empty is 0, then clamped";
}

TEST(FieldParsingTest, IntegerReadsOnlyTheFirstCharactersOfALongText) {
    // Fourteen characters: the 15th digit is not read.
    EXPECT_EQ(parseIntegerField("000000000000019", 0, 100), 1);
    EXPECT_EQ(parseIntegerField("00000000000009", 0, 100), 9);
    // Thirteen for the dialogs that read that many.
    EXPECT_EQ(parseIntegerField("00000000000009", 0, 100, kShortFieldCharLimit), 0);
    EXPECT_EQ(parseIntegerField("0000000000009", 0, 100, kShortFieldCharLimit), 9);
}

TEST(FieldParsingTest, IntegerOfManyDigitsSaturatesInsteadOfWrapping) {
    EXPECT_EQ(parseIntegerField("99999999999999", -100, 100), 100);
    EXPECT_EQ(parseIntegerField("-9999999999999", -100, 100), -100);
    EXPECT_EQ(parseIntegerField("4294967297", 0, 100), 100) << "2^32 + 1 must not become 1";
    EXPECT_EQ(parseIntegerField("99999999999999999999", 0, 100, 20), 100);
}

TEST(FieldParsingTest, UnsignedCountsDigitsOnlyAndComparesUnsigned) {
    EXPECT_EQ(parseUnsignedField("12a4", 0, 999999, kShortFieldCharLimit), 12u);
    EXPECT_EQ(parseUnsignedField("-5", 0, 999999), 0u) << "a minus ends the text";
    EXPECT_EQ(parseUnsignedField("1234567", 0, 999999), 999999u);
    EXPECT_EQ(parseUnsignedField("", 3, 9), 3u);
    EXPECT_EQ(parseUnsignedField("4294967295", 0, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(parseUnsignedField("4294967296", 0, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(FieldParsingTest, FloatKeepsDigitsAndPointAndAMinusOnlyInFrontWhenTheRangeIsNegative) {
    EXPECT_FLOAT_EQ(parseFloatField("12.5%", 0, 100), 12.5f);
    EXPECT_FLOAT_EQ(parseFloatField("1.2.3", 0, 100), 1.2f);
    EXPECT_FLOAT_EQ(parseFloatField("-5.5", 0, 100), 0.0f) << "no minus for a positive range";
    EXPECT_FLOAT_EQ(parseFloatField("-5.5", -10, 10), -5.5f);
    EXPECT_FLOAT_EQ(parseFloatField("5-5", -10, 10), 5.0f) << "a minus inside ends the text";
    EXPECT_FLOAT_EQ(parseFloatField(".5", 0, 10), 0.5f);
    EXPECT_FLOAT_EQ(parseFloatField("3.", 0, 10), 3.0f);
    EXPECT_FLOAT_EQ(parseFloatField("1e5", 0, 1000000), 1.0f) << "no exponent";
    EXPECT_FLOAT_EQ(parseFloatField("12,5", 0, 100), 12.0f) << "a comma is not a point";
}

TEST(FieldParsingTest, FloatOfNothingIsZeroThenClamped) {
    EXPECT_FLOAT_EQ(parseFloatField("", 0, 100), 0.0f);
    EXPECT_FLOAT_EQ(parseFloatField(".", 0, 100), 0.0f);
    EXPECT_FLOAT_EQ(parseFloatField("-", -10, 10), 0.0f);
    EXPECT_FLOAT_EQ(parseFloatField("abc", 0.1f, 20.0f), 0.1f);
    EXPECT_FLOAT_EQ(parseFloatField("0", 0.1f, 20.0f), 0.1f);
}

TEST(FieldParsingTest, FloatIsClampedToItsRange) {
    EXPECT_FLOAT_EQ(parseFloatField("150", 0, 100), 100.0f);
    EXPECT_FLOAT_EQ(parseFloatField("20.05", 0, 20), 20.0f);
    EXPECT_FLOAT_EQ(parseFloatField("-150", -100, 100), -100.0f);
    EXPECT_FLOAT_EQ(parseFloatField("99999999999999", 0, 100), 100.0f);
}

TEST(FieldParsingTest, NegativeZeroIsWrittenBackAsZero) {
    const float value = parseFloatField("-0.0", -10, 10);
    EXPECT_EQ(floatFieldText(value), "0.0");
}

TEST(FieldParsingTest, WrittenBackTextsParseToTheSameValue) {
    EXPECT_EQ(integerFieldText(-100), "-100");
    EXPECT_EQ(integerFieldText(999999), "999999");
    EXPECT_EQ(floatFieldText(12.34f), "12.3");
    EXPECT_EQ(floatFieldText(0.05f), "0.1");
    EXPECT_EQ(floatFieldText(100.0f), "100.0");
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
    EXPECT_EQ(fitTextField("short", 29), "short");
    EXPECT_EQ(fitTextField("abcdef", 4), "abcd");
    // "ü" is two bytes: a cut through it drops the whole character.
    EXPECT_EQ(fitTextField("abc\xC3\xBC", 4), "abc");
    EXPECT_EQ(fitTextField("abc\xC3\xBC", 5), "abc\xC3\xBC");
    // "€" is three bytes.
    EXPECT_EQ(fitTextField("a\xE2\x82\xAC"
                           "b",
                           2),
              "a");
    EXPECT_EQ(fitTextField("a\xE2\x82\xAC"
                           "b",
                           3),
              "a");
    EXPECT_EQ(fitTextField("a\xE2\x82\xAC"
                           "b",
                           4),
              "a\xE2\x82\xAC");
    EXPECT_EQ(fitTextField("", 0), "");
}

}  // namespace
}  // namespace kvt
