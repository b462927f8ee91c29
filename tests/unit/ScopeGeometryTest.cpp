#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "scope/ScopeGeometry.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

TEST(ScopeTimeTicks, EightSecondsAtFourMillisecondsGiveThreeDivisions) {
    // 2000 samples: divided by 5, 25, 125 and 625 before the count drops to 1..10.
    const int n = timeDivisions(0.0f, 8.0f, 0.004f);
    ASSERT_EQ(n, 3);
    std::vector<std::string> labels;
    std::vector<int> xs;
    for (int i = 0; i <= n; ++i) {
        labels.push_back(timeLabelText(timeTickValue(i, n, 0.0f, 8.0f, false)));
        xs.push_back(timeTickX(i, n));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"0.000", "2.667", "5.333", "8.000"}));
    EXPECT_EQ(xs, (std::vector<int>{430, 663, 896, 1130}));
    // Trigger Mode counts back from the newest sample.
    labels.clear();
    for (int i = 0; i <= n; ++i) {
        labels.push_back(timeLabelText(timeTickValue(i, n, 0.0f, 8.0f, true)));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"8.000", "5.333", "2.667", "0.000"}));
}

// Three samples give one tick each, and so do ten; 11 / 5 rounds to 2, 5000 / 625 is 8 and 40 / 5
// too. An empty window still has one division, and no period divides by zero.
TEST(ScopeTimeTicks, DivisionCountsForShortAndLongWindows) {
    const std::tuple<float, float, float, int> cases[] = {
        {0.8f, 0.812f, 0.004f, 3}, {0.0f, 0.04f, 0.004f, 10}, {0.0f, 0.044f, 0.004f, 2},
        {0.0f, 20.0f, 0.004f, 8},  {0.0f, 8.0f, 0.2f, 8},     {2.0f, 2.0f, 0.004f, 1},
        {0.0f, 8.0f, 0.0f, 1}};
    for (const auto& [start, end, period, divisions] : cases) {
        EXPECT_EQ(timeDivisions(start, end, period), divisions) << start << ".." << end;
    }
}

TEST(ScopeValueTicks, DefaultRangeHasElevenDivisionsOfTenPercent) {
    const ValueTicks t = valueTicks(-11, 100);
    EXPECT_EQ(t.range, 111);
    EXPECT_EQ(t.divisions, 11);
    EXPECT_EQ(t.step, 10);
    std::vector<std::string> left;
    std::vector<std::string> right;
    for (int i = 0; i <= t.divisions; ++i) {
        left.push_back(valueLabelText(i, leftTickValue(i, 100, t)));
        right.push_back(valueLabelText(i, rightTickValue(i, 100, t)));
    }
    EXPECT_EQ(left, (std::vector<std::string>{"100 %", " 90", " 80", " 70", " 60", " 50", " 40",
                                              " 30", " 20", " 10", "  0", "-10"}));
    EXPECT_EQ(right, (std::vector<std::string>{"100 %", " 80", " 60", " 40", " 20", "  0", "-20",
                                               "-40", "-60", "-80", "-100", "-120"}));
    EXPECT_EQ(valueTickY(0, t), 100);
    EXPECT_EQ(valueTickY(1, t), 145);
    EXPECT_EQ(valueTickY(11, t), 595);
}

// Narrow ranges tick every percent, or over half the range when a tenth would be 2 (25 / 10); an
// empty range still has one division.
TEST(ScopeValueTicks, NarrowRangesUseOnePercentOrHalfTheRange) {
    const std::array<int, 4> cases[] = {{20, 26, 6, 1}, {0, 25, 12, 2}, {0, 30, 3, 10}};
    for (const auto& [min, max, divisions, step] : cases) {
        EXPECT_EQ(valueTicks(min, max).divisions, divisions) << min << ".." << max;
        EXPECT_EQ(valueTicks(min, max).step, step) << min << ".." << max;
    }
    EXPECT_EQ(valueTicks(5, 5).divisions, 1);
    EXPECT_EQ(valueTickY(1, valueTicks(5, 5)), 600);
}

TEST(ScopePageMapping, ScalesSmallClientsDownAndShowsLargeOnesOneToOne) {
    const PageMapping exact(1280, 960);
    EXPECT_EQ(exact.toDeviceX(430), 430);
    EXPECT_EQ(exact.toLogicalY(600), 600);

    const PageMapping half(640, 480);
    EXPECT_EQ(half.windowWidth(), 1280);
    EXPECT_EQ(half.toDeviceX(430), 215);
    EXPECT_EQ(half.toDeviceY(600), 300);
    EXPECT_EQ(half.toLogicalX(215), 430);
    EXPECT_EQ(half.toLogicalY(301), 602);

    const PageMapping large(2000, 1200);
    EXPECT_EQ(large.windowWidth(), 2000);
    EXPECT_EQ(large.windowHeight(), 1200);
    EXPECT_EQ(large.toDeviceX(1130), 1130);
    EXPECT_EQ(large.toDevice({428, 98, 1132, 602}), (LogicalRect{428, 98, 1132, 602}));
}

