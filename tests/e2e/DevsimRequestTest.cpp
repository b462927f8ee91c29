// The emulated controller's replies, request by request, over its pseudo-terminal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/ParameterWireTable.h"
#include "link/Frame.h"
#include "support/Devsim.h"
#include "support/EngineTestSupport.h"

namespace kvt::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kAck{ACK};
const Bytes kNak{NAK};

// One request of one data byte and the reply it must get.
struct Exchange {
    std::uint8_t code;
    std::uint8_t data;
    Bytes reply;
    const char* what;
};

class DevsimRequestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        ASSERT_TRUE(port.isOpen());
    }

    // Sends the requests in order, each once the reply before it came.
    void converse(DevsimPort& line, const std::vector<Exchange>& exchanges) {
        for (const Exchange& e : exchanges) {
            EXPECT_EQ(line.exchange(DevsimPort::request(e.code, e.data), e.reply.size()), e.reply)
                << e.what;
        }
    }
    void converse(const std::vector<Exchange>& exchanges) { converse(port, exchanges); }
    Bytes read1(std::uint8_t code) { return port.exchange(DevsimPort::request(code), 3); }

    Devsim sim{KVT_DEVSIM_PATH};
    DevsimPort port{sim.terminalPath(), 19200};
};

TEST_F(DevsimRequestTest, EveryParameterTheProgramWritesIsReadBackUnchanged) {
    // The pairs of the program's own wire table: the emulator must store what a write sends and
    // return it to the read of the same line.
    auto valueFor = [](std::uint8_t code) { return static_cast<std::uint8_t>(code * 7 + 200); };
    int writes = 0;
    for (const WireLine& line : parameterWireTable()) {
        if (line.writable()) {
            ++writes;
            EXPECT_EQ(
                port.exchange(DevsimPort::request(line.writeCode, valueFor(line.writeCode)), 1),
                kAck)
                << line.writeMnemonic;
        }
    }
    EXPECT_EQ(writes, 40);
    for (const WireLine& line : parameterWireTable()) {
        if (line.writable()) {
            EXPECT_EQ(read1(line.readCode), dataReply({valueFor(line.writeCode)}))
                << line.readMnemonic;
        }
    }
}

TEST_F(DevsimRequestTest, OtherWritesAreAcknowledgedAndReadBackWhereTheyBelong) {
    converse(
        {// 0x54 is CTR (not a write of AZR 0x55) and 0x7e the PWM setpoint (not a write of AVR).
         {0x53, 30, kAck, "CTS"},
         {0x54, 0, dataReply({30}), "CTR"},
         {0x55, 0, dataReply({131}), "AZR unchanged"},
         {0x7e, 127, kAck, "PWM"},
         {0x7f, 0, dataReply({126}), "AVR unchanged"},
         // The DAC values are stored byte by byte, as sent.
         {0x5b, 0xFF, kAck, "OLS"},
         {0x5d, 0x0F, kAck, "OHS"},
         {0x57, 0x34, kAck, "PLS"},
         {0x59, 0xF2, kAck, "PHS"},
         {0x5c, 0, dataReply({0xFF}), "OLR"},
         {0x5e, 0, dataReply({0x0F}), "OHR"},
         {0x58, 0, dataReply({0x34}), "PLR"},
         {0x5a, 0, dataReply({0xF2}), "PHR"},
         // Setpoint, test function and acquisition set-up.
         {0x25, 100, kAck, "STS"},
         {0x26, 0, kAck, "RTS"},
         {0x56, 25, kAck, "RSS"},
         {0x91, 1, kAck, "APS"},
         {0x64, 0xA3, kAck, "CCS"},
         {0x65, 0, dataReply({0xA3}), "CCR"},
         {0x21, 20, kAck, "ATS"},
         {0x22, 0, dataReply({20}), "ATR"},
         {0x2a, 0x55, kAck, "ACS"},
         {0x2b, 0, dataReply({0x55}), "ACR"},
         {0x27, 0, kNak, "PRS: no sample period 0"},
         {0x27, 20, kAck, "PRS"}});
    EXPECT_EQ(sim.counter("naks"), 1);
}

