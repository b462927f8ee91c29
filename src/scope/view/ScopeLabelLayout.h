#pragma once

#include "scope/ScopeGeometry.h"

namespace kvt::scope_labels {

// Where the captions and values of the scope page sit, in logical units (left, top, right; the
// height is the label height unless a bottom is given). The view places its label controls
// there; a printed or exported page draws its texts at the same places.
inline constexpr int kPlotCaptionWidth = 230;
inline constexpr int kPlotCaptionX[4] = {400, 400, 990, 990};
inline constexpr int kPlotCaptionY[4] = {23, 58, 23, 58};
inline constexpr LogicalRect kLegendCaption{20, 50, 250, 0};  // + 100 per channel
inline constexpr LogicalRect kLegendValue{80, 85, 200, 0};    // + 100 per channel
inline constexpr int kLegendPitch = 100;
inline constexpr LogicalRect kBinaryCaption{210, 650, 390, 0};  // + 60 per strip
inline constexpr LogicalRect kBinaryValue{80, 650, 200, 0};     // + 60 per strip
inline constexpr LogicalRect kReadoutCaption{20, 500, 250, 0};
inline constexpr LogicalRect kReadoutEdit{80, 535, 200, 0};
inline constexpr LogicalRect kZoomBackButton{20, 890, 220, 950};
inline constexpr LogicalRect kTimeUnit{1180, 848, 1230, 0};
inline constexpr int kLeftLabelX[2] = {330, 380};
inline constexpr int kRightLabelX[2] = {1160, 1210};
inline constexpr int kTimeLabelTop = 864;
inline constexpr int kTimeLabelWidth = 60;

// String ids of the two fixed captions.
inline constexpr int kReadoutTimeCaptionId = 101;
inline constexpr int kZoomBackCaptionId = 102;

}  // namespace kvt::scope_labels
