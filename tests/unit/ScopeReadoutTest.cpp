#include <gtest/gtest.h>

#include <tuple>

#include "scope/ScopeReadout.h"

namespace kvt {
namespace {

// A typed time rises to the next sample inside the window and falls back at its end; a time on
// the grid (2.0037 s rounds to 2004 ms, a multiple of 4 ms) keeps its digits, and below 1 ms
// nothing falls.
TEST(ScopeSnap, RisesToTheNextSampleInsideTheWindow) {
    const std::tuple<float, float, float, float> cases[] = {
        {2.003f, 0.004f, 8.0f, 2.004f},    {1.234f, 0.01f, 8.0f, 1.24f},
        {0.011428f, 0.004f, 8.0f, 0.012f}, {2.0037f, 0.004f, 8.0f, 2.0037f},
        {4.0f, 0.004f, 8.0f, 4.0f},        {8.003f, 0.004f, 8.0f, 8.0f},
        {7.99f, 0.02f, 7.99f, 7.98f},      {0.0004f, 0.004f, 0.0f, 0.0004f}};
    for (const auto& [time, period, end, snapped] : cases) {
        EXPECT_FLOAT_EQ(snapReadoutTime(time, period, end), snapped) << time << " of " << period;
    }
    EXPECT_EQ(snapReadoutTime(2.0037f, 0.004f, 8.0f), 2.0037f) << "exactly as typed";
}

// The sample under the cursor; Trigger Mode counts from the newest, which lies in the fill
// headroom. A readout time kept from a longer recording (20 s, acqTime now 4 s) stays inside
// the arrays.
TEST(ScopeReadoutIndex, PicksTheSampleUnderTheCursorInsideTheArrays) {
    const std::tuple<float, float, int, bool, int> cases[] = {
        {4.0f, 0.004f, 8, false, 1000}, {2.004f, 0.004f, 8, false, 501},
        {0.0f, 0.004f, 8, true, 2000},  {1.0f, 0.1f, 8, true, 70},
        {15.0f, 0.004f, 4, true, 0},    {30.0f, 0.004f, 20, false, 5099},
        {-3.0f, 0.004f, 8, false, 0}};
    for (const auto& [time, period, acqTime, trigger, index] : cases) {
        EXPECT_EQ(readoutIndex(time, period, acqTime, trigger), index) << time;
    }
}

TEST(ScopeCursor, OffsetHandleAreaAndDragPositionToTime) {
    EXPECT_EQ(cursorOffset(4.0f, 0.0f, 8.0f, 8.0f, 0.004f, 0.35f, false), 350);
    EXPECT_EQ(cursorOffset(0.0f, 0.0f, 8.0f, 8.0f, 0.004f, 0.35f, true), 700);
    EXPECT_EQ(cursorOffset(6.0f, 4.0f, 8.0f, 8.0f, 0.004f, 0.7f, false), 350);
    EXPECT_EQ(readoutHandleArea(780), (LogicalRect{762, 860, 798, 910}));
    // Left and right of the plot the time stops at the window's ends.
    const std::tuple<int, float, float, bool, float> drags[] = {{780, 0.0f, 8.0f, false, 4.0f},
                                                                {100, 0.0f, 8.0f, false, 0.0f},
                                                                {2000, 0.0f, 8.0f, false, 8.0f},
                                                                {430, 0.0f, 8.0f, true, 8.0f},
                                                                {955, 2.0f, 4.0f, false, 3.5f}};
    for (const auto& [x, start, end, trigger, time] : drags) {
        EXPECT_FLOAT_EQ(readoutTimeAtX(x, start, end, trigger), time) << x;
    }
}

// Plain numbers inside the window are kept; cut, clamped ('-' is not allowed) or imprecise
// entries are written back. At most thirteen characters are read: "0.00000000001" fits, the
// trailing 9s do not count.
TEST(ScopeReadoutEntry, EntriesThatAreCutClampedOrImpreciseAreWrittenBack) {
    const std::tuple<const char*, float, float, bool> cases[] = {
        {"2.5", 0.0f, 2.5f, false},
        {"4", 0.0f, 4.0f, false},
        {"3x7", 0.0f, 3.0f, true},
        {"12", 0.0f, 8.0f, true},
        {"-1", 2.0f, 2.0f, true},
        {"2.0037", 0.0f, 2.0037f, true},
        {"0.0000000000199999", 0.0f, 1e-11f, true}};
    for (const auto& [text, start, value, rewrite] : cases) {
        const ReadoutEntry e = parseReadoutEntry(text, start, 8.0f);
        EXPECT_FLOAT_EQ(e.value, value) << '"' << text << '"';
        EXPECT_EQ(e.rewrite, rewrite) << '"' << text << '"';
    }
    EXPECT_EQ(parseReadoutEntry("", 1.0f, 8.0f).value, 1.0f);
}

}  // namespace
}  // namespace kvt
