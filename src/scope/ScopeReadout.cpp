#include "scope/ScopeReadout.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "data/AcquisitionBuffers.h"
#include "data/Format.h"
#include "scope/ScopeZoom.h"

namespace kvt {
namespace {

constexpr std::size_t kMaxEntryChars = 13;

long long boundedMilliseconds(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<long long>(std::trunc(std::clamp(value, -1e12, 1e12)));
}

int boundedIndex(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::trunc(std::clamp(value, 0.0, kSampleEntries - 1.0)));
}

}  // namespace

float snapReadoutTime(float t, float period, float viewEnd) {
    long long ms = boundedMilliseconds((static_cast<double>(t) + 0.0005) * 1000.0);
    const long long p = periodMilliseconds(period);
    const long long rest = ((ms % p) + p) % p;
    if (rest == 0) {
        return t;
    }
    if (t < viewEnd) {
        ms += p - rest;
    } else if (static_cast<double>(t) >= 0.001) {
        ms -= rest;
    } else {
        return t;
    }
    return static_cast<float>(static_cast<double>(ms) * 0.001);
}

int readoutIndex(float readoutTime, float period, int acqTime, bool triggerMode) {
    const float t = triggerMode ? static_cast<float>(acqTime) - readoutTime : readoutTime;
    return boundedIndex(static_cast<double>(t / period) + 0.5);
}

int cursorOffset(float readoutTime, float viewStart, float viewEnd, float fullSpan, float period,
                 float pixelsPerSample, bool triggerMode) {
    const float u =
        std::min(triggerMode ? viewEnd - readoutTime : readoutTime - viewStart, fullSpan);
    const double samples = std::trunc(std::clamp(static_cast<double>(u / period) + 0.5, -1e7, 1e7));
    const double offset = samples * static_cast<double>(pixelsPerSample) + 0.5;
    return static_cast<int>(std::trunc(std::clamp(offset, -1e6, 1e6)));
}

LogicalRect readoutHandleArea(int cursorX) {
    const int half = page::kHandleHalfWidth + page::kHandleGrabMargin;
    return {cursorX - half, page::kHandleTop, cursorX + half, page::kHandleBottom};
}

float readoutTimeAtX(int logicalX, float viewStart, float viewEnd, bool triggerMode) {
    const int offset = std::clamp(logicalX - page::kPlotLeft, 0, page::kPlotWidth);
    const float part =
        static_cast<float>(offset) * (viewEnd - viewStart) / static_cast<float>(page::kPlotWidth);
    return triggerMode ? viewEnd - part : viewStart + part;
}

ReadoutEntry parseReadoutEntry(std::string_view text, float viewStart, float viewEnd) {
    std::string kept(text.substr(0, kMaxEntryChars));
    const std::size_t cut = kept.find_first_not_of("0123456789.");
    if (cut != std::string::npos) {
        kept.resize(cut);
    }
    const double typed = parseDouble(kept);
    ReadoutEntry entry;
    entry.value = std::clamp(static_cast<float>(typed), viewStart, viewEnd);
    // Comparing the stored float with the typed double also catches digits the readout time
    // cannot hold; those are shown back at the edit's own precision.
    entry.rewrite = cut != std::string::npos || static_cast<double>(entry.value) != typed;
    return entry;
}

}  // namespace kvt
