#include "app/FrameGeometry.h"

#include <algorithm>

namespace kvt {
namespace {

constexpr int kMinimumWidth = 1024;
constexpr int kMinimumHeight = 720;

}  // namespace

QSize restoredFrameSize(const QSize& screen) {
    return {std::max(kMinimumWidth, screen.width() * 3 / 4),
            std::max(kMinimumHeight, screen.height() * 3 / 4)};
}

QRect restoredFrameGeometry(const QRect& available) {
    QRect geometry(QPoint(0, 0), restoredFrameSize(available.size()));
    geometry.moveCenter(available.center());
    // A screen smaller than the minimum keeps the title bar reachable.
    geometry.moveTopLeft(QPoint(std::max(geometry.left(), available.left()),
                                std::max(geometry.top(), available.top())));
    return geometry;
}

}  // namespace kvt
