#pragma once

#include <QString>
#include <array>

#include "data/ScopeSettings.h"
#include "data/Strings.h"
#include "scope/view/ScopePainter.h"

class QPainter;

namespace kvt {

class ScopeViewModel;

// The signal names the captions show for the current channel choices.
struct ScopeChannelNames {
    std::array<QString, 4> analog;
    std::array<QString, 4> binary;
};
ScopeChannelNames scopeChannelNames(Strings& strings, const ScopeSettings& settings);

// The texts that the view shows in label controls, drawn instead at the same places: channel
// captions, value and time axis labels, "t/s", the binary captions and, with `legend`, the legend
// column with the readout values and time. For pages that have no controls: print, export.
void paintScopeTexts(QPainter& painter, const ScopeViewModel& model, const ScopeChannelNames& names,
                     const ScopePaintTarget& target, bool legend, Strings& strings);

}  // namespace kvt
