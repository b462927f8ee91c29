#include "scope/ScopeGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "data/AcquisitionBuffers.h"
#include "data/Format.h"

namespace kvt {
namespace {

constexpr int kLastSampleIndex = kSampleEntries - 1;

// Float results can come from damaged project files; they are bounded before they become ints.
int boundedTrunc(double value, double low, double high) {
    if (std::isnan(value)) {
        return static_cast<int>(low);
    }
    return static_cast<int>(std::trunc(std::clamp(value, low, high)));
}

// value x numerator / denominator rounded to the nearest whole unit (halves up); called for
// every trace point, so it stays in integers.
int scaleRounded(int value, int numerator, int denominator) {
    if (numerator == denominator) {
        return value;
    }
    const std::int64_t twice = 2 * static_cast<std::int64_t>(value) * numerator + denominator;
    const std::int64_t divisor = 2 * static_cast<std::int64_t>(denominator);
    std::int64_t q = twice / divisor;
    if (twice % divisor != 0 && twice < 0) {
        --q;  // floor for negative values
    }
    return static_cast<int>(q);
}

}  // namespace

PageMapping::PageMapping(int clientWidth, int clientHeight)
    : clientWidth_(std::max(clientWidth, 1)),
      clientHeight_(std::max(clientHeight, 1)),
      windowWidth_(std::max(clientWidth, page::kWidth)),
      windowHeight_(std::max(clientHeight, page::kHeight)) {}

int PageMapping::toDeviceX(int logicalX) const {
    return scaleRounded(logicalX, clientWidth_, windowWidth_);
}

int PageMapping::toDeviceY(int logicalY) const {
    return scaleRounded(logicalY, clientHeight_, windowHeight_);
}

int PageMapping::toLogicalX(int deviceX) const {
    return scaleRounded(deviceX, windowWidth_, clientWidth_);
}

int PageMapping::toLogicalY(int deviceY) const {
    return scaleRounded(deviceY, windowHeight_, clientHeight_);
}

LogicalRect PageMapping::toDevice(const LogicalRect& r) const {
    return {toDeviceX(r.left), toDeviceY(r.top), toDeviceX(r.right), toDeviceY(r.bottom)};
}

CheckedClient checkClientSize(int width, int height, const char* where, TraceSink& trace) {
    CheckedClient client{width, height, false};
    if (width <= 0) {
        trace.info(format("%s: nWidthDP == 0 \n", where));
        client.width = 1;
        client.zeroWidth = true;
    }
    if (height <= 0) {
        trace.info(format("%s: nHeightDP == 0 \n", where));
        client.height = 1;
    }
    return client;
}

bool largeLabelFont(int screenWidth) {
    return screenWidth > page::kLargeScreenWidth;
}

int labelHeightForScreen(int screenWidth) {
    return largeLabelFont(screenWidth) ? page::kLabelHeightLarge : page::kLabelHeightSmall;
}

int timeDivisions(float viewStart, float viewEnd, float period) {
    const float samples = (viewEnd - viewStart) / period;
    if (!std::isfinite(samples) || samples <= 0.0f) {
        return 1;
    }
    int n = std::max(boundedTrunc(samples + 0.5, 0.0, 1e9), 1);
    for (double divisor = 5.0; n > 10; divisor *= 5.0) {
        n = std::max(boundedTrunc(samples / divisor + 0.5, 0.0, 1e9), 1);
    }
    return n;
}

int timeTickX(int i, int divisions) {
    return page::kPlotLeft + page::kPlotWidth * i / std::max(divisions, 1);
}

float timeTickValue(int i, int divisions, float viewStart, float viewEnd, bool triggerMode) {
    const float part =
        (viewEnd - viewStart) * static_cast<float>(i) / static_cast<float>(std::max(divisions, 1));
    return triggerMode ? viewEnd - part : viewStart + part;
}

std::string timeLabelText(float seconds) {
    return format("%3.3f", static_cast<double>(seconds));
}

ValueTicks valueTicks(int yMin, int yMax) {
    ValueTicks t;
    t.range = std::max(yMax - yMin, 1);
    t.divisions = t.range / 10;
    if (t.divisions <= 2) {
        t.divisions = t.range;
        if (t.range > 10) {
            t.divisions >>= 1;
        }
        if (t.divisions == 0) {
            t.divisions = 1;
        }
    }
    t.step = t.range / t.divisions;
    return t;
}

int valueTickY(int i, const ValueTicks& t) {
    return page::kPlotTop + t.step * i * page::kPlotHeight / t.range;
}

int leftTickValue(int i, int yMax, const ValueTicks& t) {
    return yMax - t.step * i;
}

int rightTickValue(int i, int yMax, const ValueTicks& t) {
    return leftTickValue(i, yMax, t) * 2 - 100;
}

std::string valueLabelText(int i, int value) {
    return i == 0 ? format("%3d %%", value) : format("%3d", value);
}

int samplesInView(float viewStart, float viewEnd, float fullSpan, float period) {
    const float span = std::min(viewEnd - viewStart, fullSpan);
    const double samples = static_cast<double>(span / period) + 0.5;
    return std::max(boundedTrunc(samples, 0.0, 1e7), 1);
}

float pixelsPerSample(int samplesInView) {
    return static_cast<float>(page::kPlotWidth) / static_cast<float>(std::max(samplesInView, 1));
}

int TracePlan::sampleIndex(int j) const {
    return std::min(startIndex + j, kLastSampleIndex);
}

int traceStartIndex(float viewStart, float viewEnd, int acqTime, float period, bool triggerMode) {
    const float origin = triggerMode ? static_cast<float>(acqTime) - viewEnd : viewStart;
    return boundedTrunc(static_cast<double>(origin / period) + 0.5, 0.0, kLastSampleIndex);
}

int traceStep(int samplesInView, bool acquisitionActive) {
    if (!acquisitionActive) {
        return 1;
    }
    return std::clamp((samplesInView + 1) / 500, 1, 10);
}

TracePlan tracePlan(float viewStart, float viewEnd, float fullSpan, int acqTime, float period,
                    bool triggerMode, bool acquisitionActive) {
    TracePlan plan;
    const int samples = samplesInView(viewStart, viewEnd, fullSpan, period);
    plan.startIndex = traceStartIndex(viewStart, viewEnd, acqTime, period, triggerMode);
    plan.step = traceStep(samples, acquisitionActive);
    plan.pointCount = samples + 1 >= kSampleEntries ? 0 : samples + 1;
    plan.pixelsPerSample = pixelsPerSample(samples);
    return plan;
}

int traceX(int j, float pixelsPerSample) {
    return page::kPlotLeft +
           static_cast<int>(static_cast<double>(static_cast<float>(j) * pixelsPerSample) + 0.5);
}

int analogTraceY(int channel, float value, int yMin, int yMax) {
    const int range = std::max(yMax - yMin, 1);
    float offset = 0.0f;
    if (channel < 2) {
        offset = (static_cast<float>(yMin) - value) * 500.0f / static_cast<float>(range);
    } else {
        offset =
            (static_cast<float>(2 * yMin - 100) - value) * 500.0f / static_cast<float>(2 * range);
    }
    // Far outside the plot the clip hides the line anyway; the bound keeps the int sane.
    return page::kPlotBottom + boundedTrunc(static_cast<double>(offset) + 0.5, -100000.0, 100000.0);
}

int binaryTraceY(int strip, int value) {
    return page::kStripBase + page::kStripPitch * strip - (value != 0 ? page::kStripLevel : 0);
}

namespace {

// Appends a point unless it repeats the last one, folding the middle of three points on one row.
std::size_t appendPoint(std::span<TracePoint> points, std::size_t kept, TracePoint p) {
    if (kept > 0 && points[kept - 1] == p) {
        return kept;
    }
    if (kept >= 2 && points[kept - 1].y == p.y && points[kept - 2].y == p.y) {
        points[kept - 1] = p;
        return kept;
    }
    points[kept] = p;
    return kept + 1;
}

}  // namespace

std::size_t reducePolyline(std::span<TracePoint> points) {
    std::size_t kept = 0;
    std::size_t i = 0;
    while (i < points.size()) {
        // One column: i .. end - 1. Kept points never overtake the run being read.
        std::size_t end = i + 1;
        std::size_t low = i;
        std::size_t high = i;
        while (end < points.size() && points[end].x == points[i].x) {
            if (points[end].y < points[low].y) {
                low = end;
            }
            if (points[end].y > points[high].y) {
                high = end;
            }
            ++end;
        }
        const TracePoint first = points[i];
        const TracePoint last = points[end - 1];
        const TracePoint lowPoint = points[low];
        const TracePoint highPoint = points[high];
        kept = appendPoint(points, kept, first);
        if (low < high) {
            kept = appendPoint(points, kept, lowPoint);
            kept = appendPoint(points, kept, highPoint);
        } else {
            kept = appendPoint(points, kept, highPoint);
            kept = appendPoint(points, kept, lowPoint);
        }
        kept = appendPoint(points, kept, last);
        i = end;
    }
    return kept;
}

int progressX(int sampleCount, float period, int acqTime) {
    if (acqTime <= 0) {
        return 0;
    }
    const float x = static_cast<float>(sampleCount) * period *
                    static_cast<float>(page::kPlotWidth) / static_cast<float>(acqTime);
    return boundedTrunc(static_cast<double>(x) + 0.5, 0.0, page::kProgressMax);
}

ProgressDamage progressDamage(int previousX, int x) {
    ProgressDamage damage;
    const int left = previousX < x ? previousX + 423 : 420;
    damage.strip = {left, 95, x + 442, 935};
    if (previousX > x) {
        damage.wrapped = true;
        damage.wrapArea = {1120, 100, 1150, 935};
    }
    return damage;
}

LogicalRect progressBarRect(int x) {
    return {page::kProgressLeft + x, page::kProgressTop,
            page::kProgressLeft + page::kProgressWidth + x, page::kProgressBottom};
}

}  // namespace kvt
