// The emulated controller's replies, request by request, over its pseudo-terminal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "link/Frame.h"
#include "support/Devsim.h"
#include "support/EngineTestSupport.h"

namespace kvt::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kAck{ACK};
const Bytes kNak{NAK};

class DevsimRequestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        ASSERT_TRUE(port.isOpen());
    }

    Bytes ask(std::uint8_t code, std::uint8_t data, std::size_t replyLength) {
        return port.exchange(DevsimPort::request(code, data), replyLength);
    }
    Bytes read1(std::uint8_t code) { return ask(code, 0, 3); }

    Devsim sim{KVT_DEVSIM_PATH};
    DevsimPort port{sim.terminalPath(), 19200};
};

TEST_F(DevsimRequestTest, ParameterReadsAnswerAFreshControllersValues) {
    EXPECT_EQ(read1(0x02), dataReply({10}));    // KPR: gain 1.0
    EXPECT_EQ(read1(0x04), dataReply({2}));     // TIR: 0.1 s
    EXPECT_EQ(read1(0x0e), dataReply({0}));     // OFR: offset -50
    EXPECT_EQ(read1(0x10), dataReply({50}));    // SPR
    EXPECT_EQ(read1(0x61), dataReply({0x40}));  // CAR: custom set
    EXPECT_EQ(read1(0x77), dataReply({0xE8}));  // DFR, DDR: range 1000
    EXPECT_EQ(read1(0x79), dataReply({0x03}));
}

TEST_F(DevsimRequestTest, EveryParameterWriteIsReadBackUnchanged) {
    // (write code, read code) of every parameter that can be written.
    const std::array<std::pair<std::uint8_t, std::uint8_t>, 40> pairs = {{
        {0x01, 0x02}, {0x03, 0x04}, {0x05, 0x06}, {0x07, 0x08}, {0x32, 0x33}, {0x34, 0x35},
        {0x36, 0x37}, {0x38, 0x39}, {0x3a, 0x3b}, {0x64, 0x65}, {0x11, 0x12}, {0x60, 0x61},
        {0x17, 0x18}, {0x30, 0x31}, {0x0d, 0x0e}, {0x0f, 0x10}, {0x62, 0x63}, {0x09, 0x0a},
        {0x42, 0x43}, {0x66, 0x67}, {0x13, 0x14}, {0x44, 0x45}, {0x6a, 0x6b}, {0x48, 0x49},
        {0x4a, 0x4b}, {0x46, 0x47}, {0x68, 0x69}, {0x40, 0x41}, {0x19, 0x1a}, {0x0b, 0x0c},
        {0x3c, 0x3d}, {0x1b, 0x1c}, {0x2c, 0x2d}, {0x4c, 0x4d}, {0x93, 0x94}, {0x8e, 0x8f},
        {0x76, 0x77}, {0x78, 0x79}, {0x15, 0x16}, {0x3e, 0x3f},
    }};
    auto valueFor = [](std::uint8_t code) { return static_cast<std::uint8_t>(code * 7 + 200); };
    for (const auto& [write, read] : pairs) {
        EXPECT_EQ(ask(write, valueFor(write), 1), kAck) << "write code " << int{write};
    }
    for (const auto& [write, read] : pairs) {
        EXPECT_EQ(read1(read), dataReply({valueFor(write)})) << "read code " << int{read};
    }
}

TEST_F(DevsimRequestTest, ReadOnlyCodesAreNotWrittenByTheirNeighbours) {
    // 0x54 is CTR (not a write of AZR 0x55) and 0x7e the PWM setpoint (not a write of AVR).
    EXPECT_EQ(ask(0x53, 30, 1), kAck);  // CTS
    EXPECT_EQ(read1(0x54), dataReply({30}));
    EXPECT_EQ(read1(0x55), dataReply({131}));
    EXPECT_EQ(ask(0x7e, 127, 1), kAck);
    EXPECT_EQ(read1(0x7f), dataReply({126}));
}

