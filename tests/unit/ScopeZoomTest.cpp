#include <gtest/gtest.h>

#include "scope/ScopeGeometry.h"
#include "scope/ScopeZoom.h"

namespace kvt {
namespace {

constexpr float kP = 0.004f;
const ViewWindow kFull{0.0f, 8.0f, -11, 100};

// A drag over the whole height keeps the percent range.
ZoomRect timeOnly(int x1, int x2) {
    return {x1, x2, page::kHitTop, page::kHitBottom};
}

TEST(ScopeZoom, HalfThePlotGivesHalfTheWindow) {
    const ViewWindow w = zoomWindow(kFull, timeOnly(0, 350), 8.0f, kP, false);
    EXPECT_FLOAT_EQ(w.start, 0.0f);
    EXPECT_FLOAT_EQ(w.end, 4.0f);
    EXPECT_EQ(w.yMin, -11);
    EXPECT_EQ(w.yMax, 100);
}

TEST(ScopeZoom, TriggerModeMeasuresFromTheWindowEnd) {
    // The left half of a Trigger Mode plot shows the older half: 8 .. 4 s before the newest.
    const ViewWindow w = zoomWindow(kFull, timeOnly(0, 350), 8.0f, kP, true);
    EXPECT_FLOAT_EQ(w.start, 4.0f);
    EXPECT_FLOAT_EQ(w.end, 8.0f);
    const ViewWindow right = zoomWindow(kFull, timeOnly(350, 700), 8.0f, kP, true);
    EXPECT_FLOAT_EQ(right.start, 0.0f);
    EXPECT_FLOAT_EQ(right.end, 4.0f);
}

TEST(ScopeZoom, RectangleNarrowerThanThreeSamplesGivesExactlyThreePeriods) {
    const ViewWindow w = zoomWindow(kFull, timeOnly(70, 71), 8.0f, kP, false);
    EXPECT_FLOAT_EQ(w.start, 0.8f);
    EXPECT_FLOAT_EQ(w.end, 0.812f);
    EXPECT_EQ(samplesInView(w.start, w.end, 8.0f, kP), 3);

    // At the right end the window keeps its three periods inside the recording.
    const ViewWindow end = zoomWindow(kFull, timeOnly(699, 700), 8.0f, kP, false);
    EXPECT_FLOAT_EQ(end.start, 7.988f);
    EXPECT_FLOAT_EQ(end.end, 8.0f);

    // Zooming into a three-sample window again changes nothing.
    const ViewWindow again = zoomWindow(w, timeOnly(100, 101), 8.0f, kP, false);
    EXPECT_FLOAT_EQ(again.start, 0.8f);
    EXPECT_FLOAT_EQ(again.end, 0.812f);
}

TEST(ScopeZoom, EndsAreSnappedOutwardToTheSampleGrid) {
    // 1..2 units at 10 ms: 0.0114 s and 0.0229 s become 0.010 and 0.030.
    const ViewWindow w = zoomWindow(kFull, timeOnly(1, 2), 8.0f, 0.01f, false);
    EXPECT_FLOAT_EQ(w.start, 0.01f);
    EXPECT_FLOAT_EQ(w.end, 0.04f);  // 0.03 - 0.01 is not more than 3 periods: widened
    const ViewWindow wide = zoomWindow(kFull, timeOnly(101, 202), 8.0f, 0.01f, false);
    EXPECT_FLOAT_EQ(wide.start, 1.15f);
    EXPECT_FLOAT_EQ(wide.end, 2.31f);
}

TEST(ScopeZoom, NeverLeavesTheOldWindowOrTheRecording) {
    const ViewWindow zoomed{2.0f, 4.0f, -11, 100};
    // The hit area reaches two units beyond the plot on each side.
    const ViewWindow w = zoomWindow(zoomed, timeOnly(-2, 702), 8.0f, kP, false);
    EXPECT_FLOAT_EQ(w.start, 2.0f);
    EXPECT_FLOAT_EQ(w.end, 4.0f);
    // A window wider than the recording (acqTime shortened since) is cut to it.
    const ViewWindow old{0.0f, 20.0f, -11, 100};
    const ViewWindow cut = zoomWindow(old, timeOnly(0, 700), 8.0f, kP, false);
    EXPECT_FLOAT_EQ(cut.start, 0.0f);
    EXPECT_FLOAT_EQ(cut.end, 8.0f);
}

TEST(ScopeZoom, PercentRangeFollowsATallEnoughRectangle) {
    // From y 100 to 350: the upper half of -11..100.
    const ViewWindow w = zoomWindow(kFull, {0, 700, 100, 350}, 8.0f, kP, false);
    EXPECT_EQ(w.yMin, 44);
    EXPECT_EQ(w.yMax, 100);
    // Bottom-up drags give the same range.
    const ViewWindow swapped = zoomWindow(kFull, {0, 700, 350, 100}, 8.0f, kP, false);
    EXPECT_EQ(swapped.yMin, 44);
    EXPECT_EQ(swapped.yMax, 100);
}

TEST(ScopeZoom, FlatRectanglesKeepThePercentRange) {
    // 25 units of 500 over 111 % is 5 %: not more than 5, so unchanged.
    const ViewWindow w = zoomWindow(kFull, {0, 700, 300, 325}, 8.0f, kP, false);
    EXPECT_EQ(w.yMin, -11);
    EXPECT_EQ(w.yMax, 100);
    const ViewWindow tall = zoomWindow(kFull, {0, 700, 300, 330}, 8.0f, kP, false);
    EXPECT_EQ(tall.yMin, 48);
    EXPECT_EQ(tall.yMax, 55);
}

TEST(ScopeZoom, MillisecondRounding) {
    EXPECT_FLOAT_EQ(roundToMilliseconds(1.23449f), 1.234f);
    EXPECT_FLOAT_EQ(roundToMilliseconds(1.2345f), 1.235f);
    EXPECT_EQ(periodMilliseconds(0.004f), 4);
    EXPECT_EQ(periodMilliseconds(0.2f), 200);
    EXPECT_EQ(periodMilliseconds(0.0f), 1);
}

}  // namespace
}  // namespace kvt
