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

// Drags over the whole height change the time span only: ends snap outward to the sample grid,
// at least three periods stay in view, and the result never leaves the old window or the
// recording.
TEST(ScopeZoom, TimeSpansFollowTheDragOnTheSampleGrid) {
    const ViewWindow three{0.8f, 0.812f, -11, 100};
    const ViewWindow zoomed{2.0f, 4.0f, -11, 100};
    const ViewWindow old{0.0f, 20.0f, -11, 100};  // acqTime shortened since
    struct Case {
        ViewWindow from;
        int x1, x2;
        float period;
        bool trigger;
        float start, end;
        const char* what;
    };
    const Case cases[] = {
        {kFull, 0, 350, kP, false, 0.0f, 4.0f, "half the plot"},
        {kFull, 0, 350, kP, true, 4.0f, 8.0f, "Trigger Mode: the left half is the older"},
        {kFull, 350, 700, kP, true, 0.0f, 4.0f, "Trigger Mode: the right half"},
        {kFull, 70, 71, kP, false, 0.8f, 0.812f, "narrower than three samples"},
        {kFull, 699, 700, kP, false, 7.988f, 8.0f, "three periods inside at the end"},
        {three, 100, 101, kP, false, 0.8f, 0.812f, "three samples again: unchanged"},
        {kFull, 1, 2, 0.01f, false, 0.01f, 0.04f, "0.0114..0.0229 snapped, then widened"},
        {kFull, 101, 202, 0.01f, false, 1.15f, 2.31f, "snapped outward"},
        {zoomed, -2, 702, kP, false, 2.0f, 4.0f, "the hit area beyond the plot"},
        {old, 0, 700, kP, false, 0.0f, 8.0f, "cut to the recording"},
    };
    for (const Case& c : cases) {
        const ViewWindow w = zoomWindow(c.from, timeOnly(c.x1, c.x2), 8.0f, c.period, c.trigger);
        EXPECT_FLOAT_EQ(w.start, c.start) << c.what;
        EXPECT_FLOAT_EQ(w.end, c.end) << c.what;
        EXPECT_EQ(w.yMin, -11) << c.what;
        EXPECT_EQ(w.yMax, 100) << c.what;
    }
    EXPECT_EQ(samplesInView(0.8f, 0.812f, 8.0f, kP), 3);
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
