// The bytes every parameter table produces, held fixed in tests/data/golden: the read requests
// and write frames of the wire table, the sets it decodes from known reply streams, the record's
// field table, and the KVT_para.ini texts written and read. The files were captured from the
// hand-kept tables before these were derived from one parameter catalogue; a change in any
// derived table shows here as a difference in a file.
#include <gtest/gtest.h>

#include <algorithm>
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
// the edges of every conversion. One value per field, in record order (record-fields.txt).
ParameterRecord roughSet() {
    constexpr double nan = std::numeric_limits<float>::quiet_NaN();
    const double values[] = {
        0x101, 1,   -1,   0.994f, 25.55f, -0.3f, -129,   1e10f,  300, 2555, 256, 9,    5, 2, 2,
        nan,   1,   210,  -5,     6,      -1,    25.6f,  -0.04f, 8,   0,    1,   5,    0, 3, 0,
        0,     -40, 0,    -15,    3,      1000,  -1,     4,      8,   0,    0,   -1,   1, 2, 0,
        3,     5,   4,    0.04f,  -3,     0.15f, 127.6f, 0.25f,  7,   -1,   0,   2.0f, 1, 0, 5,
        -1,    0,   -105, 2559,   2,      5,     0,      -0.06f, -2,  70000};
    const auto fields = parameterFields();
    EXPECT_EQ(fields.size(), std::size(values));
    ParameterRecord p{};
    for (std::size_t i = 0; i < std::min(fields.size(), std::size(values)); ++i) {
        setFieldValue(p, fields[i], values[i]);
    }
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
