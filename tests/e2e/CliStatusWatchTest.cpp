// kvtcli status --watch against the emulator: a line per change, Ctrl+C ends it well, a dead
// line ends it as a communication error. Timing is judged by counted requests, not by the clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "e2e/CliProcess.h"
#include "support/Devsim.h"

namespace kvt {
namespace {

using namespace std::chrono_literals;
using test::Devsim;
using namespace test::cli_e2e;

constexpr auto kRunTimeout = std::chrono::seconds(60);

class CliStatusWatchTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim_.started()) << sim_.startError(); }

    std::unique_ptr<CliProcess> startWatch(bool json) {
        std::vector<std::string> args = {"--port", sim_.terminalPath(), "--workdir", work_.str()};
        if (json) {
            args.push_back("--json");
        }
        args.insert(args.end(), {"status", "--watch"});
        return std::make_unique<CliProcess>(args, env_, work_.str());
    }

    // Status reads the emulator has answered so far.
    int statusReads() { return static_cast<int>(sim_.received("STR").size()); }
    bool waitForReads(int count) {
        for (int i = 0; i < 3000 && statusReads() < count; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return statusReads() >= count;
    }

    Devsim sim_{KVT_DEVSIM_PATH};
    test::TempDir work_;
    std::vector<std::pair<std::string, std::string>> env_ = {
        {"KVT_CLI_LINK_TIMING", "reply=300 pause=50"}};
};

TEST_F(CliStatusWatchTest, PrintsTheFirstReadingThenEachChangeUntilCtrlC) {
    auto watch = startWatch(false);
    // The second status request means the first reading (status, then LEDs) is complete.
    ASSERT_TRUE(waitForReads(2));
    ASSERT_EQ(sim_.command("set status 0x30").rfind("ok", 0), 0u);
    ASSERT_EQ(sim_.command("set leds 0x0D").rfind("ok", 0), 0u);
    // The read after the change, and one more that changes nothing.
    const int changedAt = statusReads();
    ASSERT_TRUE(waitForReads(changedAt + 2));
    watch->signal(SIGINT);
    const CliRun run = watch->wait(kRunTimeout);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos;
         at = end + 1) {
        lines.push_back(run.out.substr(at, end - at));
    }
    ASSERT_GE(lines.size(), 14u) << run.out;
    // "HH:MM:SS text": eleven lines of the first reading, then one per change.
    EXPECT_EQ(lines[2].substr(8), " Overtemperature NO");
    EXPECT_EQ(lines[9].substr(8), " GREEN lit");
    // The two changes may fall into one reading or two.
    std::vector<std::string> changes = {lines[11].substr(8), lines[12].substr(8)};
    std::sort(changes.begin(), changes.end());
    EXPECT_EQ(changes, (std::vector<std::string>{" Overtemperature YES", " YELLOW blinking"}));
    EXPECT_EQ(lines[13], "status:") << "then the last reading as the plain command shows it";
    EXPECT_GE(statusReads(), changedAt + 2) << "it kept reading while nothing changed";
}

TEST_F(CliStatusWatchTest, ADeadLineEndsItAsACommunicationError) {
    auto watch = startWatch(true);
    ASSERT_TRUE(waitForReads(2));
    ASSERT_EQ(sim_.command("dead").rfind("ok", 0), 0u);
    const CliRun run = watch->wait(kRunTimeout);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.out.find("{\"time\":"), std::string::npos) << "one object per change";
    EXPECT_NE(run.out.find("\"text\":\"GREEN lit\"}"), std::string::npos);
    EXPECT_NE(run.out.find("\"exitCode\":2"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace kvt