TEST_F(DevsimRequestTest, MatrixRowsAreWrittenAndReadByAddress) {
    const Bytes untouched = dataReply({40, 41, 42, 43, 44, 45, 46, 47, 48, 49});
    const Bytes last = dataReply({0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0, 1, 2, 3});
    converse({{0x73, 0x28, kAck, "ARS array 6 row 0"},
              {0x75, 0, untouched, "memory holds its own addresses"},
              {0x73, 0x8C, kAck, "ARS array 7 row 0"}});
    const Bytes row = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0xF0};
    const Bytes was = DevsimPort::frame(0x74, row);
    ASSERT_EQ(was.size(), 13u);
    EXPECT_EQ(port.exchange(was, 1), kAck);
    converse({{0x73, 0x28, kAck, "back to array 6"},
              {0x75, 0, untouched, "array 6 unchanged"},
              {0x73, 0x8C, kAck, "array 7"},
              {0x75, 0, dataReply(row), "array 7 as written"},
              {0x73, 0xFA, kAck, "the last row, 250..259"},
              {0x75, 0, last, "the last row"},
              {0x73, 0xFB, kNak, "a row that would run past the end"},
              {0x75, 0, last, "the selection stays"}});
    EXPECT_EQ(sim.command("mem 140"), "ok mem 140 09 08 07 06 05 04 03 02 01 F0");
}

TEST_F(DevsimRequestTest, TcsIsAcknowledgedOnlyWhileAPwmSetpointRuns) {
    converse({{0x51, 0, dataReply({0x00}), "TCS with nothing running: calibration status"},
              {0x7e, 127, kAck, "PWM setpoint on"}});
    EXPECT_EQ(sim.command("state").rfind("ok", 0), 0u);
    EXPECT_NE(std::find(sim.lastInfo().begin(), sim.lastInfo().end(),
                        "  serial-setpoint off pwm-setpoint 127"),
              sim.lastInfo().end());
    converse({{0x51, 0, kAck, "TCS switches it off"},
              {0x51, 0, dataReply({0x00}), "the next TCS is a status read again"},
              {0x02, 0, dataReply({10}), "and nothing else came"}});
}

TEST_F(DevsimRequestTest, CalibrationReportsProgressUntilDone) {
    std::vector<Exchange> run = {{0x50, 1, kAck, "SCS mode 1"}};
    for (int step = 1; step < 15; ++step) {
        run.push_back({0x5f, 0, dataReply({static_cast<std::uint8_t>(step << 4 | 1)}), "running"});
    }
    run.push_back({0x5f, 0, dataReply({0xF2}), "step 15: done"});
    run.push_back({0x5f, 0, dataReply({0xF2}), "stays done"});
    run.push_back({0x71, 0, dataReply({0x01, 0x81, 0xCD, 4, 0x23, 0x11, 0x28, 0}), "4 counted"});
    run.push_back({0x50, 0, kAck, "SCS again"});
    run.push_back({0x5f, 0, dataReply({0x11}), "step 1"});
    run.push_back({0x51, 0, dataReply({0x13}), "TCS stops it at step 1"});
    run.push_back({0x5f, 0, dataReply({0x13}), "stopped"});
    converse(run);
}

TEST_F(DevsimRequestTest, StatusLedsAndPartTextFollowControlCommands) {
    EXPECT_EQ(sim.command("set status 0x81"), "ok status 0x81");
    EXPECT_EQ(sim.command("set leds 57"), "ok leds 0x39");
    EXPECT_EQ(sim.command("set part-text AB 12"), "ok part-text AB 12");
    converse({{0x6c, 0, dataReply({0x81}), "STR"},
              {0x6e, 0, dataReply({0x39}), "LER"},
              {0x96, 0, dataReply({'A', 'B', ' ', '1', '2', ' ', ' ', ' ', ' ', ' '}), "AXR"}});
}

