#pragma once

#include <functional>
#include <optional>

#include "calib/CalibrationDialogBase.h"

class QProgressBar;
class QPushButton;

namespace kvt {

// "Calibration" (template 109): the calibration temperature, the DAC values and the matrix, their
// transfer to and from the controller, and the start of the controller's own calibration with
// its progress.
class CCalibrationDlg : public CalibrationDialogBase {
    Q_OBJECT

  public:
    // Asks for the calibration mode before a start (the current CAL_MODE given); nothing when
    // the user declines. By default the start confirmation dialog.
    using StartQuestion = std::function<std::optional<std::int32_t>(std::int32_t mode)>;

    CCalibrationDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes, CalibrationLink link);

    void setStartQuestion(StartQuestion question) { startQuestion_ = std::move(question); }

    static QString startButtonName() { return QStringLiteral("buttonStartCalibration"); }
    static QString progressBarName() { return QStringLiteral("progressCalibration"); }

  protected:
    void updateButtons() override;
    QWidget* closeButton() const override;

  private:
    void read();
    void write();
    void copyDeviceValues();
    void resetCounter();
    void startOrStop();

    StartQuestion startQuestion_;
    QPushButton* read_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* start_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
};

}  // namespace kvt
