// kvtcli end to end when things go wrong: a dead line, no answer at any rate, corrupt replies,
// Ctrl+C, bad arguments, files that cannot be read or written and projects whose values must
// not reach a valve.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/ProjectFile.h"
#include "e2e/CliProcess.h"
#include "support/Devsim.h"

namespace kvt {
namespace {

using namespace std::chrono_literals;
using test::Devsim;
using namespace test::cli_e2e;

constexpr auto kRunTimeout = std::chrono::seconds(60);

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

bool endsWithWholeLine(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

class CliFaultsTest : public ::testing::Test {
  protected:
    void startDevsim(const std::vector<std::string>& args = {}) {
        sim_ = std::make_unique<Devsim>(KVT_DEVSIM_PATH, args);
        ASSERT_TRUE(sim_->started()) << sim_->startError();
    }

    std::vector<std::string> withPort(std::vector<std::string> args) {
        std::vector<std::string> all = {
            "--port", sim_->terminalPath(), "--workdir", work_.path(), "--json", "--log"};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }

    CliRun cli(const std::vector<std::string>& args) {
        return runCli(withPort(args), env_, work_.path(), kRunTimeout);
    }

    std::unique_ptr<CliProcess> startCli(const std::vector<std::string>& args) {
        return std::make_unique<CliProcess>(withPort(args), env_, work_.path());
    }

    std::string trace() { return readFile(work_.file("debug.txt")); }

    // A file error that names what is wrong, and not one request on the line.
    void expectRefused(const std::vector<std::string>& args, const std::string& says,
                       std::initializer_list<std::string_view> json) {
        const std::int64_t before = sim_->counter("requests");
        const CliRun run = cli(args);
        EXPECT_EQ(run.exitCode, 4) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_TRUE(hasJson(run, json));
        EXPECT_EQ(sim_->counter("requests"), before);
    }

    // Waits until the emulator has streamed some records.
    bool streaming() {
        return sim_->waitFor(
            "count", [](const std::string& r) { return Devsim::field(r, "records") >= 20; }, 10s);
    }

    std::unique_ptr<Devsim> sim_;
    TempDir work_;
    std::vector<std::pair<std::string, std::string>> env_ = {
        {"KVT_CLI_LINK_TIMING", "reply=300 pause=50"}};
};

TEST_F(CliFaultsTest, NoAnswerAtAnyRateEndsWithExit3) {
    startDevsim({"--dead"});
    const CliRun run = cli({"info"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("ok":false)", R"("exitCode":3)", R"("error":"Baudrate Error:)"}));
    const std::string t = trace();
    EXPECT_NE(t.find("Baudrate 19200"), std::string::npos);
    EXPECT_NE(t.find("Baudrate 57600"), std::string::npos);
    EXPECT_EQ(t.find(" Read Device Info "), std::string::npos);
}

TEST_F(CliFaultsTest, AMissingPortIsNamed) {
    startDevsim();
    const CliRun run =
        runCli({"--port", work_.file("no-such-tty"), "--workdir", work_.path(), "info"}, env_,
               work_.path(), kRunTimeout);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find(work_.file("no-such-tty") + ": No such file or directory"),
              std::string::npos)
        << run.err;
}

// Root passes the terminal's exclusive mode, so only the lock keeps a second program off a
// line that one already drives. The test holds the lock as the first program would.
TEST_F(CliFaultsTest, ALineHeldByAnotherProgramIsRefusedAndLeftAlone) {
    startDevsim();
    const int holder = ::open(sim_->terminalPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const CliRun refused = cli({"read-params"});
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    EXPECT_NE(refused.err.find(sim_->terminalPath() + " is in use by another program"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(Devsim::field(sim_->command("counters"), "requests"), 0)
        << "nothing reached the line";
    ::close(holder);

    const CliRun after = cli({"read-params"});
    EXPECT_EQ(after.exitCode, 0) << after.err;
}

TEST_F(CliFaultsTest, ADeadLineEndsTheActionAfterFourTimeOuts) {
    startDevsim();
    auto process = startCli({"record", "--mode", "trigger", "--sample-ms", "10"});
    ASSERT_TRUE(streaming());
    ASSERT_EQ(sim_->command("dead"), "ok dead");
    const CliRun run = process->wait(kRunTimeout);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("error":"Communication Error:)"}));
    const std::string t = trace();
    // The stream stops, the action starts again three times after its pause, the fourth
    // time-out ends it.
    EXPECT_EQ(countOf(t, "Retry "), 3u) << t;
    EXPECT_EQ(countOf(t, "'stopped '"), 1u);
    EXPECT_TRUE(endsWithWholeLine(t));
}

TEST_F(CliFaultsTest, CorruptRepliesAreRecoveredByRetries) {
    startDevsim({"--paced"});
    auto process = startCli({"read-matrix"});
    // Once the matrix transfer is under way, the next two data replies come with a bad BCC.
    ASSERT_TRUE(sim_->waitFor(
        "counters", [](const std::string& r) { return Devsim::field(r, "requests") >= 8; }, 10s));
    ASSERT_EQ(sim_->command("bad-bcc 2").rfind("ok", 0), 0u);
    const CliRun run = process->wait(kRunTimeout);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(sim_->counter("corrupted"), 2);
    const std::string t = trace();
    EXPECT_EQ(countOf(t, "STX/BCC Error"), 2u);
    EXPECT_NE(t.find("'Retry 1 '"), std::string::npos);
    EXPECT_NE(t.find("'Retry 2 '"), std::string::npos);
    // The restarted read is complete and right.
    EXPECT_TRUE(hasJson(run, {R"("CAL_MATRIX_PRESENT":1)", "[40,41,42,43,44,45,46,47,48,49]"}));
}

TEST_F(CliFaultsTest, CtrlCStopsARecordingInOrderAndKeepsIt) {
    startDevsim();
    const std::string project = work_.file("rec.KVT");
    const std::string csv = work_.file("rec.csv");
    auto process =
        startCli({"record", "--mode", "trigger", "--sample-ms", "4", "-o", project, "--csv", csv});
    ASSERT_TRUE(streaming());
    process->signal(SIGINT);
    const CliRun run = process->wait(kRunTimeout);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("stopped":true)", R"("samples":2000)"}));
    // The controller got its PAS and stopped streaming; the port is closed.
    EXPECT_TRUE(sim_->waitFor(
        "count", [](const std::string& r) { return r.find("streaming=no") != std::string::npos; }));
    // In the trace: stopped, PAS sent, the action ended, the port closed, in that order.
    const std::string t = trace();
    std::size_t previous = 0;
    for (const char* step : {"' Acquisition stopped'", "' Send PAS Stop Acquisition'",
                             "' Stop Acquisition '", "' Close Com Port'"}) {
        const std::size_t at = t.find(step, previous);
        ASSERT_NE(at, std::string::npos) << step << " after " << previous << ":\n" << t;
        previous = at;
    }
    EXPECT_TRUE(endsWithWholeLine(t));
    EXPECT_EQ(readFile(project).size(), kProjectFileSize);
    const std::string text = readFile(csv);
    EXPECT_EQ(countOf(text, "\r\n"), 2001u);
}

TEST_F(CliFaultsTest, CtrlCAbandonsAnyOtherAction) {
    startDevsim({"--dead"});
    env_ = {{"KVT_CLI_LINK_TIMING", "reply=20000"}};
    auto process = startCli({"info"});
    // Wait until the baud-rate test has sent its request and waits for the reply.
    for (int i = 0; i < 500 && trace().find("'02230023'") == std::string::npos; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_NE(trace().find("'02230023'"), std::string::npos);
    process->signal(SIGINT);
    const CliRun run = process->wait(kRunTimeout);
    // Interrupted, not "no baud rate": it did not wait out the two 20 s time-outs.
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("error":"interrupted")"}));
    const std::string t = trace();
    EXPECT_TRUE(endsWithWholeLine(t));
    EXPECT_GT(t.rfind("' Close Com Port'"), t.find("'02230023'"));
}

TEST_F(CliFaultsTest, BadArgumentsAreUsageErrorsThatTouchNothing) {
    startDevsim();
    const std::vector<std::vector<std::string>> cases = {
        {"frobnicate"},        {"record", "--time", "30"},
        {"setpoint", "fifty"}, {"test-function", "sine", "2"},
        {"auto-adapt"},        {"export", "x.KVT"},
        {"write-params"},
    };
    for (const auto& args : cases) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_NE(run.err.find("(see kvtcli --help)"), std::string::npos) << run.err;
        // One line of reason on stderr (auto-adapt shows its caution before it).
        EXPECT_EQ(run.err.substr(run.err.rfind("kvtcli: ")).find('\n'),
                  run.err.substr(run.err.rfind("kvtcli: ")).size() - 1)
            << run.err;
        EXPECT_TRUE(hasJson(run, {R"("exitCode":1)"}));
    }
    env_ = {{"KVT_CLI_LINK_TIMING", "reply=fast"}};
    EXPECT_EQ(cli({"info"}).exitCode, 1);
    EXPECT_EQ(sim_->counter("requests"), 0);
}

TEST_F(CliFaultsTest, FilesThatCannotBeReadOrWrittenAreFileErrors) {
    startDevsim();
    const std::string fifo = work_.file("pipe.KVT");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = work_.file("folder.KVT");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"show", work_.file("missing.KVT")}, "No such file or directory"},
        {{"show", fifo}, "not a regular file"},
        {{"show", folder}, "not a regular file"},
        {{"write-params", work_.file("missing.KVT")}, "No such file or directory"},
        {{"diff", fifo}, "not a regular file"},
        {{"read-params", "-o", work_.file("notes.txt")}, "a project file name ends in .KVT"},
        {{"read-params", "-o", fifo}, "not a regular file"},
        {{"read-params", "-o", work_.file("no-folder/x.KVT")}, "No such file or directory"},
        {{"record", "--csv", work_.file("no-folder/x.csv")}, "No such file or directory"},
        {{"read-matrix", "-o", folder}, "not a regular file"},
        {{"export", fifo, "--csv", work_.file("out.csv")}, "not a regular file"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.exitCode, 4) << c.args[0] << " " << c.args[1] << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(countOf(run.err, "\n"), 1u) << "one line: " << run.err;
        EXPECT_TRUE(hasJson(run, {R"("exitCode":4)"}));
    }
    const CliRun noFolder =
        runCli({"--port", sim_->terminalPath(), "--workdir", work_.file("no-folder"), "info"}, env_,
               work_.path(), kRunTimeout);
    EXPECT_EQ(noFolder.exitCode, 4);
    EXPECT_NE(noFolder.err.find("not a folder"), std::string::npos) << noFolder.err;
    // Every file was refused before the controller was asked anything.
    EXPECT_EQ(sim_->counter("requests"), 0);

