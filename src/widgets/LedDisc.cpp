#include "widgets/LedDisc.h"

#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace kvt {
namespace {

constexpr int kDarkFactor = 300;  // QColor::darker: a third of the brightness
constexpr int kLightFactor = 160;
constexpr qreal kMargin = 2.0;  // the disc stays two pixels inside the widget

void drawDisc(QPainter& p, const QRectF& r, const QColor& centre, const QColor& edge) {
    QRadialGradient g(r.center() - QPointF(r.width() / 6, r.height() / 6), r.width() * 0.6);
    g.setColorAt(0.0, centre);
    g.setColorAt(1.0, edge);
    p.setBrush(g);
    p.setPen(QPen(edge.darker(150), 1.0));
    p.drawEllipse(r);
}

}  // namespace

LedDisc::LedDisc(QColor colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setMinimumSize(16, 16);
}

void LedDisc::setPicture(LedPicture picture) {
    if (picture != picture_) {
        picture_ = picture;
        update();
    }
}

void LedDisc::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height()) - 2 * kMargin;
    const QRectF r((width() - side) / 2, (height() - side) / 2, side, side);
    const QColor dark = colour_.darker(kDarkFactor);
    switch (picture_) {
        case LedPicture::Neutral:
            drawDisc(p, r, QColor(225, 225, 225), QColor(150, 150, 150));
            break;
        case LedPicture::Dark:
            drawDisc(p, r, dark.lighter(kLightFactor), dark);
            break;
        case LedPicture::Lit:
            drawDisc(p, r, colour_.lighter(kLightFactor), colour_);
            break;
        case LedPicture::Third: {
            drawDisc(p, r, colour_.lighter(kLightFactor), colour_);
            const qreal inset = side / 4;
            drawDisc(p, r.adjusted(inset, inset, -inset, -inset), dark.lighter(kLightFactor), dark);
            break;
        }
    }
}

}  // namespace kvt
