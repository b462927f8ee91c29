#include <gtest/gtest.h>

#include "scope/ScopeReadout.h"

namespace kvt {
namespace {

TEST(ScopeSnap, RisesToTheNextSampleInsideTheWindow) {
    EXPECT_FLOAT_EQ(snapReadoutTime(2.003f, 0.004f, 8.0f), 2.004f);
    EXPECT_FLOAT_EQ(snapReadoutTime(1.234f, 0.01f, 8.0f), 1.24f);
    EXPECT_FLOAT_EQ(snapReadoutTime(0.011428f, 0.004f, 8.0f), 0.012f);
}

TEST(ScopeSnap, TimesOnTheGridKeepTheirDigits) {
    // 2.0037 s rounds to 2004 ms, a multiple of 4 ms: left as typed.
    EXPECT_EQ(snapReadoutTime(2.0037f, 0.004f, 8.0f), 2.0037f);
    EXPECT_EQ(snapReadoutTime(4.0f, 0.004f, 8.0f), 4.0f);
}

TEST(ScopeSnap, FallsBackAtTheWindowEnd) {
    EXPECT_FLOAT_EQ(snapReadoutTime(8.003f, 0.004f, 8.0f), 8.0f);
    EXPECT_FLOAT_EQ(snapReadoutTime(7.99f, 0.02f, 7.99f), 7.98f);
    // Below 1 ms nothing falls.
    EXPECT_EQ(snapReadoutTime(0.0004f, 0.004f, 0.0f), 0.0004f);
}

TEST(ScopeReadoutIndex, PicksTheSampleUnderTheCursor) {
    EXPECT_EQ(readoutIndex(4.0f, 0.004f, 8, false), 1000);
    EXPECT_EQ(readoutIndex(2.004f, 0.004f, 8, false), 501);
    EXPECT_EQ(readoutIndex(0.0f, 0.004f, 8, true), 2000);  // the newest, in the fill headroom
    EXPECT_EQ(readoutIndex(1.0f, 0.1f, 8, true), 70);
}

TEST(ScopeReadoutIndex, StaysInsideTheArrays) {
    // A readout time kept from a 20 s recording after acqTime went down to 4 s.
    EXPECT_EQ(readoutIndex(15.0f, 0.004f, 4, true), 0);
    EXPECT_EQ(readoutIndex(30.0f, 0.004f, 20, false), 5099);
    EXPECT_EQ(readoutIndex(-3.0f, 0.004f, 8, false), 0);
}

TEST(ScopeCursor, OffsetAndHandleArea) {
    EXPECT_EQ(cursorOffset(4.0f, 0.0f, 8.0f, 8.0f, 0.004f, 0.35f, false), 350);
    EXPECT_EQ(cursorOffset(0.0f, 0.0f, 8.0f, 8.0f, 0.004f, 0.35f, true), 700);
    EXPECT_EQ(cursorOffset(6.0f, 4.0f, 8.0f, 8.0f, 0.004f, 0.7f, false), 350);
    EXPECT_EQ(readoutHandleArea(780), (LogicalRect{762, 860, 798, 910}));
}

TEST(ScopeCursor, DragPositionToTime) {
    EXPECT_FLOAT_EQ(readoutTimeAtX(780, 0.0f, 8.0f, false), 4.0f);
    EXPECT_FLOAT_EQ(readoutTimeAtX(100, 0.0f, 8.0f, false), 0.0f);   // left of the plot
    EXPECT_FLOAT_EQ(readoutTimeAtX(2000, 0.0f, 8.0f, false), 8.0f);  // right of it
    EXPECT_FLOAT_EQ(readoutTimeAtX(430, 0.0f, 8.0f, true), 8.0f);
    EXPECT_FLOAT_EQ(readoutTimeAtX(955, 2.0f, 4.0f, false), 3.5f);
}

TEST(ScopeReadoutEntry, PlainNumbersInsideTheWindowAreKept) {
    const ReadoutEntry e = parseReadoutEntry("2.5", 0.0f, 8.0f);
    EXPECT_EQ(e.value, 2.5f);
    EXPECT_FALSE(e.rewrite);
    EXPECT_FALSE(parseReadoutEntry("4", 0.0f, 8.0f).rewrite);
}

TEST(ScopeReadoutEntry, CutClampedOrImpreciseEntriesAreWrittenBack) {
    const ReadoutEntry cut = parseReadoutEntry("3x7", 0.0f, 8.0f);
    EXPECT_EQ(cut.value, 3.0f);
    EXPECT_TRUE(cut.rewrite);
    const ReadoutEntry high = parseReadoutEntry("12", 0.0f, 8.0f);
    EXPECT_EQ(high.value, 8.0f);
    EXPECT_TRUE(high.rewrite);
    const ReadoutEntry minus = parseReadoutEntry("-1", 2.0f, 8.0f);  // '-' is not allowed
    EXPECT_EQ(minus.value, 2.0f);
    EXPECT_TRUE(minus.rewrite);
    const ReadoutEntry fine = parseReadoutEntry("2.0037", 0.0f, 8.0f);
    EXPECT_FLOAT_EQ(fine.value, 2.0037f);
    EXPECT_TRUE(fine.rewrite);
}

TEST(ScopeReadoutEntry, ReadsAtMostThirteenCharacters) {
    // "0.00000000001" fits; the trailing 9s do not count.
    const ReadoutEntry e = parseReadoutEntry("0.0000000000199999", 0.0f, 8.0f);
    EXPECT_FLOAT_EQ(e.value, 1e-11f);
    EXPECT_EQ(parseReadoutEntry("", 1.0f, 8.0f).value, 1.0f);
}

}  // namespace
}  // namespace kvt
