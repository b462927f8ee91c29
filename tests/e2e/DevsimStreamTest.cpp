// The emulated controller's acquisition stream: records, their numbering, rate and stop.

#include <gtest/gtest.h>

#include <chrono>

#include "../../tools/devsim/StreamSignal.h"
#include "link/Frame.h"
#include "support/Devsim.h"

namespace kvt::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using devsim::streamRecordAt;
using std::chrono::milliseconds;

const Bytes kSas = DevsimPort::request(0x24);
const Bytes kPas = DevsimPort::request(0x29);
constexpr std::size_t kRecord = kStreamRecordSize;

Bytes recordBytes(std::uint64_t k) {
    const auto record = streamRecordAt(k);
    return Bytes(record.begin(), record.end());
}

std::int64_t fieldOf(Devsim& sim, const char* line, const char* key) {
    return Devsim::field(sim.command(line), key);
}

class DevsimStreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started()) << sim.startError();
        ASSERT_TRUE(port.isOpen());
    }

    // Reads stream bytes up to PAS's ACK: everything before it must be whole records.
    Bytes readUntilAckAfterRecords(std::uint64_t firstRecord) {
        Bytes tail;
        std::uint64_t k = firstRecord;
        while (true) {
            const Bytes head = port.read(1, DevsimPort::kReplyTimeout);
            if (head.empty() || head[0] == ACK) {
                return head;
            }
            Bytes record = head;
            const Bytes rest = port.read(kRecord - 1, DevsimPort::kReplyTimeout);
            record.insert(record.end(), rest.begin(), rest.end());
            EXPECT_EQ(record, recordBytes(k)) << "record " << k;
            if (record != recordBytes(k)) {
                return {};
            }
            ++k;
            received = k;
        }
    }

    Devsim sim{KVT_DEVSIM_PATH};
    DevsimPort port{sim.terminalPath(), 19200};
    std::uint64_t received = 0;
};

TEST(DevsimStreamSignalTest, RecordsFollowTheirFormulas) {
    EXPECT_EQ(recordBytes(0), (Bytes{STX, 0, 127, 128, 28, 0}));
    const Bytes at1000 = recordBytes(1000);
    EXPECT_EQ(at1000[1], 1000 % 256);
    EXPECT_EQ(at1000[3], 128);               // slow sine back at zero
    EXPECT_EQ(at1000[4], 228);               // triangle at its top
    EXPECT_EQ(at1000[5], 20);                // binary byte: 1000 / 50
    EXPECT_EQ(recordBytes(62)[2], 254);      // sine near its top (a quarter of 250)
    EXPECT_EQ(recordBytes(187)[2], 0);       // and near its bottom
    EXPECT_EQ(recordBytes(256)[1], 0);       // the ramp repeats
    EXPECT_EQ(recordBytes(50 * 256)[5], 0);  // the binary counter wraps
}

TEST_F(DevsimStreamTest, StepModeStreamsNumberedRecordsUntilPas) {
    EXPECT_EQ(port.exchange(kPas, 1), (Bytes{ACK})) << "PAS without a stream";
    EXPECT_EQ(fieldOf(sim, "counters", "streams"), 0);
    EXPECT_EQ(port.exchange(kSas, 1), (Bytes{ACK}));
    const Bytes first = port.read(60 * kRecord, milliseconds(5000));
    ASSERT_EQ(first.size(), 60 * kRecord);
    for (std::uint64_t k = 0; k < 60; ++k) {
        EXPECT_EQ(Bytes(first.begin() + k * kRecord, first.begin() + (k + 1) * kRecord),
                  recordBytes(k))
            << "record " << k;
    }
    received = 60;

    port.write(kPas);
    EXPECT_EQ(readUntilAckAfterRecords(60), (Bytes{ACK}));
    // Every record the emulator counted reached the PC, and nothing follows the ACK.
    const std::string count = sim.command("count");
    EXPECT_EQ(Devsim::field(count, "records"), static_cast<std::int64_t>(received));
    EXPECT_EQ(Devsim::field(count, "sent"), static_cast<std::int64_t>(received));
    EXPECT_EQ(Devsim::field(count, "lost"), 0);
    EXPECT_EQ(Devsim::field(count, "period-us"), 4000);
    EXPECT_NE(count.find("streaming=no"), std::string::npos);
    EXPECT_TRUE(port.read(1, milliseconds(50)).empty());
    EXPECT_EQ(sim.counter("records-sent"), static_cast<std::int64_t>(received));
}

