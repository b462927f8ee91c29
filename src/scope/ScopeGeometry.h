#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "data/TraceSink.h"

namespace kvt {

// The scope is drawn on a logical page of 1280 x 960 units that is scaled to the client area.
// Every position below is in those units; the view, printing and the tests share them.
namespace page {
inline constexpr int kWidth = 1280;
inline constexpr int kHeight = 960;

inline constexpr int kFrameLeft = 300;
inline constexpr int kFrameTop = 30;
inline constexpr int kFrameRight = 1230;
inline constexpr int kFrameBottom = 910;

// Analog plot: y max at the top, y min at the bottom.
inline constexpr int kPlotLeft = 430;
inline constexpr int kPlotRight = 1130;
inline constexpr int kPlotWidth = 700;
inline constexpr int kPlotTop = 100;
inline constexpr int kPlotBottom = 600;
inline constexpr int kPlotHeight = 500;

// A zoom drag starts inside this area; the zoom cursor shows over it; it clips the analog traces.
inline constexpr int kHitLeft = 428;
inline constexpr int kHitTop = 98;
inline constexpr int kHitRight = 1132;
inline constexpr int kHitBottom = 602;
// The analog clip reaches this many device pixels further left than the hit area.
inline constexpr int kClipLeftExtraDevice = 30;

inline constexpr int kLeftAxisX = 400;
inline constexpr int kRightAxisX = 1230;
inline constexpr int kAxisTop = 82;
inline constexpr int kAxisBottom = 606;
inline constexpr int kTimeAxisLeft = 395;
inline constexpr int kTickLength = 5;       // value ticks 395..400 and 1225..1230
inline constexpr int kTimeTickLength = 6;   // 600..606 under the plot
inline constexpr int kStripTickLength = 3;  // under each binary base line

// Binary strip k: value 0 on y = 680 + 60k, value 1 on y = 650 + 60k.
inline constexpr int kStripCount = 4;
inline constexpr int kStripBase = 680;
inline constexpr int kStripPitch = 60;
inline constexpr int kStripLevel = 30;

inline constexpr int kProgressLeft = 425;
inline constexpr int kProgressWidth = 15;
inline constexpr int kProgressTop = 100;
inline constexpr int kProgressBottom = 860;
inline constexpr int kProgressMax = 700;

// Readout cursor: a line from the plot top to 885 and a handle triangle down to 910.
inline constexpr int kCursorTop = 100;
inline constexpr int kCursorBottom = 885;
inline constexpr int kHandleBottom = 910;
inline constexpr int kHandleHalfWidth = 8;
inline constexpr int kHandleTop = 860;
inline constexpr int kHandleGrabMargin = 10;  // the handle is easier to catch than to see

// Label geometry.
inline constexpr int kLabelHeightLarge = 30;  // screens wider than 1000 pixels
inline constexpr int kLabelHeightSmall = 40;
inline constexpr int kLargeScreenWidth = 1000;
inline constexpr int kMaxValueLabels = 25;  // per side
inline constexpr int kMaxTimeLabels = 18;
}  // namespace page

struct LogicalRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const LogicalRect&) const = default;
};

inline constexpr LogicalRect kPlotHitArea{page::kHitLeft, page::kHitTop, page::kHitRight,
                                          page::kHitBottom};

// Anisotropic mapping of the logical page onto a client area: window extent
// (max(client width, 1280), max(client height, 960)), viewport extent = the client size. A
// smaller client scales the picture down; a larger one shows it 1:1. Conversions round to the
// nearest unit.
class PageMapping {
  public:
    PageMapping(int clientWidth, int clientHeight);

    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    int windowWidth() const { return windowWidth_; }
    int windowHeight() const { return windowHeight_; }

    int toDeviceX(int logicalX) const;
    int toDeviceY(int logicalY) const;
    int toLogicalX(int deviceX) const;
    int toLogicalY(int deviceY) const;
    LogicalRect toDevice(const LogicalRect& logical) const;

  private:
    int clientWidth_;
    int clientHeight_;
    int windowWidth_;
    int windowHeight_;
};

