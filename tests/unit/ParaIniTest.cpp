// KVT_para.ini at its edges: damaged, odd or unwritable files. The ordinary files read and
// written are held byte for byte in ParameterGoldenTest.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "FileTestSupport.h"
#include "GermanLocale.h"
#include "data/DecimalText.h"
#include "data/ParaIni.h"

namespace kvt {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr const char* kFile = "KVT_para.ini";

std::string firstStartFile() {
    return readFile(std::string(KVT_TEST_DATA_DIR) + "/KVT_para.first-start.ini");
}

// Reads and writes back as the main window does at start-up.
ParameterSets startUp(const TempDir& dir) {
    ParameterSets sets;
    ReadParaIni(dir.path(), sets);
    WriteParaIni(dir.path(), sets);
    return sets;
}

TEST(ParaIni, ASecondStartLeavesTheFileAsItIs) {
    TempDir dir;
    startUp(dir);
    struct stat before {};
    ASSERT_EQ(::stat((dir / kFile).c_str(), &before), 0);
    startUp(dir);
    struct stat after {};
    ASSERT_EQ(::stat((dir / kFile).c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged file is not rewritten";
    EXPECT_EQ(readFile(dir / kFile), firstStartFile());
}

TEST(ParaIni, AFloatKeepsItsValueForTheRunAndIsRoundedInTheFile) {
    TempDir dir;
    writeFile(dir / kFile, "[CONTROL_PARAMETER]\nVALUE_INTEGRATION_TIME=0.125\n");
    const ParameterSets sets = startUp(dir);
    EXPECT_FLOAT_EQ(sets.defaultSet.INTEGRATION_TIME, 0.125f);
    EXPECT_NE(readFile(dir / kFile).find("VALUE_INTEGRATION_TIME=0.13\n"), std::string::npos);

    ParameterSets next;
    ReadParaIni(dir.path(), next);
    EXPECT_FLOAT_EQ(next.defaultSet.INTEGRATION_TIME, 0.13f);
}

TEST(ParaIni, RangeSensorIsTruncatedAndWrittenWithThreeDigits) {
    TempDir dir;
    writeFile(dir / kFile, "[DISPLAY_KEYS_PARAMETER]\nVALUE_RANGE_SENSOR=5\n");
    EXPECT_EQ(startUp(dir).defaultSet.RANGE_SENSOR, 5);
    EXPECT_NE(readFile(dir / kFile).find("VALUE_RANGE_SENSOR=005\n"), std::string::npos);

    writeFile(dir / kFile, "[DISPLAY_KEYS_PARAMETER]\nVALUE_RANGE_SENSOR=12.9\n");
    EXPECT_EQ(startUp(dir).defaultSet.RANGE_SENSOR, 12);
    EXPECT_NE(readFile(dir / kFile).find("VALUE_RANGE_SENSOR=012\n"), std::string::npos);
}

TEST(ParaIni, RangeSensorVisibilityIsReadFromOutputRangeSensor) {
    TempDir dir;
    writeFile(dir / kFile, "[DISPLAY_KEYS_PARAMETER]\nRANGE_SENSOR=HIDE\n");
    EXPECT_EQ(startUp(dir).visible[56], 1);
    EXPECT_NE(readFile(dir / kFile).find("\nRANGE_SENSOR=SHOW\n"), std::string::npos)
        << "the written key alone is overwritten";

    writeFile(dir / kFile, "[DISPLAY_KEYS_PARAMETER]\nOUTPUT_RANGE_SENSOR=HIDE\n");
    EXPECT_EQ(startUp(dir).visible[56], 0);
    const std::string file = readFile(dir / kFile);
    EXPECT_NE(file.find("OUTPUT_RANGE_SENSOR=HIDE\n"), std::string::npos);
    EXPECT_NE(file.find("\nRANGE_SENSOR=HIDE\n"), std::string::npos);
}

TEST(ParaIni, ProfileNamesIgnoreCaseAndOtherContentIsKept) {
    TempDir dir;
    writeFile(dir / kFile,
              "; site settings\r\n[control_parameter]\r\nvalue_proportional_gain = 2.5\r\n"
              "SITE_NOTE=keep me\r\n[OTHER]\r\nX=1\r\n");
    const ParameterSets sets = startUp(dir);
    EXPECT_FLOAT_EQ(sets.defaultSet.PROPORTIONAL_GAIN, 2.5f);
    const std::string file = readFile(dir / kFile);
    EXPECT_NE(file.find("; site settings"), std::string::npos);
    EXPECT_NE(file.find("value_proportional_gain=2.5\n"), std::string::npos)
        << "an existing key keeps its spelling";
    EXPECT_NE(file.find("SITE_NOTE=keep me\n"), std::string::npos);
    EXPECT_NE(file.find("[OTHER]\nX=1\n"), std::string::npos);
    EXPECT_EQ(file.find("[CONTROL_PARAMETER]"), std::string::npos);
}

TEST(ParaIni, TheFirstOfDuplicateKeysCounts) {
    TempDir dir;
    writeFile(dir / kFile,
              "[SETPOINT_PARAMETER]\nVALUE_SETPOINT_SPAN=60\nVALUE_SETPOINT_SPAN=70\n"
              "[SETPOINT_PARAMETER]\nVALUE_SETPOINT_SPAN=80\n");
    EXPECT_EQ(startUp(dir).defaultSet.SETPOINT_SPAN, 60);
    const std::string file = readFile(dir / kFile);
    EXPECT_NE(file.find("VALUE_SETPOINT_SPAN=60\n"), std::string::npos);
    EXPECT_EQ(file.find("VALUE_SETPOINT_SPAN=70"), std::string::npos);
}

TEST(ParaIni, MalformedNumbersGiveTheirLeadingPartOrZero) {
    TempDir dir;
    writeFile(dir / kFile,
              "[CONTROL_PARAMETER]\nVALUE_PWM_FREQUENCY=12abc\nVALUE_FORWARD_OFFSET=abc\n"
              "VALUE_PROPORTIONAL_GAIN=1e999\nVALUE_DEAD_BAND=nan\nVALUE_FORWARD_GAIN=-inf\n"
              "VALUE_DERIVATION_TIME=99999999999999999999\nVALUE_INTEGRATION_LIMIT=-99999999999\n"
              "VALUE_INTEGRATION_TIME=2.5x\n"
              "[DISPLAY_KEYS_PARAMETER]\nVALUE_RANGE_SENSOR=1e300\n"
              "[AUTOSAFE_PARAMETER]\nVALUE_DELAY_TIME=-2147483648\n");
    const ParameterSets sets = startUp(dir);
    const ParameterRecord& d = sets.defaultSet;
    EXPECT_EQ(d.PWM_FREQUENCY, 12);
    EXPECT_EQ(d.FORWARD_OFFSET, 0);
    EXPECT_EQ(d.PROPORTIONAL_GAIN, 0.0f);
    EXPECT_EQ(d.DEAD_BAND, 0.0f);
    EXPECT_EQ(d.FORWARD_GAIN, 0.0f);
    EXPECT_EQ(d.DERIVATION_TIME, INT32_MAX);
    EXPECT_EQ(d.INTEGRATION_LIMIT, INT32_MIN);
    EXPECT_FLOAT_EQ(d.INTEGRATION_TIME, 2.5f);
    EXPECT_EQ(d.RANGE_SENSOR, INT32_MAX);
    EXPECT_EQ(d.DELAY_TIME, (static_cast<long long>(INT32_MIN) - 5) / 5);
    const std::string file = readFile(dir / kFile);
    EXPECT_NE(file.find("VALUE_DELAY_TIME=-2147483645\n"), std::string::npos)
        << "5 * code + 5 computed without overflow";
}

TEST(ParaIni, VeryLongValuesAreCutToTheValueBuffer) {
    TempDir dir;
    const std::string digits(98, '0');
    writeFile(dir / kFile, "[SETPOINT_PARAMETER]\nVALUE_SETPOINT_SPAN=" + digits + "42" +
                               std::string(100000, '7') + "\n");
    // 98 zeros and the "4" fit the 99 characters; the "2" and the sevens are cut off.
    EXPECT_EQ(startUp(dir).defaultSet.SETPOINT_SPAN, 4);
}

TEST(ParaIni, GarbageLeavesTheDefaultsInForce) {
    TempDir dir;
    writeFile(dir / kFile,
              "[[[\n=\n[SETPOINT_PARAMETER\n\x01\x02\xff=\xfe\n]]\nVALUE_SETPOINT_SPAN\n"
              "[SETPOINT_PARAMETER]\nVALUE_SETPOINT_OFFSET=12\n");
    const ParameterSets sets = startUp(dir);
    EXPECT_EQ(sets.defaultSet.PROPORTIONAL_GAIN, 1.0f);
    EXPECT_EQ(sets.defaultSet.SETPOINT_SPAN, 50);
    EXPECT_EQ(sets.defaultSet.SETPOINT_OFFSET, 12);
    ParameterSets again;
    ReadParaIni(dir.path(), again);
    EXPECT_EQ(again.defaultSet.SETPOINT_OFFSET, 12);
    EXPECT_EQ(again.defaultSet.PWM_FREQUENCY, 20);
}

TEST(ParaIni, AFileWithAZeroByteIsReadUpToItAndNotRewritten) {
    TempDir dir;
    const std::string content = std::string(
        "[SETPOINT_PARAMETER]\nVALUE_SETPOINT_SPAN=60\n\0\nVALUE_SETPOINT_OFFSET=9\n", 70);
    writeFile(dir / kFile, content);
    const ParameterSets sets = startUp(dir);
    EXPECT_EQ(sets.defaultSet.SETPOINT_SPAN, 60);
    EXPECT_EQ(sets.defaultSet.SETPOINT_OFFSET, -50);
    EXPECT_EQ(readFile(dir / kFile), content) << "what follows the zero byte is kept";
}

TEST(ParaIni, AReadOnlyFileIsReadButNotRewritten) {
    TempDir dir;
    const std::string content = "[SETPOINT_PARAMETER]\nVALUE_SETPOINT_SPAN=60\n";
    writeFile(dir / kFile, content);
    ASSERT_EQ(::chmod((dir / kFile).c_str(), 0444), 0);
    ParameterSets sets;
    ReadParaIni(dir.path(), sets);
    EXPECT_EQ(sets.defaultSet.SETPOINT_SPAN, 60);
    EXPECT_FALSE(WriteParaIni(dir.path(), sets));
    EXPECT_EQ(readFile(dir / kFile), content);
}

TEST(ParaIni, AFolderThatCannotBeWrittenLeavesTheDefaultsInForce) {
    TempDir dir;
    ParameterSets sets;
    ReadParaIni(dir / "missing" / "folder", sets);
    EXPECT_EQ(sets.defaultSet.PWM_FREQUENCY, 20);
    EXPECT_FALSE(WriteParaIni(dir / "missing" / "folder", sets));

    if (test::permissionsBindThisProcess()) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
        EXPECT_FALSE(WriteParaIni(dir.path(), sets));
        ::chmod(dir.path().c_str(), 0755);
        EXPECT_FALSE(std::filesystem::exists(dir / kFile));
    }
}

TEST(ParaIni, AFolderInPlaceOfTheFileIsNeitherReadNorReplaced) {
    TempDir dir;
    std::filesystem::create_directory(dir / kFile);
    const ParameterSets sets = startUp(dir);
    EXPECT_EQ(sets.defaultSet.SETPOINT_OFFSET, -50);
    EXPECT_TRUE(std::filesystem::is_directory(dir / kFile));
}

TEST(ParaIni, ReadingClearsWhatAnEarlierReadLeft) {
    TempDir dir;
    ParameterSets sets;
    sets.visible.fill(7);
    sets.defaultSet.SLAVE_GAIN = 3.0f;
    sets.defaultSet.reserved[5] = 9;
    sets.defaultSet.PARAMETER_SET = 1;
    ReadParaIni(dir.path(), sets);
    EXPECT_EQ(sets.visible[0], 1);
    EXPECT_EQ(sets.defaultSet.SLAVE_GAIN, 0.0f);
    EXPECT_EQ(sets.defaultSet.reserved[5], 0);
    EXPECT_EQ(sets.defaultSet.PARAMETER_SET, 0);
}

TEST(ParaIni, NumbersUseADecimalPointUnderAGermanLocale) {
    test::GermanLocale german;
    if (!german.active()) {
        GTEST_SKIP() << "no German locale on this machine and localedef could not make one";
    }
    TempDir dir;
    writeFile(dir / kFile,
              "[CONTROL_PARAMETER]\nVALUE_PROPORTIONAL_GAIN=2.5\nVALUE_DEAD_BAND=0,7\n");
    const ParameterSets sets = startUp(dir);
    EXPECT_FLOAT_EQ(sets.defaultSet.PROPORTIONAL_GAIN, 2.5f);
    EXPECT_FLOAT_EQ(sets.defaultSet.DEAD_BAND, 0.0f) << "a comma ends the number";
    const std::string file = readFile(dir / kFile);
    EXPECT_NE(file.find("VALUE_PROPORTIONAL_GAIN=2.5\n"), std::string::npos);
    EXPECT_NE(file.find("VALUE_FORWARD_GAIN=1.00\n"), std::string::npos);
    EXPECT_EQ(file.find(','), std::string::npos);
}

TEST(DecimalText, TiesRoundAwayFromZero) {
    EXPECT_EQ(formatFixedHalfAway(0.125, 2), "0.13");
    EXPECT_EQ(formatFixedHalfAway(-0.125, 2), "-0.13");
    EXPECT_EQ(formatFixedHalfAway(0.25, 1), "0.3");
    EXPECT_EQ(formatFixedHalfAway(2.5, 0), "3");
    EXPECT_EQ(formatFixedHalfAway(9.995, 2), "9.99") << "9.995 is stored just below the tie";
    EXPECT_EQ(formatFixedHalfAway(0.05, 1), "0.1");
    EXPECT_EQ(formatFixedHalfAway(static_cast<float>(0.1), 2), "0.10");
    EXPECT_EQ(formatFixedHalfAway(99.96, 1), "100.0");
    EXPECT_EQ(formatFixedHalfAway(0.0, 1), "0.0");
    EXPECT_EQ(formatFixedHalfAway(-0.001, 2), "-0.00");
    EXPECT_EQ(formatFixedHalfAway(1e20, 1), "100000000000000000000.0");
    EXPECT_EQ(formatFixedHalfAway(0.5, 0), "1");
    EXPECT_EQ(formatFixedHalfAway(123456789.125, 2), "123456789.13");
    EXPECT_EQ(formatFixedHalfAway(5e-324, 2), "0.00") << "the smallest double";
    EXPECT_EQ(formatFixedHalfAway(0.0500000000000000027756, 1), "0.1");
}

}  // namespace
}  // namespace kvt