    // A result that cannot be written at the end is a file error too, and the old file stays.
    const std::string project = work_.file("p.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    const CliRun exported = cli({"export", project, "--csv", work_.file("no-folder/out.csv")});
    EXPECT_EQ(exported.exitCode, 4);
    EXPECT_NE(exported.err.find("cannot write"), std::string::npos) << exported.err;
}

// A file of the project's size whose every byte is chance: a foreign or damaged file.
std::string randomBytes(std::size_t size) {
    std::mt19937 generator(20240611);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

std::size_t calibrationWord(std::size_t offset) {
    return kProjectBlocks[4].offset + offset;
}

std::size_t matrixWriteWord(int array, int row, int value) {
    return calibrationWord(
        offsetof(CalibrationRecord, CAL_MATRIX_WRITE) +
        sizeof(std::int32_t) *
            static_cast<std::size_t>((array * kCalRows + row) * kCalRowWords + value));
}

std::size_t parameterWord(std::size_t offset) {
    return kProjectBlocks[2].offset + offset;
}

TEST_F(CliFaultsTest, DamagedProjectsSendNothing) {
    startDevsim();
    struct Damage {
        std::string name;
        std::string bytes;
        std::string says;
    };
    const std::vector<Damage> files = {
        {"empty.KVT", "", "not a complete project file: 0 bytes"},
        {"cut.KVT", std::string(1000, '\x41'), "not a complete project file: 1000 bytes"},
        {"random.KVT", randomBytes(kProjectFileSize), "out of range; nothing was sent"},
    };
    for (const Damage& file : files) {
        ASSERT_TRUE(writeFile(work_.file(file.name), file.bytes));
        for (const char* command : {"write-params", "write-matrix"}) {
            const CliRun run = cli({command, work_.file(file.name)});
            EXPECT_EQ(run.exitCode, 4) << command << " " << file.name << ": " << run.err;
            EXPECT_NE(run.err.find(file.says), std::string::npos)
                << command << " " << file.name << ": " << run.err;
            EXPECT_TRUE(hasJson(run, {R"("ok":false)", R"("exitCode":4)"}));
        }
    }
    // Not one request reached the controller, not even the baud-rate test.
    EXPECT_EQ(sim_->counter("requests"), 0);
}

TEST_F(CliFaultsTest, AParameterSetOutsideItsPagesIsNamedFieldByField) {
    startDevsim();
    const std::string project = work_.file("edited.KVT");
    ASSERT_EQ(cli({"read-params", "-o", project}).exitCode, 0);
    ASSERT_TRUE(
        patchFile(project, parameterWord(offsetof(ParameterRecord, PROPORTIONAL_GAIN)), 25.5f));
    ASSERT_TRUE(
        patchFile(project, parameterWord(offsetof(ParameterRecord, SETPOINT_SELECTION)), 6));
    ASSERT_TRUE(patchFile(project, parameterWord(offsetof(ParameterRecord, DP)), 2));
    // The autosafe fields have no page and are not checked.
    ASSERT_TRUE(
        patchFile(project, parameterWord(offsetof(ParameterRecord, OVERTEMPERATURE_LIMIT)), 300));
    expectRefused({"write-params", project},
                  "3 value(s) out of range; nothing was sent\n"
                  "  PROPORTIONAL_GAIN = 25.5 (allowed: 0.1..20)\n"
                  "  SETPOINT_SELECTION = 6 (allowed: 0..5)\n"
                  "  DP = 2 (allowed: 0, 1, 3)\n",
                  {R"("written":false)",
                   R"("outOfRange":[{"field":"PROPORTIONAL_GAIN","value":25.5,)"
                   R"("allowed":"0.1..20"},{"field":"SETPOINT_SELECTION","value":6,)"
                   R"("allowed":"0..5"},{"field":"DP","value":2,"allowed":"0, 1, 3"}])"});
}

TEST_F(CliFaultsTest, ACalibrationOutsideTheDialogsRangesIsNamedValueByValue) {
    startDevsim();
    const std::string project = work_.file("cal.KVT");
    ASSERT_EQ(cli({"read-matrix", "-o", project}).exitCode, 0);
    ASSERT_TRUE(patchFile(project, matrixWriteWord(6, 9, 4), 256));
    // Row 5 of array 0 never travels, so what it holds does not matter.
    ASSERT_TRUE(patchFile(project, matrixWriteWord(0, 5, 0), 9999));
    ASSERT_TRUE(
        patchFile(project, calibrationWord(offsetof(CalibrationRecord, CAL_SPAN_WRITE)), 4096));
    ASSERT_TRUE(
        patchFile(project, calibrationWord(offsetof(CalibrationRecord, CAL_TEMP_WRITE)), 41));
    expectRefused(
        {"write-matrix", project},
        "3 value(s) out of range; nothing was sent\n"
        "  CAL_MATRIX_WRITE[6][9][4] = 256 (allowed: 0..255)\n"
        "  CAL_SPAN_WRITE = 4096 (allowed: 0..4095)\n"
        "  CAL_TEMP_WRITE = 41 (allowed: 0..40)\n",
        {R"("outOfRange":[{"field":"CAL_MATRIX_WRITE[6][9][4]","value":256,"allowed":"0..255"},)"
         R"({"field":"CAL_SPAN_WRITE","value":4096,"allowed":"0..4095"},)"
         R"({"field":"CAL_TEMP_WRITE","value":41,"allowed":"0..40"}])"});
}

}  // namespace
}  // namespace kvt
