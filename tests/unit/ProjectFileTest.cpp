#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "FileTestSupport.h"
#include "data/ProjectFile.h"
#include "data/ScopeModel.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using test::FakeStrings;
using test::makeRecords;
using test::readFile;
using test::TempDir;
using test::writeFile;

// A project with something in every block, every value in the range a loaded file is brought
// into, so that a save and load must give it back unchanged.
void fillProject(Records& r) {
    ResetProjectData(r);
    setFieldText(r.projectInfo.projectName, "Valve 7");
    setFieldText(r.projectInfo.fileName, "valve7.KVT");
    r.projectInfo.projectVersion = 123456;
    setFieldText(r.projectInfo.name, "Service");
    setFieldText(r.projectInfo.address, "Street 1");
    setFieldText(r.projectInfo.city, "Town");
    setFieldText(r.projectInfo.phoneFax, "+49 1 2 3");
    setFieldText(r.projectInfo.email, "service@example.org");
    r.projectInfo.reserved[401] = 'r';

    r.serialSetpoint.serialSetpoint = 33.5f;
    r.serialSetpoint.serialTransmit = 1;
    r.serialSetpoint.serialSetpointMode = 1;

    auto* words = reinterpret_cast<std::int32_t*>(&r.params.currentSet);
    for (int i = 0; i < 155; ++i) {
        words[i] = 1000 + i;  // reserved words included
    }
    r.params.currentSet.SETPOINT_HYSTERESIS = 2.5f;
    r.params.currentSet.SETPOINT_SPAN = 60;

    ScopeSettings& s = r.scope;
    s.mode = ScopeSettings::StepMode;
    s.acqTime = 12;
    s.acqTimeRead = 11;
    s.acqTimeReadValid = 1;
    s.setpointBegin = 20.5f;
    s.setpointEnd = 80.0f;
    s.rampTime = 3.3f;
    s.triggerChannel = 6;
    s.triggerSlope = 1;
    s.triggerValue = -40;
    s.sampleRateIndex = 3;
    s.analogSel(0) = 1;
    s.analogSel(1) = 2;
    s.analogSel(2) = 0;
    s.analogSel(3) = 3;
    s.analogSelRead(3) = 2;
    s.binarySel[1] = 5;
    s.binarySel[2] = 6;
    s.masterSlave = 1;
    s.unused[98] = 77;

    auto* cal = reinterpret_cast<std::int32_t*>(&r.calibration);
    for (int i = 0; i < 1883; ++i) {
        cal[i] = 5000 + i;
    }
    r.calibration.CAL_ARRAY_SELECT = 6;
    r.calibration.CAL_ROW_SELECT = 9;

    auto* info = reinterpret_cast<std::int32_t*>(&r.deviceInfo);
    for (int i = 0; i < 120; ++i) {
        info[i] = 7000 + i;
    }

    for (int c = 0; c < kAnalogChannels; ++c) {
        for (int i = 0; i < kSampleEntries; ++i) {
            r.samples.analog[c][i] = static_cast<float>((i * (c + 1)) % 200) - 100.0f;
            r.samples.binary[c][i] = (i / (c + 3)) % 2;
        }
    }
}

struct Project {
    TempDir dir;
    std::unique_ptr<Records> records = makeRecords();
    FakeStrings strings;
    test::RecordingTrace trace;
    DevicePaths devices;
    ProjectContext context{*records, strings, trace, dir.str(), devices};

    std::string path(const std::string& name) const { return (dir / name).string(); }
};

// Most cases start from a filled project.
class ProjectFile : public ::testing::Test {
  protected:
    ProjectFile() { fillProject(*p.records); }
    Project p;
};

