#include "scope/ScopeViewModel.h"

#include <algorithm>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "scope/ScopeReadout.h"

namespace kvt {

ScopeViewModel::ScopeViewModel(const ScopeSettings& settings, const AcquisitionBuffers& samples)
    : settings_(settings), samples_(samples) {
    const auto span = static_cast<float>(settings_.acqTime);
    state_.readoutTime = span / 2.0f;
    state_.window = {0.0f, span, kDefaultYMin, kDefaultYMax};
    state_.fullSpan = span;
    setPeriodFromSettings();
}

void ScopeViewModel::setPeriodFromSettings() {
    state_.period = samplePeriod(settings_);
}

void ScopeViewModel::resetView() {
    setPeriodFromSettings();
    const auto span = static_cast<float>(settings_.acqTime);
    state_.window = {0.0f, span, kDefaultYMin, kDefaultYMax};
    state_.fullSpan = span;
    state_.readoutTime = span / 2.0f;
    refreshReadout();
}

bool ScopeViewModel::isFullWindow() const {
    const ViewWindow full{0.0f, static_cast<float>(settings_.acqTime), kDefaultYMin, kDefaultYMax};
    return state_.window == full;
}

bool ScopeViewModel::zoomBack() {
    if (isFullWindow()) {
        return false;
    }
    const auto span = static_cast<float>(settings_.acqTime);
    state_.window = {0.0f, span, kDefaultYMin, kDefaultYMax};
    state_.fullSpan = span;
    return true;
}

void ScopeViewModel::startAcquisition(int mode) {
    resetView();
    state_.progressX = 0;
    state_.previousProgressX = 0;
    if (mode == ScopeSettings::TriggerMode) {
        state_.progressX = page::kProgressMax;
        state_.displayUpdates = 0;
        state_.readoutTime = 0.0f;
        refreshReadout();
    }
}

void ScopeViewModel::abandonAcquisition() {
    state_.progressX = 0;
    state_.previousProgressX = 0;
}

void ScopeViewModel::refreshReadout() {
    const int index =
        readoutIndex(state_.readoutTime, state_.period, settings_.acqTime, triggerMode());
    for (int c = 0; c < kAnalogChannels; ++c) {
        state_.readoutAnalog[static_cast<std::size_t>(c)] = samples_.analog[c][index];
    }
    for (int k = 0; k < kBinaryChannels; ++k) {
        state_.readoutBinary[static_cast<std::size_t>(k)] = samples_.binary[k][index];
    }
}

ScopeViewModel::EditOutcome ScopeViewModel::applyReadoutText(std::string_view text) {
    EditOutcome outcome;
    const ViewWindow& w = state_.window;
    const ReadoutEntry entry = parseReadoutEntry(text, w.start, w.end);
    if (entry.rewrite) {
        outcome.roughText = format("%1.1f", static_cast<double>(entry.value));
    }
    const float snapped = snapReadoutTime(entry.value, state_.period, w.end);
    if (snapped != entry.value) {
        outcome.snappedText = format("%3.3f", static_cast<double>(snapped));
    }
    outcome.changed = snapped != state_.readoutTime;
    state_.readoutTime = snapped;
    if (outcome.changed) {
        refreshReadout();
    }
    return outcome;
}

bool ScopeViewModel::dragReadoutTo(int logicalX) {
    const ViewWindow& w = state_.window;
    float t = readoutTimeAtX(logicalX, w.start, w.end, triggerMode());
    t = std::clamp(snapReadoutTime(t, state_.period, w.end), w.start, w.end);
    const bool changed = t != state_.readoutTime;
    state_.readoutTime = t;
    refreshReadout();
    return changed;
}

void ScopeViewModel::zoom(const ZoomRect& rect) {
    state_.window = zoomWindow(state_.window, rect, state_.fullSpan, state_.period, triggerMode());
    keepReadoutInside();
    refreshReadout();
}

void ScopeViewModel::keepReadoutInside() {
    const ViewWindow& w = state_.window;
    if (state_.readoutTime < w.start || state_.readoutTime > w.end) {
        state_.readoutTime = snapReadoutTime((w.start + w.end) / 2.0f, state_.period, w.end);
    }
}

ProgressDamage ScopeViewModel::progress(int sampleCount) {
    const int x = progressX(sampleCount, state_.period, settings_.acqTime);
    const ProgressDamage damage = progressDamage(state_.previousProgressX, x);
    state_.progressX = x;
    state_.previousProgressX = x;
    ++state_.displayUpdates;
    refreshReadout();
    return damage;
}

TracePlan ScopeViewModel::tracePlan(bool acquisitionActive) const {
    const ViewWindow& w = state_.window;
    return kvt::tracePlan(w.start, w.end, state_.fullSpan, settings_.acqTime, state_.period,
                          triggerMode(), acquisitionActive);
}

int ScopeViewModel::cursorX() const {
    const ViewWindow& w = state_.window;
    const int samples = samplesInView(w.start, w.end, state_.fullSpan, state_.period);
    return page::kPlotLeft + cursorOffset(state_.readoutTime, w.start, w.end, state_.fullSpan,
                                          state_.period, pixelsPerSample(samples), triggerMode());
}

LogicalRect ScopeViewModel::handleArea() const {
    return readoutHandleArea(cursorX());
}

int ScopeViewModel::timeDivisions() const {
    return kvt::timeDivisions(state_.window.start, state_.window.end, state_.period);
}

ValueTicks ScopeViewModel::valueTicks() const {
    return kvt::valueTicks(state_.window.yMin, state_.window.yMax);
}

}  // namespace kvt
