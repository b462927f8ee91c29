#include "calib/CalibrationDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "calib/StartCalibrationDialog.h"
#include "data/CalibrationText.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

constexpr int kTitle = 84;
// While one of these runs, the DAC fields and "Close" wait for it too.
constexpr std::uint32_t kFollowedBits =
    cmd::kStartCalibration | cmd::kCheckCalibration | cmd::kReadMatrix | cmd::kWriteMatrix;

}  // namespace

CCalibrationDlg::CCalibrationDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                 CalibrationLink link)
    : CalibrationDialogBase(owner, strings, boxes, std::move(link), Polling::Progress,
                            ReadBack::AfterWrite) {
    setObjectName(QStringLiteral("calibrationDialog"));
    setWindowTitle(caption(kTitle));
    startQuestion_ = [this](std::int32_t mode) -> std::optional<std::int32_t> {
        StartCalibrationDialog question(this, this->strings(), mode);
        if (question.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return question.mode();
    };

    auto* column = new QVBoxLayout(this);
    auto* areas = new QHBoxLayout;
    column->addLayout(areas);
    auto* fields = new QVBoxLayout;
    addValueFields(*fields, kDeviceFields);
    fields->addStretch(1);
    areas->addLayout(fields);
    areas->addWidget(buildArraySelection());
    areas->addWidget(buildRowSelection());
    areas->addWidget(buildMatrixValues());

    auto button = [this](int id, const QString& text) {
        return named(new QPushButton(text, this), "button", id);
    };
    auto* buttons = new QHBoxLayout;
    column->addLayout(buttons);
    start_ = new QPushButton(QStringLiteral("Start Calibration"), this);
    start_->setObjectName(startButtonName());
    start_->setAutoDefault(false);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(progressBarName());
    progressBar_->setRange(0, kCalProgressDone);
    progressBar_->setFormat(QStringLiteral("%v / %m"));
    buttons->addWidget(start_);
    buttons->addWidget(progressBar_, 1);
    buttons->addSpacing(24);
    write_ = button(kWriteButton, caption(143));
    copy_ = button(kCopyButton, caption(355));
    read_ = button(kReadButton, caption(144));
    close_ = button(kCancelId, caption(kCancelCaption, "Close"));
    reset_ = button(kResetButton, caption(142));
    reset_->hide();
    for (QPushButton* b : {write_, copy_, read_, close_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    connect(read_, &QPushButton::clicked, this, &CCalibrationDlg::read);
    connect(write_, &QPushButton::clicked, this, &CCalibrationDlg::write);
    connect(copy_, &QPushButton::clicked, this, &CCalibrationDlg::copyDeviceValues);
    connect(close_, &QPushButton::clicked, this, &CCalibrationDlg::reject);
    connect(reset_, &QPushButton::clicked, this, &CCalibrationDlg::resetCounter);
    connect(start_, &QPushButton::clicked, this, &CCalibrationDlg::startOrStop);
    start();
}

void CCalibrationDlg::read() {
    requestTransfer(cmd::kReadMatrix);
}

void CCalibrationDlg::write() {
    requestTransfer(cmd::kWriteMatrix);
}

void CCalibrationDlg::copyDeviceValues() {
    if (command() != 0) {
        return;
    }
    saveFields();
    CalibrationRecord& c = copy();
    c.CAL_OFFSET_WRITE = c.CAL_OFFSET_READ;
    c.CAL_SPAN_WRITE = c.CAL_SPAN_READ;
    c.CAL_TEMP_WRITE = c.CAL_TEMP_READ;
    // All 80 rows, whatever their valid marks say.
    for (int a = 0; a < kCalArrays; ++a) {
        for (int r = 0; r < kCalRows; ++r) {
            for (int v = 0; v < kCalRows; ++v) {
                c.CAL_MATRIX_WRITE[a][r][v] = c.CAL_MATRIX_READ[a][r][v];
            }
        }
    }
    compareAndStore();
    displayAll();
    setModifiedFlag(1);
    writeAllowed() = 1;
    updateButtons();
}

void CCalibrationDlg::resetCounter() {
    if (command() == 0) {
        post(cmd::kResetCalibrationCounter);
    }
    updateButtons();
}

void CCalibrationDlg::startOrStop() {
    if (calibrationRunning()) {
        // Stopped by the user before the controller reported it complete.
        setRunning(false);
        post(cmd::kStopCalibration);
        updateButtons();
        return;
    }
    if (command() != 0) {
        return;
    }
    const std::optional<std::int32_t> mode = startQuestion_(copy().CAL_MODE);
    if (!mode || command() != 0) {
        return;
    }
    copy().CAL_MODE = *mode;
    beginCalibration();
}

void CCalibrationDlg::updateButtons() {
    const std::uint32_t word = command();
    const bool running = calibrationRunning();
    const bool idle = word == 0 && !running;
    const bool present = copy().isMatrixPresent();
    read_->setEnabled(idle);
    write_->setEnabled(idle && present && writeAllowed() != 0);
    copy_->setEnabled(idle && present);
    reset_->setEnabled(idle);
    enableMatrix(idle);
    control("edit", kTemperatureEdit)->setEnabled(idle);
    const bool following = running || (word & kFollowedBits) != 0;
    for (QWidget* w : {static_cast<QWidget*>(close_), control("edit", kOffsetEdit),
                       control("edit", kSpanEdit)}) {
        w->setEnabled(idle || !following);
    }
    start_->setText(running ? QStringLiteral("Stop Calibration")
                            : QStringLiteral("Start Calibration"));
    start_->setEnabled(running || idle);
    progressBar_->setValue(std::clamp(progress(), 0, kCalProgressDone));
}

QWidget* CCalibrationDlg::closeButton() const {
    return close_;
}

}  // namespace kvt
