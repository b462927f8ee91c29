// The bytes every parameter table produces, held fixed in tests/data/golden: the read requests
// and write frames of the wire table, the sets it decodes from known reply streams, the record's
// field table, and the KVT_para.ini texts written and read. The files were captured from the
// hand-kept tables before these were derived from one parameter catalogue; a change in any
// derived table shows here as a difference in a file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "KnownParameterSet.h"
#include "cli/ParameterCompare.h"
#include "data/Format.h"
#include "data/ParaIni.h"
#include "engine/ParameterWireTable.h"
#include "link/Frame.h"

namespace kvt {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::string goldenPath(const char* name) {
    return std::string(KVT_TEST_DATA_DIR) + "/golden/" + name;
}

void expectGolden(const char* name, const std::string& actual) {
    const std::string golden = readFile(goldenPath(name));
    ASSERT_FALSE(golden.empty()) << name;
    EXPECT_EQ(actual, golden) << name;
}

std::string frameText(std::uint8_t code, std::uint8_t value) {
    std::uint8_t out[8] = {};
    const std::uint8_t data[1] = {value};
    const std::size_t n = buildRequest(out, code, data);
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += format(i == 0 ? "%02x" : " %02x", out[i]);
    }
    return text;
}

// Words 0..70 in rows of eight; the reserved words only when one is not zero.
std::string wordsText(const ParameterRecord& record) {
    std::int32_t words[155];
    static_assert(sizeof words == sizeof record);
    std::memcpy(words, &record, sizeof words);
    std::string text;
    for (int w = 0; w <= 70; ++w) {
        text += format(w % 8 == 0 ? "%02d:" : "", w);
        text += format(" %08x", static_cast<std::uint32_t>(words[w]));
        text += (w % 8 == 7 || w == 70) ? "\n" : "";
    }
    for (int w = 71; w < 155; ++w) {
        if (words[w] != 0) {
            text += format("reserved %d: %08x\n", w, static_cast<std::uint32_t>(words[w]));
        }
    }
    return text;
}

std::string testFunctionText(const TestFunctionState& tf) {
    return format("test function type %d, read %d, mark %d\n", tf.testFunctionType,
                  tf.testFunctionTypeRead, tf.testFunctionReadMark);
}

std::string flagsText(const ParameterSets& sets) {
    std::string text = "visible:";
    for (std::size_t i = 0; i < sets.visible.size(); ++i) {
        text += format(i % 10 == 0 ? " %u" : "%u", sets.visible[i]);
    }
    return text + "\n";
}

