#pragma once

#include <QRect>
#include <QSize>

namespace kvt {

// The main frame's size when it is not maximized: about three quarters of the screen, never less
// than 1024 x 720. Where no window manager maximizes the frame (a kiosk, a remote display), its
// natural size would be a strip with a squashed scope.
QSize restoredFrameSize(const QSize& screen);

// That size, centred on the screen's available area.
QRect restoredFrameGeometry(const QRect& available);

}  // namespace kvt
