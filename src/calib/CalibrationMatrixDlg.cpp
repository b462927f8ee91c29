#include "calib/CalibrationMatrixDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/CommandWord.h"

namespace kvt {
namespace {

constexpr int kTitle = 326;
// Closing stores the dialog's copy; while a transfer fills the record it would overwrite it.
constexpr std::uint32_t kFollowedBits =
    cmd::kStartCalibration | cmd::kReadMatrix | cmd::kWriteMatrix;

}  // namespace

CCalibrationMatrixDlg::CCalibrationMatrixDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                             CalibrationLink link)
    : CalibrationDialogBase(owner, strings, boxes, std::move(link), Polling::ButtonsOnly,
                            ReadBack::AfterWrite) {
    setObjectName(QStringLiteral("calibrationMatrixDialog"));
    setWindowTitle(caption(kTitle));
    auto* column = new QVBoxLayout(this);
    auto* areas = new QHBoxLayout;
    column->addLayout(areas);
    areas->addWidget(buildArraySelection());
    areas->addWidget(buildRowSelection());
    areas->addWidget(buildMatrixValues());

    auto* buttons = new QHBoxLayout;
    column->addLayout(buttons);
    buttons->addStretch(1);
    write_ = named(new QPushButton(caption(143), this), "button", kWriteButton);
    read_ = named(new QPushButton(caption(144), this), "button", kReadButton);
    cancel_ = named(new QPushButton(caption(kCancelCaption), this), "button", kCancelId);
    for (QPushButton* b : {write_, read_, cancel_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(read_, &QPushButton::clicked, this, [this] { requestTransfer(cmd::kReadMatrix); });
    connect(write_, &QPushButton::clicked, this, [this] { requestTransfer(cmd::kWriteMatrix); });
    connect(cancel_, &QPushButton::clicked, this, &CCalibrationMatrixDlg::reject);
    start();
}

void CCalibrationMatrixDlg::updateButtons() {
    const std::uint32_t word = command();
    const bool idle = word == 0;
    // Read and Write follow the rules of the "Calibration" dialog: a matrix is sent only after
    // one was read whole and taken over there.
    read_->setEnabled(idle);
    write_->setEnabled(idle && copy().isMatrixPresent() && writeAllowed() != 0);
    enableMatrix(idle);
    cancel_->setEnabled((word & kFollowedBits) == 0);
}

QWidget* CCalibrationMatrixDlg::closeButton() const {
    return cancel_;
}

}  // namespace kvt