// A set of values outside their codes and ranges, negative, too wide for a byte or not a number:
// the edges of every conversion.
ParameterRecord roughSet() {
    ParameterRecord p{};
    p.VALID = 0x101;
    p.PARAMETER_SET = 1;
    p.FORWARD_OFFSET = -1;
    p.FORWARD_GAIN = 0.994f;
    p.PROPORTIONAL_GAIN = 25.55f;
    p.INTEGRATION_TIME = -0.3f;
    p.INTEGRATION_LIMIT = -129;
    p.DEAD_BAND = 1e10f;
    p.DERIVATION_TIME = 300;
    p.PWM_FREQUENCY = 2555;
    p.CONTROL_CYCLE_TIME = 256;
    p.CONTROLLER_STRUCTURE = 9;
    p.SETPOINT_SIGNAL = 5;
    p.SETPOINT_DIRECTION = 2;
    p.SHUT_OFF = 2;
    p.SHUT_OFF_LEVEL = std::numeric_limits<float>::quiet_NaN();
    p.SETPOINT_ADJUSTMENT = 1;
    p.SETPOINT_OFFSET = 210;
    p.SETPOINT_SPAN = -5;
    p.SETPOINT_SELECTION = 6;
    p.RAMP_FUNCTION = -1;
    p.RAMP_RISE_TIME = 25.6f;
    p.RAMP_FALL_TIME = -0.04f;
    p.ANALOG_OUT_SELECT = 8;
    p.FEEDBACK_SELECT = 0;
    p.AUTO_ZERO_FEEDBACK_ANALOG_IN_2 = 1;
    p.AUTO_ZERO_VALUE_ANALOG_IN_2 = 5;
    p.ANALOG_IN_2_SIGNAL = 0;
    p.ANALOG_IN_2_DIRECTION = 3;
    p.AUTOSAFE = 0;
    p.OVERTEMPERATURE = 0;
    p.OVERTEMPERATURE_LIMIT = -40;
    p.AUTOSAFE_SOURCE = 0;
    p.CURRENT_LIMIT_LEVEL = -15;
    p.OPTION_INPUT_PRESSURE_SENSOR = 3;
    p.INPUT_PRESSURE_LIMIT = 1000;
    p.DELAY_TIME = -1;
    p.COIL_ON_TIME = 4;
    p.COIL_OFF_TIME = 8;
    p.SELECT_FUNCTION = 0;
    p.SELECT_POLARITY = 0;
    p.DISPLAY_SELECT = -1;
    p.KEY_LOCK = 1;
    p.KEY_FUNCTION = 2;
    p.LED_YELLOW = 0;
    p.LED_GREEN = 3;
    p.LED_RED = 5;
    p.PRESSURE_SWITCH_OUTPUT_SOURCE = 4;
    p.OUTPUT_DELAY = 0.04f;
    p.OUTPUT_MODE = -3;
    p.WINDOW_SIZE = 0.15f;
    p.LIMIT_SIZE = 127.6f;
    p.LIMIT_HYSTERESIS = 0.25f;
    p.ERROR_SELECT = 7;
    p.SETPOINT_RANGE_DETECTION = -1;
    p.I_VALUE = 0;
    p.SLAVE_GAIN = 2.0f;
    p.ANALOG_OUT_SIGNAL = 1;
    p.ANALOG_OUT_DIRECTION = 0;
    p.FEEDBACK_SELECT_SLAVE = 5;
    p.ANALOG_IN_1_SIGNAL = -1;
    p.ANALOG_IN_1_DIRECTION = 0;
    p.CURRENT_MIN = -105;
    p.CURRENT_MAX = 2559;
    p.AUTO_ZERO_FEEDBACK_ANALOG_IN_1 = 2;
    p.AUTO_ZERO_VALUE_ANALOG_IN_1 = 5;
    p.PWM = 0;
    p.SETPOINT_HYSTERESIS = -0.06f;
    p.DP = -2;
    p.RANGE_SENSOR = 70000;
    return p;
}

// The 40 write frames of Write Parameter, the Custom/Factory byte and the CCS byte of Write
// Test Function, for a set and each test function type.
std::string writesText(const ParameterRecord& set) {
    std::string text;
    for (int type : {0, 1, 2, 3}) {
        TestFunctionState tf{};
        tf.testFunctionType = type;
        text += format("-- test function type %d\n", type);
        for (const WireLine& line : parameterWireTable()) {
            if (line.writable()) {
                text += std::string(line.writeMnemonic) + " " +
                        frameText(line.writeCode, encodeLine(line, set, tf)) + "\n";
            }
        }
        text += "CAS " + frameText(0x60, encodeBits(customFactoryLayout(), set, tf)) + "\n";
        text += "CCS(test function) " +
                frameText(0x64, encodeBits(testFunctionControlLayout(), set, tf)) + "\n";
    }
    return text;
}

// Decodes one reply byte per line, in request order, into a copy of the start set.
std::string decodedText(const ParameterRecord& start, std::uint8_t (*reply)(std::size_t)) {
    ParameterRecord set = start;
    TestFunctionState tf{};
    tf.testFunctionType = 2;
    const auto table = parameterWireTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        decodeLine(table[i], reply(i), set, tf);
    }
    return wordsText(set) + testFunctionText(tf);
}

