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
using namespace test::cli_e2e;
using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;
constexpr auto npos = std::string::npos;

// Where a field of the project's current parameter set lies in the file.
std::size_t currentSetField(std::size_t fieldOffset) {
    return kProjectBlocks[2].offset + fieldOffset;
}

class CliCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.started()) << sim_.startError();
        ASSERT_FALSE(work_.path().empty());
    }

    // kvtcli against the emulator, in the scratch folder as working directory.
    CliRun cli(std::vector<std::string> args, bool json = true) {
        std::vector<std::string> all = {"--port", sim_.terminalPath(), "--workdir", work_.path()};
        if (json) {
            all.push_back("--json");
        }
        all.insert(all.end(), args.begin(), args.end());
        return runCli(all, env_, work_.path());
    }

    // The requests of one mnemonic the emulator heard, in order.
    Frames heard(const std::string& mnemonic) { return sim_.received(mnemonic); }

    // The value the emulator holds in a one-byte register ("ok KPR 0x02 23").
    int reg(const std::string& name) {
        const std::string reply = sim_.command("reg " + name);
        return std::stoi(reply.substr(reply.rfind(' ') + 1));
    }

    // A project read from the emulator, with a field of its current set patched.
    template <typename T>
    std::string projectWith(const char* name, std::size_t fieldOffset, T value) {
        const std::string project = work_.file(name);
        EXPECT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
        EXPECT_TRUE(patchFile(project, currentSetField(fieldOffset), value));
        return project;
    }

    Devsim sim_{KVT_DEVSIM_PATH};
    TempDir work_;
    // Short time-outs only matter when something fails; they keep a failing test quick.
    std::vector<std::pair<std::string, std::string>> env_ = {
        {"KVT_CLI_LINK_TIMING", "reply=2000 pause=100"}};
};

TEST_F(CliCommandsTest, InfoAndStatusDecodeTheDevice) {
    sim_.command("set serial 4711");
    sim_.command("set status 0x81");
    sim_.command("set leds 0x39");
    // The unit tests decode every field; here the device's values reach the JSON and the text.
    const CliRun info = cli({"info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(hasJson(
        info, {R"("command":"info")", R"("ok":true)", R"("exitCode":0)", R"("serialNumber":4711)",
               R"("partNumber":"DEMO-DN50-PN16-24V  ")", R"("operationMinutes":98765)"}));
    EXPECT_EQ(heard("DIR").size(), 1u);
    EXPECT_EQ(heard("AXR").size(), 1u);

    const CliRun text = cli({"info"}, false);
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("deviceInfo:\n  "), npos) << text.out;
    EXPECT_NE(text.out.find("  serialNumber: 4711\n"), npos) << text.out;
    EXPECT_NE(text.out.find("  operationMinutes: 98765 (68 d 14 h 05 min)\n"), npos);
    EXPECT_EQ(text.err, "");

    EXPECT_TRUE(hasJson(cli({"status"}), {R"("overvoltage":2)", R"("ledRed":3)"}));
}

TEST_F(CliCommandsTest, ReadParamsStoresTheSetAsTheProjectsCurrentSet) {
    sim_.command("reg KPR 23");
    sim_.command("reg SPR 60");
    const std::string project = work_.file("valve.KVT");
    const CliRun run = cli({"read-params", "-o", project});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("PROPORTIONAL_GAIN":2.3)", R"("SETPOINT_SPAN":60)",
                              R"("project":")" + project + "\""}));
    EXPECT_EQ(heard("KPR").size(), 1u);
    EXPECT_EQ(heard("SHR").size(), 1u);

    ASSERT_EQ(readFile(project).size(), kProjectFileSize);
    // The window's start-up files are in the working directory.
    EXPECT_FALSE(readFile(work_.file("KVT_para.ini")).empty());
    EXPECT_NE(readFile(work_.file("KVT_com.ini")).find("PORT=COM1"), npos);
    EXPECT_TRUE(
        hasJson(cli({"show", project}),
                {R"("PROPORTIONAL_GAIN":2.3)", R"("SETPOINT_SPAN":60)", R"("fileName":"valve.KVT")",
                 R"("fullPath":")" + project + "\"", R"("acqTime":8)"}));

    // A second read into the same project keeps its other blocks (here 15 s of scope settings).
    ASSERT_TRUE(patchFile(project, kProjectBlocks[3].offset + offsetof(ScopeSettings, acqTime),
                          std::int32_t{15}));
    sim_.command("reg KPR 40");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    EXPECT_TRUE(hasJson(cli({"show", project}), {R"("acqTime":15)", R"("PROPORTIONAL_GAIN":4)"}));
}

