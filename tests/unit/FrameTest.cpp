#include <gtest/gtest.h>

#include <vector>

#include "link/Frame.h"
#include "link/FrameExtractor.h"
#include "link/LinkState.h"
#include "link/TickSource.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Frame, RequestsAreStxCodeDataAndAnAdditiveBccWithTheCarryDiscarded) {
    const std::uint8_t a[] = {0x02, 0x00};
    const std::uint8_t b[] = {0xFF, 0x02};
    EXPECT_EQ(ComputeBcc(a), 0x02);
    EXPECT_EQ(ComputeBcc(b), 0x01);
    EXPECT_EQ(ComputeBcc({}), 0x00);
    std::uint8_t out[20] = {};
    std::fill(std::begin(out), std::end(out), 0xEE);
    const std::uint8_t data[] = {0x00};
    ASSERT_EQ(buildRequest(out, 0x02, data), 4u);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x02, 0x02, 0x00, 0x02}));
    EXPECT_EQ(out[4], 0x00) << "the rest of the buffer is cleared";

    const std::uint8_t row[11] = {0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(buildRequest(out, 0x74, std::span(row).subspan(1)), 13u);
    EXPECT_EQ(out[12], ComputeBcc(std::span(out).subspan(1, 11)));
}

TEST(Frame, ADataReplyNeedsStxAndAMatchingBccAndOnlyAckAcknowledges) {
    EXPECT_TRUE(isValidDataReply(Bytes{0x02, 0x40, 0x40}));
    EXPECT_FALSE(isValidDataReply(Bytes{0x02, 0x40, 0x41}));
    EXPECT_FALSE(isValidDataReply(Bytes{0x03, 0x40, 0x40}));
    EXPECT_FALSE(isValidDataReply(Bytes{0x02}));
    EXPECT_TRUE(isAck(Bytes{ACK}));
    EXPECT_FALSE(isAck(Bytes{NAK}));
    EXPECT_FALSE(isAck(Bytes{}));
}

TEST(ReceiveRing, CountsFreeAndAvailableBytesAcrossTheWrap) {
    ReceiveRing ring;
    EXPECT_EQ(ring.available(), 0u);
    EXPECT_EQ(ring.freeSpace(), 19999u);
    ring.setIndicesForTest(19998, 5);
    EXPECT_EQ(ring.available(), 7u);
    EXPECT_EQ(ring.freeSpace(), 19998u - 5u - 1u);
    ring.setIndicesForTest(5, 19998);
    EXPECT_EQ(ring.available(), 19993u);
    EXPECT_EQ(ring.freeSpace(), 5u - 19998u + 19999u);
}

TEST(ReceiveRing, NeverFillsTheLastFreeByte) {
    ReceiveRing ring;
    std::vector<std::uint8_t> many(25000, 0xAA);
    EXPECT_EQ(ring.append(many), 19999u);
    EXPECT_EQ(ring.available(), 19999u);
    EXPECT_EQ(ring.append(Bytes{1}), 0u);
    ring.drop(100);
    EXPECT_EQ(ring.append(many), 100u);
}

class ExtractorTest : public ::testing::Test {
  protected:
    ManualTickSource ticks;
    LinkState link{ticks};
    test::RecordingTrace trace;

    void put(const Bytes& bytes) { link.ring.append(bytes); }
    std::optional<Bytes> take(int expected) {
        link.expectedLength = expected;
        auto frame = GetReceivedFrame(link, trace);
        if (!frame) {
            return std::nullopt;
        }
        return Bytes(frame->begin(), frame->end());
    }
};

