#include "scope/view/ScopePainter.h"

#include <QFont>
#include <QLine>
#include <QPainter>
#include <QPolygon>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <vector>

#include "data/ScopeModel.h"
#include "scope/ScopeViewModel.h"

namespace kvt {
namespace {

// Lines are one device pixel on the screen at every scale (width 0); on paper, whose pixels are
// far smaller, one logical unit.
QPen thinPen(qreal width, Qt::PenStyle style = Qt::SolidLine) {
    return QPen(Qt::black, width, style);
}

QRect toQRect(const LogicalRect& r) {
    return {QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)};
}

void drawValueAxes(QPainter& p, const ScopeViewModel& model, qreal line) {
    std::vector<QLine> lines = {
        {page::kLeftAxisX, page::kAxisTop, page::kLeftAxisX, page::kAxisBottom},
        {page::kRightAxisX, page::kAxisTop, page::kRightAxisX, page::kAxisBottom},
        {page::kTimeAxisLeft, page::kPlotBottom, page::kPlotRight, page::kPlotBottom},
    };
    std::vector<QLine> grid;
    const ValueTicks ticks = model.valueTicks();
    for (int i = 0; i <= ticks.divisions; ++i) {
        const int y = valueTickY(i, ticks);
        if (i < ticks.divisions) {
            lines.emplace_back(page::kLeftAxisX - page::kTickLength, y, page::kLeftAxisX, y);
            lines.emplace_back(page::kRightAxisX - page::kTickLength, y, page::kRightAxisX, y);
        }
        grid.emplace_back(page::kLeftAxisX, y, page::kPlotRight, y);
    }
    p.setPen(thinPen(line));
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
    if (model.state().grid) {
        p.setPen(thinPen(line, Qt::DotLine));
        p.drawLines(grid.data(), static_cast<int>(grid.size()));
    }
}

void drawTimeTicks(QPainter& p, const ScopeViewModel& model, qreal line) {
    std::vector<QLine> lines;
    std::vector<QLine> grid;
    const int n = model.timeDivisions();
    for (int i = 0; i <= n; ++i) {
        const int x = timeTickX(i, n);
        lines.emplace_back(x, page::kPlotBottom, x, page::kPlotBottom + page::kTimeTickLength);
        grid.emplace_back(x, page::kAxisTop, x, page::kAxisBottom);
        for (int k = 0; k < page::kStripCount; ++k) {
            const int base = page::kStripBase + page::kStripPitch * k;
            lines.emplace_back(x, base, x, base + page::kStripTickLength);
            grid.emplace_back(x, base - page::kStripLevel, x, base);
        }
    }
    p.setPen(thinPen(line));
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
    if (model.state().grid) {
        p.setPen(thinPen(line, Qt::DotLine));
        p.drawLines(grid.data(), static_cast<int>(grid.size()));
    }
}

void drawStripAxes(QPainter& p, qreal line) {
    std::vector<QLine> lines;
    for (int k = 0; k < page::kStripCount; ++k) {
        const int base = page::kStripBase + page::kStripPitch * k;
        const int high = base - page::kStripLevel;
        lines.emplace_back(page::kLeftAxisX, high - 1, page::kLeftAxisX, base + 1);
        lines.emplace_back(page::kTimeAxisLeft, base, page::kPlotRight, base);
        lines.emplace_back(page::kTimeAxisLeft, high, page::kLeftAxisX, high);
        lines.emplace_back(page::kPlotRight, base, page::kPlotRight, base + 3);
    }
    p.setPen(thinPen(line));
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// On the screen the traces are drawn in device pixels: a wide pen stroked by the raster engine
// costs about ten times as much as the same footprint drawn as one-pixel lines (analog) or
// rectangles (binary steps, which are only horizontal and vertical). The footprint is that of a
// square pen of the trace's width. On paper (a printer, a PDF, an SVG) the traces stay in logical
// units and are stroked with pens of their logical width: there the device pixels are too many
// to draw one by one, and the engines stroke vectors anyway.
struct DeviceTraces {
    DeviceTraces(const PageMapping& mapping, QPoint origin, bool onPaper)
        : map(mapping), offset(origin), paper(onPaper) {}

    // A pen width in logical units as whole device pixels, never less than one.
    int penPixels(int units) const {
        if (paper) {
            return units;
        }
        return std::max(1, static_cast<int>(std::lround(static_cast<double>(units) *
                                                        map.clientWidth() / map.windowWidth())));
    }
    TracePoint toDevice(int x, int y) const {
        if (paper) {
            return {x, y};
        }
        return {offset.x() + map.toDeviceX(x), offset.y() + map.toDeviceY(y)};
    }

    PageMapping map;
    QPoint offset;
    bool paper;
    std::vector<TracePoint> points;
    QPolygon polygon;
};

// Fills `traces.polygon` with the points that add a pixel to the polyline.
void reduceInto(DeviceTraces& traces) {
    const std::size_t kept = reducePolyline(traces.points);
    traces.polygon.resize(static_cast<int>(kept));
    for (std::size_t i = 0; i < kept; ++i) {
        traces.polygon[static_cast<int>(i)] = QPoint(traces.points[i].x, traces.points[i].y);
    }
}

// A polyline `width` pixels wide: the one-pixel line repeated over the pen's square.
void drawWidePolyline(QPainter& p, const QPolygon& polygon, const QColor& colour, int width) {
    p.setPen(QPen(colour, 0));
    for (int dy = 0; dy < width; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            p.setTransform(QTransform::fromTranslate(-dx, -dy));
            p.drawPolyline(polygon);
        }
    }
    p.setTransform(QTransform());
}

// Horizontal and vertical steps `width` pixels wide with square ends, as rectangles.
void drawWideSteps(QPainter& p, const QPolygon& polygon, const QColor& colour, int width) {
    const int back = width / 2;
    for (int i = 1; i < polygon.size(); ++i) {
        const QPoint a = polygon[i - 1];
        const QPoint b = polygon[i];
        const QRect segment(QPoint(std::min(a.x(), b.x()) - back, std::min(a.y(), b.y()) - back),
                            QPoint(std::max(a.x(), b.x()) - back + width - 1,
                                   std::max(a.y(), b.y()) - back + width - 1));
        p.fillRect(segment, colour);
    }
    if (polygon.size() == 1) {
        p.fillRect(QRect(polygon[0] - QPoint(back, back), QSize(width, width)), colour);
    }
}

void strokeTrace(QPainter& p, const DeviceTraces& traces, const QColor& colour, int width,
                 bool steps) {
    if (traces.paper) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawPolyline(traces.polygon);
    } else if (steps) {
        drawWideSteps(p, traces.polygon, colour, width);
    } else {
        drawWidePolyline(p, traces.polygon, colour, width);
    }
}

