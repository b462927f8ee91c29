#include "scope/view/ScopeTexts.h"

#include <QFont>
#include <QPainter>
#include <algorithm>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "scope/ScopeViewModel.h"
#include "scope/view/ScopeLabelLayout.h"

namespace kvt {
namespace {

using namespace scope_labels;

constexpr int kBinaryNameCount = 8;
// The large label height; paper is never a small screen.
constexpr int kLabelHeight = page::kLabelHeightLarge;
constexpr int kFontUnits = 15;
// An edit control keeps its text a little off its left edge.
constexpr int kTextInset = 3;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Places the texts at their logical rectangles but draws them in device units, so that a page
// stretched more in one direction than the other still shows undistorted letters.
class TextPlacer {
  public:
    TextPlacer(QPainter& painter, const ScopePaintTarget& target) : p_(painter) {
        const QRect& l = target.logical;
        const QRect& d = target.device;
        sx_ = static_cast<double>(d.width()) / l.width();
        sy_ = static_cast<double>(d.height()) / l.height();
        dx_ = d.left() - l.left() * sx_;
        dy_ = d.top() - l.top() * sy_;
        QFont font;
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies({QStringLiteral("Sans Serif")});
        font.setPixelSize(std::max(1, static_cast<int>(kFontUnits * std::min(sx_, sy_) + 0.5)));
        font.setStyleStrategy(QFont::PreferNoShaping);
        p_.setFont(font);
    }

    void put(const QString& text, int left, int top, int right, const QColor& colour,
             Qt::Alignment align = Qt::AlignLeft) {
        p_.setPen(colour);
        p_.drawText(map(left + kTextInset, top, right, top + kLabelHeight),
                    static_cast<int>(align | Qt::AlignVCenter) | Qt::TextDontClip, text);
    }
    void box(const QString& text, int left, int top, int right) {
        const QRectF r = map(left, top, right, top + kLabelHeight);
        p_.fillRect(r, kValueBoxColour);
        p_.setPen(QPen(Qt::black, 0));
        p_.drawRect(r);
        p_.drawText(r, static_cast<int>(Qt::AlignCenter), text);
    }

  private:
    QRectF map(int left, int top, int right, int bottom) const {
        return QRectF(QPointF(dx_ + left * sx_, dy_ + top * sy_),
                      QPointF(dx_ + right * sx_, dy_ + bottom * sy_));
    }

    QPainter& p_;
    double sx_ = 1;
    double sy_ = 1;
    double dx_ = 0;
    double dy_ = 0;
};

}  // namespace

ScopeChannelNames scopeChannelNames(Strings& strings, const ScopeSettings& settings) {
    ScopeChannelNames names;
    const bool slave = settings.masterSlave == 1;
    for (int c = 0; c < kAnalogChannels; ++c) {
        const int sel = settings.analogSel(c);
        if (sel >= 0 && sel < kAnalogChoiceCounts[static_cast<std::size_t>(c)]) {
            const int id = analogSignalNameId(c, sel, slave);
            names.analog[static_cast<std::size_t>(c)] = id != 0 ? qs(strings.text(id)) : QString();
        }
    }
    for (int k = 0; k < kBinaryChannels; ++k) {
        const int bit = settings.binarySel[k];
        if (bit >= 0 && bit < kBinaryNameCount) {
            names.binary[static_cast<std::size_t>(k)] = qs(strings.text(binarySignalNameId(bit)));
        }
    }
    return names;
}

void paintScopeTexts(QPainter& p, const ScopeViewModel& model, const ScopeChannelNames& names,
                     const ScopePaintTarget& target, bool legend, Strings& strings) {
    p.save();
    p.resetTransform();
    p.setViewTransformEnabled(false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    TextPlacer put(p, target);
    const int fh = kLabelHeight;
    const ScopeViewState& s = model.state();

    for (int c = 0; c < kAnalogChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const QString caption = qs(format("Ch%d: ", c + 1)) + names.analog[i];
        put.put(caption, kPlotCaptionX[c], kPlotCaptionY[c] - fh / 3,
                kPlotCaptionX[c] + kPlotCaptionWidth, kChannelColours[i]);
        if (legend) {
            const int ly = kLegendCaption.top + kLegendPitch * c;
            put.put(caption, kLegendCaption.left, ly, kLegendCaption.right, kChannelColours[i]);
            put.box(analogChannelHidden(model.settings(), c)
                        ? QStringLiteral("--")
                        : qs(format("%1.1f", static_cast<double>(s.readoutAnalog[i]))),
                    kLegendValue.left, kLegendValue.top + kLegendPitch * c, kLegendValue.right);
        }
    }
    for (int k = 0; k < kBinaryChannels; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int y = kBinaryCaption.top + page::kStripPitch * k;
        put.put(qs(format("Ch%d: ", k + 1)) + names.binary[i], kBinaryCaption.left, y,
                kBinaryCaption.right, kBinaryColour);
        if (legend) {
            put.box(qs(format("%d", s.readoutBinary[i])), kBinaryValue.left, y, kBinaryValue.right);
        }
    }
    if (legend) {
        put.put(qs(strings.text(kReadoutTimeCaptionId)), kReadoutCaption.left, kReadoutCaption.top,
                kReadoutCaption.right, Qt::black);
        put.box(qs(format("%3.3f", static_cast<double>(s.readoutTime))), kReadoutEdit.left,
                kReadoutEdit.top, kReadoutEdit.right);
    }

    const ValueTicks ticks = model.valueTicks();
    const int valueCount = std::min(ticks.divisions + 1, page::kMaxValueLabels);
    for (int i = 0; i < valueCount; ++i) {
        const int y = valueTickY(i, ticks) - fh / 2;
        put.put(qs(valueLabelText(i, leftTickValue(i, s.window.yMax, ticks))), kLeftLabelX[0], y,
                kLeftLabelX[1], Qt::black);
        put.put(qs(valueLabelText(i, rightTickValue(i, s.window.yMax, ticks))), kRightLabelX[0], y,
                kRightLabelX[1], Qt::black);
    }
    const int divisions = model.timeDivisions();
    const int timeCount = std::min(divisions + 1, page::kMaxTimeLabels);
    for (int i = 0; i < timeCount; ++i) {
        const int x = timeTickX(i, divisions);
        const float t =
            timeTickValue(i, divisions, s.window.start, s.window.end, model.triggerMode());
        put.put(qs(timeLabelText(t)), x, kTimeLabelTop, x + kTimeLabelWidth, Qt::black);
    }
    put.put(QStringLiteral("t/s"), kTimeUnit.left, kTimeUnit.top, kTimeUnit.right, Qt::black);
    p.restore();
}

}  // namespace kvt