// The client size as the mouse and zoom arithmetic take it: a zero width or height is traced as
// "<where>: nWidthDP == 0 \n" / "<where>: nHeightDP == 0 \n" and taken as 1.
struct CheckedClient {
    int width = 1;
    int height = 1;
    bool zeroWidth = false;
};
CheckedClient checkClientSize(int width, int height, const char* where, TraceSink& trace);

// Label height fh and whether the large label font applies, by the screen width.
int labelHeightForScreen(int screenWidth);
bool largeLabelFont(int screenWidth);

// --- time axis ---------------------------------------------------------------------------------

// Divisions of the time axis: one per sample while that gives at most ten, else the sample
// count divided by 5, 25, 125, ... until it gives 1..10.
int timeDivisions(float viewStart, float viewEnd, float period);
// x of tick i (0..divisions).
int timeTickX(int i, int divisions);
// Label value of tick i; Trigger Mode counts back from the newest sample at the right.
float timeTickValue(int i, int divisions, float viewStart, float viewEnd, bool triggerMode);
std::string timeLabelText(float seconds);  // "%3.3f"

// --- value axis --------------------------------------------------------------------------------

struct ValueTicks {
    int range = 1;      // y max - y min
    int divisions = 1;  // m
    int step = 1;       // s, percent per division
};
ValueTicks valueTicks(int yMin, int yMax);
// y of tick i (0..divisions).
int valueTickY(int i, const ValueTicks& ticks);
// Values at tick i: channels 1 and 2 on the left, channels 3 and 4 (doubled range) on the right.
int leftTickValue(int i, int yMax, const ValueTicks& ticks);
int rightTickValue(int i, int yMax, const ValueTicks& ticks);
// "%3d %%" for the top tick, "%3d" for the others.
std::string valueLabelText(int i, int value);

// --- traces ------------------------------------------------------------------------------------

// trunc(min(view end - view start, full span) / P + 0.5), at least 1.
int samplesInView(float viewStart, float viewEnd, float fullSpan, float period);
float pixelsPerSample(int samplesInView);

// What the analog and binary traces draw: point j (0, step, 2 step, ... < pointCount) lies at
// x = traceX(j) and shows sample startIndex + j (never beyond the last array entry).
struct TracePlan {
    int startIndex = 0;
    int step = 1;
    int pointCount = 0;  // 0: nothing is drawn
    float pixelsPerSample = 0.0f;

    int sampleIndex(int j) const;
};

// First sample of the window: view start / P, or in Trigger Mode (acqTime - view end) / P,
// rounded and kept inside the arrays (a shorter acqTime with an old window goes negative).
int traceStartIndex(float viewStart, float viewEnd, int acqTime, float period, bool triggerMode);
// Every sample, or while recording every k-th with k = (samples + 1) / 500 in 1..10.
int traceStep(int samplesInView, bool acquisitionActive);
TracePlan tracePlan(float viewStart, float viewEnd, float fullSpan, int acqTime, float period,
                    bool triggerMode, bool acquisitionActive);

int traceX(int j, float pixelsPerSample);
// Channels 0 and 1 span y min..y max; channels 2 and 3 the doubled range 2 y min - 100 ..
// 2 y max - 100. Values far outside (or not numbers, from a damaged file) stay on a bounded y.
int analogTraceY(int channel, float value, int yMin, int yMax);
// Anything but 0 is drawn at the high level.
int binaryTraceY(int strip, int value);

// Drops the points of a trace polyline (x never decreasing) that add no pixel to it: a run of
// points on one x becomes its first, lowest, highest and last point, and the middle one of
// three points on one y goes. A 5000-sample trace over 700 units keeps at most 2800 points.
// Works in place; returns the number of points kept.
struct TracePoint {
    int x = 0;
    int y = 0;
    bool operator==(const TracePoint&) const = default;
};
std::size_t reducePolyline(std::span<TracePoint> points);

// --- progress bar ------------------------------------------------------------------------------

// trunc(count x P x 700 / acqTime + 0.5) in 0..700.
int progressX(int sampleCount, float period, int acqTime);

// The strip a display update repaints: from the previous bar to the new one, plus the right
// end of the plot when the bar went back.
struct ProgressDamage {
    LogicalRect strip;
    bool wrapped = false;
    LogicalRect wrapArea;
};
ProgressDamage progressDamage(int previousX, int x);
LogicalRect progressBarRect(int x);

}  // namespace kvt