template <class T>
T valueAt(const std::string& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST_F(ProjectFile, BlocksLieAtTheirOffsets) {
    const std::size_t offsets[] = {0, 872, 1280, 1900, 2412, 9944, 10424};
    const std::size_t sizes[] = {872, 408, 620, 512, 7532, 480, 163200};
    for (std::size_t i = 0; i < kProjectBlocks.size(); ++i) {
        EXPECT_EQ(kProjectBlocks[i].offset, offsets[i]) << kProjectBlocks[i].name;
        EXPECT_EQ(kProjectBlocks[i].size, sizes[i]) << kProjectBlocks[i].name;
    }

    auto records = makeRecords();
    fillProject(*records);
    records->calibration.programVersion = kProgramVersion;
    const std::string bytes = encodeProject(*records);
    ASSERT_EQ(bytes.size(), 173624u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("Valve 7\0", 8));
    EXPECT_EQ(bytes.substr(25, 10), "valve7.KVT");
    EXPECT_EQ(valueAt<std::uint32_t>(bytes, 316), 123456u);
    EXPECT_EQ(bytes.substr(440, 19), "service@example.org");
    EXPECT_EQ(bytes[871], 'r');
    EXPECT_EQ(valueAt<float>(bytes, 872), 33.5f);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 876), 1);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 1280), 1000);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 1280 + 72), 60);
    EXPECT_EQ(valueAt<float>(bytes, 1280 + 272), 2.5f);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 1280 + 616), 1154);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 1900), ScopeSettings::StepMode);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 1904), 12);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 1900 + 112), 1);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 2412), 5000);
    EXPECT_EQ(valueAt<float>(bytes, 2412 + 1783 * 4), 0.05f);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 2412 + 1882 * 4), 5000 + 1882);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 9944), 7000);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 10420), 7119);
    EXPECT_EQ(valueAt<float>(bytes, 10424), -100.0f);
    EXPECT_EQ(valueAt<float>(bytes, 10424 + 4), -99.0f);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 10424 + 81600 + 3 * 4), 1);
    EXPECT_EQ(valueAt<std::int32_t>(bytes, 173620), records->samples.binary[3][5099]);
}

TEST_F(ProjectFile, ANewProjectIsCalledUnknown) {
    auto records = makeRecords();
    FakeStrings strings;
    records->port.portCode = 3;
    records->port.baudCode = 2;
    ResetProjectData(*records);
    SetDefaultNames(*records, strings);
    EXPECT_EQ(fieldText(records->projectInfo.projectName), "UNKNOWN");
    EXPECT_EQ(fieldText(records->projectInfo.fileName), "UNKNOWN.KVT");
    EXPECT_EQ(fieldText(records->projectInfo.fullPath), "UNKNOWN.KVT");
    EXPECT_EQ(records->port.portCode, 0);
    EXPECT_EQ(records->port.baudCode, 0);

    strings.texts[31] = std::string(40, 'N');
    SetDefaultNames(*records, strings);
    EXPECT_EQ(fieldText(records->projectInfo.projectName), std::string(24, 'N'));
    EXPECT_EQ(fieldText(records->projectInfo.fileName), std::string(25, 'N') + ".KVT");
}

TEST_F(ProjectFile, ResettingEmptiesTheProjectAndKeepsTheDefaults) {
    auto records = makeRecords();
    fillProject(*records);
    records->params.defaultSet.PWM_FREQUENCY = 20;
    records->params.visible[3] = 1;
    records->params.deviceSet.VALID = 1;
    records->status.statusValid = 1;
    records->port.portCode = 4;
    ResetProjectData(*records);

    ScopeSettings defaults{};
    resetScopeSettings(defaults);
    EXPECT_EQ(std::memcmp(&records->scope, &defaults, sizeof defaults), 0);
    EXPECT_EQ(records->params.currentSet, ParameterRecord{});
    EXPECT_EQ(records->params.deviceSet, ParameterRecord{});
    EXPECT_EQ(records->params.defaultSet.PWM_FREQUENCY, 20);
    EXPECT_EQ(records->params.visible[3], 1);
    EXPECT_EQ(records->status.statusValid, 0);
    EXPECT_EQ(records->samples.analog[1][17], 0.0f);
    EXPECT_EQ(records->calibration.CAL_ROW_SELECT, 0);
    EXPECT_EQ(records->deviceInfo.firmwareVersion, 0);
    EXPECT_EQ(records->projectInfo.projectName[0], '\0');
    EXPECT_EQ(records->serialSetpoint.serialSetpoint, 0.0f);
    EXPECT_EQ(records->port.portCode, 0);
}

