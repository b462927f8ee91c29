// The scope view's label controls: the channel captions with their signal names, the readout
// values, the readout edit, Zoom Back and the tick labels, placed on the logical page.
#include <QPushButton>
#include <algorithm>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopeLabelLayout.h"
#include "scope/view/ScopePainter.h"
#include "widgets/ColourLabel.h"

namespace kvt {
namespace {

using namespace scope_labels;

constexpr int kBinaryNameCount = 8;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

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

}  // namespace kvt
