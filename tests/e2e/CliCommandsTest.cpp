// kvtcli end to end: every command against kvt-devsim on a pseudo-terminal and with --simulate,
// its JSON, its exit code and what reached the controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "../../tools/devsim/StreamSignal.h"
#include "data/Format.h"
#include "data/ProjectFile.h"
#include "e2e/CliProcess.h"
#include "support/Devsim.h"

namespace kvt {
namespace {

using test::Devsim;
using test::DevsimLogLine;
using namespace test::cli_e2e;

constexpr std::size_t kCurrentSetOffset = kProjectBlocks[2].offset;

std::size_t currentSetField(std::size_t fieldOffset) {
    return kCurrentSetOffset + fieldOffset;
}

class CliCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { startDevsim({}); }

    void startDevsim(const std::vector<std::string>& args) {
        sim_ = std::make_unique<Devsim>(KVT_DEVSIM_PATH, args);
        ASSERT_TRUE(sim_->started()) << sim_->startError();
        ASSERT_FALSE(work_.path().empty());
    }

    // kvtcli against the emulator, in the scratch folder as working directory.
    CliRun cli(std::vector<std::string> args, bool json = true) {
        std::vector<std::string> all = {"--port", sim_->terminalPath(), "--workdir", work_.path()};
        if (json) {
            all.push_back("--json");
        }
        all.insert(all.end(), args.begin(), args.end());
        return runCli(all, env_, work_.path());
    }

    static JsonNode json(const CliRun& run) {
        const auto node = parseOutput(run.out);
        EXPECT_TRUE(node) << "not one JSON line: " << run.out << run.err;
        return node ? *node : JsonNode{};
    }

