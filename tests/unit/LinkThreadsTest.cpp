#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <thread>

#include "link/FrameExtractor.h"
#include "support/LinkHarness.h"
#include "support/Pty.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::LinkHarness;
using test::Pty;
using namespace std::chrono_literals;

const Bytes kKpr{0x02, 0x02, 0x00, 0x02};

// A link on a pseudo-terminal with its threads running.
template <LinkHarness::Time kTime>
class LinkOn : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(h.open(pty.slavePath()));
        h.startThreads();
    }

    Pty pty;
    LinkHarness h{kTime};
};
using LinkOnPty = LinkOn<LinkHarness::Time::Real>;

// On manual time, with a request sent and its 3-byte reply awaited.
class LinkAwaitingReply : public LinkOn<LinkHarness::Time::Manual> {
  protected:
    void SetUp() override {
        LinkOn::SetUp();
        ASSERT_EQ(h.send(kKpr, 3), SendDone);
        h.armReceive(3);
        ASSERT_TRUE(h.waitUntil([&] { return h.link().THREAD_STEP.load() == 6; }));
    }
};

TEST_F(LinkOnPty, ExchangesOneRequestAndReplyOverTheLine) {
    h.trace().clear();
    ASSERT_EQ(h.send(kKpr, 3), SendDone);
    EXPECT_EQ(pty.read(4, 2s), kKpr);
    pty.write({0x02, 0x40, 0x40});
    ASSERT_EQ(h.awaitReply(3), ReceiveDone);
    EXPECT_EQ(h.reply(4), (Bytes{0x02, 0x40, 0x40, 0x00}));
    const auto lines = h.trace().lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].kind, 1);
    EXPECT_EQ(lines[0].text, "02020002");
    EXPECT_EQ(lines[1].kind, 3);
    EXPECT_EQ(lines[1].text, "024040");
    EXPECT_EQ(h.link().RETRY.load(), 0);
}

TEST_F(LinkOnPty, AReplyInPiecesIsTakenOnceComplete) {
    ASSERT_EQ(h.send(kKpr, 12), SendDone);
    h.armReceive(12);
    const Bytes reply{0x02, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x2d};
    for (std::size_t i = 0; i < reply.size(); i += 5) {
        pty.write(Bytes(reply.begin() + static_cast<long>(i),
                        reply.begin() + static_cast<long>(std::min(i + 5, reply.size()))));
        if (i + 5 < reply.size()) {
            EXPECT_EQ(h.link().RECEIVE_STATE.load(), ReceiveAwaited);
        }
    }
    ASSERT_TRUE(h.waitUntil([&] { return h.link().RECEIVE_STATE.load() == ReceiveDone; }));
    EXPECT_EQ(h.reply(12), reply);
}

TEST_F(LinkOnPty, BytesAreNotTakenFromThePortWhileNoReplyIsAwaited) {
    pty.write({1, 2, 3});
    ASSERT_TRUE(pty.waitQueued(3));
    EXPECT_EQ(h.link().ring.available(), 0u);
    EXPECT_EQ(h.port().queuedBytes(), 3);
}

TEST(LinkThreads, ASendToAClosedPortTimesOutAfter500ms) {
    LinkHarness h(LinkHarness::Time::Manual);
    h.startThreads();
    h.postSend(kKpr, 3);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().THREAD_STEP.load() == 4; }));
    h.manualTicks().advance(499);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.link().SEND_STATE.load(), SendRequested);
    h.manualTicks().advance(1);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().SEND_STATE.load() == SendTimeout; }));
    EXPECT_EQ(h.trace().count("Send Timeout "), 1);
    EXPECT_EQ(h.trace().lines().back().kind, 2);
    EXPECT_EQ(h.link().writeRequest.load(), 0) << "a timed-out request must not go out later";
}

TEST_F(LinkAwaitingReply, NoReplyEndsWithOneTimeoutAfterTenSeconds) {
    h.manualTicks().advance(9999);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.link().RECEIVE_STATE.load(), ReceiveAwaited);
    h.manualTicks().advance(1);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().RECEIVE_STATE.load() == ReceiveTimeout; }));
    EXPECT_EQ(h.trace().count("Receive Timeout max retry"), 1);
    h.manualTicks().advance(20000);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.trace().count("Receive Timeout max retry"), 1);
}

TEST_F(LinkAwaitingReply, AbandoningAnExchangeReturnsToIdleWithoutATrace) {
    const auto before = h.trace().lines().size();
    h.link().RECEIVE_STATE = ReceiveIdle;
    h.link().wake(ThreadId::MainCtrl);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().THREAD_STEP.load() == 2; }));
    h.manualTicks().advance(20000);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.trace().lines().size(), before);
    EXPECT_EQ(h.link().RECEIVE_STATE.load(), ReceiveIdle);

    // The same while a send waits for a closed port.
    h.port().CloseComPort();
    h.postSend(kKpr, 3);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().THREAD_STEP.load() == 4; }));
    h.link().SEND_STATE = SendIdle;
    h.link().wake(ThreadId::MainCtrl);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().THREAD_STEP.load() == 2; }));
    EXPECT_EQ(h.link().writeRequest.load(), 0);
    EXPECT_EQ(h.trace().count("Send Timeout "), 0);
}