TEST_F(CliCommandsTest, WriteParamsSendsTheProjectAndReadsItBack) {
    const std::string project =
        projectWith("golden.KVT", offsetof(ParameterRecord, PROPORTIONAL_GAIN), 4.5f);
    ASSERT_TRUE(patchFile(project, currentSetField(offsetof(ParameterRecord, SETPOINT_SPAN)), 75));
    const CliRun run = cli({"write-params", project});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("written":true)", R"("differences":[])"}));
    EXPECT_EQ(reg("KPR"), 45);
    EXPECT_EQ(reg("SPR"), 75);
    EXPECT_EQ(heard("KPS"), (Frames{{0x02, 0x01, 45, 46}}));
    // Write, then the read-back.
    EXPECT_EQ(heard("SHS").size(), 1u);
    EXPECT_EQ(heard("KPR").size(), 2u);
}

TEST_F(CliCommandsTest, WriteParamsReportsWhatTheControllerDoesNotHoldAndSparesAFactorySet) {
    // The temperature limit has no page that would keep it in range; 300 goes out as 44.
    const std::string odd =
        projectWith("odd.KVT", offsetof(ParameterRecord, OVERTEMPERATURE_LIMIT), 300);
    const CliRun run = cli({"write-params", odd});
    EXPECT_EQ(run.exitCode, 5) << run.err;
    EXPECT_TRUE(hasJson(
        run, {R"("ok":false)",
              R"("differences":[{"field":"OVERTEMPERATURE_LIMIT","project":300,"device":44}])"}));
    EXPECT_NE(run.err.find("OVERTEMPERATURE_LIMIT"), npos);

    const std::string factory =
        projectWith("factory.KVT", offsetof(ParameterRecord, PARAMETER_SET), 1);
    const std::int64_t before = sim_.counter("requests");
    const CliRun refused = cli({"write-params", factory});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Factory"), npos) << refused.err;
    EXPECT_EQ(sim_.counter("requests"), before);
}

