// The emulated controller's line: its baud rate, pacing, injected faults and the terminal's life.

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <thread>

#include "link/Frame.h"
#include "support/Devsim.h"

namespace kvt::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const Bytes kKpr = DevsimPort::request(0x02);
const Bytes kKprReply{STX, 10, 10};
const Bytes kVerReply{STX, 23, 23};

// Reads for a short while to show that nothing arrived. Used only after the emulator has
// confirmed (through its counters) that it handled the request, so nothing can still be on its way.
constexpr milliseconds kQuietRead{50};

bool atLeast(const std::string& reply, const std::string& key, std::int64_t value) {
    return Devsim::field(reply, key) >= value;
}

TEST(DevsimLineTest, AnswersOnlyAtItsOwnRate) {
    Devsim sim(KVT_DEVSIM_PATH, {"--baud", "57600"});
    ASSERT_TRUE(sim.started()) << sim.startError();
    DevsimPort port(sim.terminalPath(), 19200);
    port.write(DevsimPort::request(0x23));
    ASSERT_TRUE(sim.waitFor(
        "counters", [](const std::string& r) { return atLeast(r, "wrong-baud-bytes", 4); }));
    EXPECT_TRUE(port.read(1, kQuietRead).empty());
    EXPECT_EQ(sim.counter("requests"), 0);

    ASSERT_TRUE(port.setBaud(57600));
    EXPECT_EQ(port.exchange(DevsimPort::request(0x23), 3), kVerReply);

    bool noted = false;
    for (const DevsimLogLine& line : sim.log()) {
        noted = noted || line.note == "ignored: line at 19200 baud, device at 57600";
    }
    EXPECT_TRUE(noted);
}

TEST(DevsimLineTest, BaudCommandMovesTheDeviceToAnotherRate) {
    Devsim sim(KVT_DEVSIM_PATH);
    ASSERT_TRUE(sim.started()) << sim.startError();
    DevsimPort port(sim.terminalPath(), 19200);
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);
    EXPECT_EQ(sim.command("baud 57600"), "ok baud 57600");
    port.write(kKpr);
    ASSERT_TRUE(sim.waitFor(
        "counters", [](const std::string& r) { return atLeast(r, "wrong-baud-bytes", 4); }));
    ASSERT_TRUE(port.setBaud(57600));
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);
}

class DevsimFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        ASSERT_TRUE(port.isOpen());
    }
    Devsim sim{KVT_DEVSIM_PATH};
    DevsimPort port{sim.terminalPath(), 19200};
};

TEST_F(DevsimFaultTest, InjectedFaultsHitTheNextRequestsOnly) {
    EXPECT_EQ(sim.command("drop 2"), "ok drop 2");
    port.write(DevsimPort::request(0x01, 99));     // KPS 9.9, lost
    port.write(kKpr);                              // lost too
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);  // first bytes back: this reply, gain unchanged

    EXPECT_EQ(sim.command("nak 2"), "ok nak 2");
    EXPECT_EQ(port.exchange(DevsimPort::request(0x01, 99), 1), (Bytes{NAK}));
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{NAK, 0, 0}));
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);

    EXPECT_EQ(sim.command("bad-bcc"), "ok bad-bcc 1");
    EXPECT_EQ(port.exchange(DevsimPort::request(0x01, 23), 1), (Bytes{ACK}));  // no BCC to spoil
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{STX, 23, 24}));
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{STX, 23, 23}));

    EXPECT_EQ(sim.command("noise 3"), "ok noise 3 0xFF");
    EXPECT_EQ(port.exchange(kKpr, 6), (Bytes{0xFF, 0xFF, 0xFF, STX, 23, 23}));
    EXPECT_EQ(sim.command("noise 2 0x55"), "ok noise 2 0x55");
    EXPECT_EQ(port.exchange(DevsimPort::request(0x01, 7), 3), (Bytes{0x55, 0x55, ACK}));
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{STX, 7, 7}));

    const std::string counters = sim.command("counters");
    EXPECT_EQ(Devsim::field(counters, "dropped"), 2);
    EXPECT_EQ(Devsim::field(counters, "corrupted"), 1);
    EXPECT_EQ(Devsim::field(counters, "noise-bytes"), 5);
}

TEST_F(DevsimFaultTest, DeadLineStaysSilentUntilNormal) {
    EXPECT_EQ(sim.command("dead"), "ok dead");
    port.write(kKpr);
    port.write(DevsimPort::request(0x01, 50));
    ASSERT_TRUE(
        sim.waitFor("counters", [](const std::string& r) { return atLeast(r, "dropped", 2); }));
    EXPECT_TRUE(port.read(1, kQuietRead).empty());
    EXPECT_EQ(sim.command("faults"), "ok drop=0 nak=0 bad-bcc=0 noise=0 noise-byte=0xFF dead=yes");
    EXPECT_EQ(sim.command("normal"), "ok normal");
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);  // the write was never heard
}

