#include "calib/CalibrationDialogBase.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "data/CalibrationText.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"
#include "widgets/DeviceValueEdit.h"

namespace kvt {
namespace {

// The engine's failures end with codes 1..8.
constexpr int kLastFailure = 8;
using namespace notify;

constexpr std::uint32_t kCalibrationBits =
    cmd::kStartCalibration | cmd::kCheckCalibration | cmd::kStopCalibration;

constexpr int kArrayGroup = 1305;
constexpr int kRowGroup = 1116;
constexpr int kValuesGroup = 1137;
constexpr int kArrayCaptions[] = {93, 94, 95, 100, 96, 97, 98, 99};

bool isSet(std::int32_t mark) {
    return (mark & 0xFF) != 0;
}

}  // namespace

const std::array<CalibrationValueField, 3> CalibrationDialogBase::kDeviceFields = {{
    {1306, 138, "Temperature / \u00B0C", kTemperatureEdit, 1138, &CalibrationRecord::CAL_TEMP_WRITE,
     &CalibrationRecord::CAL_TEMP_READ, &CalibrationRecord::CAL_TEMP_VALID, kCalTemperatureRange,
     false},
    {1310, 136, "Offset DAC", kOffsetEdit, 1140, &CalibrationRecord::CAL_OFFSET_WRITE,
     &CalibrationRecord::CAL_OFFSET_READ, &CalibrationRecord::CAL_OFFSET_VALID, kCalDacRange, true},
    {1311, 137, "Span DAC", kSpanEdit, 1143, &CalibrationRecord::CAL_SPAN_WRITE,
     &CalibrationRecord::CAL_SPAN_READ, &CalibrationRecord::CAL_SPAN_VALID, kCalDacRange, true},
}};

CalibrationDialogBase::CalibrationDialogBase(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                             CalibrationLink link, Polling polling,
                                             ReadBack readBack)
    : CToolDialog(owner, strings, boxes, link.commandWord),
      link_(std::move(link)),
      polling_(polling),
      readBack_(readBack),
      copy_(std::make_unique<CalibrationRecord>(link_.record)) {
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("pollTimer"));
    timer_->setInterval(kPollTimerMs);
    connect(timer_, &QTimer::timeout, this, &CalibrationDialogBase::tick);
}

CalibrationDialogBase::~CalibrationDialogBase() = default;

void CalibrationDialogBase::start() {
    timer_->start();
    updateButtons();
    displayAll();
    updateButtons();
}

// ---------------------------------------------------------------------------------------------
// Building

QGroupBox* CalibrationDialogBase::buildArraySelection() {
    auto* box = named(new QGroupBox(caption(135, "Select Non Linearity Array"), this), kArrayGroup);
    auto* column = new QVBoxLayout(box);
    for (std::size_t a = 0; a < kArrayRadios.size(); ++a) {
        auto* radio =
            named(new QRadioButton(caption(kArrayCaptions[a]), box), "radio", kArrayRadios[a]);
        connect(radio, &QRadioButton::clicked, this, [this] { onArrayClicked(); });
        column->addWidget(radio);
        arrayRadios_.push_back(radio);
    }
    column->addStretch(1);
    return box;
}

QGroupBox* CalibrationDialogBase::buildRowSelection() {
    auto* box = named(new QGroupBox(caption(92, "Temperatur Array"), this), kRowGroup);
    auto* column = new QVBoxLayout(box);
    for (std::size_t r = 0; r < kRowRadios.size(); ++r) {
        const QString label = QString::fromStdString(temperatureRowText(static_cast<int>(r)));
        auto* radio = named(new QRadioButton(label, box), "radio", kRowRadios[r]);
        // Unchecked all together for the arrays without temperature rows.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this,
                [this, r] { onRowClicked(static_cast<int>(r)); });
        column->addWidget(radio);
        rowRadios_.push_back(radio);
    }
    return box;
}

QGroupBox* CalibrationDialogBase::buildMatrixValues() {
    auto* box = named(new QGroupBox(caption(178, "Calibration Matrix Values"), this), "static",
                      kValuesGroup);
    auto* grid = new QGridLayout(box);
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (std::size_t i = 0; i < kValueEdits.size(); ++i) {
        const int row = static_cast<int>(i);
        auto* label =
            named(new QLabel(QStringLiteral("Info %1").arg(i), box), "static", kValueLabels[i]);
        label->setMinimumWidth(charWidth * 11);
        auto* edit = named(new QLineEdit(box), "edit", kValueEdits[i]);
        edit->setMaxLength(3);
        edit->setFixedWidth(charWidth * 6);
        auto* read = named(makeDeviceValueEdit(box), "edit", kReadValues[i]);
        read->setFixedWidth(charWidth * 6);
        onFocusLost(edit, [this, edit, i] {
            copy_->CAL_MATRIX_WRITE[shownArray_][shownRow_][i] =
                readIntegerEdit(*edit, kCalMatrixValueRange.lo, kCalMatrixValueRange.hi, 3);
        });
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(read, row, 2);
        valueLabels_.push_back(label);
        valueEdits_.push_back(edit);
        readValues_.push_back(read);
    }
    return box;
}