TEST_F(DevsimRequestTest, DacValuesAreStoredByteByByte) {
    EXPECT_EQ(ask(0x5b, 0xFF, 1), kAck);  // OLS
    EXPECT_EQ(ask(0x5d, 0x0F, 1), kAck);  // OHS
    EXPECT_EQ(ask(0x57, 0x34, 1), kAck);  // PLS
    EXPECT_EQ(ask(0x59, 0xF2, 1), kAck);  // PHS: the byte is kept as sent
    EXPECT_EQ(read1(0x5c), dataReply({0xFF}));
    EXPECT_EQ(read1(0x5e), dataReply({0x0F}));
    EXPECT_EQ(read1(0x58), dataReply({0x34}));
    EXPECT_EQ(read1(0x5a), dataReply({0xF2}));
}

TEST_F(DevsimRequestTest, MatrixRowsAreWrittenAndReadByAddress) {
    EXPECT_EQ(ask(0x73, 0x28, 1), kAck);  // ARS array 6 row 0
    // Untouched memory holds its own addresses.
    EXPECT_EQ(ask(0x75, 0, 12), dataReply({40, 41, 42, 43, 44, 45, 46, 47, 48, 49}));

    const Bytes row = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0xF0};
    EXPECT_EQ(ask(0x73, 0x8C, 1), kAck);  // array 7 row 0
    const Bytes was = DevsimPort::frame(0x74, row);
    ASSERT_EQ(was.size(), 13u);
    EXPECT_EQ(port.exchange(was, 1), kAck);

    EXPECT_EQ(ask(0x73, 0x28, 1), kAck);
    EXPECT_EQ(ask(0x75, 0, 12), dataReply({40, 41, 42, 43, 44, 45, 46, 47, 48, 49}));
    EXPECT_EQ(ask(0x73, 0x8C, 1), kAck);
    EXPECT_EQ(ask(0x75, 0, 12), dataReply(row));
    EXPECT_EQ(sim.command("mem 140"), "ok mem 140 09 08 07 06 05 04 03 02 01 F0");
}

TEST_F(DevsimRequestTest, MatrixAddressBeyondTheMemoryIsRefused) {
    EXPECT_EQ(ask(0x73, 0xFA, 1), kAck);  // the last row, 250..259
    EXPECT_EQ(ask(0x75, 0, 12), dataReply({0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0, 1, 2, 3}));
    EXPECT_EQ(ask(0x73, 0xFB, 1), kNak);  // would run past the end
    // The selection stays where it was.
    EXPECT_EQ(ask(0x75, 0, 12), dataReply({0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0, 1, 2, 3}));
}