TEST_F(LinkOnPty, AnOverlongTransmitLengthSends19997Bytes) {
    h.link().transmitBuffer.fill(0x11);
    h.link().transmitLength = 25000;
    h.link().SEND_STATE = SendRequested;
    h.link().wake(ThreadId::MainCtrl);
    std::thread reader([&] {
        EXPECT_EQ(pty.read(19997, 3s).size(), 19997u);
        EXPECT_TRUE(pty.read(1, 20ms).empty());
    });
    ASSERT_TRUE(h.waitUntil([&] { return h.link().SEND_STATE.load() != SendRequested; }));
    reader.join();
    EXPECT_EQ(h.link().SEND_STATE.load(), SendDone);
    EXPECT_EQ(h.link().transmitBuffer[19997], 0x00);
}

TEST(LinkThreads, StreamModeReadsOnlyWholeRecordsThatFit) {
    Pty pty;
    LinkHarness h;
    ASSERT_TRUE(h.open(pty.slavePath()));
    // A ring with 30 free bytes, and 20 bytes queued at the port.
    h.link().ring.setIndicesForTest(100, 100 - 31 + ReceiveRing::kSize);
    ASSERT_EQ(h.link().ring.freeSpace(), 30u);
    const std::uint32_t before = h.link().ring.available();
    pty.write(Bytes(20, 0x02));
    ASSERT_TRUE(pty.waitQueued(20));
    h.link().streamMode = 1;
    h.link().expectedLength = 19999;  // more than ever arrives: link control takes nothing
    h.startThreads();
    h.armReceive(19999);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().ring.available() == before + 18; }));
    EXPECT_EQ(h.port().queuedBytes(), 2);
}

TEST(LinkThreads, TestModeAnswersFromTheSimulatedDeviceWithoutPortTraffic) {
    Pty pty;
    LinkHarness h;
    h.link().testMode = 1;
    ASSERT_TRUE(h.open(pty.slavePath()));
    h.startThreads();
    h.trace().clear();
    ASSERT_EQ(h.send(kKpr, 3), SendDone);
    ASSERT_EQ(h.awaitReply(3), ReceiveDone);
    EXPECT_EQ(h.reply(3), (Bytes{0x02, 0x40, 0x40}));
    const auto lines = h.trace().lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.kind == 1; }),
              1)
        << "the request is still traced";
    EXPECT_TRUE(pty.read(1, 100ms).empty()) << "nothing reached the line";
}

TEST_F(LinkOnPty, StopEndsEveryThreadAndMarksThemStopped) {
    h.postSend(kKpr, 3);  // stop in the middle of an exchange
    h.stopThreads();
    for (int i = 0; i < kThreadCount; ++i) {
        EXPECT_EQ(h.link().runFlag[static_cast<std::size_t>(i)].load(), RunStopped) << i;
    }
}

TEST(LinkThreads, StoppingRightAfterStartingNeverHangs) {
    for (int i = 0; i < 50; ++i) {
        LinkHarness h;
        h.startThreads();
        h.stopThreads();
        for (const auto& flag : h.link().runFlag) {
            ASSERT_EQ(flag.load(), RunStopped) << "round " << i;
        }
    }
}

TEST_F(LinkAwaitingReply, AVanishedDeviceEndsTheExchangeWithItsTimeoutAndDoesNotSpin) {
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    pty.closeMaster();
    ASSERT_TRUE(h.waitUntil([&] { return h.link().deviceGone.load() == 1; }));
    // Stay a while on the dead line with the reply still awaited: a receive thread that spins
    // on the hung-up port would burn the whole interval.
    std::this_thread::sleep_for(500ms);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto cpuMs = [](const rusage& r) {
        return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 +
               (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
    };
    EXPECT_LT(cpuMs(after) - cpuMs(before), 250.0) << "about 500 ms of wall time passed";
    EXPECT_EQ(h.link().RECEIVE_STATE.load(), ReceiveAwaited) << "only the time-out ends it";
    h.manualTicks().advance(10000);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().RECEIVE_STATE.load() == ReceiveTimeout; }));
    EXPECT_EQ(h.trace().count("Receive Timeout max retry"), 1);
}

TEST_F(LinkOnPty, AWriteToAVanishedDeviceFails) {
    pty.closeMaster();
    EXPECT_EQ(h.send(kKpr, 3), SendWriteFailed);
    EXPECT_EQ(h.link().deviceGone.load(), 1);
}

TEST_F(LinkOnPty, PublishesItsStateInTheStatusBlock) {
    ASSERT_EQ(h.send(kKpr, 3), SendDone);
    h.armReceive(3);
    ASSERT_TRUE(h.waitUntil([&] { return h.link().status[StatusThreadStep].load() == 6; }));
    EXPECT_EQ(h.link().status[StatusReceiveState].load(), 1u);
}

}  // namespace
}  // namespace kvt