// A new project and one with something in every block: the file holds what the records hold,
// and loading gives every block back.
TEST_F(ProjectFile, EveryBlockSurvivesASaveAndLoad) {
    for (const bool filled : {false, true}) {
        SCOPED_TRACE(filled ? "filled project" : "new project");
        Project p;  // a fresh one per round
        if (filled) {
            fillProject(*p.records);
        } else {
            ResetProjectData(*p.records);
            SetDefaultNames(*p.records, p.strings);
        }
        const ProjectFileResult saved = WriteProjectFile(p.path("a.KVT"), p.context);
        ASSERT_TRUE(saved.ok) << saved.message;
        EXPECT_TRUE(saved.clearsModified);
        const std::string written = encodeProject(*p.records);
        EXPECT_EQ(readFile(p.dir / "a.KVT"), written);

        auto loaded = makeRecords();
        ProjectContext other{*loaded, p.strings, p.trace, p.dir.str(), p.devices};
        const ProjectFileResult read = ReadProjectFile(p.path("a.KVT"), other);
        ASSERT_TRUE(read.ok) << read.message;
        EXPECT_TRUE(read.clearsModified);
        const std::string back = encodeProject(*loaded);
        for (const ProjectBlock& block : kProjectBlocks) {
            EXPECT_EQ(back.substr(block.offset, block.size),
                      written.substr(block.offset, block.size))
                << block.name;
        }
        EXPECT_EQ(loaded->calibration.programVersion, 0.05f);
        EXPECT_EQ(fieldText(loaded->projectInfo.fullPath), p.path("a.KVT"));
        EXPECT_EQ(loaded->params.deviceSet, ParameterRecord{}) << "the device set stays not valid";
    }
}

TEST_F(ProjectFile, LoadingTakesTheActualPathAndKeepsTheStoredFileName) {
    ASSERT_TRUE(WriteProjectFile(p.path("first.KVT"), p.context).ok);
    std::filesystem::create_directory(p.dir / "moved");
    std::filesystem::rename(p.dir / "first.KVT", p.dir / "moved" / "second.KVT");
    // A path stored on another system, written into the file by hand.
    std::string bytes = readFile(p.dir / "moved" / "second.KVT");
    const char stored[] = "C:\\Projects\\first.KVT";
    std::memcpy(bytes.data() + 55, stored, sizeof stored);
    writeFile(p.dir / "moved" / "second.KVT", bytes);

    const std::string actual = (p.dir / "moved" / "second.KVT").string();
    ASSERT_TRUE(ReadProjectFile(actual, p.context).ok);
    EXPECT_EQ(fieldText(p.records->projectInfo.fullPath), actual);
    EXPECT_EQ(fieldText(p.records->projectInfo.fileName), "first.KVT") << "as stored";
}

TEST_F(ProjectFile, AShortFileFillsTheBlocksAsFarAsItReaches) {
    const std::string full = encodeProject(*p.records);
    writeFile(p.dir / "short.KVT", full.substr(0, 1000));

    ResetProjectData(*p.records);
    const ProjectFileResult read = ReadProjectFile(p.path("short.KVT"), p.context);
    EXPECT_TRUE(read.ok) << "no message for a short file";
    EXPECT_EQ(fieldText(p.records->projectInfo.projectName), "Valve 7");
    EXPECT_EQ(p.records->serialSetpoint.serialSetpoint, 33.5f);
    EXPECT_EQ(p.records->serialSetpoint.reserved[29], 0);
    const std::string loaded = encodeProject(*p.records);
    EXPECT_EQ(loaded.substr(872, 128), full.substr(872, 128));
    EXPECT_EQ(p.records->params.currentSet, ParameterRecord{});
    ScopeSettings defaults{};
    resetScopeSettings(defaults);
    EXPECT_EQ(std::memcmp(&p.records->scope, &defaults, sizeof defaults), 0);
    EXPECT_EQ(p.records->samples.binary[3][5099], 0);
}

