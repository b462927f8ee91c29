#pragma once

#include "calib/CalibrationDialogBase.h"

class QPushButton;

namespace kvt {

// "Calibration Matrix" (template 129): the matrix alone, without temperature and DAC values.
class CCalibrationMatrixDlg : public CalibrationDialogBase {
    Q_OBJECT

  public:
    CCalibrationMatrixDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                          CalibrationLink link);

  protected:
    void updateButtons() override;
    QWidget* closeButton() const override;

  private:
    QPushButton* read_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace kvt