TEST(ScopePageMapping, ZeroClientSizeIsTracedAndTakenAsOne) {
    test::RecordingTrace trace;
    const CheckedClient c = checkClientSize(0, 0, "OnLButtonDown", trace);
    EXPECT_TRUE(c.zeroWidth);
    EXPECT_EQ(c.width, 1);
    EXPECT_EQ(c.height, 1);
    EXPECT_EQ(trace.texts(), (std::vector<std::string>{"OnLButtonDown: nWidthDP == 0 \n",
                                                       "OnLButtonDown: nHeightDP == 0 \n"}));
    trace.clear();
    const CheckedClient ok = checkClientSize(800, 0, "ZoomWindow", trace);
    EXPECT_FALSE(ok.zeroWidth);
    EXPECT_EQ(ok.width, 800);
    EXPECT_EQ(trace.texts(), (std::vector<std::string>{"ZoomWindow: nHeightDP == 0 \n"}));
}

TEST(ScopeLabels, LabelHeightFollowsTheScreenWidth) {
    EXPECT_EQ(labelHeightForScreen(1920), 30);
    EXPECT_EQ(labelHeightForScreen(1000), 40);
    EXPECT_TRUE(largeLabelFont(1001));
    EXPECT_FALSE(largeLabelFont(800));
}

TEST(ScopeTraces, FullWindowDrawsEverySampleAcrossThePlotUnlessRecording) {
    const TracePlan plan = tracePlan(0.0f, 8.0f, 8.0f, 8, 0.004f, false, false);
    EXPECT_EQ(plan.startIndex, 0);
    EXPECT_EQ(plan.step, 1);
    EXPECT_EQ(plan.pointCount, 2001);
    EXPECT_FLOAT_EQ(plan.pixelsPerSample, 0.35f);
    EXPECT_EQ(traceX(0, plan.pixelsPerSample), 430);
    EXPECT_EQ(traceX(1000, plan.pixelsPerSample), 780);
    EXPECT_EQ(traceX(2000, plan.pixelsPerSample), 1130);
    // While recording the trace thins to about five hundred points.
    EXPECT_EQ(tracePlan(0.0f, 8.0f, 8.0f, 8, 0.004f, false, true).step, 4);
    EXPECT_EQ(tracePlan(0.0f, 20.0f, 20.0f, 20, 0.004f, false, true).step, 10);
    EXPECT_EQ(tracePlan(0.0f, 8.0f, 8.0f, 8, 0.2f, false, true).step, 1);
    EXPECT_EQ(traceStep(100000, true), 10);
}

TEST(ScopeTraces, StartIndexCountsFromTheEndInTriggerModeAndStaysInsideTheArrays) {
    // Window 2..4 s before the newest sample of an 8 s recording: samples from 4 s on.
    EXPECT_EQ(traceStartIndex(2.0f, 4.0f, 8, 0.004f, true), 1000);
    EXPECT_EQ(traceStartIndex(2.0f, 4.0f, 8, 0.004f, false), 500);
    // acqTime shortened to 4 s while the window still reaches 20 s: would be -4000.
    EXPECT_EQ(traceStartIndex(0.0f, 20.0f, 4, 0.004f, true), 0);
    EXPECT_EQ(traceStartIndex(30.0f, 31.0f, 20, 0.004f, false), 5099);
    const TracePlan plan = tracePlan(19.0f, 20.0f, 20.0f, 20, 0.004f, false, false);
    EXPECT_EQ(plan.sampleIndex(0), 4750);
    EXPECT_EQ(plan.sampleIndex(400), 5099);  // never beyond the last entry
    // Windows of more than the arrays draw nothing.
    EXPECT_EQ(tracePlan(0.0f, 30.0f, 30.0f, 30, 0.004f, false, false).pointCount, 0);
    EXPECT_EQ(tracePlan(0.0f, 20.0f, 20.0f, 20, 0.004f, false, false).pointCount, 5001);
}

// Channels 3 and 4 have the doubled range -122 .. 100; halves truncate toward zero (-499.5 to
// -499, -249.5 to -249). Damaged values stay on a bounded line, and any binary value but 0 is
// high, never off its strip.
TEST(ScopeTraces, ValuesMapOntoTheirRangesAndStayOnTheStrip) {
    const std::tuple<int, float, int, int, int> analog[] = {
        {0, -11.0f, -11, 100, 600},         {0, 100.0f, -11, 100, 101},
        {1, 50.0f, -11, 100, 326},          {2, -122.0f, -11, 100, 600},
        {3, 100.0f, -11, 100, 101},         {2, -11.0f, -11, 100, 351},
        {0, 72.0f, 44, 100, 351},           {0, 1e30f, -11, 100, 600 - 100000},
        {0, -1e30f, -11, 100, 600 + 100000}};
    for (const auto& [channel, value, min, max, y] : analog) {
        EXPECT_EQ(analogTraceY(channel, value, min, max), y) << channel << ": " << value;
    }
    const int nan = analogTraceY(0, std::numeric_limits<float>::quiet_NaN(), -11, 100);
    EXPECT_GE(nan, 600 - 100000);
    EXPECT_LE(nan, 600 + 100000);
    const std::array<int, 3> binary[] = {{0, 0, 680}, {0, 1, 650}, {3, 0, 860}, {1, 7, 710}};
    for (const auto& [channel, value, y] : binary) {
        EXPECT_EQ(binaryTraceY(channel, value), y) << channel << ": " << value;
    }
}