TEST_F(DevsimRequestTest, DeviceInformationHasSensibleDefaults) {
    EXPECT_EQ(read1(0x23), dataReply({23}));  // VER
    // DIR: part 750112, suffix 0x00B2, serial 12345, produced 23/47.
    EXPECT_EQ(ask(0x70, 0, 12),
              dataReply({0x75, 0x01, 0x12, 0x00, 0xB2, 0x00, 0x30, 0x39, 0x23, 0x47}));
    // OCR: 98765 minutes, 3 calibrations, 2023-11-28, status 0.
    EXPECT_EQ(ask(0x71, 0, 10), dataReply({0x01, 0x81, 0xCD, 3, 0x23, 0x11, 0x28, 0}));
    EXPECT_EQ(read1(0x52), dataReply({81}));    // VTR: 31 C
    EXPECT_EQ(read1(0x54), dataReply({23}));    // CTR
    EXPECT_EQ(read1(0x6c), dataReply({0x10}));  // STR
    EXPECT_EQ(read1(0x6e), dataReply({0x01}));  // LER
    EXPECT_EQ(ask(0x96, 0, 12), dataReply({'D', 'E', 'M', 'O', '-', 'D', 'N', '5', '0', '-'}));
    EXPECT_EQ(ask(0x98, 0, 12), dataReply({'P', 'N', '1', '6', '-', '2', '4', 'V', ' ', ' '}));
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

TEST_F(DevsimRequestTest, StatusAndLedsFollowControlCommands) {
    EXPECT_EQ(sim.command("set status 0x81"), "ok status 0x81");
    EXPECT_EQ(sim.command("set leds 57"), "ok leds 0x39");
    EXPECT_EQ(read1(0x6c), dataReply({0x81}));
    EXPECT_EQ(read1(0x6e), dataReply({0x39}));
    EXPECT_EQ(sim.command("set part-text AB 12"), "ok part-text AB 12");
    EXPECT_EQ(ask(0x96, 0, 12), dataReply({'A', 'B', ' ', '1', '2', ' ', ' ', ' ', ' ', ' '}));
}

TEST_F(DevsimRequestTest, WrongChecksumIsRefusedWithoutEffect) {
    port.write({STX, 0x01, 0x05, 0x00});  // KPS with a wrong BCC
    EXPECT_EQ(port.read(1, DevsimPort::kReplyTimeout), kNak);
    port.write({STX, 0x02, 0x00, 0x03});  // KPR: NAK fills the awaited length
    EXPECT_EQ(port.read(3, DevsimPort::kReplyTimeout), (Bytes{NAK, 0, 0}));
    port.write({STX, 0x70, 0x00, 0x71});  // DIR
    EXPECT_EQ(port.read(12, DevsimPort::kReplyTimeout),
              (Bytes{NAK, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(read1(0x02), dataReply({10}));
    EXPECT_EQ(sim.counter("bad-checksums"), 3);

    bool logged = false;
    for (const DevsimLogLine& line : sim.log()) {
        if (line.direction == "rx" && line.mnemonic == "KPS" && line.note == "wrong BCC, refused") {
            logged = line.bytes == Bytes{STX, 0x01, 0x05, 0x00};
        }
    }
    EXPECT_TRUE(logged);
}

TEST_F(DevsimRequestTest, UnknownRequestGetsNoAnswer) {
    port.write(DevsimPort::request(0x99));
    // Had 0x99 been answered, its reply would come before KPR's.
    EXPECT_EQ(read1(0x02), dataReply({10}));
    EXPECT_EQ(sim.counter("unknown"), 1);
    EXPECT_EQ(sim.counter("requests"), 2);
}

TEST_F(DevsimRequestTest, TcsIsAcknowledgedOnlyWhileAPwmSetpointRuns) {
    EXPECT_EQ(ask(0x51, 0, 3), dataReply({0x00}));  // nothing running: calibration status
    EXPECT_EQ(ask(0x7e, 127, 1), kAck);             // PWM setpoint on
    EXPECT_EQ(sim.command("state").rfind("ok", 0), 0u);
    EXPECT_NE(std::find(sim.lastInfo().begin(), sim.lastInfo().end(),
                        "  serial-setpoint off pwm-setpoint 127"),
              sim.lastInfo().end());
    EXPECT_EQ(ask(0x51, 0, 1), kAck);               // switches it off ...
    EXPECT_EQ(ask(0x51, 0, 3), dataReply({0x00}));  // ... so the next TCS is a status read again
    EXPECT_EQ(read1(0x02), dataReply({10}));        // and nothing else came
}

TEST_F(DevsimRequestTest, CalibrationReportsProgressUntilDone) {
    EXPECT_EQ(ask(0x50, 1, 1), kAck);               // SCS mode 1
    EXPECT_EQ(ask(0x5f, 0, 3), dataReply({0x11}));  // CRR: step 1, running
    for (int step = 2; step < 15; ++step) {
        EXPECT_EQ(ask(0x5f, 0, 3), dataReply({static_cast<std::uint8_t>(step << 4 | 1)}));
    }
    EXPECT_EQ(ask(0x5f, 0, 3), dataReply({0xF2}));  // step 15: done
    EXPECT_EQ(ask(0x5f, 0, 3), dataReply({0xF2}));  // stays done
    EXPECT_EQ(ask(0x71, 0, 10), dataReply({0x01, 0x81, 0xCD, 4, 0x23, 0x11, 0x28, 0}));

    EXPECT_EQ(ask(0x50, 0, 1), kAck);
    EXPECT_EQ(ask(0x5f, 0, 3), dataReply({0x11}));
    EXPECT_EQ(ask(0x51, 0, 3), dataReply({0x13}));  // TCS stops it at step 1
    EXPECT_EQ(ask(0x5f, 0, 3), dataReply({0x13}));
}

TEST_F(DevsimRequestTest, SetpointAndTestFunctionRequestsAreAcknowledged) {
    EXPECT_EQ(ask(0x25, 100, 1), kAck);   // STS
    EXPECT_EQ(ask(0x26, 0, 1), kAck);     // RTS
    EXPECT_EQ(ask(0x56, 25, 1), kAck);    // RSS
    EXPECT_EQ(ask(0x91, 1, 1), kAck);     // APS
    EXPECT_EQ(ask(0x64, 0xA3, 1), kAck);  // CCS
    EXPECT_EQ(read1(0x65), dataReply({0xA3}));
    EXPECT_EQ(ask(0x21, 20, 1), kAck);  // ATS -> ATR
    EXPECT_EQ(read1(0x22), dataReply({20}));
    EXPECT_EQ(ask(0x2a, 0x55, 1), kAck);  // ACS -> ACR
    EXPECT_EQ(read1(0x2b), dataReply({0x55}));
}

TEST_F(DevsimRequestTest, SamplePeriodZeroIsRefused) {
    EXPECT_EQ(ask(0x27, 0, 1), kNak);
    EXPECT_EQ(ask(0x27, 20, 1), kAck);
    EXPECT_EQ(sim.counter("naks"), 1);
}

TEST_F(DevsimRequestTest, LogShowsEachRequestAndItsReply) {
    EXPECT_EQ(read1(0x02), dataReply({10}));
    EXPECT_EQ(ask(0x01, 23, 1), kAck);
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
    EXPECT_EQ(other.exchange(DevsimPort::request(0x02), 3), dataReply({55}));
    EXPECT_EQ(other.exchange(DevsimPort::request(0x73, 40), 1), kAck);
    EXPECT_EQ(other.exchange(DevsimPort::request(0x75), 12),
              dataReply({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(restored.command("get serial"), "ok serial 999");
    std::filesystem::remove(file);
}

TEST_F(DevsimRequestTest, BadControlInputIsRefused) {
    EXPECT_EQ(sim.command("set serial abc").rfind("error: serial:", 0), 0u);
    EXPECT_EQ(sim.command("set serial 16777216").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("set firmware 256").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("set part-text 123456789012345678901").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("set calibration-date 2024-13-01").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("reg DIR 1").rfind("error:", 0), 0u);  // not a one-byte register
    EXPECT_EQ(sim.command("baud 38400").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("mem 251").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("drop -1").rfind("error:", 0), 0u);
    EXPECT_EQ(sim.command("frobnicate").rfind("error: unknown command", 0), 0u);
    EXPECT_EQ(sim.command(std::string(5000, 'x')).rfind("error: line longer", 0), 0u);
    EXPECT_EQ(sim.command("get serial"), "ok serial 12345");  // nothing changed
    EXPECT_EQ(read1(0x23), dataReply({23}));
}

TEST(DevsimOptionsTest, BadOptionsStopTheStartWithStatus2) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--firmware", "300"},
                                                 {"--bogus"},
                                                 {"--baud"},
                                                 {"--baud", "38400"},
                                                 {"--state", "/nonexistent/state"}}) {
        Devsim sim(KVT_DEVSIM_PATH, args);
        EXPECT_FALSE(sim.started()) << args.front();
        EXPECT_EQ(sim.stop(), 2) << args.front();
    }
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
        const std::string reopened = sim.command("reopen");
        EXPECT_EQ(reopened, "ok open " + sim.terminalPath());
        EXPECT_EQ(std::filesystem::read_symlink(link), sim.terminalPath());
        EXPECT_EQ(sim.stop(), 0);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    std::filesystem::remove_all(folder);
}

TEST(DevsimOptionsTest, HelpDescribesOptionsAndCommands) {
    Devsim sim(KVT_DEVSIM_PATH, {"--help"});
    EXPECT_FALSE(sim.started());
    EXPECT_NE(sim.startError().find("Usage: kvt-devsim"), std::string::npos);
    EXPECT_EQ(sim.stop(), 0);
}

}  // namespace
}  // namespace kvt::test