// Files of any length load, but only one of exactly a project's size is complete.
TEST_F(ProjectFile, FilesOfAnyLengthLoad) {
    const std::string full = encodeProject(*p.records);
    writeFile(p.dir / "whole.KVT", full);
    const ProjectFileResult whole = ReadProjectFile(p.path("whole.KVT"), p.context);
    EXPECT_TRUE(whole.ok);
    EXPECT_TRUE(whole.complete);
    EXPECT_FALSE(ReadProjectFile(p.path("missing.KVT"), p.context).complete);
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{40}, std::size_t{871},
                               std::size_t{872}, std::size_t{1900 + 100}, kProjectFileSize - 1}) {
        writeFile(p.dir / "cut.KVT", full.substr(0, length));
        const ProjectFileResult read = ReadProjectFile(p.path("cut.KVT"), p.context);
        EXPECT_TRUE(read.ok) << length;
        EXPECT_FALSE(read.complete) << length;
        EXPECT_EQ(fieldText(p.records->projectInfo.fullPath), p.path("cut.KVT")) << length;
        EXPECT_EQ(p.records->scope.binarySel[3], 4) << length;
    }
    // Bytes after the last block are ignored, yet such a file is no project either.
    writeFile(p.dir / "long.KVT", full + std::string(50000, '\x7f'));
    const ProjectFileResult longer = ReadProjectFile(p.path("long.KVT"), p.context);
    ASSERT_TRUE(longer.ok);
    EXPECT_FALSE(longer.complete);
    std::string expected = full;
    std::memset(expected.data() + 55, 0, 261);
    std::memcpy(expected.data() + 55, p.path("long.KVT").data(), p.path("long.KVT").size());
    EXPECT_EQ(encodeProject(*p.records), expected);
}

TEST_F(ProjectFile, LoadedIndicesAndCountsAreBroughtIntoRange) {
    ScopeSettings& s = p.records->scope;
    s.acqTime = 30;
    s.sampleRateIndex = 9;
    s.triggerChannel = 12;
    s.triggerValue = 500;
    s.analogSel(0) = -1;
    s.analogSel(3) = 9;
    s.analogSelRead(1) = 40;
    s.binarySel[0] = 3;
    s.binarySel[1] = 99;
    s.binarySel[2] = -7;
    s.binarySel[3] = 0;
    s.setpointBegin = std::numeric_limits<float>::quiet_NaN();
    s.setpointEnd = 250.0f;
    s.rampTime = -1.0f;
    s.masterSlave = 5;
    p.records->calibration.CAL_ARRAY_SELECT = 12;
    p.records->calibration.CAL_ROW_SELECT = -5;
    p.records->samples.analog[2][100] = std::numeric_limits<float>::infinity();
    p.records->samples.analog[2][101] = 1e30f;
    p.records->samples.binary[1][7] = 5;
    p.records->serialSetpoint.serialSetpoint = -3.0f;
    std::string bytes = encodeProject(*p.records);
    std::memset(bytes.data(), 'A', 25);         // project name without its zero
    std::memset(bytes.data() + 320, 'B', 150);  // the contact fields without theirs
    writeFile(p.dir / "bad.KVT", bytes);

    ASSERT_TRUE(ReadProjectFile(p.path("bad.KVT"), p.context).ok);
    const ScopeSettings& l = p.records->scope;
    EXPECT_EQ(l.acqTime, 20);
    EXPECT_LE(sampleCapacity(l), 5000);
    EXPECT_EQ(l.sampleRateIndex, 5);
    EXPECT_EQ(l.triggerChannel, 8);
    EXPECT_EQ(l.triggerValue, 100);
    EXPECT_EQ(l.analogSel(0), 0);
    EXPECT_EQ(l.analogSel(3), 4);
    EXPECT_EQ(l.analogSelRead(1), 2);
    EXPECT_EQ(l.binarySel[0], 0);
    EXPECT_EQ(l.binarySel[1], 7);
    EXPECT_EQ(l.binarySel[2], 0);
    EXPECT_EQ(l.binarySel[3], 4);
    EXPECT_EQ(l.setpointBegin, 0.0f);
    EXPECT_EQ(l.setpointEnd, 100.0f);
    EXPECT_EQ(l.rampTime, 0.0f);
    EXPECT_EQ(l.masterSlave, 1);
    EXPECT_EQ(p.records->calibration.CAL_ARRAY_SELECT, 7);
    EXPECT_EQ(p.records->calibration.CAL_ROW_SELECT, 0);
    EXPECT_EQ(p.records->samples.analog[2][100], 0.0f);
    EXPECT_EQ(p.records->samples.analog[2][101], 1000.0f);
    EXPECT_EQ(p.records->samples.binary[1][7], 1);
    EXPECT_EQ(p.records->serialSetpoint.serialSetpoint, 0.0f);
    EXPECT_EQ(fieldText(p.records->projectInfo.projectName), std::string(24, 'A'));
    EXPECT_EQ(fieldText(p.records->projectInfo.name), std::string(29, 'B'));
    EXPECT_EQ(fieldText(p.records->projectInfo.email), std::string(29, 'B'));

    s.acqTime = 0;
    s.sampleRateIndex = -3;
    bringProjectIntoRange(*p.records);
    EXPECT_EQ(s.acqTime, 4);
    EXPECT_EQ(s.sampleRateIndex, 0);
}

