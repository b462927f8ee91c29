#pragma once

#include <string_view>

#include "scope/ScopeGeometry.h"

namespace kvt {

// The readout cursor marks one sample; its time is kept in whole milliseconds on the sample
// grid. Every change of the readout time goes through snapReadoutTime.

// ms = trunc((t + 0.0005) x 1000); when ms is not a multiple of the period in ms it rises to the
// next multiple while t lies before the window end, else falls to the one below (from 1 ms on).
// A time already on the grid is returned unchanged, sub-millisecond digits included.
float snapReadoutTime(float t, float period, float viewEnd);

// Sample under the cursor: t / P rounded (Trigger Mode: (acqTime - t) / P), kept in 0..5099.
int readoutIndex(float readoutTime, float period, int acqTime, bool triggerMode);

// Cursor position from the plot's left edge in logical units.
int cursorOffset(float readoutTime, float viewStart, float viewEnd, float fullSpan, float period,
                 float pixelsPerSample, bool triggerMode);
// The area that catches a cursor drag: the handle widened by 10 units on each side.
LogicalRect readoutHandleArea(int cursorX);

// Time under logical x (x - 430 kept in 0..700), before snapping.
float readoutTimeAtX(int logicalX, float viewStart, float viewEnd, bool triggerMode);

// What the readout edit holds when it is applied: at most 13 characters, cut at the first one
// that is neither a digit nor '.', clamped to the window. `rewrite` asks for the value to be
// written back as "%1.1f": the text was cut, or the value was clamped, or it could not be held
// exactly as the 32-bit readout time.
struct ReadoutEntry {
    float value = 0.0f;
    bool rewrite = false;
};
ReadoutEntry parseReadoutEntry(std::string_view text, float viewStart, float viewEnd);

}  // namespace kvt