TEST(ScopeProgress, BarFollowsTheSampleCount) {
    const std::tuple<int, float, int, int> cases[] = {{1000, 0.004f, 8, 350},
                                                      {2000, 0.004f, 8, 700},
                                                      {5000, 0.004f, 8, 700},
                                                      {-5, 0.004f, 8, 0},
                                                      {1000, 0.004f, 0, 0}};
    for (const auto& [samples, period, acqTime, x] : cases) {
        EXPECT_EQ(progressX(samples, period, acqTime), x) << samples;
    }
    EXPECT_EQ(progressBarRect(350), (LogicalRect{775, 100, 790, 860}));
    // The damage covers the strip behind the bar.
    const ProgressDamage forward = progressDamage(100, 350);
    EXPECT_EQ(forward.strip, (LogicalRect{523, 95, 792, 935}));
    EXPECT_FALSE(forward.wrapped);
    const ProgressDamage still = progressDamage(700, 700);  // Trigger Mode: the whole plot
    EXPECT_EQ(still.strip, (LogicalRect{420, 95, 1142, 935}));
    const ProgressDamage back = progressDamage(700, 10);
    EXPECT_EQ(back.strip, (LogicalRect{420, 95, 452, 935}));
    EXPECT_TRUE(back.wrapped);
    EXPECT_EQ(back.wrapArea, (LogicalRect{1120, 100, 1150, 935}));
}

using Points = std::vector<TracePoint>;

Points reduced(Points points) {
    points.resize(reducePolyline(points));
    return points;
}

// The pixels of a polyline under a simple line rasteriser: each segment covers the rounded
// points of max(|dx|, |dy|) + 1 equal steps.
std::set<std::pair<int, int>> pixels(const Points& points) {
    std::set<std::pair<int, int>> out;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TracePoint a = points[i];
        const TracePoint b = i + 1 < points.size() ? points[i + 1] : a;
        const int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        for (int s = 0; s <= steps; ++s) {
            const double t = steps == 0 ? 0.0 : static_cast<double>(s) / steps;
            out.insert({static_cast<int>(std::lround(a.x + (b.x - a.x) * t)),
                        static_cast<int>(std::lround(a.y + (b.y - a.y) * t))});
        }
    }
    return out;
}

TEST(ScopePolyline, ColumnsKeepFirstLowestHighestAndLastRowsTheirEnds) {
    EXPECT_TRUE(reduced({}).empty());
    EXPECT_EQ(reduced({{0, 5}, {0, 4}, {0, 3}, {0, 6}, {0, 9}, {0, 8}, {0, 7}, {1, 7}}),
              (Points{{0, 5}, {0, 3}, {0, 9}, {0, 7}, {1, 7}}));
    EXPECT_EQ(reduced({{0, 5}, {0, 9}, {0, 1}, {1, 1}}), (Points{{0, 5}, {0, 9}, {0, 1}, {1, 1}}));
    EXPECT_EQ(reduced({{3, 3}, {3, 3}, {3, 3}}), (Points{{3, 3}}));
    // Rows keep their ends.
    EXPECT_EQ(reduced({{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 6}}), (Points{{0, 5}, {3, 5}, {4, 6}}));
    // A binary step: low, up at 2, high.
    EXPECT_EQ(reduced({{0, 680}, {1, 680}, {2, 680}, {2, 650}, {3, 650}, {4, 650}}),
              (Points{{0, 680}, {2, 680}, {2, 650}, {4, 650}}));
}

TEST(ScopePolyline, ReducedTraceCoversTheSamePixels) {
    // A noisy 5000-sample trace over the 700 units of the plot.
    Points trace;
    std::uint32_t seed = 12345;
    int y = 300;
    for (int j = 0; j <= 5000; ++j) {
        seed = seed * 1103515245u + 12345u;
        y = std::clamp(y + static_cast<int>((seed >> 16) % 9) - 4, 100, 600);
        trace.push_back({traceX(j, 0.14f), y});
    }
    const Points kept = reduced(trace);
    EXPECT_LE(kept.size(), 4u * 701u);
    EXPECT_LT(kept.size(), trace.size() / 2);
    EXPECT_EQ(pixels(kept), pixels(trace));
}

}  // namespace
}  // namespace kvt
