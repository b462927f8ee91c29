#pragma once

#include <QColor>
#include <QSize>
#include <array>

class QPainter;

namespace kvt {

class ScopeViewModel;

// Trace colours of analog channels 1..4 (also their captions).
inline const std::array<QColor, 4> kChannelColours = {QColor(0, 255, 255), QColor(0, 255, 0),
                                                      QColor(255, 0, 0), QColor(0, 0, 255)};
inline const QColor kBinaryColour(255, 0, 0);
inline const QColor kProgressColour(255, 255, 0);
inline const QColor kValueBoxColour(192, 192, 192);

// Draws the scope page for a client of this size: background, page frame, axes, ticks, grid,
// binary strips and traces, readout cursor, progress bar and the clipped analog traces. The
// captions and values are label controls of the view and are not drawn here.
void paintScopePage(QPainter& painter, const ScopeViewModel& model, QSize client,
                    bool acquisitionActive);

}  // namespace kvt
