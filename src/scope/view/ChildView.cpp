#include "scope/view/ChildView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <algorithm>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "engine/CommandWord.h"
#include "scope/view/ScopePainter.h"
#include "widgets/ColourLabel.h"

namespace kvt {
namespace {

// Around the readout cursor: the handle and its grab margin, the line from the plot top.
constexpr int kCursorDamageHalfWidth = 20;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QFont labelFontForScreen(int screenWidth) {
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setFamilies({QStringLiteral("Sans Serif")});
    if (largeLabelFont(screenWidth)) {
        font.setPixelSize(16);
        font.setWeight(QFont::Bold);
    } else {
        font.setPixelSize(12);
        font.setWeight(QFont::Medium);
    }
    return font;
}

}  // namespace

CChildView::CChildView(ScopeSettings& settings, AcquisitionBuffers& samples,
                       AcquisitionFlags& flags, Strings& strings, TraceSink& trace,
                       CommandWord commandWord, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      flags_(flags),
      strings_(strings),
      trace_(trace),
      commandWord_(std::move(commandWord)),
      model_(settings, samples) {
    // The paint covers every pixel: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    const int screenWidth = screen() != nullptr ? screen()->geometry().width() : 0;
    labelHeight_ = labelHeightForScreen(screenWidth);
    labelFont_ = labelFontForScreen(screenWidth);
    reloadChannelNames();
    createLabels();
    model_.setPeriodFromSettings();
    syncLabels();
    readoutEdit_->setFocus();
}

CChildView::~CChildView() {
    closing_ = true;
    readoutEdit_->removeEventFilter(this);
}

// --- operations for the main frame -------------------------------------------------------------

void CChildView::resetView() {
    model_.resetView();
    invalidateAll();
}

void CChildView::zoomBack() {
    if (model_.zoomBack()) {
        zoom_ = {};
        invalidateAll();
    }
}

void CChildView::setPeriodFromSettings() {
    model_.setPeriodFromSettings();
    invalidateAll();
}

void CChildView::setGrid(bool on) {
    model_.setGrid(on);
    invalidateAll();
}

bool CChildView::grid() const {
    return model_.state().grid;
}

void CChildView::startAcquisitionView(int mode) {
    model_.startAcquisition(mode);
    zoom_ = {};
    draggingReadout_ = false;
    setCursor(Qt::ArrowCursor);
    invalidateAll();
}

void CChildView::onDisplayUpdate(int sampleCount) {
    const ProgressDamage damage = model_.progress(sampleCount);
    const PageMapping map(width(), height());
    auto deviceRect = [&map](const LogicalRect& r) {
        const LogicalRect d = map.toDevice(r);
        return QRect(QPoint(d.left, d.top), QPoint(d.right, d.bottom));
    };
    QRegion region(deviceRect(damage.strip));
    if (damage.wrapped) {
        region += deviceRect(damage.wrapArea);
    }
    canvasDirty_ = true;
    syncLabels();
    repaint(region);
}

void CChildView::onAcquisitionEnded() {
    model_.refreshReadout();
    canvasDirty_ = true;
    syncLabels();
    repaint();
}

void CChildView::onAcquisitionAbandoned() {
    flags_.acquisitionActive.store(0);
    model_.abandonAcquisition();
    onAcquisitionEnded();
}

void CChildView::nextTab() {
    const int had = tabStopWithFocus();
    if (had < 0) {
        trace_.info("Next Tab not found \n");
        focusTabStop(1);
        return;
    }
    trace_.info(format("Next Tab found %d \n", had));
    focusTabStop(had == 0 ? 1 : 0);
}

void CChildView::prevTab() {
    const int had = tabStopWithFocus();
    if (had < 0) {
        trace_.info("Prev Tab not found \n");
        focusTabStop(1);
        return;
    }
    trace_.info(format("Prev Tab found %d \n", had));
    focusTabStop(had == 0 ? 1 : 0);
}

void CChildView::enterCommand() {
    if (tabStopWithFocus() == 0) {
        applyReadoutEdit();
    }
}

QImage CChildView::renderPage(QSize client) const {
    QImage image(client, QImage::Format_RGB32);
    if (!image.isNull()) {
        QPainter painter(&image);
        paintScopePage(painter, model_, client, flags_.acquisitionActive.load() == 1);
    }
    return image;
}

// --- painting ----------------------------------------------------------------------------------

void CChildView::invalidateAll() {
    canvasDirty_ = true;
    syncLabels();
    update();
}

void CChildView::renderCanvas() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (pixels.isEmpty()) {
        return;
    }
    if (canvas_.size() != pixels) {
        canvas_ = QImage(pixels, QImage::Format_RGB32);
        canvas_.setDevicePixelRatio(dpr);
    }
    QPainter painter(&canvas_);
    paintScopePage(painter, model_, size(), flags_.acquisitionActive.load() == 1);
    canvasDirty_ = false;
}

void CChildView::paintEvent(QPaintEvent* event) {
    if (flags_.displayUpdatePending.load() == 1) {
        trace_.info("Display update start OnPaint");
    }
    const qreal dpr = devicePixelRatioF();
    if (canvasDirty_ || canvas_.size() != size() * dpr) {
        renderCanvas();
    }
    if (!canvas_.isNull()) {
        QPainter painter(this);
        const QRect r = event->rect();
        painter.drawImage(QRectF(r), canvas_,
                          QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
        if (zoom_.active && !zoom_.band.isNull()) {
            const QRect& b = zoom_.band;
            painter.setPen(QPen(Qt::black, 0));
            painter.drawLine(b.left(), b.top(), b.right(), b.top());
            painter.drawLine(b.right(), b.top(), b.right(), b.bottom());
            painter.drawLine(b.right(), b.bottom(), b.left(), b.bottom());
            painter.drawLine(b.left(), b.bottom(), b.left(), b.top());
        }
    }
    if (flags_.displayUpdatePending.load() == 1) {
        trace_.info("Display update done OnPaint");
    }
    flags_.displayUpdatePending.store(0);
}

void CChildView::resizeEvent(QResizeEvent* event) {
    canvasDirty_ = true;
    syncLabels();
    QWidget::resizeEvent(event);
}

// --- mouse -------------------------------------------------------------------------------------

bool CChildView::acquisitionRunning() const {
    return commandWord_ && (commandWord_() & cmd::kAcquisitionBits) != 0;
}

void CChildView::updateCursor(int logicalX, int logicalY) {
    if (acquisitionRunning()) {
        setCursor(Qt::ArrowCursor);
    } else if (draggingReadout_ || model_.handleArea().contains(logicalX, logicalY)) {
        setCursor(Qt::SizeHorCursor);
    } else if (zoom_.active || kPlotHitArea.contains(logicalX, logicalY)) {
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
}

void CChildView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const CheckedClient client = checkClientSize(width(), height(), "OnLButtonDown", trace_);
    if (acquisitionRunning()) {
        return;
    }
    const PageMapping map(client.width, client.height);
    const QPoint pos = event->position().toPoint();
    const int x = map.toLogicalX(pos.x());
    const int y = map.toLogicalY(pos.y());
    if (model_.handleArea().contains(x, y)) {
        draggingReadout_ = true;
    } else if (kPlotHitArea.contains(x, y)) {
        zoom_ = {true, pos, pos, QRect()};
    }
    updateCursor(x, y);
}

void CChildView::mouseMoveEvent(QMouseEvent* event) {
    const CheckedClient client = checkClientSize(width(), height(), "OnMouseMove", trace_);
    if (client.zeroWidth) {
        return;
    }
    const PageMapping map(client.width, client.height);
    const QPoint pos = event->position().toPoint();
    updateCursor(map.toLogicalX(pos.x()), map.toLogicalY(pos.y()));
    if (draggingReadout_) {
        moveReadoutTime(pos);
    } else if (zoom_.active) {
        dragZoomTo(pos);
    }
}

void CChildView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (draggingReadout_) {
        draggingReadout_ = false;
        return;
    }
    if (!zoom_.active) {
        return;
    }
    dragZoomTo(event->position().toPoint());
    const ZoomDrag drag = zoom_;
    zoom_ = {};
    update(bandEdges(drag.band));
    // A click without movement is no zoom.
    if (drag.point != drag.anchor) {
        zoomWindow(drag.band);
    }
}

void CChildView::moveReadoutTime(QPoint device) {
    const CheckedClient client = checkClientSize(width(), height(), "MoveReadoutTime", trace_);
    const PageMapping map(client.width, client.height);
    const int oldX = model_.cursorX();
    model_.dragReadoutTo(map.toLogicalX(device.x()));
    const int newX = model_.cursorX();
    // The old and the new cursor with its handle; the legend values are label controls.
    QRegion damage;
    for (const int x : {oldX, newX}) {
        const LogicalRect d = map.toDevice({x - kCursorDamageHalfWidth, page::kCursorTop - 5,
                                            x + kCursorDamageHalfWidth, page::kHandleBottom + 5});
        damage += QRect(QPoint(d.left, d.top), QPoint(d.right, d.bottom));
    }
    canvasDirty_ = true;
    syncLabels();
    update(damage);
}

QRegion CChildView::bandEdges(const QRect& b) const {
    if (b.isNull()) {
        return {};
    }
    QRegion edges(b.left(), b.top(), b.width(), 1);
    edges += QRect(b.left(), b.bottom(), b.width(), 1);
    edges += QRect(b.left(), b.top(), 1, b.height());
    edges += QRect(b.right(), b.top(), 1, b.height());
    return edges;
}

void CChildView::dragZoomTo(QPoint device) {
    const PageMapping map(width(), height());
    const LogicalRect hit = map.toDevice(kPlotHitArea);
    zoom_.point = {std::clamp(device.x(), hit.left, hit.right),
                   std::clamp(device.y(), hit.top, hit.bottom)};
    const QRect band(QPoint(std::min(zoom_.anchor.x(), zoom_.point.x()),
                            std::min(zoom_.anchor.y(), zoom_.point.y())),
                     QPoint(std::max(zoom_.anchor.x(), zoom_.point.x()),
                            std::max(zoom_.anchor.y(), zoom_.point.y())));
    const QRegion dirty = bandEdges(zoom_.band) + bandEdges(band);
    zoom_.band = band;
    update(dirty);
}

void CChildView::zoomWindow(const QRect& band) {
    const CheckedClient client = checkClientSize(width(), height(), "ZoomWindow", trace_);
    const PageMapping map(client.width, client.height);
    model_.zoom({map.toLogicalX(band.left()) - page::kPlotLeft,
                 map.toLogicalX(band.right()) - page::kPlotLeft, map.toLogicalY(band.top()),
                 map.toLogicalY(band.bottom())});
    invalidateAll();
}

// --- keyboard and the readout edit -------------------------------------------------------------

int CChildView::tabStopWithFocus() const {
    // The application's focus when a window of it is active, else what gets it on activation.
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr && window() != nullptr) {
        focus = window()->focusWidget();
    }
    if (focus == readoutEdit_) {
        return 0;
    }
    if (focus == zoomBackButton_) {
        return 1;
    }
    return -1;
}

