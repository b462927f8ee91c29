#pragma once

namespace kvt {

inline constexpr int kDefaultYMin = -11;
inline constexpr int kDefaultYMax = 100;

// The visible part of a recording: a time window in seconds and the percent range of channels 1
// and 2 (channels 3 and 4 show the doubled range).
struct ViewWindow {
    float start = 0.0f;
    float end = 0.0f;
    int yMin = kDefaultYMin;
    int yMax = kDefaultYMax;

    bool operator==(const ViewWindow&) const = default;
};

// A released zoom drag in logical units: x offsets from the plot's left edge (x1 <= x2) and the
// rectangle's top and bottom y.
struct ZoomRect {
    int x1 = 0;
    int x2 = 0;
    int yTop = 0;
    int yBottom = 0;
};

// The window after a zoom drag. Never narrower than three sample periods, never outside the old
// window or 0 .. full span; the percent range changes only for a rectangle taller than 5 %.
ViewWindow zoomWindow(const ViewWindow& old, const ZoomRect& rect, float fullSpan, float period,
                      bool triggerMode);

// trunc(t x 1000 + 0.5) / 1000.
float roundToMilliseconds(float t);
// Period in whole milliseconds, at least 1.
int periodMilliseconds(float period);

}  // namespace kvt