TEST_F(DevsimStreamTest, AStepEndsByItselfAfterTheAcquisitionTime) {
    EXPECT_EQ(port.exchange(DevsimPort::request(0x21, 4), 1), (Bytes{ACK}));  // ATS 4 s
    EXPECT_EQ(port.exchange(kSas, 1), (Bytes{ACK}));
    ASSERT_TRUE(sim.waitFor(
        "count", [](const std::string& r) { return r.find("streaming=no") != std::string::npos; },
        milliseconds(10000)));
    EXPECT_EQ(fieldOf(sim, "count", "records"), 1000);
}

TEST_F(DevsimStreamTest, KeepsStreamingWhenNobodyStopsIt) {
    EXPECT_EQ(port.exchange(DevsimPort::request(0x28, 0), 1), (Bytes{ACK}));  // TAS
    ASSERT_TRUE(sim.waitFor(
        "count", [](const std::string& r) { return Devsim::field(r, "records") >= 100; }));
    EXPECT_NE(sim.command("count").find("streaming=yes"), std::string::npos);
    // Nobody reads and nobody stops: the records keep coming.
    ASSERT_TRUE(sim.waitFor(
        "count", [](const std::string& r) { return Devsim::field(r, "records") >= 200; }));
    EXPECT_EQ(sim.counter("streams"), 1);
}

TEST_F(DevsimStreamTest, TriggerModeStreamsAtThePrsPeriod) {
    EXPECT_EQ(port.exchange(DevsimPort::request(0x27, 20), 1), (Bytes{ACK}));  // PRS 20 ms
    const auto sent = Clock::now();
    EXPECT_EQ(port.exchange(DevsimPort::request(0x28, 0), 1), (Bytes{ACK}));  // TAS
    const Bytes records = port.read(10 * kRecord, milliseconds(5000));
    const auto elapsed = Clock::now() - sent;
    ASSERT_EQ(records.size(), 10 * kRecord);
    EXPECT_EQ(Bytes(records.end() - kRecord, records.end()), recordBytes(9));
    EXPECT_GE(elapsed, milliseconds(200));  // the tenth record is due 200 ms after the start
    EXPECT_EQ(fieldOf(sim, "count", "period-us"), 20000);
    port.write(kPas);
    EXPECT_EQ(readUntilAckAfterRecords(10), (Bytes{ACK}));
}

TEST_F(DevsimStreamTest, RecordsAreLostWhileTheLineIsDeadOrAtAnotherRate) {
    EXPECT_EQ(port.exchange(kSas, 1), (Bytes{ACK}));
    EXPECT_EQ(sim.command("dead"), "ok dead");
    ASSERT_TRUE(
        sim.waitFor("count", [](const std::string& r) { return Devsim::field(r, "lost") >= 10; }));
    EXPECT_EQ(sim.command("normal"), "ok normal");
    ASSERT_TRUE(port.setBaud(57600));
    const std::int64_t lostBefore = fieldOf(sim, "count", "lost");
    ASSERT_TRUE(sim.waitFor("count", [lostBefore](const std::string& r) {
        return Devsim::field(r, "lost") >= lostBefore + 10;
    }));
    ASSERT_TRUE(port.setBaud(19200));
    port.write(kPas);
    // Whatever arrived plus whatever was lost is every record of the stream.
    port.drain();
    ASSERT_TRUE(sim.waitFor(
        "count", [](const std::string& r) { return r.find("streaming=no") != std::string::npos; }));
    const std::string count = sim.command("count");
    EXPECT_EQ(Devsim::field(count, "sent") + Devsim::field(count, "lost"),
              Devsim::field(count, "records"));
    EXPECT_GE(Devsim::field(count, "lost"), 20);
}

}  // namespace
}  // namespace kvt::test
