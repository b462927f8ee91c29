#include "scope/ScopeZoom.h"

#include <algorithm>
#include <cmath>

#include "scope/ScopeGeometry.h"

namespace kvt {
namespace {

// The factor 1/700 as the 32-bit constant the time arithmetic has always used.
constexpr float kPerPlotUnit = 0.0014285714f;
// Percent per logical unit and per unit of range: 1/500.
constexpr double kPerPlotHeight = 0.002;

long long toMilliseconds(float t) {
    if (std::isnan(t)) {
        return 0;
    }
    return std::llround(std::clamp(static_cast<double>(t) * 1000.0, -1e12, 1e12));
}

float fromMilliseconds(long long ms) {
    return static_cast<float>(static_cast<double>(ms) * 0.001);
}

long long floorToMultiple(long long ms, long long p) {
    return ms - (((ms % p) + p) % p);
}

long long ceilToMultiple(long long ms, long long p) {
    const long long rest = ((ms % p) + p) % p;
    return rest == 0 ? ms : ms + (p - rest);
}

void zoomTime(ViewWindow& w, const ViewWindow& old, const ZoomRect& rect, float fullSpan,
              float period, bool triggerMode) {
    const float span = old.end - old.start;
    const long long p = periodMilliseconds(period);
    float t1 = fromMilliseconds(
        floorToMultiple(toMilliseconds(static_cast<float>(rect.x1) * span * kPerPlotUnit), p));
    float t2 = fromMilliseconds(
        ceilToMultiple(toMilliseconds(static_cast<float>(rect.x2) * span * kPerPlotUnit), p));
    const float threePeriods = 3.0f * period;
    if (t2 - t1 <= threePeriods) {
        t2 = t1 + threePeriods;
    }

    if (triggerMode) {
        w.end = old.end - t1;
        w.start = old.end - t2;
    } else {
        w.start = old.start + t1;
        w.end = old.start + t2;
    }

    w.start = std::min(w.start, fullSpan - threePeriods);
    w.start = std::max(w.start, old.start);
    w.start = std::max(w.start, 0.0f);
    w.end = std::min(w.end, fullSpan);
    w.end = std::min(w.end, old.end);
    if (w.end <= threePeriods) {
        w.end = old.end;
    }
    if (w.start > w.end) {
        if (w.start > threePeriods) {
            w.start -= threePeriods;
        } else if (w.end >= fullSpan - threePeriods) {
            w.start = 0.0f;
            w.end = fullSpan;
        } else {
            w.end += threePeriods;
        }
    }
    if (w.end - w.start <= threePeriods) {
        w.end = w.start + threePeriods;
    }
    w.start = roundToMilliseconds(w.start);
    w.end = roundToMilliseconds(w.end);
}

void zoomValues(ViewWindow& w, const ViewWindow& old, const ZoomRect& rect) {
    const double range = std::max(old.yMax - old.yMin, 1);
    int lo = static_cast<int>((page::kPlotBottom - rect.yBottom) * range * kPerPlotHeight);
    int hi = static_cast<int>((page::kPlotBottom - rect.yTop) * range * kPerPlotHeight);
    if (lo > hi) {
        std::swap(lo, hi);
    }
    if (hi - lo > 5) {
        w.yMax = old.yMin + hi;
        w.yMin = old.yMin + lo;
    }
    if (w.yMin > w.yMax) {
        if (w.yMin >= -5) {
            w.yMin -= 5;
        } else if (w.yMax >= 95) {
            w.yMin = kDefaultYMin;
            w.yMax = kDefaultYMax;
        } else {
            w.yMax += 5;
        }
    }
}

}  // namespace

float roundToMilliseconds(float t) {
    if (!std::isfinite(t)) {
        return 0.0f;
    }
    return static_cast<float>(std::trunc(static_cast<double>(t) * 1000.0 + 0.5) / 1000.0);
}

int periodMilliseconds(float period) {
    if (!(period > 0.0f)) {
        return 1;
    }
    return std::max(static_cast<int>(std::min(static_cast<double>(period) * 1000.0 + 0.5, 1e6)), 1);
}

ViewWindow zoomWindow(const ViewWindow& old, const ZoomRect& rect, float fullSpan, float period,
                      bool triggerMode) {
    ViewWindow w = old;
    zoomTime(w, old, rect, fullSpan, period, triggerMode);
    zoomValues(w, old, rect);
    return w;
}

}  // namespace kvt