TEST_F(CliCommandsTest, DiffListsWhereTheControllerDiffers) {
    const std::string project = work_.file("ref.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    const CliRun same = cli({"diff", project});
    ASSERT_EQ(same.exitCode, 0) << same.err;
    EXPECT_TRUE(hasJson(same, {R"("identical":true)"}));

    sim_.command("reg KPR 50");
    sim_.command("reg TDR 7");
    const CliRun changed = cli({"diff", project});
    EXPECT_EQ(changed.exitCode, 5);
    EXPECT_TRUE(
        hasJson(changed, {R"("identical":false)",
                          R"("differences":[{"field":"PROPORTIONAL_GAIN","project":1,"device":5},)"
                          R"({"field":"DERIVATION_TIME","project":0,"device":7}])"}));
    EXPECT_TRUE(heard("KPS").empty()) << "diff only reads";
    EXPECT_NE(cli({"diff", project}, false)
                  .out.find("  field: PROPORTIONAL_GAIN, project: 1, device: 5\n"),
              npos);
}

TEST_F(CliCommandsTest, ParamSetSwitchesAndReadsBack) {
    const CliRun factory = cli({"param-set", "factory"});
    ASSERT_EQ(factory.exitCode, 0) << factory.err;
    EXPECT_TRUE(hasJson(factory, {R"("PARAMETER_SET":1)"}));
    EXPECT_EQ(reg("CAR") & 0x40, 0);
    const Frames cas = heard("CAS");
    ASSERT_EQ(cas.size(), 1u);
    EXPECT_EQ(cas[0][2] & 0x40, 0);

    const CliRun custom = cli({"param-set", "custom"});
    ASSERT_EQ(custom.exitCode, 0) << custom.err;
    EXPECT_TRUE(hasJson(custom, {R"("PARAMETER_SET":0)"}));
    EXPECT_EQ(reg("CAR") & 0x40, 0x40);
    EXPECT_EQ(cli({"param-set", "both"}).exitCode, 1);
}

TEST_F(CliCommandsTest, MatrixIsReadStoredAndWrittenBack) {
    const std::string project = work_.file("cal.KVT");
    const CliRun read = cli({"read-matrix", "-o", project});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    // Until written, every byte of the emulator's matrix holds its own address: the rows at 0x0A,
    // 0x28 (array 6, row 0) and 0x8C + 10 * 9 (array 7, row 9).
    EXPECT_TRUE(hasJson(
        read, {R"("CAL_MATRIX_PRESENT":1)", "[10,11,12,13,14,15,16,17,18,19]",
               "[40,41,42,43,44,45,46,47,48,49]", "[230,231,232,233,234,235,236,237,238,239]]]"}));
    EXPECT_EQ(heard("WAR").size(), 26u);
    EXPECT_EQ(heard("CTR").size(), 1u);

    // The controller loses a row; the backup puts it back.
    sim_.command("mem 40 0 0 0 0 0 0 0 0 0 0");
    const CliRun written = cli({"write-matrix", project});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(sim_.command("mem 40"), "ok mem 40 28 29 2A 2B 2C 2D 2E 2F 30 31");
    EXPECT_EQ(heard("WAS").size(), 26u);
    EXPECT_EQ(heard("CTS").size(), 1u);
    EXPECT_TRUE(hasJson(written, {R"("CAL_MATRIX_WRITE":[[[)"}));

    // A project without a complete matrix is refused before anything is sent.
    const std::string none = work_.file("nomatrix.KVT");
    ASSERT_EQ(cli({"read-params", "-o", none}).exitCode, 0);
    const std::int64_t before = sim_.counter("requests");
    const CliRun refused = cli({"write-matrix", none});
    EXPECT_EQ(refused.exitCode, 4);
    EXPECT_NE(refused.err.find("no complete calibration matrix"), npos) << refused.err;
    EXPECT_EQ(sim_.counter("requests"), before);
}

TEST_F(CliCommandsTest, SetpointSendsTheValueTheDialogWould) {
    const CliRun serial = cli({"setpoint", "33.3"});
    ASSERT_EQ(serial.exitCode, 0) << serial.err;
    EXPECT_TRUE(hasJson(serial, {R"("serialSetpoint":{"serialSetpoint":33)"}));
    EXPECT_EQ(heard("STS"), (Frames{{0x02, 0x25, 66, 0x25 + 66}}));
    ASSERT_EQ(cli({"setpoint", "50", "--pwm"}).exitCode, 0);
    EXPECT_EQ(heard("PWM"), (Frames{{0x02, 0x7E, 127, 0xFD}}));
    ASSERT_EQ(cli({"setpoint", "off", "--pwm"}).exitCode, 0);
    EXPECT_EQ(heard("TCS"), (Frames{{0x02, 0x51, 0x00, 0x51}}));
    ASSERT_EQ(cli({"setpoint", "off"}).exitCode, 0);
    EXPECT_EQ(heard("RTS").size(), 1u);
    ASSERT_EQ(cli({"setpoint", "150"}).exitCode, 0);
    EXPECT_EQ(heard("STS").back()[2], 200) << "held to 100 %";
}

TEST_F(CliCommandsTest, TestFunctionKeepsTheControllersStructureAndAutoAdaptNeedsYes) {
    sim_.command("reg CCR 3");  // PID controller, no test function, auto zero off
    const CliRun run = cli({"test-function", "step", "2.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(
        run, {R"("testFunctionType":2)", R"("testTime":2.5)", R"("testFunctionTypeRead":2)"}));
    EXPECT_EQ(heard("CCS"), (Frames{{0x02, 0x64, 0xA3, 0x07}}));
    EXPECT_EQ(heard("RSS"), (Frames{{0x02, 0x56, 25, 0x56 + 25}}));
    EXPECT_TRUE(hasJson(cli({"test-function", "--read"}), {R"("testFunctionTypeRead":2)"}));
    EXPECT_EQ(cli({"test-function", "ramp"}).exitCode, 1);
    EXPECT_EQ(cli({"test-function", "step", "2", "--read"}).exitCode, 1);

    const CliRun refused = cli({"auto-adapt"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("!!! Caution !!!"), npos);
    EXPECT_TRUE(heard("APS").empty());
    ASSERT_EQ(cli({"auto-adapt", "--yes"}).exitCode, 0);
    EXPECT_EQ(heard("APS"), (Frames{{0x02, 0x91, 0x01, 0x92}}));
}

TEST_F(CliCommandsTest, CalibrateRunsToOneStopOnlyWithYesAndKeepsTheTemperatureWithoutOne) {
    const CliRun refused = cli({"calibrate", "--mode", "standard"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("!!! Caution !!!"), npos);
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
    EXPECT_TRUE(hasJson(run, {R"("progress":15)", R"("complete":true)"}));
    EXPECT_NE(run.err.find("calibration progress 15/15"), npos) << run.err;
    const auto scs = heard("SCS");
    ASSERT_EQ(scs.size(), 1u);
    EXPECT_EQ(scs[0][2], 2);
    const auto cts = heard("CTS");
    ASSERT_EQ(cts.size(), 1u);
    EXPECT_EQ(cts[0][2], 25);
    EXPECT_EQ(heard("TCS").size(), 1u);
    EXPECT_GE(heard("CRR").size(), 15u);

    // Without a temperature the controller's own is sent back.
    sim_.command("reg CTR 17");
    ASSERT_EQ(cli({"calibrate", "--mode", "none", "--yes"}).exitCode, 0);
    ASSERT_EQ(heard("CTS").size(), 2u);
    EXPECT_EQ(heard("CTS")[1][2], 17);
    EXPECT_EQ(heard("SCS")[1][2], 0);
}

TEST_F(CliCommandsTest, ResetCounterOnlyWithYesAndAKnownCounter) {
    EXPECT_EQ(cli({"reset-counter", "calibration"}).exitCode, 1);
    EXPECT_EQ(cli({"reset-counter", "hours", "--yes"}).exitCode, 1);
    for (const char* which : {"calibration", "operation"}) {
        const CliRun run = cli({"reset-counter", which, "--yes"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string member = std::string(R"("counterReset":")") + which + "\"";
        EXPECT_TRUE(hasJson(run, {member}));
    }
}

TEST_F(CliCommandsTest, StepRecordingGoesToProjectAndCsv) {
    const std::string project = work_.file("step.KVT");
    const std::string csv = work_.file("step.csv");
    const CliRun run =
        cli({"record", "-o", project, "--csv", csv, "--mode", "step", "--time", "4"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("samples":1000)", R"("period":0.004)", R"("stopped":false)",
                              R"("csv":")" + csv + "\""}));
    EXPECT_EQ(heard("ATS"), (Frames{{0x02, 0x21, 4, 0x25}}));
    EXPECT_EQ(heard("SAS").size(), 1u);

    const std::string text = readFile(csv);
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
    EXPECT_EQ(readFile(again), text);
    EXPECT_TRUE(hasJson(cli({"show", project}), {R"("samples":1000)"}));
}

TEST_F(CliCommandsTest, TriggerRecordingEndsAfterTheTrigger) {
    const std::string csv = work_.file("trigger.csv");
    const CliRun run = cli({"record", "--mode", "trigger", "--time", "4", "--sample-ms", "10",
                            "--trigger", "a1", "--level", "50", "--slope", "rising", "--csv", csv});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("samples":400)", R"("stopped":false)"}));
    EXPECT_EQ(heard("PRS"), (Frames{{0x02, 0x27, 10, 0x31}}));
    // The engine stopped the controller itself after the trigger.
    EXPECT_EQ(heard("PAS").size(), 1u);
    EXPECT_TRUE(
        sim_.waitFor("count", [](const std::string& r) { return r.find("streaming=no") != npos; }));
    const std::string text = readFile(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 401);
}

TEST_F(CliCommandsTest, StopEndsAStreamThatWasLeftRunning) {
    // A roll recording whose program was killed leaves the controller streaming until PAS.
    {
        CliProcess recorder({"--port", sim_.terminalPath(), "--workdir", work_.path(), "record",
                             "--mode", "trigger", "--sample-ms", "10"},
                            env_, work_.path());
        ASSERT_TRUE(sim_.waitFor(
            "count", [](const std::string& r) { return r.find("streaming=yes") != npos; }));
        recorder.signal(SIGKILL);
        recorder.wait(std::chrono::seconds(5));
    }
    ASSERT_NE(sim_.command("count").find("streaming=yes"), npos);
    const CliRun run = cli({"stop"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("stopped":true)"}));
    EXPECT_TRUE(
        sim_.waitFor("count", [](const std::string& r) { return r.find("streaming=no") != npos; }));
}

TEST_F(CliCommandsTest, LogWritesTheTraceInTheWorkingDirectory) {
    ASSERT_EQ(cli({"--log", "info"}).exitCode, 0);
    const std::string trace = readFile(work_.file("debug.txt"));
    EXPECT_NE(trace.find("'Release 0.05' DEBUG-File"), npos);
    EXPECT_NE(trace.find(" Read Device Info "), npos);
    EXPECT_NE(trace.find(" Close Com Port"), npos);
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace.substr(trace.size() - 2), "\r\n");
}

TEST_F(CliCommandsTest, ProgressShowsOnATerminalOnly) {
    // Paced at 19200 baud, a matrix read takes long enough to show its progress.
    ASSERT_EQ(sim_.command("paced on"), "ok paced on");
    const std::vector<std::string> args = {"--port", sim_.terminalPath(), "--workdir", work_.path(),
                                           "read-matrix"};
    CliProcess onTerminal(args, env_, work_.path(), true);
    const CliRun shown = onTerminal.wait(std::chrono::seconds(60));
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    // One line rewritten in place, and cleared before the program ends.
    EXPECT_NE(shown.err.find("\rRead Matrix: 0 s\x1b[K"), npos) << shown.err;
    ASSERT_GE(shown.err.size(), 4u);
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\x1b[K");
    EXPECT_EQ(shown.err.find('\n'), npos);

    std::vector<std::string> json = args;
    json.push_back("--json");
    CliProcess jsonOnTerminal(json, env_, work_.path(), true);
    const CliRun quiet = jsonOnTerminal.wait(std::chrono::seconds(60));
    ASSERT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(cli({"read-matrix"}, false).err, "") << "a pipe gets no progress either";
}

TEST_F(CliCommandsTest, HelpNamesEveryCommand) {
    const CliRun run = runCli({"--help"}, {}, work_.path());
    ASSERT_EQ(run.exitCode, 0);
    for (const char* name :
         {"info", "status", "read-params", "write-params", "diff", "param-set", "read-matrix",
          "write-matrix", "setpoint", "test-function", "auto-adapt", "calibrate", "reset-counter",
          "record", "stop", "show", "export"}) {
        EXPECT_NE(run.out.find(std::string("\n  ") + name), npos) << name;
    }
    EXPECT_NE(run.out.find("pseudo-terminal"), npos);
    const CliRun one = runCli({"record", "--help"}, {}, work_.path());
    ASSERT_EQ(one.exitCode, 0);
    EXPECT_NE(one.out.find("--stop-after"), npos);
    EXPECT_TRUE(readFile(work_.file("KVT_para.ini")).empty()) << "help touches no file";
}

// The built-in simulated device answers fixed values; every command still runs through the
// port that --simulate opens itself.
TEST(CliSimulateTest, DeviceCommandsRunWithoutASerialPort) {
    TempDir work;
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--simulate", "--json", "--workdir", work.path()});
        return runCli(args, {}, work.path());
    };
    EXPECT_TRUE(hasJson(cli({"info"}), {R"("firmwareVersion":23)", R"("exitCode":0)"}));
    // Every parameter read answers 0x40: the gain reads 6.4.
    const std::string project = work.file("sim.KVT");
    EXPECT_TRUE(hasJson(cli({"read-params", "-o", project}),
                        {R"("PROPORTIONAL_GAIN":6.4)", R"("exitCode":0)"}));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"status"},
             {"diff", project},
             {"read-matrix"},
             {"setpoint", "20"},
             {"setpoint", "off"},
             {"test-function", "--read"},
             {"auto-adapt", "--yes"},
             {"stop"},
             {"record", "--mode", "trigger", "--stop-after", "0.5"}}) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.exitCode, 0) << args[0] << ": " << run.err;
        EXPECT_TRUE(hasJson(run, {R"("ok":true)"})) << args[0];
    }
    // 0x40 is no code of the digital output mode or the decimal point, so that set is not
    // written back until those two are what a page would let them be.
    const CliRun refused = cli({"write-params", project});
    EXPECT_EQ(refused.exitCode, 4) << refused.err;
    EXPECT_NE(refused.err.find("OUTPUT_MODE = 64"), npos) << refused.err;
    EXPECT_NE(refused.err.find("DP = 64"), npos) << refused.err;
    ASSERT_TRUE(patchFile(project, currentSetField(offsetof(ParameterRecord, OUTPUT_MODE)), 1));
    ASSERT_TRUE(patchFile(project, currentSetField(offsetof(ParameterRecord, DP)), 3));
    // Then it is sent, and the read-back (0x40 again) differs in just those two.
    const CliRun written = cli({"write-params", project});
    EXPECT_EQ(written.exitCode, 5) << written.err;
    EXPECT_NE(written.err.find("differs in 2 field(s): OUTPUT_MODE, DP"), npos) << written.err;
    // The simulation holds no parameter set of its own: the switch is sent, but the read-back
    // still reports Custom, and that is said.
    const CliRun factory = cli({"param-set", "factory"});
    EXPECT_EQ(factory.exitCode, 5) << factory.err;
    EXPECT_NE(factory.err.find("Custom"), npos);
}

}  // namespace
}  // namespace kvt
