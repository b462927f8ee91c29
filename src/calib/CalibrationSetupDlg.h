#pragma once

#include <array>

#include "calib/CalibrationDialogBase.h"

class QPushButton;
class QRadioButton;

namespace kvt {

// The second "Calibration" dialog (template 130): temperature, DAC values, the display factor
// and the decimal point, and the calibration status. Nothing here talks to the controller; the
// values live in the record and the project file.
class CCalibrationSetupDlg : public CalibrationDialogBase {
    Q_OBJECT

  public:
    static constexpr int kDisplayFactorEdit = 1751;
    static constexpr int kDecimalPointRead = 1745;
    static constexpr int kStatusRead = 1625;
    static constexpr std::array<int, 4> kDecimalPointRadios = {1746, 1747, 1748, 1749};

    CCalibrationSetupDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                         CalibrationLink link);

  protected:
    void displayAll() override;
    void saveExtraFields() override;
    void updateButtons() override;
    QWidget* closeButton() const override;

  private:
    std::array<QRadioButton*, 4> decimalRadios_{};
    QPushButton* cancel_ = nullptr;
    QPushButton* reset_ = nullptr;
};

}  // namespace kvt