TEST_F(DevsimFaultTest, ClosedTerminalIsGoneUntilReopened) {
    const std::string first = sim.terminalPath();
    EXPECT_EQ(sim.command("close"), "ok closed");
    // The program's side sees a hang-up.
    pollfd entry{port.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&entry, 1, 1000), 1);
    EXPECT_TRUE(entry.revents & POLLHUP);
    EXPECT_EQ(sim.command("close"), "error: terminal already closed");

    const std::string reopened = sim.command("reopen");
    EXPECT_EQ(reopened, "ok open " + sim.terminalPath());
    EXPECT_FALSE(sim.terminalPath().empty());
    DevsimPort again(sim.terminalPath(), 19200);
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.exchange(kKpr, 3), kKprReply);
    EXPECT_EQ(sim.command("reopen").rfind("error: terminal already open", 0), 0u);

    // "normal" reopens a closed terminal too.
    EXPECT_EQ(sim.command("close"), "ok closed");
    EXPECT_EQ(sim.command("normal"), "ok normal");
    DevsimPort third(sim.terminalPath(), 19200);
    EXPECT_EQ(third.exchange(kKpr, 3), kKprReply);
}

TEST(DevsimLineTest, FaultsGivenAsOptionsApplyFromTheStart) {
    Devsim faulty(KVT_DEVSIM_PATH, {"--drop", "1", "--nak", "1", "--noise", "2", "--bad-bcc", "1"});
    ASSERT_TRUE(faulty.started()) << faulty.startError();
    DevsimPort line(faulty.terminalPath(), 19200);
    line.write(kKpr);  // dropped
    EXPECT_EQ(line.exchange(kKpr, 5), (Bytes{0xFF, 0xFF, NAK, 0, 0}));
    EXPECT_EQ(line.exchange(kKpr, 3), (Bytes{STX, 10, 11}));
    EXPECT_EQ(line.exchange(kKpr, 3), kKprReply);
}

TEST_F(DevsimFaultTest, StrayBytesBeforeARequestAreSkipped) {
    port.write({0xFF, 0x00, 0x13});
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);
    EXPECT_EQ(sim.counter("stray-bytes"), 3);
}

TEST_F(DevsimFaultTest, HalfRequestIsGivenUpAfterAPause) {
    port.write({STX, 0x02});
    // The line stays quiet for longer than a controller waits for the rest of a request.
    std::this_thread::sleep_for(milliseconds(250));
    // Taken together with the half request these bytes would read 02 02 02 02: a KPR with a
    // wrong BCC, refused with NAK.
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);
    EXPECT_EQ(sim.counter("incomplete"), 1);
}

TEST_F(DevsimFaultTest, CountersNameEverything) {
    const std::string reply = sim.command("counters");
    for (const char* name :
         {"requests", "acks", "naks", "data-replies", "bad-checksums", "unknown", "dropped",
          "corrupted", "noise-bytes", "wrong-baud-bytes", "stray-bytes", "incomplete", "streams",
          "records-sent", "records-lost"}) {
        EXPECT_EQ(Devsim::field(reply, name), 0) << name;
    }
}

TEST(DevsimPacedTest, RepliesTakeAtLeastTheirLineTime) {
    Devsim sim(KVT_DEVSIM_PATH, {"--paced", "--baud", "9600"});
    ASSERT_TRUE(sim.started()) << sim.startError();
    DevsimPort port(sim.terminalPath(), 9600);
    // DIR: 12 bytes of 10 bits at 9600 baud leave the line after 12.5 ms at the earliest.
    const auto sent = Clock::now();
    const Bytes reply = port.exchange(DevsimPort::request(0x70), 12);
    const auto elapsed = Clock::now() - sent;
    EXPECT_EQ(reply.size(), 12u);
    EXPECT_GE(elapsed, std::chrono::microseconds(12500));

    // 500 noise bytes and ACK at 57600 baud: at least 503 * 173.6 us = 87.3 ms.
    EXPECT_EQ(sim.command("baud 57600"), "ok baud 57600");
    ASSERT_TRUE(port.setBaud(57600));
    EXPECT_EQ(sim.command("noise 500"), "ok noise 500 0xFF");
    const auto start = Clock::now();
    const Bytes noisy = port.exchange(DevsimPort::request(0x01, 10), 501);
    const auto took = Clock::now() - start;
    ASSERT_EQ(noisy.size(), 501u);
    EXPECT_EQ(noisy.back(), ACK);
    EXPECT_GE(took, std::chrono::microseconds(87000));
    EXPECT_EQ(sim.command("paced"), "ok paced on");
}

TEST(DevsimLifeTest, EndsCleanlyOnQuitAndOnSignals) {
    {
        Devsim sim(KVT_DEVSIM_PATH);
        ASSERT_TRUE(sim.started()) << sim.startError();
        EXPECT_EQ(sim.stop(), 0);
    }
    {
        Devsim sim(KVT_DEVSIM_PATH);
        ASSERT_TRUE(sim.started()) << sim.startError();
        EXPECT_EQ(sim.signalAndWait(SIGTERM), 0);
        bool counted = false;
        for (const DevsimLogLine& line : sim.log()) {
            counted = counted || line.note.rfind("counters requests=0", 0) == 0;
        }
        EXPECT_TRUE(counted);
    }
}

}  // namespace
}  // namespace kvt::test