TEST_F(ProjectFile, EnumeratedParameterCodesOutsideTheirListAreKept) {
    p.records->params.currentSet.CONTROLLER_STRUCTURE = 99;
    p.records->params.currentSet.DP = -4;
    ASSERT_TRUE(WriteProjectFile(p.path("codes.KVT"), p.context).ok);
    ASSERT_TRUE(ReadProjectFile(p.path("codes.KVT"), p.context).ok);
    EXPECT_EQ(p.records->params.currentSet.CONTROLLER_STRUCTURE, 99);
    EXPECT_EQ(p.records->params.currentSet.DP, -4);
}

TEST_F(ProjectFile, WritingAndReadingKeepTheSerialSettingsAndReadingTracesThePath) {
    p.records->port.portCode = 2;
    ASSERT_TRUE(WriteProjectFile(p.path("a.KVT"), p.context).ok);
    EXPECT_EQ(readFile(p.dir / "KVT_com.ini"), "[SERIAL-PORT]\nPORT=COM3\n");

    writeFile(p.dir / "KVT_com.ini", "[SERIAL-PORT]\nPORT=COM5\n[DEVICES]\nCOM5=/dev/ttyACM0\n");
    p.records->port.baudCode = 3;
    ASSERT_TRUE(ReadProjectFile(p.path("a.KVT"), p.context).ok);
    EXPECT_EQ(p.trace.count(" ReadProjectFile:" + p.path("a.KVT")), 1);
    ASSERT_EQ(p.trace.lines().size(), 1u);
    EXPECT_EQ(p.trace.lines()[0].kind, 5);
    EXPECT_EQ(p.records->port.portCode, 4);
    EXPECT_EQ(p.records->port.baudCode, 0) << "reset with the project";
    EXPECT_EQ(p.devices[4], "/dev/ttyACM0");
}

TEST_F(ProjectFile, AMissingFileLeavesTheProjectResetAndSaysSo) {
    const ProjectFileResult read = ReadProjectFile(p.path("none.KVT"), p.context);
    EXPECT_FALSE(read.ok);
    EXPECT_TRUE(read.clearsModified);
    EXPECT_EQ(read.message, "Could not open File\n" + p.path("none.KVT"));
    EXPECT_EQ(p.records->params.currentSet, ParameterRecord{});
    EXPECT_EQ(fieldText(p.records->projectInfo.fullPath), p.path("none.KVT"));
    EXPECT_EQ(fieldText(p.records->projectInfo.fileName), "none.KVT");
}

TEST_F(ProjectFile, APathTooLongForItsFieldIsRefused) {
    const std::string longPath = p.path(std::string(270, 'x') + ".KVT");
    const std::string before = encodeProject(*p.records);

    const ProjectFileResult written = WriteProjectFile(longPath, p.context);
    EXPECT_FALSE(written.ok);
    EXPECT_FALSE(written.clearsModified);
    EXPECT_NE(written.message.find("at most 260"), std::string::npos) << written.message;
    EXPECT_EQ(encodeProject(*p.records), before);
    EXPECT_TRUE(std::filesystem::is_empty(p.dir.path()));

    const ProjectFileResult read = ReadProjectFile(longPath, p.context);
    EXPECT_FALSE(read.ok);
    EXPECT_FALSE(read.clearsModified);
    EXPECT_EQ(encodeProject(*p.records), before) << "the open project stays untouched";

    const std::string exact = "/" + std::string(259, 'p');
    EXPECT_TRUE(setProjectPath(p.records->projectInfo, exact, nullptr));
    EXPECT_EQ(fieldText(p.records->projectInfo.fullPath), exact);
    EXPECT_EQ(fieldText(p.records->projectInfo.fileName), std::string(29, 'p'));
}

