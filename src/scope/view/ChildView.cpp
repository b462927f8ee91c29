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
#include "scope/view/ScopePainter.h"
#include "widgets/ColourLabel.h"

namespace kvt {
namespace {

constexpr int kReadoutTimeCaptionId = 101;
constexpr int kZoomBackCaptionId = 102;
constexpr int kBinaryNameCount = 8;

// Label positions in logical units (left, top, right); the height is the label height.
constexpr int kPlotCaptionWidth = 230;
constexpr int kPlotCaptionX[kAnalogChannels] = {400, 400, 990, 990};
constexpr int kPlotCaptionY[kAnalogChannels] = {23, 58, 23, 58};
constexpr LogicalRect kLegendCaption{20, 50, 250, 0};  // + 100 per channel
constexpr LogicalRect kLegendValue{80, 85, 200, 0};    // + 100 per channel
constexpr int kLegendPitch = 100;
constexpr LogicalRect kBinaryCaption{210, 650, 390, 0};  // + 60 per strip
constexpr LogicalRect kBinaryValue{80, 650, 200, 0};     // + 60 per strip
constexpr LogicalRect kReadoutCaption{20, 500, 250, 0};
constexpr LogicalRect kReadoutEdit{80, 535, 200, 0};
constexpr LogicalRect kZoomBackButton{20, 890, 220, 950};
constexpr LogicalRect kTimeUnit{1180, 848, 1230, 0};
constexpr int kLeftLabelX[2] = {330, 380};
constexpr int kRightLabelX[2] = {1160, 1210};
constexpr int kTimeLabelTop = 864;
constexpr int kTimeLabelWidth = 60;
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

void CChildView::reloadChannelNames() {
    const bool slave = settings_.masterSlave == 1;
    for (int c = 0; c < kAnalogChannels; ++c) {
        auto& names = analogNames_[static_cast<std::size_t>(c)];
        for (int choice = 0; choice < static_cast<int>(names.size()); ++choice) {
            const int id = analogSignalNameId(c, choice, slave);
            names[static_cast<std::size_t>(choice)] = id != 0 ? strings_.text(id) : std::string();
        }
    }
    for (int bit = 0; bit < kBinaryNameCount; ++bit) {
        binaryNames_[static_cast<std::size_t>(bit)] = strings_.text(binarySignalNameId(bit));
    }
    invalidateAll();
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

// --- labels ------------------------------------------------------------------------------------

void CChildView::createLabels() {
    using Border = ColourLabel::Border;
    auto make = [this](Border border, const QColor& text, const QColor& background) {
        auto* label = new ColourLabel(this, labelFont_, border);
        label->setColours(text, background);
        return label;
    };
    auto name = [](const char* role, std::size_t index) {
        return QString::fromLatin1(role) + QString::number(index + 1);
    };
    for (std::size_t c = 0; c < kAnalogChannels; ++c) {
        plotCaptions_[c] = make(Border::None, kChannelColours[c], Qt::white);
        plotCaptions_[c]->setObjectName(name("plotCaption", c));
        legendCaptions_[c] = make(Border::None, kChannelColours[c], Qt::white);
        legendCaptions_[c]->setObjectName(name("legendCaption", c));
        legendValues_[c] = make(Border::Box, Qt::black, kValueBoxColour);
        legendValues_[c]->setObjectName(name("legendValue", c));
    }
    for (std::size_t k = 0; k < kBinaryChannels; ++k) {
        binaryCaptions_[k] = make(Border::None, kBinaryColour, Qt::white);
        binaryCaptions_[k]->setObjectName(name("binaryCaption", k));
        binaryValues_[k] = make(Border::Box, Qt::black, kValueBoxColour);
        binaryValues_[k]->setObjectName(name("binaryValue", k));
    }
    readoutCaption_ = make(Border::None, Qt::black, Qt::white);
    readoutCaption_->setObjectName(QStringLiteral("readoutCaption"));
    readoutCaption_->setText(qs(strings_.text(kReadoutTimeCaptionId)));
    timeUnit_ = make(Border::None, Qt::black, Qt::white);
    timeUnit_->setObjectName(QStringLiteral("timeUnit"));
    timeUnit_->setText(QStringLiteral("t/s"));

    readoutEdit_ =
        new ColourLabel(this, labelFont_, ColourLabel::Border::Box, ColourLabel::Access::Editable);
    readoutEdit_->setObjectName(QStringLiteral("readoutEdit"));
    readoutEdit_->setProperty("controlId", kReadoutEditId);
    readoutEdit_->setAlignment(Qt::AlignCenter);
    readoutEdit_->installEventFilter(this);
    connect(readoutEdit_, &QLineEdit::returnPressed, this, &CChildView::enterCommand);

    zoomBackButton_ = new QPushButton(qs(strings_.text(kZoomBackCaptionId)), this);
    zoomBackButton_->setObjectName(QStringLiteral("zoomBack"));
    zoomBackButton_->setProperty("controlId", kZoomBackId);
    zoomBackButton_->setFont(labelFont_);
    zoomBackButton_->setFocusPolicy(Qt::StrongFocus);
    connect(zoomBackButton_, &QPushButton::clicked, this, &CChildView::zoomBack);

    // Tab order: readout edit, then Zoom Back.
    setTabOrder(readoutEdit_, zoomBackButton_);
}

void CChildView::placeLabel(QWidget* label, int left, int top, int right, int bottom) const {
    const PageMapping map(width(), height());
    const LogicalRect d = map.toDevice({left, top, right, bottom});
    const QRect geometry(QPoint(d.left, d.top), QPoint(d.right - 1, d.bottom - 1));
    if (label->geometry() != geometry) {
        label->setGeometry(geometry);
    }
}

QString CChildView::analogName(int channel) const {
    const int sel = settings_.analogSel(channel);
    if (sel < 0 || sel >= kAnalogChoiceCounts[static_cast<std::size_t>(channel)]) {
        return {};
    }
    return qs(analogNames_[static_cast<std::size_t>(channel)][static_cast<std::size_t>(sel)]);
}

QString CChildView::binaryName(int strip) const {
    const int bit = settings_.binarySel[strip];
    if (bit < 0 || bit >= kBinaryNameCount) {
        return {};
    }
    return qs(binaryNames_[static_cast<std::size_t>(bit)]);
}

bool CChildView::syncTickLabels(std::vector<ColourLabel*>& pool, int count, const char* role) {
    const bool grows = static_cast<int>(pool.size()) < count;
    while (static_cast<int>(pool.size()) < count) {
        auto* label = new ColourLabel(this, labelFont_);
        label->setColours(Qt::black, Qt::white);
        label->setObjectName(QString::fromLatin1(role) + QString::number(pool.size()));
        pool.push_back(label);
    }
    // Labels beyond the last tick of an earlier paint go away.
    while (static_cast<int>(pool.size()) > count) {
        pool.back()->hide();
        pool.back()->setObjectName(QString());
        pool.back()->deleteLater();
        pool.pop_back();
    }
    return grows;
}

void CChildView::syncLabels() {
    if (readoutEdit_ == nullptr) {
        return;  // names loaded before the labels exist
    }
    const int fh = labelHeight_;
    const ScopeViewState& s = model_.state();

    for (int c = 0; c < kAnalogChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const QString caption = qs(format("Ch%d: ", c + 1)) + analogName(c);
        const int x = kPlotCaptionX[c];
        const int y = kPlotCaptionY[c] - fh / 3;
        plotCaptions_[i]->showText(caption);
        placeLabel(plotCaptions_[i], x, y, x + kPlotCaptionWidth, y + fh);

        const int ly = kLegendCaption.top + kLegendPitch * c;
        legendCaptions_[i]->showText(caption);
        placeLabel(legendCaptions_[i], kLegendCaption.left, ly, kLegendCaption.right, ly + fh);

        const int vy = kLegendValue.top + kLegendPitch * c;
        legendValues_[i]->showText(
            analogChannelHidden(settings_, c)
                ? QStringLiteral("--")
                : qs(format("%1.1f", static_cast<double>(s.readoutAnalog[i]))));
        placeLabel(legendValues_[i], kLegendValue.left, vy, kLegendValue.right, vy + fh);
    }

    for (int k = 0; k < kBinaryChannels; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int y = kBinaryCaption.top + page::kStripPitch * k;
        binaryCaptions_[i]->showText(qs(format("Ch%d: ", k + 1)) + binaryName(k));
        placeLabel(binaryCaptions_[i], kBinaryCaption.left, y, kBinaryCaption.right, y + fh);
        binaryValues_[i]->showText(qs(format("%d", s.readoutBinary[i])));
        placeLabel(binaryValues_[i], kBinaryValue.left, y, kBinaryValue.right, y + fh);
    }

    placeLabel(readoutCaption_, kReadoutCaption.left, kReadoutCaption.top, kReadoutCaption.right,
               kReadoutCaption.top + fh);
    placeLabel(readoutEdit_, kReadoutEdit.left, kReadoutEdit.top, kReadoutEdit.right,
               kReadoutEdit.top + fh);
    if (s.readoutTime != shownReadoutTime_) {
        readoutEdit_->setText(qs(format("%3.3f", static_cast<double>(s.readoutTime))));
        shownReadoutTime_ = s.readoutTime;
    }
    placeLabel(zoomBackButton_, kZoomBackButton.left, kZoomBackButton.top, kZoomBackButton.right,
               kZoomBackButton.bottom);
    placeLabel(timeUnit_, kTimeUnit.left, kTimeUnit.top, kTimeUnit.right, kTimeUnit.top + fh);

    const ValueTicks ticks = model_.valueTicks();
    const int valueCount = std::min(ticks.divisions + 1, page::kMaxValueLabels);
    syncTickLabels(leftLabels_, valueCount, "leftLabel");
    syncTickLabels(rightLabels_, valueCount, "rightLabel");
    for (int i = 0; i < valueCount; ++i) {
        const auto n = static_cast<std::size_t>(i);
        const int y = valueTickY(i, ticks) - fh / 2;
        leftLabels_[n]->showText(qs(valueLabelText(i, leftTickValue(i, s.window.yMax, ticks))));
        placeLabel(leftLabels_[n], kLeftLabelX[0], y, kLeftLabelX[1], y + fh);
        rightLabels_[n]->showText(qs(valueLabelText(i, rightTickValue(i, s.window.yMax, ticks))));
        placeLabel(rightLabels_[n], kRightLabelX[0], y, kRightLabelX[1], y + fh);
    }

    const int divisions = model_.timeDivisions();
    const int timeCount = std::min(divisions + 1, page::kMaxTimeLabels);
    if (syncTickLabels(timeLabels_, timeCount, "timeLabel")) {
        timeUnit_->raise();  // "t/s" stays above the last time label it overlaps
    }
    for (int i = 0; i < timeCount; ++i) {
        const auto n = static_cast<std::size_t>(i);
        const int x = timeTickX(i, divisions);
        const float t =
            timeTickValue(i, divisions, s.window.start, s.window.end, model_.triggerMode());
        timeLabels_[n]->showText(qs(timeLabelText(t)));
        placeLabel(timeLabels_[n], x, kTimeLabelTop, x + kTimeLabelWidth, kTimeLabelTop + fh);
    }
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
    return commandWord_ && (commandWord_() & kAcquisitionBits) != 0;
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