void drawBinaryTraces(QPainter& p, const ScopeViewModel& model, const TracePlan& plan, bool active,
                      DeviceTraces& traces) {
    if (plan.pointCount == 0) {
        return;
    }
    // 1 unit while recording, 3 units otherwise.
    const int width = traces.penPixels(active ? 1 : 3);
    const AcquisitionBuffers& samples = model.samples();
    for (int k = 0; k < kBinaryChannels; ++k) {
        const std::int32_t* values = samples.binary[k];
        auto& points = traces.points;
        points.clear();
        points.push_back(traces.toDevice(traceX(0, plan.pixelsPerSample),
                                         binaryTraceY(k, values[plan.sampleIndex(0)])));
        for (int j = plan.step; j < plan.pointCount; j += plan.step) {
            const int x = traceX(j, plan.pixelsPerSample);
            const std::int32_t value = values[plan.sampleIndex(j)];
            const std::int32_t before = values[plan.sampleIndex(j - 1)];
            if (value != before) {
                points.push_back(traces.toDevice(x, binaryTraceY(k, before)));
            }
            points.push_back(traces.toDevice(x, binaryTraceY(k, value)));
        }
        reduceInto(traces);
        // Thinned traces may run diagonally between the drawn samples.
        strokeTrace(p, traces, kBinaryColour, width, plan.step == 1);
    }
}

void drawReadoutCursor(QPainter& p, const ScopeViewModel& model, qreal line) {
    const int x = model.cursorX();
    p.setPen(thinPen(line));
    p.drawLine(x, page::kCursorTop, x, page::kCursorBottom);
    const QPoint handle[] = {{x, page::kCursorBottom},
                             {x + page::kHandleHalfWidth, page::kHandleBottom},
                             {x - page::kHandleHalfWidth, page::kHandleBottom},
                             {x, page::kCursorBottom}};
    p.drawPolyline(handle, 4);
}