TEST(ParameterGolden, ReadRequestsOfTheWireTable) {
    std::string text;
    for (const WireLine& line : parameterWireTable()) {
        text += std::string(line.readMnemonic) + " " + frameText(line.readCode, 0) + "\n";
    }
    expectGolden("wire-reads.txt", text);
}

TEST(ParameterGolden, WriteFramesOfTheWireTable) {
    expectGolden("wire-writes-known.txt", writesText(test::knownParameterSet()));
    expectGolden("wire-writes-rough.txt", writesText(roughSet()));
    expectGolden("wire-writes-zero.txt", writesText(ParameterRecord{}));
}

TEST(ParameterGolden, SetsDecodedFromReplyStreams) {
    std::string text = "-- known replies onto the rough set\n";
    text += decodedText(roughSet(), [](std::size_t i) -> std::uint8_t {
        static const std::uint8_t replies[] = {
            23, 2,  40,   5,  12,   125,  80,  25,   5,  0x9A, 2,    0x79, 1,    25,
            0,  60, 0xBB, 15, 200,  0xB5, 131, 0xA9, 85, 0x1F, 150,  70,   0xAB, 0x79,
            3,  1,  30,   25, 0x54, 10,   127, 126,  25, 3,    0xE8, 0x13, 0x06, 7};
        static_assert(std::size(replies) == kParameterLines);
        return replies[i];
    });
    text += "-- a byte stepping by 53 onto the known set\n";
    text += decodedText(test::knownParameterSet(),
                        [](std::size_t i) { return static_cast<std::uint8_t>(i * 53 + 7); });
    text += "-- 0xff onto the known set\n";
    text +=
        decodedText(test::knownParameterSet(), [](std::size_t) -> std::uint8_t { return 0xFF; });
    text += "-- 0x00 onto the rough set\n";
    text += decodedText(roughSet(), [](std::size_t) -> std::uint8_t { return 0x00; });
    expectGolden("wire-decoded.txt", text);
}

TEST(ParameterGolden, RecordFieldTable) {
    std::string text;
    for (const ParameterField& field : parameterFields()) {
        text += format("%-32s %3zu %-5s %3d %s\n", std::string(field.name).c_str(), field.offset,
                       field.type == FieldType::Float ? "float" : "int", field.flag,
                       cli::fieldIsWritten(field) ? "written" : "-");
    }
    expectGolden("record-fields.txt", text);
}

TEST(ParameterGolden, ParaIniReadAndWritten) {
    std::string read;
    {
        TempDir dir;
        ParameterSets sets;
        ReadParaIni(dir.path(), sets);
        read += "-- no file\n" + wordsText(sets.defaultSet) + flagsText(sets);
        ASSERT_TRUE(WriteParaIni(dir.path(), sets));
        expectGolden("../KVT_para.first-start.ini", readFile(dir / "KVT_para.ini"));
    }
    {
        TempDir dir;
        writeFile(dir / "KVT_para.ini", readFile(goldenPath("para-ini-varied.ini")));
        ParameterSets sets;
        ReadParaIni(dir.path(), sets);
        read += "-- para-ini-varied.ini\n" + wordsText(sets.defaultSet) + flagsText(sets);
        ASSERT_TRUE(WriteParaIni(dir.path(), sets));
        expectGolden("para-ini-varied-rewritten.ini", readFile(dir / "KVT_para.ini"));
    }
    expectGolden("para-ini-read.txt", read);

    for (const auto& [name, set] :
         {std::pair{"para-ini-written-known.ini", test::knownParameterSet()},
          std::pair{"para-ini-written-rough.ini", roughSet()}}) {
        TempDir dir;
        ParameterSets sets;
        sets.defaultSet = set;
        for (std::size_t i = 0; i < sets.visible.size(); ++i) {
            sets.visible[i] = i % 3 == 0 ? 0 : (i % 3 == 1 ? 1 : 2);
        }
        ASSERT_TRUE(WriteParaIni(dir.path(), sets));
        expectGolden(name, readFile(dir / "KVT_para.ini"));
    }
}

}  // namespace
}  // namespace kvt