void CalibrationDialogBase::addValueFields(QBoxLayout& into,
                                           std::span<const CalibrationValueField> fields) {
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (const CalibrationValueField& field : fields) {
        // A field without a string id keeps its template text in every language.
        auto* box =
            new QGroupBox(field.captionId != 0 ? caption(field.captionId, field.templateText)
                                               : QString::fromUtf8(field.templateText),
                          this);
        if (field.group != 0) {
            named(box, "static", field.group);
        }
        auto* row = new QHBoxLayout(box);
        auto* edit = named(new QLineEdit(box), "edit", field.edit);
        edit->setFixedWidth(charWidth * 8);
        auto* read = named(makeDeviceValueEdit(box), "edit", field.read);
        read->setFixedWidth(charWidth * 8);
        row->addWidget(edit);
        row->addWidget(read);
        row->addStretch(1);
        into.addWidget(box);
        valueFields_.push_back({&field, edit, read});
        const BoundField bound = valueFields_.back();
        onFocusLost(edit, [this, bound] {
            const CalibrationValueField& f = *bound.field;
            (*copy_).*f.write = f.isUnsigned
                                    ? static_cast<std::int32_t>(readUnsignedEdit(
                                          *bound.edit, static_cast<std::uint32_t>(f.range.lo),
                                          static_cast<std::uint32_t>(f.range.hi)))
                                    : readIntegerEdit(*bound.edit, f.range.lo, f.range.hi);
        });
    }
}

// ---------------------------------------------------------------------------------------------
// Display

void CalibrationDialogBase::displayAll() {
    displayMatrix();
    displayValueFields();
}

void CalibrationDialogBase::displayMatrix() {
    if (!hasMatrix()) {
        return;
    }
    int array = copy_->CAL_ARRAY_SELECT;
    if (array < 0 || array >= kCalArrays) {
        array = 0;
    }
    const int row = shownRow(array, std::clamp(copy_->CAL_ROW_SELECT, 0, kCalRows - 1));
    arrayRadios_[static_cast<std::size_t>(array)]->setChecked(true);
    for (std::size_t r = 0; r < rowRadios_.size(); ++r) {
        rowRadios_[r]->setChecked(isTemperatureArray(array) && static_cast<int>(r) == row);
    }
    shownArray_ = array;
    shownRow_ = row;
    copy_->CAL_ROW_SELECT = row;
    link_.record.CAL_ROW_SELECT = row;
    const bool valid = isSet(copy_->CAL_MATRIX_READ[array][row][10]);
    for (std::size_t i = 0; i < valueEdits_.size(); ++i) {
        writeEdit(*valueEdits_[i], QString::number(copy_->CAL_MATRIX_WRITE[array][row][i]));
        readValues_[i]->setText(valid ? QString::number(copy_->CAL_MATRIX_READ[array][row][i])
                                      : text(kNotRead));
        valueLabels_[i]->setText(
            QString::fromStdString(calibrationValueLabel(array, row, static_cast<int>(i))));
    }
}

void CalibrationDialogBase::displayValueFields() {
    for (const BoundField& bound : valueFields_) {
        const CalibrationValueField& f = *bound.field;
        writeEdit(*bound.edit, QString::number((*copy_).*f.write));
        bound.read->setText(isSet((*copy_).*f.valid) ? QString::number((*copy_).*f.readValue)
                                                     : text(kNotRead));
    }
}

// ---------------------------------------------------------------------------------------------
// Selection

int CalibrationDialogBase::arrayFromRadios() const {
    for (std::size_t a = 0; a < arrayRadios_.size(); ++a) {
        if (arrayRadios_[a]->isChecked()) {
            return static_cast<int>(a);
        }
    }
    return 0;
}

void CalibrationDialogBase::onArrayClicked() {
    saveValueEdits();
    copy_->CAL_ARRAY_SELECT = arrayFromRadios();
    selectRow(shownRow_);
}

void CalibrationDialogBase::onRowClicked(int row) {
    saveValueEdits();
    selectRow(row);
}