    // Requests of one mnemonic the emulator heard, in order.
    std::vector<DevsimLogLine> heard(const std::string& mnemonic) {
        std::vector<DevsimLogLine> lines;
        for (const DevsimLogLine& line : sim_->log()) {
            if (line.direction == "rx" && line.mnemonic == mnemonic) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    // The value the emulator holds in a one-byte register ("ok KPR 0x02 23").
    int reg(const std::string& name) {
        const std::string reply = sim_->command("reg " + name);
        return std::stoi(reply.substr(reply.rfind(' ') + 1));
    }

    std::unique_ptr<Devsim> sim_;
    ScratchFolder work_;
    // Short time-outs only matter when something fails; they keep a failing test quick.
    std::vector<std::pair<std::string, std::string>> env_ = {
        {"KVT_CLI_LINK_TIMING", "reply=2000 pause=100"}};
};

TEST_F(CliCommandsTest, InfoReadsTheDeviceInformation) {
    sim_->command("set serial 4711");
    const CliRun run = cli({"info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    EXPECT_EQ(result.at({"command"}).text, "info");
    EXPECT_TRUE(result.at({"ok"}).boolean);
    EXPECT_EQ(result.at({"exitCode"}).number, 0);
    const JsonNode& info = result.at({"deviceInfo"});
    EXPECT_EQ(info.at({"serialNumber"}).number, 4711);
    EXPECT_EQ(info.at({"firmwareVersion"}).number, 23);
    EXPECT_EQ(info.at({"partNumber"}).text, "DEMO-DN50-PN16-24V  ");
    EXPECT_EQ(info.at({"productionYear"}).text, "23");
    EXPECT_EQ(info.at({"productionWeek"}).text, "47");
    EXPECT_EQ(info.at({"operationMinutes"}).number, 98765);
    EXPECT_EQ(info.at({"moduleTemperature"}).number, 31);
    EXPECT_EQ(heard("DIR").size(), 1u);
    EXPECT_EQ(heard("AXR").size(), 1u);
}

TEST_F(CliCommandsTest, InfoAsText) {
    const CliRun run = cli({"info"}, false);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("deviceInfo:\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  serialNumber: 12345\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  operationMinutes: 98765 (68 d 14 h 05 min)\n"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(CliCommandsTest, StatusDecodesAlarmsAndLeds) {
    sim_->command("set status 0x81");
    sim_->command("set leds 0x39");
    const CliRun run = cli({"status"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    const JsonNode& s = result.at({"status"});
    EXPECT_EQ(s.at({"overvoltage"}).number, 2);
    EXPECT_EQ(s.at({"undervoltage"}).number, 1);
    EXPECT_EQ(s.at({"digitalOut"}).number, 2);
    EXPECT_EQ(s.at({"reserve"}).number, 1);
    EXPECT_EQ(s.at({"ledRed"}).number, 3);
    EXPECT_EQ(s.at({"ledYellow"}).number, 2);
    EXPECT_EQ(s.at({"ledGreen"}).number, 1);
}

TEST_F(CliCommandsTest, ReadParamsStoresTheSetAsTheProjectsCurrentSet) {
    sim_->command("reg KPR 23");
    sim_->command("reg SPR 60");
    const std::string project = work_.file("valve.KVT");
    const CliRun run = cli({"read-params", "-o", project});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    EXPECT_FLOAT_EQ(static_cast<float>(result.at({"parameters", "PROPORTIONAL_GAIN"}).number),
                    2.3f);
    EXPECT_EQ(result.at({"parameters", "SETPOINT_SPAN"}).number, 60);
    EXPECT_EQ(result.at({"project"}).text, project);
    EXPECT_EQ(heard("KPR").size(), 1u);
    EXPECT_EQ(heard("SHR").size(), 1u);

    const std::string bytes = readWholeFile(project);
    ASSERT_EQ(bytes.size(), kProjectFileSize);
    float gain = 0;
    std::int32_t span = 0;
    std::memcpy(&gain, bytes.data() + currentSetField(offsetof(ParameterRecord, PROPORTIONAL_GAIN)),
                4);
    std::memcpy(&span, bytes.data() + currentSetField(offsetof(ParameterRecord, SETPOINT_SPAN)), 4);
    EXPECT_FLOAT_EQ(gain, 2.3f);
    EXPECT_EQ(span, 60);
    // The window's start-up files are in the working directory.
    EXPECT_FALSE(readWholeFile(work_.file("KVT_para.ini")).empty());
    EXPECT_NE(readWholeFile(work_.file("KVT_com.ini")).find("PORT=COM1"), std::string::npos);

    const CliRun shown = cli({"show", project});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const JsonNode show = json(shown);
    EXPECT_FLOAT_EQ(static_cast<float>(show.at({"parameters", "PROPORTIONAL_GAIN"}).number), 2.3f);
    EXPECT_EQ(show.at({"projectInfo", "fileName"}).text, "valve.KVT");
    EXPECT_EQ(show.at({"projectInfo", "fullPath"}).text, project);
    EXPECT_EQ(show.at({"scopeSettings", "acqTime"}).number, 8);
}

TEST_F(CliCommandsTest, ReadParamsIntoAnExistingProjectKeepsItsOtherBlocks) {
    const std::string project = work_.file("keep.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    // The scope settings (block 4) say 15 s; a second read must not reset them.
    ASSERT_TRUE(patchFile(project, kProjectBlocks[3].offset + offsetof(ScopeSettings, acqTime),
                          std::int32_t{15}));
    sim_->command("reg KPR 40");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    const JsonNode show = json(cli({"show", project}));
    EXPECT_EQ(show.at({"scopeSettings", "acqTime"}).number, 15);
    EXPECT_FLOAT_EQ(static_cast<float>(show.at({"parameters", "PROPORTIONAL_GAIN"}).number), 4.0f);
}

TEST_F(CliCommandsTest, WriteParamsSendsTheProjectAndReadsItBack) {
    const std::string project = work_.file("golden.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    ASSERT_TRUE(
        patchFile(project, currentSetField(offsetof(ParameterRecord, PROPORTIONAL_GAIN)), 4.5f));
    ASSERT_TRUE(patchFile(project, currentSetField(offsetof(ParameterRecord, SETPOINT_SPAN)), 75));
    const CliRun run = cli({"write-params", project});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    EXPECT_TRUE(result.at({"written"}).boolean);
    EXPECT_EQ(result.at({"differences"}).type, JsonNode::Array);
    EXPECT_TRUE(result.at({"differences"}).items.empty());
    EXPECT_EQ(reg("KPR"), 45);
    EXPECT_EQ(reg("SPR"), 75);
    const auto kps = heard("KPS");
    ASSERT_EQ(kps.size(), 1u);
    EXPECT_EQ(kps[0].bytes, (std::vector<std::uint8_t>{0x02, 0x01, 45, 46}));
    // Write, then the read-back.
    EXPECT_EQ(heard("SHS").size(), 1u);
    EXPECT_EQ(heard("KPR").size(), 2u);
}

TEST_F(CliCommandsTest, WriteParamsReportsFieldsTheControllerDoesNotHold) {
    const std::string project = work_.file("odd.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    // The temperature limit has no page that would keep it in range; 300 goes out as 44.
    ASSERT_TRUE(
        patchFile(project, currentSetField(offsetof(ParameterRecord, OVERTEMPERATURE_LIMIT)), 300));
    const CliRun run = cli({"write-params", project});
    EXPECT_EQ(run.exitCode, 5) << run.err;
    const JsonNode result = json(run);
    EXPECT_FALSE(result.at({"ok"}).boolean);
    const auto& differences = result.at({"differences"}).items;
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].at({"field"}).text, "OVERTEMPERATURE_LIMIT");
    EXPECT_EQ(differences[0].at({"project"}).number, 300);
    EXPECT_EQ(differences[0].at({"device"}).number, 44);
    EXPECT_NE(run.err.find("OVERTEMPERATURE_LIMIT"), std::string::npos);
}

TEST_F(CliCommandsTest, WriteParamsLeavesAFactorySetAlone) {
    const std::string project = work_.file("factory.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    ASSERT_TRUE(patchFile(project, currentSetField(offsetof(ParameterRecord, PARAMETER_SET)), 1));
    const std::int64_t before = sim_->counter("requests");
    const CliRun run = cli({"write-params", project});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Factory"), std::string::npos) << run.err;
    EXPECT_EQ(sim_->counter("requests"), before);
}

TEST_F(CliCommandsTest, DiffListsWhereTheControllerDiffers) {
    const std::string project = work_.file("ref.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    const CliRun same = cli({"diff", project});
    ASSERT_EQ(same.exitCode, 0) << same.err;
    EXPECT_TRUE(json(same).at({"identical"}).boolean);

    sim_->command("reg KPR 50");
    sim_->command("reg TDR 7");
    const CliRun changed = cli({"diff", project});
    EXPECT_EQ(changed.exitCode, 5);
    const JsonNode result = json(changed);
    EXPECT_FALSE(result.at({"identical"}).boolean);
    const auto& d = result.at({"differences"}).items;
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].at({"field"}).text, "PROPORTIONAL_GAIN");
    EXPECT_EQ(d[0].at({"project"}).number, 1);
    EXPECT_EQ(d[0].at({"device"}).number, 5);
    EXPECT_EQ(d[1].at({"field"}).text, "DERIVATION_TIME");
    EXPECT_EQ(d[1].at({"device"}).number, 7);
    // diff only reads.
    EXPECT_TRUE(heard("KPS").empty());

    const CliRun text = cli({"diff", project}, false);
    EXPECT_NE(text.out.find("  field: PROPORTIONAL_GAIN, project: 1, device: 5\n"),
              std::string::npos)
        << text.out;
}

TEST_F(CliCommandsTest, ParamSetSwitchesAndReadsBack) {
    const CliRun factory = cli({"param-set", "factory"});
    ASSERT_EQ(factory.exitCode, 0) << factory.err;
    EXPECT_EQ(json(factory).at({"PARAMETER_SET"}).number, 1);
    EXPECT_EQ(reg("CAR") & 0x40, 0);
    const auto cas = heard("CAS");
    ASSERT_EQ(cas.size(), 1u);
    EXPECT_EQ(cas[0].bytes[2] & 0x40, 0);

    const CliRun custom = cli({"param-set", "custom"});
    ASSERT_EQ(custom.exitCode, 0) << custom.err;
    EXPECT_EQ(json(custom).at({"PARAMETER_SET"}).number, 0);
    EXPECT_EQ(reg("CAR") & 0x40, 0x40);
    EXPECT_EQ(cli({"param-set", "both"}).exitCode, 1);
}

TEST_F(CliCommandsTest, MatrixIsReadStoredAndWrittenBack) {
    const std::string project = work_.file("cal.KVT");
    const CliRun read = cli({"read-matrix", "-o", project});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    const JsonNode cal = json(read).at({"calibration"});
    EXPECT_EQ(cal.at({"CAL_MATRIX_PRESENT"}).number, 1);
    const auto& arrays = cal.at({"CAL_MATRIX_READ"}).items;
    ASSERT_EQ(arrays.size(), 8u);
    ASSERT_EQ(arrays[6].items.size(), 10u);
    // Until written, every byte of the emulator's matrix holds its own address: row 0x28 reads
    // 40..49, row 0x8C + 10 * 9 reads 230..239.
    EXPECT_EQ(arrays[6].items[0].items[0].number, 40);
    EXPECT_EQ(arrays[6].items[0].items[9].number, 49);
    EXPECT_EQ(arrays[7].items[9].items[0].number, 230);
    EXPECT_EQ(arrays[1].items[0].items[0].number, 10);
    EXPECT_EQ(heard("WAR").size(), 26u);
    EXPECT_EQ(heard("CTR").size(), 1u);

    // The controller loses a row; the backup puts it back.
    sim_->command("mem 40 0 0 0 0 0 0 0 0 0 0");
    const CliRun written = cli({"write-matrix", project});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(sim_->command("mem 40"), "ok mem 40 28 29 2A 2B 2C 2D 2E 2F 30 31");
    EXPECT_EQ(heard("WAS").size(), 26u);
    EXPECT_EQ(heard("CTS").size(), 1u);
    EXPECT_EQ(json(written).at({"calibration", "CAL_MATRIX_WRITE"}).items.size(), 8u);
}

TEST_F(CliCommandsTest, WriteMatrixNeedsAMatrixInTheProject) {
    const std::string project = work_.file("nomatrix.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    const std::int64_t before = sim_->counter("requests");
    const CliRun run = cli({"write-matrix", project});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_NE(run.err.find("no complete calibration matrix"), std::string::npos) << run.err;
    EXPECT_EQ(sim_->counter("requests"), before);
}

TEST_F(CliCommandsTest, SetpointSendsTheValueTheDialogWould) {
    const CliRun serial = cli({"setpoint", "33.3"});
    ASSERT_EQ(serial.exitCode, 0) << serial.err;
    EXPECT_EQ(json(serial).at({"serialSetpoint", "serialSetpoint"}).number, 33);
    auto sts = heard("STS");
    ASSERT_EQ(sts.size(), 1u);
    EXPECT_EQ(sts[0].bytes, (std::vector<std::uint8_t>{0x02, 0x25, 66, 0x25 + 66}));

    ASSERT_EQ(cli({"setpoint", "50", "--pwm"}).exitCode, 0);
    const auto pwm = heard("PWM");
    ASSERT_EQ(pwm.size(), 1u);
    EXPECT_EQ(pwm[0].bytes, (std::vector<std::uint8_t>{0x02, 0x7E, 127, 0xFD}));
    ASSERT_EQ(cli({"setpoint", "off", "--pwm"}).exitCode, 0);
    const auto tcs = heard("TCS");
    ASSERT_EQ(tcs.size(), 1u);
    EXPECT_EQ(tcs[0].bytes, (std::vector<std::uint8_t>{0x02, 0x51, 0x00, 0x51}));
    ASSERT_EQ(cli({"setpoint", "off"}).exitCode, 0);
    EXPECT_EQ(heard("RTS").size(), 1u);
    ASSERT_EQ(cli({"setpoint", "150"}).exitCode, 0);
    sts = heard("STS");
    ASSERT_EQ(sts.size(), 2u);
    EXPECT_EQ(sts[1].bytes[2], 200);
}

TEST_F(CliCommandsTest, TestFunctionKeepsTheControllersStructure) {
    sim_->command("reg CCR 3");  // PID controller, no test function, auto zero off
    const CliRun run = cli({"test-function", "step", "2.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode t = json(run).at({"testFunction"});
    EXPECT_EQ(t.at({"testFunctionType"}).number, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(t.at({"testTime"}).number), 2.5f);
    EXPECT_EQ(t.at({"testFunctionTypeRead"}).number, 2);
    const auto ccs = heard("CCS");
    ASSERT_EQ(ccs.size(), 1u);
    EXPECT_EQ(ccs[0].bytes[2], 0xA3);
    const auto rss = heard("RSS");
    ASSERT_EQ(rss.size(), 1u);
    EXPECT_EQ(rss[0].bytes[2], 25);

    const CliRun read = cli({"test-function", "--read"});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(json(read).at({"testFunction", "testFunctionTypeRead"}).number, 2);
    EXPECT_EQ(cli({"test-function", "ramp"}).exitCode, 1);
    EXPECT_EQ(cli({"test-function", "step", "2", "--read"}).exitCode, 1);
}

TEST_F(CliCommandsTest, AutoAdaptOnlyWithYes) {
    const CliRun refused = cli({"auto-adapt"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("!!! Caution !!!"), std::string::npos);
    EXPECT_TRUE(heard("APS").empty());
    const CliRun run = cli({"auto-adapt", "--yes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto aps = heard("APS");
    ASSERT_EQ(aps.size(), 1u);
    EXPECT_EQ(aps[0].bytes, (std::vector<std::uint8_t>{0x02, 0x91, 0x01, 0x92}));
}

TEST_F(CliCommandsTest, CalibrateRunsToOneStopOnlyWithYes) {
    const CliRun refused = cli({"calibrate", "--mode", "standard"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("!!! Caution !!!"), std::string::npos);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"calibrate", "--yes"},
             {"calibrate", "--mode", "fast", "--yes"},
             {"calibrate", "--mode", "none", "--temperature", "41", "--yes"},
             {"calibrate", "--mode", "none", "--temperature", "2x", "--yes"}}) {
        EXPECT_EQ(cli(args).exitCode, 1) << args[1];
    }
    EXPECT_TRUE(heard("SCS").empty());

    const CliRun run = cli({"calibrate", "--mode", "extended", "--temperature", "25", "--yes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    EXPECT_EQ(result.at({"calibration", "progress"}).number, 15);
    EXPECT_TRUE(result.at({"calibration", "complete"}).boolean);
    EXPECT_NE(run.err.find("calibration progress 15/15"), std::string::npos) << run.err;
    const auto scs = heard("SCS");
    ASSERT_EQ(scs.size(), 1u);
    EXPECT_EQ(scs[0].bytes[2], 2);
    const auto cts = heard("CTS");
    ASSERT_EQ(cts.size(), 1u);
    EXPECT_EQ(cts[0].bytes[2], 25);
    EXPECT_EQ(heard("TCS").size(), 1u);
    EXPECT_GE(heard("CRR").size(), 15u);
}

TEST_F(CliCommandsTest, CalibrateKeepsTheControllersTemperatureWithoutOne) {
    const CliRun run = cli({"calibrate", "--mode", "none", "--yes"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(heard("CTR").size() >= 1u, true);
    const auto cts = heard("CTS");
    ASSERT_EQ(cts.size(), 1u);
    EXPECT_EQ(cts[0].bytes[2], reg("CTR"));
    EXPECT_EQ(heard("SCS")[0].bytes[2], 0);
}

TEST_F(CliCommandsTest, ResetCounterOnlyWithYesAndAKnownCounter) {
    EXPECT_EQ(cli({"reset-counter", "calibration"}).exitCode, 1);
    EXPECT_EQ(cli({"reset-counter", "hours", "--yes"}).exitCode, 1);
    for (const char* which : {"calibration", "operation"}) {
        const CliRun run = cli({"reset-counter", which, "--yes"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(json(run).at({"counterReset"}).text, which);
    }
}

TEST_F(CliCommandsTest, StepRecordingGoesToProjectAndCsv) {
    const std::string project = work_.file("step.KVT");
    const std::string csv = work_.file("step.csv");
    const CliRun run =
        cli({"record", "-o", project, "--csv", csv, "--mode", "step", "--time", "4"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    EXPECT_EQ(result.at({"recording", "samples"}).number, 1000);
    EXPECT_FLOAT_EQ(static_cast<float>(result.at({"recording", "period"}).number), 0.004f);
    EXPECT_FALSE(result.at({"recording", "stopped"}).boolean);
    EXPECT_EQ(result.at({"csv"}).text, csv);
    const auto ats = heard("ATS");
    ASSERT_EQ(ats.size(), 1u);
    EXPECT_EQ(ats[0].bytes[2], 4);
    EXPECT_EQ(heard("SAS").size(), 1u);

    const std::string text = readWholeFile(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1001);
    EXPECT_EQ(text.rfind("Time [s],", 0), 0u);
    // Row 300 holds record 300 of the stream: analog 1 is its ramp, k mod 256 = 44.
    std::size_t line = 0;
    for (int i = 0; i < 301; ++i) {
        line = text.find("\r\n", line) + 2;
    }
    const std::string row = text.substr(line, text.find("\r\n", line) - line);
    const std::string expected =
        format("1.200,%.3f,", static_cast<double>(devsim::analog1At(300) * (100.0 / 255.0)));
    EXPECT_EQ(row.substr(0, expected.size()), expected) << row;

    // The project holds the recording; export writes the same file again.
    const std::string again = work_.file("again.csv");
    const CliRun exported = cli({"export", project, "--csv", again});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(readWholeFile(again), text);
    EXPECT_EQ(json(cli({"show", project})).at({"recording", "samples"}).number, 1000);
}

TEST_F(CliCommandsTest, TriggerRecordingEndsAfterTheTrigger) {
    const std::string csv = work_.file("trigger.csv");
    const CliRun run = cli({"record", "--mode", "trigger", "--time", "4", "--sample-ms", "10",
                            "--trigger", "a1", "--level", "50", "--slope", "rising", "--csv", csv});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const JsonNode result = json(run);
    EXPECT_EQ(result.at({"recording", "samples"}).number, 400);
    EXPECT_FALSE(result.at({"recording", "stopped"}).boolean);
    const auto prs = heard("PRS");
    ASSERT_EQ(prs.size(), 1u);
    EXPECT_EQ(prs[0].bytes[2], 10);
    // The engine stopped the controller itself after the trigger.
    EXPECT_EQ(heard("PAS").size(), 1u);
    EXPECT_TRUE(sim_->waitFor(
        "count", [](const std::string& r) { return r.find("streaming=no") != std::string::npos; }));
    const std::string text = readWholeFile(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 401);
}

TEST_F(CliCommandsTest, StopEndsAStreamThatWasLeftRunning) {
    // A roll recording whose program was killed leaves the controller streaming until PAS.
    {
        CliProcess recorder({"--port", sim_->terminalPath(), "--workdir", work_.path(), "record",
                             "--mode", "trigger", "--sample-ms", "10"},
                            env_, work_.path());
        ASSERT_TRUE(sim_->waitFor("count", [](const std::string& r) {
            return r.find("streaming=yes") != std::string::npos;
        }));
        recorder.signal(SIGKILL);
        recorder.wait(std::chrono::seconds(5));
    }
    ASSERT_NE(sim_->command("count").find("streaming=yes"), std::string::npos);
    const CliRun run = cli({"stop"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(json(run).at({"stopped"}).boolean);
    EXPECT_TRUE(sim_->waitFor(
        "count", [](const std::string& r) { return r.find("streaming=no") != std::string::npos; }));
}

TEST_F(CliCommandsTest, LogWritesTheTraceInTheWorkingDirectory) {
    ASSERT_EQ(cli({"--log", "info"}).exitCode, 0);
    const std::string trace = readWholeFile(work_.file("debug.txt"));
    EXPECT_NE(trace.find("'Release 0.05' DEBUG-File"), std::string::npos);
    EXPECT_NE(trace.find(" Read Device Info "), std::string::npos);
    EXPECT_NE(trace.find(" Close Com Port"), std::string::npos);
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace.substr(trace.size() - 2), "\r\n");
}

TEST_F(CliCommandsTest, ProgressShowsOnATerminalOnly) {
    // Paced at 19200 baud, a matrix read takes long enough to show its progress.
    ASSERT_EQ(sim_->command("paced on"), "ok paced on");
    const std::vector<std::string> args = {"--port", sim_->terminalPath(), "--workdir",
                                           work_.path(), "read-matrix"};
    CliProcess onTerminal(args, env_, work_.path(), true);
    const CliRun shown = onTerminal.wait(std::chrono::seconds(60));
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    // One line rewritten in place, and cleared before the program ends.
    EXPECT_NE(shown.err.find("\rRead Matrix: 0 s\x1b[K"), std::string::npos) << shown.err;
    ASSERT_GE(shown.err.size(), 4u);
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\x1b[K");
    EXPECT_EQ(shown.err.find('\n'), std::string::npos);

    std::vector<std::string> json = args;
    json.push_back("--json");
    CliProcess jsonOnTerminal(json, env_, work_.path(), true);
    const CliRun quiet = jsonOnTerminal.wait(std::chrono::seconds(60));
    ASSERT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    // A pipe gets no progress either.
    EXPECT_EQ(cli({"read-matrix"}, false).err, "");
}

TEST_F(CliCommandsTest, HelpNamesEveryCommand) {
    const CliRun run = runCli({"--help"}, {}, work_.path());
    ASSERT_EQ(run.exitCode, 0);
    for (const char* name :
         {"info", "status", "read-params", "write-params", "diff", "param-set", "read-matrix",
          "write-matrix", "setpoint", "test-function", "auto-adapt", "calibrate", "reset-counter",
          "record", "stop", "show", "export"}) {
        EXPECT_NE(run.out.find(std::string("\n  ") + name), std::string::npos) << name;
    }
    EXPECT_NE(run.out.find("pseudo-terminal"), std::string::npos);
    const CliRun one = runCli({"record", "--help"}, {}, work_.path());
    ASSERT_EQ(one.exitCode, 0);
    EXPECT_NE(one.out.find("--stop-after"), std::string::npos);
    // Help touches no file.
    EXPECT_TRUE(readWholeFile(work_.file("KVT_para.ini")).empty());
}

// The built-in simulated device answers fixed values; every command still runs through the
// port that --simulate opens itself.
class CliSimulateTest : public ::testing::Test {
  protected:
    CliRun cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--simulate", "--json", "--workdir", work_.path()});
        return runCli(args, {}, work_.path());
    }
    ScratchFolder work_;
};

TEST_F(CliSimulateTest, DeviceCommandsRunWithoutASerialPort) {
    const CliRun info = cli({"info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(parseOutput(info.out)->at({"deviceInfo", "firmwareVersion"}).number, 23);
    const CliRun params = cli({"read-params", "-o", work_.file("sim.KVT")});
    ASSERT_EQ(params.exitCode, 0) << params.err;
    // Every parameter read answers 0x40: the gain reads 6.4.
    EXPECT_FLOAT_EQ(
        static_cast<float>(parseOutput(params.out)->at({"parameters", "PROPORTIONAL_GAIN"}).number),
        6.4f);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"status"},
             {"diff", work_.file("sim.KVT")},
             {"read-matrix"},
             {"setpoint", "20"},
             {"setpoint", "off"},
             {"test-function", "--read"},
             {"auto-adapt", "--yes"},
             {"stop"},
             {"record", "--mode", "trigger", "--stop-after", "0.5"}}) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.exitCode, 0) << args[0] << ": " << run.err;
        EXPECT_TRUE(parseOutput(run.out)) << run.out;
    }
    // 0x40 is no code of the digital output mode or the decimal point, so that set is not
    // written back until those two are what a page would let them be.
    const CliRun refused = cli({"write-params", work_.file("sim.KVT")});
    EXPECT_EQ(refused.exitCode, 4) << refused.err;
    EXPECT_NE(refused.err.find("OUTPUT_MODE = 64"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("DP = 64"), std::string::npos) << refused.err;
    constexpr std::size_t kOutputMode = offsetof(ParameterRecord, OUTPUT_MODE);
    constexpr std::size_t kDecimalPoint = offsetof(ParameterRecord, DP);
    ASSERT_TRUE(patchFile(work_.file("sim.KVT"), currentSetField(kOutputMode), 1));
    ASSERT_TRUE(patchFile(work_.file("sim.KVT"), currentSetField(kDecimalPoint), 3));
    // Then it is sent, and the read-back (0x40 again) differs in just those two.
    const CliRun written = cli({"write-params", work_.file("sim.KVT")});
    EXPECT_EQ(written.exitCode, 5) << written.err;
    EXPECT_NE(written.err.find("differs in 2 field(s): OUTPUT_MODE, DP"), std::string::npos)
        << written.err;
    // The simulation holds no parameter set of its own: the switch is sent, but the read-back
    // still reports Custom, and that is said.
    const CliRun factory = cli({"param-set", "factory"});
    EXPECT_EQ(factory.exitCode, 5) << factory.err;
    EXPECT_NE(factory.err.find("Custom"), std::string::npos);
}

}  // namespace
}  // namespace kvt
