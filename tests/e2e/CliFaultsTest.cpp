// kvtcli end to end when things go wrong: a dead line, no answer at any rate, corrupt replies,
// Ctrl+C, bad arguments and files that cannot be read or written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <memory>
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

    std::string trace() { return readWholeFile(work_.file("debug.txt")); }

    // Waits until the emulator has streamed some records.
    bool streaming() {
        return sim_->waitFor(
            "count", [](const std::string& r) { return Devsim::field(r, "records") >= 20; }, 10s);
    }

    std::unique_ptr<Devsim> sim_;
    ScratchFolder work_;
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

TEST_F(CliFaultsTest, AnOldControllerIsRefusedOnce) {
    startDevsim({"--firmware", "2"});
    const CliRun run = cli({"read-params"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "kvtcli: Controller Firmware must be greater 2\n");
    EXPECT_TRUE(hasJson(run, {R"("error":"Controller Firmware must be greater 2")"}));
    // Nothing but the version request reached the controller.
    EXPECT_EQ(sim_->counter("requests"), 1);
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

TEST_F(CliFaultsTest, ARefusedStopIsRetriedUntilTheControllerStops) {
    startDevsim();
    auto process =
        startCli({"record", "--mode", "trigger", "--sample-ms", "10", "--stop-after", "3"});
    ASSERT_TRUE(streaming());
    ASSERT_EQ(sim_->command("nak 2").rfind("ok", 0), 0u);
    const CliRun run = process->wait(kRunTimeout);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(hasJson(run, {R"("stopped":true)"}));
    EXPECT_EQ(sim_->counter("naks"), 2);
    EXPECT_NE(trace().find("'Retry 2 '"), std::string::npos);
    EXPECT_TRUE(sim_->waitFor(
        "count", [](const std::string& r) { return r.find("streaming=no") != std::string::npos; }));
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
    const std::string t = trace();
    const std::size_t stopped = t.find("' Acquisition stopped'");
    const std::size_t pas = t.find("' Send PAS Stop Acquisition'");
    const std::size_t end = t.find("' Stop Acquisition '");
    const std::size_t closed = t.rfind("' Close Com Port'");
    ASSERT_NE(stopped, std::string::npos) << t;
    ASSERT_NE(pas, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    ASSERT_NE(closed, std::string::npos);
    EXPECT_LT(stopped, pas);
    EXPECT_LT(pas, end);
    EXPECT_LT(end, closed);
    EXPECT_TRUE(endsWithWholeLine(t));
    EXPECT_EQ(readWholeFile(project).size(), kProjectFileSize);
    const std::string text = readWholeFile(csv);
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
        {"frobnicate"},
        {"info", "--bogus"},
        {"read-params", "-o"},
        {"record", "--time", "30"},
        {"record", "--trigger", "c1"},
        {"setpoint", "fifty"},
        {"test-function", "sine", "2"},
        {"param-set", "both"},
        {"auto-adapt"},
        {"export", "x.KVT"},
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

}  // namespace
}  // namespace kvt