TEST_F(ProjectFile, AFailedSaveKeepsTheOldFileAndThePath) {
    ASSERT_TRUE(WriteProjectFile(p.path("a.KVT"), p.context).ok);
    const std::string old = readFile(p.dir / "a.KVT");

    p.records->params.currentSet.SETPOINT_SPAN = 61;
    ProjectFileResult failed;
    {
        test::FileSizeLimit disk(4096);  // the write stops halfway, as on a full disk
        failed = WriteProjectFile(p.path("a.KVT"), p.context);
    }
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.clearsModified);
    EXPECT_NE(failed.message.find(p.path("a.KVT")), std::string::npos) << failed.message;
    EXPECT_EQ(readFile(p.dir / "a.KVT"), old);

    ProjectFileResult elsewhere;
    {
        test::FileSizeLimit disk(4096);
        elsewhere = WriteProjectFile(p.path("b.KVT"), p.context);
    }
    EXPECT_FALSE(elsewhere.ok);
    EXPECT_FALSE(std::filesystem::exists(p.dir / "b.KVT"));
    EXPECT_EQ(fieldText(p.records->projectInfo.fullPath), p.path("a.KVT"));
    EXPECT_EQ(fieldText(p.records->projectInfo.fileName), "a.KVT");
    for (const auto& entry : std::filesystem::directory_iterator(p.dir.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos);
    }
}

TEST_F(ProjectFile, AWriteProtectedProjectIsNotOverwritten) {
    ASSERT_TRUE(WriteProjectFile(p.path("a.KVT"), p.context).ok);
    const std::string old = readFile(p.dir / "a.KVT");
    ::chmod((p.dir / "a.KVT").c_str(), 0444);
    p.records->scope.acqTime = 5;
    const ProjectFileResult result = WriteProjectFile(p.path("a.KVT"), p.context);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(readFile(p.dir / "a.KVT"), old);
}

TEST_F(ProjectFile, PathFieldsTakeTheNameAfterTheLastSeparator) {
    ProjectInfo info{};
    setFieldText(info.fileName, "kept.KVT");
    EXPECT_TRUE(setProjectPath(info, "relative.KVT", nullptr));
    EXPECT_EQ(fieldText(info.fileName), "kept.KVT") << "no folder part: the name stays";
    EXPECT_TRUE(setProjectPath(info, "C:\\Projects\\old.KVT", nullptr));
    EXPECT_EQ(fieldText(info.fileName), "old.KVT");
    EXPECT_TRUE(setProjectPath(info, "/home/user/" + std::string(40, 'n') + ".KVT", nullptr));
    EXPECT_EQ(fieldText(info.fileName), std::string(29, 'n'));
}

TEST_F(ProjectFile, TheExtensionIsForcedAndTheNameCutTo25) {
    const std::string x25(25, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"report", "report.KVT"},
        {"report.txt", "report.KVT"},
        {"a.b.c", "a.KVT"},
        {"report.kvt", "report.KVT"},
        {x25, x25 + ".KVT"},
        {std::string(27, 'x'), x25 + ".KVT"},
        {std::string(26, 'x') + ".KVT", x25 + ".KVT"},
        {std::string(60, 'x'), x25 + ".KVT"}};
    for (const auto& [chosen, forced] : cases) {
        EXPECT_EQ(forceProjectExtension(chosen), forced) << chosen;
    }
}

TEST_F(ProjectFile, FieldsWithoutTheirZeroReadSafely) {
    char field[5] = {'a', 'b', 'c', 'd', 'e'};
    EXPECT_EQ(fieldText(field), "abcde");
    setFieldText(field, "toolong");
    EXPECT_EQ(std::string(field), "tool");
    setFieldText(field, "x");
    EXPECT_EQ(std::memcmp(field, "x\0\0\0\0", 5), 0);
}

}  // namespace
}  // namespace kvt