TEST_F(ExtractorTest, TakesExactlyTheExpectedLengthOutsideStreamMode) {
    put({0x15, 0x02, 0x40, 0x40});
    EXPECT_EQ(take(5), std::nullopt) << "not enough bytes yet";
    EXPECT_EQ(take(3), (Bytes{0x15, 0x02, 0x40})) << "byte values are not looked at";
    EXPECT_EQ(link.frameBuffer[3], 0x00);
    EXPECT_EQ(link.ring.available(), 1u);
    ASSERT_EQ(trace.lines().size(), 1u);
    EXPECT_EQ(trace.lines()[0].kind, 3);
    EXPECT_EQ(trace.lines()[0].text, "150240");
}

TEST_F(ExtractorTest, CopiesAReplyThatWrapsThroughIndexZero) {
    link.ring.setIndicesForTest(19998, 19998);
    put({0x02, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(link.ring.writeIndex(), 5u);
    EXPECT_EQ(take(7), (Bytes{0x02, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(link.ring.readIndex(), 5u);
}

// In stream mode the bytes in front of STX are dropped, at most ten at a time and never more
// than are there; an incomplete record waits without dropping anything.
TEST_F(ExtractorTest, StreamModeDropsNoiseInFrontOfARecordAndWaitsForTheRest) {
    struct Case {
        Bytes in;
        std::optional<Bytes> frame;
        std::uint32_t left;
    };
    const Case cases[] = {
        {{9, 9, 9, 0x02, 1, 2, 3, 4, 5, 0x02, 7, 7}, Bytes{0x02, 1, 2, 3, 4, 5}, 3},
        {{9, 9, 9, 0x02, 1, 2, 3, 4}, std::nullopt, 8},
        {{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0x02, 1, 2, 3, 4, 5}, std::nullopt, 6},
        {{9, 9, 9, 9, 9, 9, 9}, std::nullopt, 0}};
    link.streamMode = 1;
    for (const Case& c : cases) {
        ClearRcvQueue(link, trace);
        put(c.in);
        EXPECT_EQ(take(6), c.frame) << c.in.size() << " bytes";
        EXPECT_EQ(link.ring.available(), c.left) << c.in.size() << " bytes";
    }
    EXPECT_EQ(take(6), std::nullopt);
    EXPECT_EQ(link.ring.readIndex(), link.ring.writeIndex());
    EXPECT_EQ(link.ring.freeSpace(), 19999u) << "the ring must not look full of stale data";
    // What stayed after the ten noise bytes is a whole record.
    put({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0x02, 1, 2, 3, 4, 5});
    EXPECT_EQ(take(6), std::nullopt);
    EXPECT_EQ(take(6), (Bytes{0x02, 1, 2, 3, 4, 5}));
}

TEST_F(ExtractorTest, AnyByteSequenceEndsInAConsistentRing) {
    // A deterministic pseudo-random stream of bytes, expected lengths and modes.
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0xFFFFu;
    };
    for (int round = 0; round < 5000; ++round) {
        Bytes chunk(next() % 40);
        for (auto& b : chunk) {
            b = static_cast<std::uint8_t>(next() % 4 == 0 ? 0x02 : next());
        }
        put(chunk);
        link.streamMode = static_cast<std::int32_t>(next() % 2);
        const int expected = static_cast<int>(next() % 30);
        const std::uint32_t before = link.ring.available();
        const auto frame = take(expected);
        const std::uint32_t after = link.ring.available();
        ASSERT_LE(after, before);
        if (frame) {
            ASSERT_EQ(frame->size(), static_cast<std::size_t>(expected));
            if (link.streamMode.load() != 0) {
                ASSERT_EQ((*frame)[0], 0x02);
            }
        }
        ASSERT_LE(link.ring.available(), ReceiveRing::kSize - 1);
    }
}

TEST_F(ExtractorTest, ClearRcvQueueEmptiesTheRingAndTracesIt) {
    put({1, 2, 3});
    ClearRcvQueue(link, trace);
    EXPECT_EQ(link.ring.readIndex(), 0u);
    EXPECT_EQ(link.ring.writeIndex(), 0u);
    EXPECT_TRUE(trace.contains("ClearRcvQueue"));
}

}  // namespace
}  // namespace kvt