TEST_F(DevsimRequestTest, WrongChecksumsAndUnknownRequestsAreRefusedWithoutEffect) {
    port.write({STX, 0x01, 0x05, 0x00});  // KPS with a wrong BCC
    EXPECT_EQ(port.read(1, DevsimPort::kReplyTimeout), kNak);
    port.write({STX, 0x02, 0x00, 0x03});  // KPR: NAK fills the awaited length
    EXPECT_EQ(port.read(3, DevsimPort::kReplyTimeout), (Bytes{NAK, 0, 0}));
    port.write({STX, 0x70, 0x00, 0x71});  // DIR
    EXPECT_EQ(port.read(12, DevsimPort::kReplyTimeout),
              (Bytes{NAK, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Had 0x99 been answered, its reply would come before KPR's.
    port.write(DevsimPort::request(0x99));
    EXPECT_EQ(read1(0x02), dataReply({10}));
    EXPECT_EQ(sim.counter("bad-checksums"), 3);
    EXPECT_EQ(sim.counter("unknown"), 1);
    EXPECT_EQ(sim.counter("requests"), 5);

    bool logged = false;
    for (const DevsimLogLine& line : sim.log()) {
        if (line.direction == "rx" && line.mnemonic == "KPS" && line.note == "wrong BCC, refused") {
            logged = line.bytes == Bytes{STX, 0x01, 0x05, 0x00};
        }
    }
    EXPECT_TRUE(logged);
}

TEST_F(DevsimRequestTest, LogShowsEachRequestAndItsReply) {
    converse({{0x02, 0, dataReply({10}), "KPR"}, {0x01, 23, kAck, "KPS"}});
    sim.command("counters");  // every line before this reply has been written
    std::vector<DevsimLogLine> traffic;
    for (const DevsimLogLine& line : sim.log()) {
        if (line.direction != "--") {
            traffic.push_back(line);
        }
    }
    ASSERT_EQ(traffic.size(), 4u);
    EXPECT_EQ(traffic[0].direction, "rx");
    EXPECT_EQ(traffic[0].mnemonic, "KPR");
    EXPECT_EQ(traffic[0].bytes, (Bytes{0x02, 0x02, 0x00, 0x02}));
    EXPECT_EQ(traffic[1].direction, "tx");
    EXPECT_EQ(traffic[1].bytes, (Bytes{0x02, 0x0A, 0x0A}));
    EXPECT_EQ(traffic[2].mnemonic, "KPS");
    EXPECT_EQ(traffic[3].bytes, kAck);
    EXPECT_LE(traffic[0].seconds, traffic[3].seconds);
}

TEST_F(DevsimRequestTest, StateFileRestoresASavedController) {
    const std::string file = sim.logPath() + ".state";
    EXPECT_EQ(sim.command("reg KPS 55"), "ok KPR 0x02 55");
    EXPECT_EQ(sim.command("mem 40 1 2 3 4 5 6 7 8 9 10"),
              "ok mem 40 01 02 03 04 05 06 07 08 09 0A");
    EXPECT_EQ(sim.command("set serial 999"), "ok serial 999");
    EXPECT_EQ(sim.command("save " + file), "ok saved " + file);

    Devsim restored(KVT_DEVSIM_PATH, {"--state", file});
    ASSERT_TRUE(restored.started()) << restored.startError();
    DevsimPort other(restored.terminalPath(), 19200);
    converse(other, {{0x02, 0, dataReply({55}), "KPR"},
                     {0x73, 40, kAck, "ARS"},
                     {0x75, 0, dataReply({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), "ARR"}});
    EXPECT_EQ(restored.command("get serial"), "ok serial 999");
    std::filesystem::remove(file);
}

TEST_F(DevsimRequestTest, BadControlInputIsRefused) {
    for (const char* line :
         {"set serial abc", "set serial 16777216", "set firmware 256",
          "set part-text 123456789012345678901", "set calibration-date 2024-13-01",
          "reg DIR 1" /* not a one-byte register */, "baud 38400", "mem 251", "drop -1"}) {
        EXPECT_EQ(sim.command(line).rfind("error:", 0), 0u) << line;
    }
    EXPECT_EQ(sim.command("set serial abc").rfind("error: serial:", 0), 0u);
    EXPECT_EQ(sim.command("frobnicate").rfind("error: unknown command", 0), 0u);
    EXPECT_EQ(sim.command(std::string(5000, 'x')).rfind("error: line longer", 0), 0u);
    EXPECT_EQ(sim.command("get serial"), "ok serial 12345");  // nothing changed
    EXPECT_EQ(read1(0x23), dataReply({23}));
}

TEST(DevsimOptionsTest, DeviceFactsComeFromOptions) {
    Devsim sim(KVT_DEVSIM_PATH,
               {"--firmware", "6", "--serial", "4711", "--part-number", "123456", "--part-suffix",
                "2A", "--production-year", "11", "--production-week=07", "--module-temperature",
                "-5", "--calibration-date", "2024-02-29", "--operation-minutes", "1440"});
    ASSERT_TRUE(sim.started()) << sim.startError();
    DevsimPort port(sim.terminalPath(), 19200);
    EXPECT_EQ(port.exchange(DevsimPort::request(0x70), 12),
              dataReply({0x12, 0x34, 0x56, 0x00, 0x2A, 0x00, 0x12, 0x67, 0x11, 0x07}));
    EXPECT_EQ(port.exchange(DevsimPort::request(0x71), 10),
              dataReply({0x00, 0x05, 0xA0, 3, 0x24, 0x02, 0x29, 0}));
    EXPECT_EQ(port.exchange(DevsimPort::request(0x52), 3), dataReply({0x2D}));
    // Firmware 6 has no textual part number: AXR goes unanswered, so the next reply read is VER's.
    port.write(DevsimPort::request(0x96));
    EXPECT_EQ(port.exchange(DevsimPort::request(0x23), 3), dataReply({6}));
    EXPECT_EQ(sim.counter("unknown"), 1);
}

TEST(DevsimOptionsTest, BadOptionsStopTheStartWithStatus2AndHelpWith0) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--firmware", "300"},
                                                 {"--bogus"},
                                                 {"--baud"},
                                                 {"--baud", "38400"},
                                                 {"--state", "/nonexistent/state"}}) {
        Devsim sim(KVT_DEVSIM_PATH, args);
        EXPECT_FALSE(sim.started()) << args.front();
        EXPECT_EQ(sim.stop(), 2) << args.front();
    }
    Devsim help(KVT_DEVSIM_PATH, {"--help"});
    EXPECT_FALSE(help.started());
    EXPECT_NE(help.startError().find("Usage: kvt-devsim"), std::string::npos);
    EXPECT_EQ(help.stop(), 0);
}

TEST(DevsimOptionsTest, LinkFollowsTheTerminal) {
    char folder[] = "/tmp/kvt-devsim-link-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::filesystem::path link = std::filesystem::path(folder) / "ttyVALVE";
    {
        Devsim sim(KVT_DEVSIM_PATH, {"--link", link.string()});
        ASSERT_TRUE(sim.started()) << sim.startError();
        EXPECT_EQ(std::filesystem::read_symlink(link), sim.terminalPath());
        DevsimPort port(link.string(), 19200);
        EXPECT_EQ(port.exchange(DevsimPort::request(0x23), 3), dataReply({23}));

        EXPECT_EQ(sim.command("close"), "ok closed");
        EXPECT_FALSE(std::filesystem::is_symlink(link));
        const std::string reopened = sim.command("reopen");  // announces the new terminal
        EXPECT_EQ(reopened, "ok open " + sim.terminalPath());
        EXPECT_EQ(std::filesystem::read_symlink(link), sim.terminalPath());
        EXPECT_EQ(sim.stop(), 0);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kvt::test