void CalibrationDialogBase::selectRow(int row) {
    copy_->CAL_ROW_SELECT = shownRow(copy_->CAL_ARRAY_SELECT, row);
    displayMatrix();
    updateButtons();
}

// ---------------------------------------------------------------------------------------------
// Storing

void CalibrationDialogBase::saveValueEdits() {
    for (std::size_t i = 0; i < valueEdits_.size(); ++i) {
        copy_->CAL_MATRIX_WRITE[shownArray_][shownRow_][i] =
            readIntegerEdit(*valueEdits_[i], kCalMatrixValueRange.lo, kCalMatrixValueRange.hi, 3);
    }
}

void CalibrationDialogBase::saveFields() {
    if (hasMatrix()) {
        saveValueEdits();
        copy_->CAL_ARRAY_SELECT = arrayFromRadios();
        copy_->CAL_ROW_SELECT = shownRow(copy_->CAL_ARRAY_SELECT, shownRow_);
    }
    for (const BoundField& bound : valueFields_) {
        // The focus-lost handler is the one place that parses a field.
        const CalibrationValueField& f = *bound.field;
        (*copy_).*f.write = f.isUnsigned ? static_cast<std::int32_t>(readUnsignedEdit(
                                               *bound.edit, static_cast<std::uint32_t>(f.range.lo),
                                               static_cast<std::uint32_t>(f.range.hi)))
                                         : readIntegerEdit(*bound.edit, f.range.lo, f.range.hi);
    }
    saveExtraFields();
}

void CalibrationDialogBase::compareAndStore() {
    if (std::memcmp(copy_.get(), &link_.record, sizeof(CalibrationRecord)) != 0) {
        setModifiedFlag(1);
    }
    link_.record = *copy_;
}

void CalibrationDialogBase::reload() {
    *copy_ = link_.record;
}

void CalibrationDialogBase::requestTransfer(std::uint32_t bit) {
    if (command() != 0) {
        return;
    }
    saveFields();
    compareAndStore();
    post(bit);
    updateButtons();
}

void CalibrationDialogBase::beginCalibration() {
    saveFields();
    compareAndStore();
    running_ = true;
    progress_ = 0;
    post(cmd::kStartCalibration);
    updateButtons();
}

void CalibrationDialogBase::reject() {
    if (QWidget* close = closeButton(); close != nullptr && !close->isEnabled()) {
        return;
    }
    saveFields();
    compareAndStore();
    CToolDialog::reject();
}

// ---------------------------------------------------------------------------------------------
// Engine

void CalibrationDialogBase::tick() {
    updateButtons();
    if (polling_ != Polling::Progress || !running_) {
        return;
    }
    if (progress_ >= kCalProgressDone) {
        running_ = false;
        post(cmd::kStopCalibration);
    } else if ((command() & kCalibrationBits) == 0) {
        post(cmd::kCheckCalibration);
    }
}

void CalibrationDialogBase::onNotification(int code, std::intptr_t value) {
    if (polling_ == Polling::ButtonsOnly) {
        // The matrix dialog follows the record; it runs no calibration.
        if (code >= kCalibrationStarted && code <= kCalibrationChecked) {
            reload();
            displayAll();
        }
        if (code == kMatrixWritten && readBack_ == ReadBack::AfterWrite && command() == 0) {
            requestTransfer(cmd::kReadMatrix);
        }
        updateButtons();
        return;
    }
    switch (code) {
        case kCalibrationStarted:
        case kCalibrationStopped:
        case kCalibrationChecked:
            progress_ = static_cast<std::int32_t>(value);
            reload();
            displayAll();
            break;
        case kMatrixRead:
        case kCalibrationCounterReset:
        case kOperationCounterReset:
            reload();
            displayAll();
            break;
        case kMatrixWritten:
            reload();
            displayAll();
            // A write is always followed by a read-back, so the device column shows what the
            // controller took.
            if (readBack_ == ReadBack::AfterWrite && command() == 0) {
                saveFields();
                compareAndStore();
                post(cmd::kReadMatrix);
            }
            break;
        default:
            if (code >= 1 && code <= kLastFailure) {
                running_ = false;
            }
            break;
    }
    updateButtons();
}

void CalibrationDialogBase::enableMatrix(bool enabled) {
    for (QRadioButton* radio : arrayRadios_) {
        radio->setEnabled(enabled);
    }
    for (QRadioButton* radio : rowRadios_) {
        radio->setEnabled(enabled && isTemperatureArray(shownArray_));
    }
    for (QLineEdit* edit : valueEdits_) {
        edit->setEnabled(enabled);
    }
}

}  // namespace kvt