void CChildView::focusTabStop(int index) {
    model_.setFocusIndex(index);
    if (index == 0) {
        readoutEdit_->setFocus(Qt::TabFocusReason);
    } else {
        zoomBackButton_->setFocus(Qt::TabFocusReason);
    }
}

bool CChildView::focusNextPrevChild(bool next) {
    if (next) {
        nextTab();
    } else {
        prevTab();
    }
    return true;
}

bool CChildView::eventFilter(QObject* watched, QEvent* event) {
    if (!closing_ && watched == readoutEdit_ && event->type() == QEvent::FocusOut) {
        applyReadoutEdit();
    }
    return QWidget::eventFilter(watched, event);
}

void CChildView::applyReadoutEdit() {
    const auto outcome = model_.applyReadoutText(readoutEdit_->text().toStdString());
    if (outcome.roughText) {
        readoutEdit_->setText(qs(*outcome.roughText));
        readoutEdit_->end(false);
    }
    if (outcome.snappedText) {
        readoutEdit_->setText(qs(*outcome.snappedText));
        readoutEdit_->end(false);
    }
    // What was typed stays as applied; later paints do not re-text it.
    shownReadoutTime_ = model_.state().readoutTime;
    if (outcome.changed) {
        invalidateAll();
    }
}

void CChildView::closeEvent(QCloseEvent* event) {
    // The main frame stops the threads and closes itself; a close of its client alone must
    // neither end the link nor take the frame down, so the embedded view stays as it is.
    if (isWindow()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace kvt
