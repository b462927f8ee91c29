#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/AcquisitionBuffers.h"
#include "data/ScopeSettings.h"
#include "scope/ScopeGeometry.h"
#include "scope/ScopeZoom.h"

namespace kvt {

// What the scope view shows besides the samples: window, readout, grid, progress.
struct ScopeViewState {
    int focusIndex = 0;  // tab stop with focus: 0 readout edit, 1 Zoom Back
    bool grid = false;
    int progressX = 0;  // 0..700
    int previousProgressX = 0;
    float period = 0.004f;
    float readoutTime = 0.0f;  // seconds, on the sample grid
    ViewWindow window;
    float fullSpan = 0.0f;  // acqTime at the last reset: the widest window
    std::array<float, kAnalogChannels> readoutAnalog{};
    std::array<std::int32_t, kBinaryChannels> readoutBinary{};
    int displayUpdates = 0;  // display updates since a Trigger Mode start
};

// The scope view's behaviour without a window: every operation of the view that changes what
// is shown goes through here, so that it can be checked without painting.
class ScopeViewModel {
  public:
    ScopeViewModel(const ScopeSettings& settings, const AcquisitionBuffers& samples);

    const ScopeViewState& state() const { return state_; }
    const ScopeSettings& settings() const { return settings_; }
    const AcquisitionBuffers& samples() const { return samples_; }
    bool triggerMode() const { return settings_.mode == ScopeSettings::TriggerMode; }

    void setPeriodFromSettings();
    // Period, window 0 .. acqTime, full span acqTime, readout in the middle, default range.
    void resetView();
    // Back to the whole recording; false when nothing had to change.
    bool zoomBack();
    bool isFullWindow() const;
    // Start of an acquisition: reset, progress 0; Trigger Mode puts the progress at the right
    // edge (the newest sample) and the readout on it.
    void startAcquisition(int mode);
    void setGrid(bool on) { state_.grid = on; }
    void setFocusIndex(int index) { state_.focusIndex = index; }

    // Copies the samples under the cursor into the readout values.
    void refreshReadout();

    // The readout edit applied: what to write back into it (if anything) and whether the
    // readout time moved.
    struct EditOutcome {
        std::optional<std::string> roughText;    // "%1.1f" of the entry, when rewritten
        std::optional<std::string> snappedText;  // "%3.3f" when snapping moved the entry
        bool changed = false;
    };
    EditOutcome applyReadoutText(std::string_view text);
    // A cursor drag reached logical x; true when the readout time moved.
    bool dragReadoutTo(int logicalX);
    // A released zoom rectangle.
    void zoom(const ZoomRect& rect);
    // A display update with this many samples: moves the progress bar and the readout values;
    // returns the part of the page to repaint.
    // A recording broken off by a communication error: no progress bar any more.
    void abandonAcquisition();
    ProgressDamage progress(int sampleCount);

    // Drawing.
    TracePlan tracePlan(bool acquisitionActive) const;
    int cursorX() const;  // logical x of the readout cursor
    LogicalRect handleArea() const;
    int timeDivisions() const;
    ValueTicks valueTicks() const;

  private:
    void keepReadoutInside();

    const ScopeSettings& settings_;
    const AcquisitionBuffers& samples_;
    ScopeViewState state_;
};

}  // namespace kvt
