#pragma once

#include <QColor>
#include <QRect>
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

// Where a scope page goes. The screen maps the logical page onto the client as the view does
// (scaled down, never up) and draws the traces pixel by pixel; paper (a printer, a PDF, an
// exported picture) maps the chosen logical area onto the device rectangle at any scale and
// draws lines and traces as vectors of their logical widths.
enum class ScopeMedium { Screen, Paper };
struct ScopePaintTarget {
    QRect device;
    QRect logical{0, 0, 1280, 960};  // paper only: the part of the page shown
    ScopeMedium medium = ScopeMedium::Screen;
    bool cursor = true;    // the readout cursor
    bool progress = true;  // the progress bar of a running acquisition
};

// Draws the scope page for a client of this size: background, page frame, axes, ticks, grid,
// binary strips and traces, readout cursor, progress bar and the clipped analog traces. The
// captions and values are label controls of the view and are not drawn here.
void paintScopePage(QPainter& painter, const ScopeViewModel& model, QSize client,
                    bool acquisitionActive);
void paintScopePage(QPainter& painter, const ScopeViewModel& model, const ScopePaintTarget& target,
                    bool acquisitionActive);

}  // namespace kvt
