#include "calib/CalibrationSetupDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/CalibrationText.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

constexpr int kTitle = 84;
constexpr int kFirstDecimalText = 329;  // "No", "Right", "Middle", "Left"
constexpr int kStatusCaption = 91;

const std::array<CalibrationValueField, 1> kDisplayFields = {{
    {0, 0, "Display Factor", CCalibrationSetupDlg::kDisplayFactorEdit, 1750,
     &CalibrationRecord::CAL_DISPLAY_FACTOR, &CalibrationRecord::CAL_DISPLAY_FACTOR,
     &CalibrationRecord::displayFactorValid, kCalDacRange, false},
}};

bool validDecimalPoint(std::int32_t value) {
    return value >= 0 && value < 4;
}

}  // namespace

CCalibrationSetupDlg::CCalibrationSetupDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                           CalibrationLink link)
    : CalibrationDialogBase(owner, strings, boxes, std::move(link), Polling::Progress,
                            ReadBack::Never) {
    setObjectName(QStringLiteral("calibrationSetupDialog"));
    setWindowTitle(caption(kTitle));
    auto* column = new QVBoxLayout(this);
    auto* areas = new QHBoxLayout;
    column->addLayout(areas);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    areas->addLayout(left);
    areas->addLayout(right);
    addValueFields(*left, kDeviceFields);
    left->addStretch(1);
    addValueFields(*right, kDisplayFields);

    auto* decimal = new QGroupBox(QStringLiteral("Decimal Point"), this);
    auto* decimalRows = new QVBoxLayout(decimal);
    for (std::size_t i = 0; i < decimalRadios_.size(); ++i) {
        decimalRadios_[i] =
            named(new QRadioButton(caption(kFirstDecimalText + static_cast<int>(i)), decimal),
                  "radio", kDecimalPointRadios[i]);
        decimalRows->addWidget(decimalRadios_[i]);
    }
    decimalRows->addWidget(named(makeDeviceValueEdit(decimal), "edit", kDecimalPointRead));
    right->addWidget(decimal);

    auto* status = new QGroupBox(caption(kStatusCaption), this);
    auto* statusRow = new QHBoxLayout(status);
    statusRow->addWidget(named(makeDeviceValueEdit(status), "edit", kStatusRead));
    right->addWidget(status);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    column->addLayout(buttons);
    buttons->addStretch(1);
    cancel_ = named(new QPushButton(caption(kCancelCaption), this), "button", kCancelId);
    cancel_->setAutoDefault(false);
    buttons->addWidget(cancel_);
    reset_ = named(new QPushButton(caption(142), this), "button", kResetButton);
    reset_->hide();
    connect(cancel_, &QPushButton::clicked, this, &CCalibrationSetupDlg::reject);
    connect(reset_, &QPushButton::clicked, this, [this] {
        if (command() == 0) {
            post(cmd::kResetCalibrationCounter);
        }
        updateButtons();
    });
    start();
}

void CCalibrationSetupDlg::displayAll() {
    CalibrationDialogBase::displayAll();
    const CalibrationRecord& c = copy();
    if (validDecimalPoint(c.CAL_DECIMAL_POINT)) {
        decimalRadios_[static_cast<std::size_t>(c.CAL_DECIMAL_POINT)]->setChecked(true);
    }
    // The controller's own choice stands out in red among the grey radios.
    const bool deviceKnown =
        (c.decimalPointValid & 0xFF) != 0 && validDecimalPoint(c.decimalPointRead);
    for (std::size_t i = 0; i < decimalRadios_.size(); ++i) {
        const bool device = deviceKnown && static_cast<int>(i) == c.decimalPointRead;
        QPalette palette = decimalRadios_[i]->palette();
        palette.setColor(QPalette::WindowText, device ? QColor(Qt::red) : QColor(Qt::darkGray));
        decimalRadios_[i]->setPalette(palette);
    }
    control<QLineEdit>("edit", kDecimalPointRead)
        ->setText(deviceKnown ? text(kFirstDecimalText + c.decimalPointRead) : text(kNotRead));
    control<QLineEdit>("edit", kStatusRead)
        ->setText((c.CAL_STATUS_VALID & 0xFF) != 0 ? QStringLiteral("%1  (progress %2 / %3)")
                                                         .arg(c.CAL_STATUS)
                                                         .arg(calibrationProgress(c.CAL_STATUS))
                                                         .arg(kCalProgressDone)
                                                   : text(kNotRead));
}

void CCalibrationSetupDlg::saveExtraFields() {
    for (std::size_t i = 0; i < decimalRadios_.size(); ++i) {
        if (decimalRadios_[i]->isChecked()) {
            copy().CAL_DECIMAL_POINT = static_cast<std::int32_t>(i);
        }
    }
}

void CCalibrationSetupDlg::updateButtons() {
    const std::uint32_t word = command();
    const bool idle = word == 0 && !calibrationRunning();
    const bool starting = (word & cmd::kStartCalibration) != 0 || calibrationRunning();
    cancel_->setEnabled(!starting);
    control("edit", kTemperatureEdit)->setEnabled(idle);
    reset_->setEnabled(idle);
}

QWidget* CCalibrationSetupDlg::closeButton() const {
    return cancel_;
}

}  // namespace kvt