void drawAnalogTraces(QPainter& p, const ScopeViewModel& model, const TracePlan& plan,
                      DeviceTraces& traces) {
    if (plan.pointCount == 0) {
        return;
    }
    // The clip: the hit area, reaching 30 pixels (on paper: units) further left.
    p.save();
    if (traces.paper) {
        p.setClipRect(QRect(QPoint(page::kHitLeft - page::kClipLeftExtraDevice, page::kHitTop),
                            QPoint(page::kHitRight - 1, page::kHitBottom - 1)));
    } else {
        const LogicalRect clip = traces.map.toDevice(kPlotHitArea);
        const QPoint o = traces.offset;
        p.setClipRect(
            QRect(QPoint(o.x() + clip.left - page::kClipLeftExtraDevice, o.y() + clip.top),
                  QPoint(o.x() + clip.right - 1, o.y() + clip.bottom - 1)));
    }

    const ScopeSettings& settings = model.settings();
    const AcquisitionBuffers& samples = model.samples();
    const ViewWindow& w = model.state().window;
    const int width = traces.penPixels(2);
    // Channel 1 ends up on top.
    for (int c = kAnalogChannels - 1; c >= 0; --c) {
        if (analogChannelHidden(settings, c)) {
            continue;
        }
        const float* values = samples.analog[c];
        auto& points = traces.points;
        points.clear();
        for (int j = 0; j < plan.pointCount; j += plan.step) {
            points.push_back(
                traces.toDevice(traceX(j, plan.pixelsPerSample),
                                analogTraceY(c, values[plan.sampleIndex(j)], w.yMin, w.yMax)));
        }
        reduceInto(traces);
        strokeTrace(p, traces, kChannelColours[static_cast<std::size_t>(c)], width, false);
    }
    p.restore();
}

QFont canvasFont() {
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setFamilies({QStringLiteral("Sans Serif")});
    font.setPixelSize(20);
    font.setWeight(QFont::Medium);
    return font;
}

}  // namespace

void paintScopePage(QPainter& p, const ScopeViewModel& model, QSize client,
                    bool acquisitionActive) {
    ScopePaintTarget target;
    target.device = QRect(QPoint(0, 0), client);
    paintScopePage(p, model, target, acquisitionActive);
}

void paintScopePage(QPainter& p, const ScopeViewModel& model, const ScopePaintTarget& target,
                    bool acquisitionActive) {
    const QRect& device = target.device;
    const PageMapping map(device.width(), device.height());
    const bool paper = target.medium == ScopeMedium::Paper;
    const qreal line = paper ? 1.0 : 0.0;
    const QRect logical =
        paper ? target.logical : QRect(0, 0, map.windowWidth(), map.windowHeight());
    p.save();
    p.setWindow(logical);
    p.setViewport(device);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setRenderHint(QPainter::Antialiasing, paper);
    p.setFont(canvasFont());
    p.fillRect(logical, Qt::white);

    p.setPen(thinPen(line));
    p.setBrush(Qt::white);
    p.drawRect(QRect(QPoint(page::kFrameLeft, page::kFrameTop),
                     QPoint(page::kFrameRight, page::kFrameBottom)));
    p.setBrush(Qt::NoBrush);

    drawValueAxes(p, model, line);
    drawTimeTicks(p, model, line);
    drawStripAxes(p, line);

    const TracePlan plan = model.tracePlan(acquisitionActive);
    DeviceTraces traces(map, device.topLeft(), paper);
    traces.points.reserve(static_cast<std::size_t>(plan.pointCount) * 2 + 2);
    // On the screen the binary traces and the analog traces are drawn in device pixels.
    p.setViewTransformEnabled(paper);
    drawBinaryTraces(p, model, plan, acquisitionActive, traces);
    p.setViewTransformEnabled(true);
    if (target.cursor) {
        drawReadoutCursor(p, model, line);
    }
    if (target.progress) {
        p.fillRect(toQRect(progressBarRect(model.state().progressX)), kProgressColour);
    }
    p.setViewTransformEnabled(paper);
    drawAnalogTraces(p, model, plan, traces);
    p.restore();
}

}  // namespace kvt
