// The emulator's fault switches that the program's own end-to-end tests lean on: were these to do
// nothing, those tests would pass without testing anything.

#include <gtest/gtest.h>

#include "link/Frame.h"
#include "support/Devsim.h"

namespace kvt::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kKpr = DevsimPort::request(0x02);
const Bytes kKprReply{STX, 10, 10};

// Reads for a short while to show that nothing arrived. Used only after the emulator has
// confirmed (through its counters) that it handled the request, so nothing can still be on its way.
constexpr std::chrono::milliseconds kQuietRead{50};

bool atLeast(const std::string& reply, const std::string& key, std::int64_t value) {
    return Devsim::field(reply, key) >= value;
}

class DevsimFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        ASSERT_TRUE(port.isOpen());
    }
    Devsim sim{KVT_DEVSIM_PATH};
    DevsimPort port{sim.terminalPath()};
};

TEST_F(DevsimFaultTest, InjectedFaultsHitTheNextRequestsOnly) {
    EXPECT_EQ(sim.command("nak 2"), "ok nak 2");
    EXPECT_EQ(port.exchange(DevsimPort::request(0x01, 99), 1), (Bytes{NAK}));
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{NAK, 0, 0}));
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);

    EXPECT_EQ(sim.command("bad-bcc"), "ok bad-bcc 1");
    EXPECT_EQ(port.exchange(DevsimPort::request(0x01, 23), 1), (Bytes{ACK}));  // no BCC to spoil
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{STX, 23, 24}));
    EXPECT_EQ(port.exchange(kKpr, 3), (Bytes{STX, 23, 23}));
}

TEST_F(DevsimFaultTest, DeadLineStaysSilentUntilNormal) {
    EXPECT_EQ(sim.command("dead"), "ok dead");
    port.write(kKpr);
    port.write(DevsimPort::request(0x01, 50));
    ASSERT_TRUE(
        sim.waitFor("counters", [](const std::string& r) { return atLeast(r, "dropped", 2); }));
    EXPECT_TRUE(port.read(1, kQuietRead).empty());
    EXPECT_EQ(sim.command("normal"), "ok normal");
    EXPECT_EQ(port.exchange(kKpr, 3), kKprReply);  // the write was never heard
}

}  // namespace
}  // namespace kvt::test
